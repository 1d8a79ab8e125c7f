// Skipping the spans of formula text that hold no references: quoted text ("..." and
// '...' with doubled quotes) and bracketed structured references, nested as they nest
// ("Table[[#This Row],[A]]"). Shared by every scanner that rewrites formula text.
#pragma once

#include <cstddef>
#include <string_view>

namespace spreadsheet {

// The index just past the quoted span opening at `i`, or the end of unterminated text.
inline std::size_t SkipQuoted(std::wstring_view text, std::size_t i, wchar_t quote) {
  ++i;
  while (i < text.size()) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return i;
}

// The index just past the bracketed span opening at `i`, or the end of unterminated text.
inline std::size_t SkipBrackets(std::wstring_view text, std::size_t i) {
  int depth = 0;
  while (i < text.size()) {
    if (text[i] == L'\'' && depth > 0 && i + 1 < text.size()) {
      i += 2;  // An apostrophe escapes the next character inside a structured reference.
      continue;
    }
    if (text[i] == L'[') ++depth;
    if (text[i] == L']' && --depth == 0) return i + 1;
    ++i;
  }
  return i;
}

}  // namespace spreadsheet
