// The General number format: as many significant digits as fit a number of characters.
#pragma once

#include <string>

namespace spreadsheet {

// Excel shows at most this many characters of a General number, sign included.
inline constexpr int kGeneralMaxChars = 11;

// Appends a finite number in General form within maxChars characters: integers that fit as they
// are; from 1E-05 down and past the integers that fit, scientific ("1.23457E+11", "1E-11"); other
// numbers in decimals rounded to fit ("0.333333333"). False, appending nothing, when not even the
// shortest scientific form fits.
bool AppendGeneral(double value, int maxChars, std::wstring& out);

}  // namespace spreadsheet
