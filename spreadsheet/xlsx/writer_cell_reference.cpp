// A1 text of cells and ranges.
#include "spreadsheet/xlsx/writer_cell_reference.h"

#include <array>
#include <charconv>

namespace spreadsheet {

void AppendCellReference(std::string& out, CellCoord cell) {
  std::array<char, 16> text{};
  std::size_t letters = 0;
  std::array<char, 4> reversed{};
  for (std::int32_t column = cell.column; column > 0 && letters < reversed.size();
       column = (column - 1) / 26) {
    reversed[letters++] = static_cast<char>('A' + (column - 1) % 26);
  }
  std::size_t length = 0;
  while (letters > 0) text[length++] = reversed[--letters];
  const auto [end, error] =
      std::to_chars(text.data() + length, text.data() + text.size(), cell.row);
  out.append(text.data(), static_cast<std::size_t>(end - text.data()));
}

void AppendRangeReference(std::string& out, const CellRect& range) {
  AppendCellReference(out, range.first);
  if (range.IsSingleCell()) return;
  out += ':';
  AppendCellReference(out, range.last);
}

std::string RangeReference(const CellRect& range) {
  std::string text;
  AppendRangeReference(text, range);
  return text;
}

}  // namespace spreadsheet
