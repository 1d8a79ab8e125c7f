// Address text of a range.
#include "spreadsheet/objects/range_address.h"

#include "platform/char_class.h"
#include "spreadsheet/model/column_letters.h"
#include "spreadsheet/objects/a1_address.h"

namespace spreadsheet {
namespace {

std::wstring RowPart(std::int32_t row, const AddressStyle& style) {
  if (!style.r1c1) return (style.rowAbsolute ? L"$" : L"") + std::to_wstring(row);
  if (style.rowAbsolute) return L"R" + std::to_wstring(row);
  const std::int32_t offset = row - style.relativeTo.row;
  return offset == 0 ? std::wstring(L"R") : L"R[" + std::to_wstring(offset) + L"]";
}

std::wstring ColumnPart(std::int32_t column, const AddressStyle& style) {
  if (!style.r1c1) return (style.columnAbsolute ? L"$" : L"") + ColumnLetters(column);
  if (style.columnAbsolute) return L"C" + std::to_wstring(column);
  const std::int32_t offset = column - style.relativeTo.column;
  return offset == 0 ? std::wstring(L"C") : L"C[" + std::to_wstring(offset) + L"]";
}

std::wstring Join(std::wstring first, std::wstring last, bool single) {
  if (single) return first;
  return first + L":" + last;
}

bool IsPlainBookName(std::wstring_view name) {
  for (const wchar_t c : name) {
    const bool plain = IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_' || c == L'.' || c > 0x7F;
    if (!plain) return false;
  }
  return !name.empty();
}

std::wstring DoubleApostrophes(std::wstring_view text) {
  std::wstring doubled;
  for (const wchar_t c : text) {
    doubled += c;
    if (c == L'\'') doubled += L'\'';
  }
  return doubled;
}

}  // namespace

std::wstring FormatRangeAddress(const CellRect& range, const AddressStyle& style) {
  const bool allRows = range.first.row == 1 && range.last.row == kMaxRows;
  const bool allColumns = range.first.column == 1 && range.last.column == kMaxColumns;
  if (allColumns) {
    // R1C1 writes a single row once ("R2"); A1 always names both ends ("$2:$2").
    return Join(RowPart(range.first.row, style), RowPart(range.last.row, style),
                style.r1c1 && range.first.row == range.last.row);
  }
  if (allRows) {
    return Join(ColumnPart(range.first.column, style), ColumnPart(range.last.column, style),
                style.r1c1 && range.first.column == range.last.column);
  }
  auto corner = [&](CellCoord cell) {
    return style.r1c1 ? RowPart(cell.row, style) + ColumnPart(cell.column, style)
                      : ColumnPart(cell.column, style) + RowPart(cell.row, style);
  };
  return Join(corner(range.first), corner(range.last), range.IsSingleCell());
}

std::wstring ExternalAddressPrefix(std::wstring_view workbook, std::wstring_view sheet) {
  const bool quoted = QuoteSheetName(sheet) != sheet || !IsPlainBookName(workbook);
  if (!quoted) return L"[" + std::wstring(workbook) + L"]" + std::wstring(sheet) + L"!";
  return L"'[" + DoubleApostrophes(workbook) + L"]" + DoubleApostrophes(sheet) + L"'!";
}

}  // namespace spreadsheet
