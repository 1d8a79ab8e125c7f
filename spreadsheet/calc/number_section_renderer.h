// Rendering of number, scientific and fraction sections of a format code.
#pragma once

#include <string>

#include "spreadsheet/calc/format_code.h"

namespace spreadsheet {

// Appends a non-negative finite number through a section of kind Number, Scientific or Fraction;
// the caller has chosen the section and shows any sign.
void RenderNumberSection(const FormatSection& section, double magnitude, std::wstring& out);

}  // namespace spreadsheet
