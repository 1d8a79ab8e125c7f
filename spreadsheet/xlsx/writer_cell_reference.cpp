// A1 text of cells and ranges.
#include "spreadsheet/xlsx/writer_cell_reference.h"

#include <array>
#include <charconv>

#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {

void AppendCellReference(std::string& out, CellCoord cell) {
  // Letters, then the digits of any std::int32_t row with its sign.
  std::array<char, kColumnLettersCapacity + 11> text{};
  const std::size_t length = WriteColumnLetters(cell.column, text.data());
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
