// A1 references of spreadsheet XML attributes.
#include "spreadsheet/xlsx/reader_cell_reference.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/char_class.h"
#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {

ParsedCell ParseCellReference(std::string_view text) {
  ParsedCell parsed;
  std::size_t i = 0;
  const std::size_t size = text.size();
  if (i < size && text[i] == '$') ++i;
  const std::size_t lettersStart = i;
  while (i < size && IsAsciiLetter(text[i]) && i - lettersStart < 8) ++i;
  const std::size_t letters = i - lettersStart;
  const std::optional<std::int32_t> column = ColumnFromLetters(text.substr(lettersStart, letters));
  if (i < size && text[i] == '$') ++i;
  std::int64_t row = 0;
  std::size_t digits = 0;
  while (i < size && IsAsciiDigit(text[i]) && digits < 12) {
    row = row * 10 + (text[i] - '0');
    ++i;
    ++digits;
  }
  if (letters == 0 || digits == 0 || i != size) return parsed;  // Malformed.
  parsed.status = ReferenceStatus::OffSheet;
  if (!column || row < 1 || row > kMaxRows) return parsed;
  parsed.status = ReferenceStatus::Ok;
  parsed.cell = {static_cast<std::int32_t>(row), *column};
  return parsed;
}

ParsedRange ParseRangeReference(std::string_view text) {
  ParsedRange parsed;
  const std::size_t colon = text.find(':');
  const ParsedCell first = ParseCellReference(text.substr(0, colon));
  const ParsedCell last =
      colon == std::string_view::npos ? first : ParseCellReference(text.substr(colon + 1));
  if (first.status == ReferenceStatus::Malformed || last.status == ReferenceStatus::Malformed) {
    return parsed;
  }
  if (first.status == ReferenceStatus::OffSheet || last.status == ReferenceStatus::OffSheet) {
    parsed.status = ReferenceStatus::OffSheet;
    return parsed;
  }
  parsed.status = ReferenceStatus::Ok;
  parsed.range = {{std::min(first.cell.row, last.cell.row),
                   std::min(first.cell.column, last.cell.column)},
                  {std::max(first.cell.row, last.cell.row),
                   std::max(first.cell.column, last.cell.column)}};
  return parsed;
}

std::string CellText(CellCoord cell) {
  return NarrowColumnLetters(cell.column) + std::to_string(cell.row);
}

std::string RangeText(const CellRect& range) {
  return range.IsSingleCell() ? CellText(range.first)
                              : CellText(range.first) + ":" + CellText(range.last);
}

}  // namespace spreadsheet
