// Ctrl+arrow movement.
#include "spreadsheet/objects/range_navigation.h"

namespace spreadsheet {
namespace {

bool IsNonBlank(const CWorksheet& sheet, CellCoord cell) {
  const Cell* stored = sheet.Find(cell);
  return stored != nullptr && !stored->IsBlank();
}

}  // namespace

std::optional<Direction> DirectionOf(std::int32_t value) {
  for (const Direction d :
       {Direction::Up, Direction::Down, Direction::ToLeft, Direction::ToRight}) {
    if (static_cast<std::int32_t>(d) == value) return d;
  }
  return std::nullopt;
}

CellCoord EndOf(const CWorksheet& sheet, CellCoord from, Direction direction) {
  const bool vertical = direction == Direction::Up || direction == Direction::Down;
  const std::int32_t step =
      direction == Direction::Down || direction == Direction::ToRight ? 1 : -1;
  const std::int32_t edge = step > 0 ? (vertical ? kMaxRows : kMaxColumns) : 1;
  auto at = [&](std::int32_t position) {
    return vertical ? CellCoord{position, from.column} : CellCoord{from.row, position};
  };
  const std::int32_t start = vertical ? from.row : from.column;
  if (start == edge) return from;

  // Cells outside the used range are blank, so walks stay inside it.
  const auto used = sheet.UsedRange();
  const std::int32_t usedFirst = used ? (vertical ? used->first.row : used->first.column) : 1;
  const std::int32_t usedLast = used ? (vertical ? used->last.row : used->last.column) : 0;

  if (IsNonBlank(sheet, from) && IsNonBlank(sheet, at(start + step))) {
    std::int32_t position = start + step;
    while (position != edge && IsNonBlank(sheet, at(position + step))) position += step;
    return at(position);
  }
  if (direction == Direction::Down) {
    if (const auto next = sheet.NextNonBlankBelow(from)) return *next;
    return at(edge);
  }
  std::int32_t position = start + step;
  if (step > 0) {
    for (; position <= usedLast; ++position) {
      if (IsNonBlank(sheet, at(position))) return at(position);
    }
  } else {
    if (position > usedLast) position = usedLast;
    for (; position >= usedFirst && position >= 1; --position) {
      if (IsNonBlank(sheet, at(position))) return at(position);
    }
  }
  return at(edge);
}

}  // namespace spreadsheet
