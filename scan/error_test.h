// Whether a cell, or any cell of a rectangle, shows an error value, as Excel's ISERROR sees it.
#pragma once

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// One evaluation per cell for the container's life; a failed evaluation means no error.
bool IsErrorCell(CDependencyContainer& container, const CellPos& position);

// Tests only the part of the rectangle inside the used range, sheet by sheet for a 3-D range and
// row by row; true at the first error cell.
bool RangeHasError(CDependencyContainer& container, const CellPos& first, const CellPos& last);
