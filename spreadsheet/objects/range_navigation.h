// Range.End: where Ctrl+arrow moves from a cell.
#pragma once

#include <cstdint>
#include <optional>

#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {

// Excel's XlDirection numbers.
enum class Direction : std::int32_t { Up = -4162, Down = -4121, ToLeft = -4159, ToRight = -4161 };
std::optional<Direction> DirectionOf(std::int32_t value);

// From a non-blank cell whose neighbour in the direction is non-blank: the last non-blank cell
// of that run. Otherwise the next non-blank cell in the direction, or the sheet's edge when there
// is none. A cell is non-blank when it holds a value or a formula. A merged area counts as one
// block, non-blank when its top-left cell is: a movement from any of its cells starts at its far
// side, so from a merged title with filled cells below it runs to the end of those cells. The
// answer stays in the row or column of `from`. The walk never leaves the used range except to
// jump to the edge or to a merged block, so it costs at most the used range's length.
CellCoord EndOf(const CWorksheet& sheet, CellCoord from, Direction direction);

}  // namespace spreadsheet
