// What a text written to Range.Value or Range.Formula becomes, read as Excel reads text typed into
// a cell (en-US): a formula, a number (with the number format the typing implies), a date or
// time, a Boolean, an error value, or text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "spreadsheet/model/cell_value.h"

namespace spreadsheet {

struct CellEntry {
  enum class Kind : std::uint8_t {
    Constant,
    Formula,
    Invalid,  // "=" alone: Excel refuses it with a run-time error.
  };
  Kind kind = Kind::Constant;
  CellValue value;       // Constant.
  std::wstring formula;  // Formula: the text with its "=".
  // The built-in number format the entry implies for a cell formatted General ("$1,000" gives
  // 5, "50%" gives 9, "1/2/2020" gives 14); 0 when it implies none.
  std::uint32_t numberFormat = 0;
};

// `currentYear` completes dates typed without a year ("1/2", "5-Jan"), as Excel does with the
// year of the day it is typed.
CellEntry ParseCellEntry(std::wstring_view text, bool date1904, std::int32_t currentYear);

// The year of today's date, for ParseCellEntry.
std::int32_t CurrentYear();

}  // namespace spreadsheet
