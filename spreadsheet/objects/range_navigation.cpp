// Ctrl+arrow movement.
#include "spreadsheet/objects/range_navigation.h"

#include <vector>

namespace spreadsheet {
namespace {

bool IsNonBlank(const CWorksheet& sheet, CellCoord cell) {
  const Cell* stored = sheet.Find(cell);
  return stored != nullptr && !stored->IsBlank();
}

// A merged area that crosses the line of the movement, by its extent along the line. It moves
// as one block, filled when its top-left cell is, whatever its other cells hold.
struct LineBlock {
  std::int32_t low;
  std::int32_t high;
  bool filled;
};

// One row or column, from a cell in one direction.
class CLine {
 public:
  CLine(const CWorksheet& sheet, CellCoord from, Direction direction)
      : sheet_(sheet),
        from_(from),
        vertical_(direction == Direction::Up || direction == Direction::Down),
        step_(direction == Direction::Down || direction == Direction::ToRight ? 1 : -1) {
    for (const CellRect& merge : sheet.Merges()) {
      const bool crosses =
          vertical_ ? merge.first.column <= from.column && from.column <= merge.last.column
                    : merge.first.row <= from.row && from.row <= merge.last.row;
      if (!crosses) continue;
      blocks_.push_back({vertical_ ? merge.first.row : merge.first.column,
                         vertical_ ? merge.last.row : merge.last.column,
                         IsNonBlank(sheet, merge.first)});
    }
  }

  bool Vertical() const { return vertical_; }
  std::int32_t Step() const { return step_; }
  std::int32_t Edge() const { return step_ > 0 ? (vertical_ ? kMaxRows : kMaxColumns) : 1; }
  std::int32_t Start() const { return vertical_ ? from_.row : from_.column; }
  CellCoord At(std::int32_t position) const {
    return vertical_ ? CellCoord{position, from_.column} : CellCoord{from_.row, position};
  }

  const LineBlock* BlockAt(std::int32_t position) const {
    for (const LineBlock& block : blocks_) {
      if (block.low <= position && position <= block.high) return &block;
    }
    return nullptr;
  }
  bool Filled(std::int32_t position) const {
    if (const LineBlock* block = BlockAt(position)) return block->filled;
    return IsNonBlank(sheet_, At(position));
  }
  // The far side of a merged block in the direction of the movement.
  std::int32_t FarSide(const LineBlock& block) const { return step_ > 0 ? block.high : block.low; }

  // The nearest filled merged block beyond `position`, by its near side.
  std::optional<std::int32_t> NearestFilledBlock(std::int32_t position) const {
    std::optional<std::int32_t> nearest;
    for (const LineBlock& block : blocks_) {
      if (!block.filled) continue;
      const std::int32_t side = step_ > 0 ? block.low : block.high;
      if ((side - position) * step_ <= 0) continue;
      if (!nearest || (side - *nearest) * step_ < 0) nearest = side;
    }
    return nearest;
  }

 private:
  const CWorksheet& sheet_;
  CellCoord from_;
  bool vertical_;
  std::int32_t step_;
  std::vector<LineBlock> blocks_;
};

// The nearest filled cell beyond `start` that no merged block covers.
std::optional<std::int32_t> NearestFilledCell(const CWorksheet& sheet, const CLine& line,
                                              std::int32_t start) {
  const std::int32_t step = line.Step();
  if (line.Vertical() && step > 0) {
    // Column bottoms bound the search, so a long blank stretch costs nothing.
    std::optional<CellCoord> next = sheet.NextNonBlankBelow(line.At(start));
    while (next) {
      const LineBlock* block = line.BlockAt(next->row);
      if (block == nullptr) return next->row;
      next = sheet.NextNonBlankBelow(line.At(block->high));
    }
    return std::nullopt;
  }
  // Cells outside the used range are blank, so walks stay inside it.
  const auto used = sheet.UsedRange();
  if (!used) return std::nullopt;
  const std::int32_t usedFirst = line.Vertical() ? used->first.row : used->first.column;
  const std::int32_t usedLast = line.Vertical() ? used->last.row : used->last.column;
  std::int32_t position = start + step;
  if (step < 0 && position > usedLast) position = usedLast;
  while (step > 0 ? position <= usedLast : position >= usedFirst && position >= 1) {
    if (const LineBlock* block = line.BlockAt(position)) {
      position = line.FarSide(*block) + step;
      continue;
    }
    if (IsNonBlank(sheet, line.At(position))) return position;
    position += step;
  }
  return std::nullopt;
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
  const CLine line(sheet, from, direction);
  const std::int32_t step = line.Step();
  const std::int32_t edge = line.Edge();
  std::int32_t start = line.Start();
  bool startFilled = false;
  if (const LineBlock* own = line.BlockAt(start)) {
    // A cell of a merged area moves from the area's far side, as the area itself does.
    start = line.FarSide(*own);
    startFilled = own->filled;
  } else {
    startFilled = IsNonBlank(sheet, from);
  }
  if (start == edge) return line.At(start);

  if (startFilled && line.Filled(start + step)) {
    std::int32_t position = start + step;
    while (position != edge && line.Filled(position + step)) position += step;
    return line.At(position);
  }
  std::optional<std::int32_t> nearest = NearestFilledCell(sheet, line, start);
  if (const auto block = line.NearestFilledBlock(start)) {
    if (!nearest || (*block - *nearest) * step < 0) nearest = block;
  }
  return line.At(nearest ? *nearest : edge);
}

}  // namespace spreadsheet
