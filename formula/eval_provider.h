// IEvalProvider: evaluation in the workbook, lent to the parser and the scans by the dependency
// container.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant.h"

// Four operations in a fixed order. Every Excel error value reads as the text "#ERROR!"; a range
// result of EvaluateToText reads as its sheet name in apostrophes, "!", and its absolute
// address ("'Sheet1'!$B$2:$C$4").
class IEvalProvider {
 public:
  virtual std::wstring EvaluateToText(std::wstring_view expression, int32_t sheet) = 0;
  // The result as Excel hands it back; empty when the call fails.
  virtual CVariant EvaluateOnSheet(std::wstring_view expression, int32_t sheet) = 0;
  virtual bool CellValue(int32_t sheet, int32_t column, int32_t row, CVariant& value) = 0;
  virtual std::wstring SheetName(int32_t sheet) = 0;

 protected:
  ~IEvalProvider() = default;
};
