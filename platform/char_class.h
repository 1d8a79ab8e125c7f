// ASCII digits and letters, alike in every locale and on every platform. Formula, address and
// number text is read with these on purpose: <cwctype> answers by the process locale, and on
// Windows counts other scripts' digits as digits too, which no reference or number may hold.
#pragma once

// Any character type: char for file attributes, wchar_t for the system's text.
template <typename Char>
constexpr bool IsAsciiDigit(Char c) {
  return c >= Char{'0'} && c <= Char{'9'};
}

template <typename Char>
constexpr bool IsAsciiLetter(Char c) {
  return (c >= Char{'A'} && c <= Char{'Z'}) || (c >= Char{'a'} && c <= Char{'z'});
}

// The blanks a formula may hold between its tokens: space, tab and line breaks.
template <typename Char>
constexpr bool IsFormulaBlank(Char c) {
  return c == Char{' '} || c == Char{'\t'} || c == Char{'\r'} || c == Char{'\n'};
}
