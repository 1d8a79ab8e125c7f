// The texts of a tree item's columns, which the fillers keep joined by tabs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Column `index` (from 0) of a tab-joined item text; empty past the last.
inline std::wstring ItemField(const std::wstring& text, size_t index) {
  size_t begin = 0;
  for (size_t i = 0; i < index; ++i) {
    begin = text.find(L'\t', begin);
    if (begin == std::wstring::npos) return {};
    ++begin;
  }
  const size_t end = text.find(L'\t', begin);
  return text.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

// The first `count` columns; tabs past the last column stay in its text.
inline std::vector<std::wstring> ItemFields(const std::wstring& text, size_t count) {
  std::vector<std::wstring> fields(1);
  for (const wchar_t c : text) {
    if (c == L'\t' && fields.size() < count) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  fields.resize(count);
  return fields;
}
