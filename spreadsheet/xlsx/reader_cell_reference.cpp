// A1 references of spreadsheet XML attributes.
#include "spreadsheet/xlsx/reader_cell_reference.h"

#include <algorithm>
#include <cstdint>

namespace spreadsheet {

ParsedCell ParseCellReference(std::string_view text) {
  ParsedCell parsed;
  std::size_t i = 0;
  const std::size_t size = text.size();
  if (i < size && text[i] == '$') ++i;
  std::int64_t column = 0;
  std::size_t letters = 0;
  while (i < size && letters < 8) {
    const char c = text[i];
    if (c >= 'A' && c <= 'Z') {
      column = column * 26 + (c - 'A' + 1);
    } else if (c >= 'a' && c <= 'z') {
      column = column * 26 + (c - 'a' + 1);
    } else {
      break;
    }
    ++i;
    ++letters;
  }
  if (i < size && text[i] == '$') ++i;
  std::int64_t row = 0;
  std::size_t digits = 0;
  while (i < size && text[i] >= '0' && text[i] <= '9' && digits < 12) {
    row = row * 10 + (text[i] - '0');
    ++i;
    ++digits;
  }
  if (letters == 0 || digits == 0 || i != size) return parsed;  // Malformed.
  parsed.status = ReferenceStatus::OffSheet;
  if (letters > 3 || column > kMaxColumns || row < 1 || row > kMaxRows) return parsed;
  parsed.status = ReferenceStatus::Ok;
  parsed.cell = {static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)};
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
  std::string letters;
  for (std::int32_t column = cell.column; column > 0; column = (column - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  }
  return letters + std::to_string(cell.row);
}

std::string RangeText(const CellRect& range) {
  return range.IsSingleCell() ? CellText(range.first)
                              : CellText(range.first) + ":" + CellText(range.last);
}

}  // namespace spreadsheet
