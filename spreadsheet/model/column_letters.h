// Column numbers and their letters (1 is "A", 27 "AA", kMaxColumns "XFD"): the one conversion
// behind every A1 text the spreadsheet reads or writes, wide for formulas and addresses, narrow
// for the attributes of .xlsx parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/char_class.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// "XFD": no column of the sheet takes more letters.
inline constexpr std::size_t kMaxColumnLetters = 3;
// The letters of the largest std::int32_t ("FXSHRXW"), so that any column can be written, even
// one past the sheet in a message.
inline constexpr std::size_t kColumnLettersCapacity = 7;

namespace column_letters_detail {

template <typename Char>
constexpr std::optional<std::int32_t> ColumnFromLetters(std::basic_string_view<Char> letters) {
  if (letters.empty() || letters.size() > kMaxColumnLetters) return std::nullopt;
  std::int32_t column = 0;
  for (const Char c : letters) {
    if (!IsAsciiLetter(c)) return std::nullopt;
    const int digit = c >= Char{'a'} ? c - Char{'a'} : c - Char{'A'};
    column = column * 26 + digit + 1;
  }
  if (column > kMaxColumns) return std::nullopt;
  return column;
}

}  // namespace column_letters_detail

// The column that `letters` name, in either case. Nothing when they are empty, hold anything but
// ASCII letters, or name a column past the sheet's last.
constexpr std::optional<std::int32_t> ColumnFromLetters(std::wstring_view letters) {
  return column_letters_detail::ColumnFromLetters(letters);
}
constexpr std::optional<std::int32_t> ColumnFromLetters(std::string_view letters) {
  return column_letters_detail::ColumnFromLetters(letters);
}

// Writes the upper-case letters of `column` at `out` (room for kColumnLettersCapacity) and
// returns how many; none for a column below 1.
template <typename Char>
constexpr std::size_t WriteColumnLetters(std::int32_t column, Char* out) {
  Char reversed[kColumnLettersCapacity] = {};
  std::size_t count = 0;
  for (; column > 0; column = (column - 1) / 26) {
    reversed[count++] = static_cast<Char>('A' + (column - 1) % 26);
  }
  for (std::size_t i = 0; i < count; ++i) out[i] = reversed[count - 1 - i];
  return count;
}

// "A" to "XFD" for the columns of the sheet; "" for a column below 1.
inline std::wstring ColumnLetters(std::int32_t column) {
  wchar_t letters[kColumnLettersCapacity];
  return std::wstring(letters, WriteColumnLetters(column, letters));
}
inline std::string NarrowColumnLetters(std::int32_t column) {
  char letters[kColumnLettersCapacity];
  return std::string(letters, WriteColumnLetters(column, letters));
}

}  // namespace spreadsheet
