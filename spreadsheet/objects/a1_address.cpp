// A1 address text.
#include "spreadsheet/objects/a1_address.h"

#include <algorithm>

#include "platform/char_class.h"
#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {
namespace {

struct Corner {
  std::optional<std::int32_t> column;
  std::optional<std::int32_t> row;
};

std::optional<Corner> ParseCorner(std::wstring_view text) {
  Corner corner;
  std::size_t i = 0;
  if (i < text.size() && text[i] == L'$') ++i;
  const std::size_t lettersStart = i;
  while (i < text.size() && IsAsciiLetter(text[i])) {
    if (++i - lettersStart > kMaxColumnLetters) return std::nullopt;
  }
  if (i > lettersStart) {
    corner.column = ColumnFromLetters(text.substr(lettersStart, i - lettersStart));
    if (!corner.column) return std::nullopt;
  }
  if (i < text.size() && text[i] == L'$') ++i;
  std::int64_t row = 0;
  std::size_t digits = 0;
  while (i < text.size() && IsAsciiDigit(text[i])) {
    if (++digits > 7) return std::nullopt;
    row = row * 10 + (text[i] - L'0');
    ++i;
  }
  if (digits > 0) {
    if (row < 1 || row > kMaxRows) return std::nullopt;
    corner.row = static_cast<std::int32_t>(row);
  }
  if (i != text.size() || (!corner.column && !corner.row)) return std::nullopt;
  return corner;
}

}  // namespace

std::optional<CellRect> ParseA1Range(std::wstring_view text) {
  const std::size_t colon = text.find(L':');
  const std::wstring_view firstText = text.substr(0, colon);
  const std::wstring_view lastText = colon == std::wstring_view::npos ? firstText : text.substr(colon + 1);
  const auto first = ParseCorner(firstText);
  const auto last = ParseCorner(lastText);
  if (!first || !last) return std::nullopt;
  const bool cells = first->column && first->row && last->column && last->row;
  const bool columns = colon != std::wstring_view::npos && first->column && !first->row &&
                       last->column && !last->row;
  const bool rows = colon != std::wstring_view::npos && !first->column && first->row &&
                    !last->column && last->row;
  CellRect range;
  if (cells) {
    range = {{*first->row, *first->column}, {*last->row, *last->column}};
  } else if (columns) {
    range = {{1, *first->column}, {kMaxRows, *last->column}};
  } else if (rows) {
    range = {{*first->row, 1}, {*last->row, kMaxColumns}};
  } else {
    return std::nullopt;
  }
  return CellRect{{std::min(range.first.row, range.last.row),
                   std::min(range.first.column, range.last.column)},
                  {std::max(range.first.row, range.last.row),
                   std::max(range.first.column, range.last.column)}};
}

namespace {

std::wstring CellText(CellCoord cell, bool absolute) {
  const wchar_t* dollar = absolute ? L"$" : L"";
  return dollar + ColumnLetters(cell.column) + dollar + std::to_wstring(cell.row);
}

}  // namespace

std::wstring FormatAbsoluteA1(const CellRect& range) {
  // Whole columns and rows read as Excel writes them: "$A:$C", "$2:$5".
  if (range.first.row == 1 && range.last.row == kMaxRows && range.Columns() < kMaxColumns) {
    return L"$" + ColumnLetters(range.first.column) + L":$" + ColumnLetters(range.last.column);
  }
  if (range.first.column == 1 && range.last.column == kMaxColumns && range.Rows() < kMaxRows) {
    return L"$" + std::to_wstring(range.first.row) + L":$" + std::to_wstring(range.last.row);
  }
  if (range.IsSingleCell()) return CellText(range.first, true);
  return CellText(range.first, true) + L":" + CellText(range.last, true);
}

std::wstring FormatRelativeA1(const CellRect& range) {
  if (range.IsSingleCell()) return CellText(range.first, false);
  return CellText(range.first, false) + L":" + CellText(range.last, false);
}

std::wstring FormatAbsoluteR1C1(const CellRect& range) {
  auto corner = [](CellCoord c) {
    return L"R" + std::to_wstring(c.row) + L"C" + std::to_wstring(c.column);
  };
  if (range.IsSingleCell()) return corner(range.first);
  return corner(range.first) + L":" + corner(range.last);
}

std::wstring QuoteSheetName(std::wstring_view name) {
  bool plain = !name.empty() && !IsAsciiDigit(name.front());
  for (const wchar_t c : name) {
    if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c > 0x7F)) plain = false;
  }
  // A name that reads as a cell ("A1", "R1C1") must be quoted too.
  if (plain && ParseA1Range(name)) plain = false;
  if (plain) return std::wstring(name);
  std::wstring quoted = L"'";
  for (const wchar_t c : name) {
    quoted += c;
    if (c == L'\'') quoted += L'\'';
  }
  return quoted + L"'";
}

}  // namespace spreadsheet
