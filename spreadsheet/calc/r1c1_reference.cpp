// R1C1 to A1: each part is read as R, C, or both, with absolute numbers or [relative] offsets.
#include "spreadsheet/calc/r1c1_reference.h"

#include <cwctype>

#include "platform/char_class.h"
#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {
namespace {

// One coordinate after its "R" or "C": a number, "[offset]", or nothing (the base's own).
std::optional<std::int32_t> ReadCoordinate(std::wstring_view text, std::size_t& pos,
                                           std::int32_t base, std::int32_t limit) {
  std::int64_t value = 0;
  if (pos < text.size() && text[pos] == L'[') {
    ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+'))
      negative = text[pos++] == L'-';
    const std::size_t start = pos;
    while (pos < text.size() && IsAsciiDigit(text[pos]) && pos - start < 8) {
      value = value * 10 + (text[pos++] - L'0');
    }
    if (pos == start || pos >= text.size() || text[pos] != L']') return std::nullopt;
    ++pos;
    value = base + (negative ? -value : value);
  } else {
    const std::size_t start = pos;
    while (pos < text.size() && IsAsciiDigit(text[pos]) && pos - start < 8) {
      value = value * 10 + (text[pos++] - L'0');
    }
    if (pos == start) value = base;
  }
  if (value < 1 || value > limit) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// One end: "R1C1", "R1", "C1"; the kind tells which parts it had.
struct End {
  std::int32_t row = 0;
  std::int32_t column = 0;
};

std::optional<End> ReadEnd(std::wstring_view text, std::size_t& pos, CellCoord base) {
  End end;
  bool any = false;
  if (pos < text.size() && std::towupper(static_cast<wint_t>(text[pos])) == L'R') {
    ++pos;
    const auto row = ReadCoordinate(text, pos, base.row, kMaxRows);
    if (!row) return std::nullopt;
    end.row = *row;
    any = true;
  }
  if (pos < text.size() && std::towupper(static_cast<wint_t>(text[pos])) == L'C') {
    ++pos;
    const auto column = ReadCoordinate(text, pos, base.column, kMaxColumns);
    if (!column) return std::nullopt;
    end.column = *column;
    any = true;
  }
  if (!any) return std::nullopt;
  return end;
}

std::wstring EndText(const End& end) {
  std::wstring text;
  if (end.column != 0) text += ColumnLetters(end.column);
  if (end.row != 0) text += std::to_wstring(end.row);
  return text;
}

}  // namespace

std::optional<std::wstring> R1C1ToA1(std::wstring_view text, CellCoord base) {
  std::wstring prefix;
  const std::size_t bang = text.rfind(L'!');
  if (bang != std::wstring_view::npos) {
    prefix = std::wstring(text.substr(0, bang + 1));
    text = text.substr(bang + 1);
  }
  std::size_t pos = 0;
  const auto first = ReadEnd(text, pos, base);
  if (!first) return std::nullopt;
  std::optional<End> last;
  if (pos < text.size() && text[pos] == L':') {
    ++pos;
    last = ReadEnd(text, pos, base);
    if (!last) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  End a = *first;
  End b = last.value_or(*first);
  // A row alone ("R2") is the whole row, a column alone ("C3") the whole column.
  const bool wholeRows = a.column == 0 && b.column == 0;
  const bool wholeColumns = a.row == 0 && b.row == 0;
  if (!wholeRows && !wholeColumns && (a.row == 0 || a.column == 0 || b.row == 0 || b.column == 0)) {
    return std::nullopt;
  }
  if (!last && !wholeRows && !wholeColumns) return prefix + EndText(a);
  if (!last) b = a;
  return prefix + EndText(a) + L":" + EndText(b);
}

}  // namespace spreadsheet
