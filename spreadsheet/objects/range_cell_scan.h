// Walking the cells of a rectangle for a read, at a cost bounded by what the sheet stores rather
// than by the rectangle's size (a whole column has a million cells, a whole sheet 17 billion).
#pragma once

#include <cstdint>

#include "spreadsheet/model/cell.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {

// Calls visit(coordinate, stored cell or nullptr) until it returns false; returns false when it
// stopped early. A rectangle no larger than the sheet's store is walked cell by cell; a larger
// one visits its stored cells, then, once, nullptr at {0, 0} standing for all of its cells that
// are not stored (blank, default format). Readers only: the visit must not change the sheet.
template <class Visit>
bool VisitRangeCells(const CWorksheet& sheet, const CellRect& range, Visit&& visit) {
  if (range.CellCount() <= static_cast<std::int64_t>(sheet.CellCount())) {
    for (std::int32_t row = range.first.row; row <= range.last.row; ++row) {
      for (std::int32_t column = range.first.column; column <= range.last.column; ++column) {
        const CellCoord cell{row, column};
        if (!visit(cell, sheet.Find(cell))) return false;
      }
    }
    return true;
  }
  std::int64_t stored = 0;
  bool going = true;
  sheet.ForEachCell([&](CellCoord cell, const Cell& content) {
    if (!going || !range.Contains(cell)) return;
    ++stored;
    going = visit(cell, &content);
  });
  if (!going) return false;
  if (stored < range.CellCount()) return visit(CellCoord{}, static_cast<const Cell*>(nullptr));
  return true;
}

}  // namespace spreadsheet
