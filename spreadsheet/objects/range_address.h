// Range.Address text in all of Excel's forms: A1 or R1C1, each coordinate absolute or relative,
// with or without the "[Book.xlsx]Sheet!" of the external form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// Excel's XlReferenceStyle numbers.
constexpr std::int32_t kReferenceStyleA1 = 1;
constexpr std::int32_t kReferenceStyleR1C1 = -4150;

struct AddressStyle {
  bool rowAbsolute = true;
  bool columnAbsolute = true;
  bool r1c1 = false;
  // Relative R1C1 coordinates count from this cell (Excel's RelativeTo; A1 when not given).
  CellCoord relativeTo{1, 1};
};

// "$B$3", "B$3:D7", "$A:$C", "$2:$5", "R3C2:R7C4", "R[2]C[-1]", "C2:C4". A range spanning every
// row is written as columns, one spanning every column (the whole sheet too) as rows.
std::wstring FormatRangeAddress(const CellRect& range, const AddressStyle& style);

// "[Book1.xlsx]Sheet1!", quoted as "'[My Book.xlsx]Sheet 1'!" when either name needs it.
std::wstring ExternalAddressPrefix(std::wstring_view workbook, std::wstring_view sheet);

}  // namespace spreadsheet
