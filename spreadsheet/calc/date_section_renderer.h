// Rendering of date and time sections of a format code (en-US names).
#pragma once

#include <string>

#include "spreadsheet/calc/format_code.h"

namespace spreadsheet {

// Appends a non-negative serial through a date section, its time rounded to the decimals of a
// second the section shows (whole seconds without them). False, appending nothing, when the
// serial is past 31 December 9999 or not a number; a section of durations alone ("[h]:mm")
// takes any number of days.
bool RenderDateSection(const FormatSection& section, double serial, bool date1904,
                       std::wstring& out);

}  // namespace spreadsheet
