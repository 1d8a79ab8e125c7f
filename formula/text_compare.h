// Case-insensitive comparison of names (sheets, tables, columns, functions) as the workbook's
// users see them, the same on every platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The upper-case form of one code unit: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
// Other units, surrogates included, stay as they are, so invalid UTF-16 compares by value.
wchar_t FoldCase(wchar_t c);

bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// Hash and equality for unordered containers keyed by names; both accept views, so lookups
// allocate nothing.
struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::wstring_view text) const;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::wstring_view a, std::wstring_view b) const { return EqualsNoCase(a, b); }
};

// Exact hash that accepts views, for maps keyed by formula text.
struct ExactHash {
  using is_transparent = void;
  size_t operator()(std::wstring_view text) const { return std::hash<std::wstring_view>{}(text); }
};
struct ExactEqual {
  using is_transparent = void;
  bool operator()(std::wstring_view a, std::wstring_view b) const { return a == b; }
};
