// Moving a formula's relative references, as Excel does when it fills a formula to another cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace spreadsheet {

// `text` (without "=") as it reads after moving it `rows` down and `columns` right: relative
// rows and columns of A1 references (plain, ranges, whole rows and columns, sheet-qualified)
// move, absolute ones ($) stay; text in strings, quoted sheet names, structured references,
// names and function names is left alone. A reference moved off the sheet becomes #REF!.
std::wstring ShiftFormula(std::wstring_view text, std::int32_t rows, std::int32_t columns);

}  // namespace spreadsheet
