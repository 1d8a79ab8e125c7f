// Numbers as text in English (United States) conventions, as the automation conversions read
// and write them: thousands separators, currency sign, parentheses and trailing signs on input;
// 15 significant digits on output.
#pragma once

#include <string>
#include <string_view>

#include "platform/stand_in/oleauto.h"

namespace stand_in {

struct NumberText {
  bool radix = false;       // Written in hexadecimal (&H) or octal (&O): `bits` holds the value.
  ULONGLONG bits = 0;
  double value = 0.0;       // Every other number.
};

// S_OK, DISP_E_TYPEMISMATCH for text that is not a number, DISP_E_OVERFLOW when out of range.
HRESULT ParseNumberText(std::wstring_view text, NumberText* number);

// The shortest general form with `digits` significant digits ("0.1", "1E+20"); never "-0".
std::wstring FormatReal(double value, int digits);

}  // namespace stand_in
