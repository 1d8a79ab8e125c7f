// The used range of each sheet, read once per container, and moving positions into it so that
// whole-column and whole-row references are expanded only over cells that can hold data.
#pragma once

#include <cstdint>
#include <functional>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// The corners of the sheet's UsedRange, from the cache or read and cached. On failure nothing
// is cached and the corners are left as they were.
bool UsedRangeOf(CDependencyContainer& container, int32_t sheet, CellPos* first, CellPos* last);

// Moves a column or row outside the used range of the position's sheet to its nearest edge. A
// position inside is left untouched, as is every position when the used range cannot be read.
void ClampToUsedRange(CDependencyContainer& container, CellPos* position);
// Clamps each corner into the used range of its own sheet. False, with the corners left as they
// were, when the rectangle lies wholly outside the used range of its first corner's sheet: it
// holds no cell that can hold data, and clamping would put a cell in it that it does not hold.
bool ClampRectangle(CDependencyContainer& container, CellPos* first, CellPos* last);
// Each cell of the rectangle, corners in any order, clamped sheet by sheet into each sheet's
// used range: sheets outermost, then rows, then columns.
void ForEachUsedCell(CDependencyContainer& container, const CellPos& first, const CellPos& last,
                     const std::function<void(const CellPos&)>& visit);
