// A1 address text as the object model reads and writes it: Worksheet.Range("B2:C3"),
// Range.Address ("$B$2:$C$3") and its external R1C1 form ("[Book.xlsx]Sheet1!R2C2:R3C3").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// "B2", "$B$2", "B2:C3", whole columns "A:C" and whole rows "2:5", in any case and with or
// without dollar signs; corners in any order. Nothing for other text (a sheet qualifier
// included: callers take it off first).
std::optional<CellRect> ParseA1Range(std::wstring_view text);

// "$B$2", or "$B$2:$C$3" for a rectangle.
std::wstring FormatAbsoluteA1(const CellRect& range);
// "B2" or "B2:C3".
std::wstring FormatRelativeA1(const CellRect& range);
// "R2C2" or "R2C2:R3C3".
std::wstring FormatAbsoluteR1C1(const CellRect& range);
// A sheet name as address text writes it: quoted (with doubled apostrophes) unless it is a
// plain name that cannot be read as anything else.
std::wstring QuoteSheetName(std::wstring_view name);

}  // namespace spreadsheet
