// The workbook-wide lists of cells: those showing an error value and those of one colour. Each
// is built by one whole-workbook walk on first need. Their cells have no children, so a request
// for a cell rather than for the list as a whole answers the empty list.
#pragma once

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// Every cell whose value is an error value, sorted; for the request position (0,0,0) only.
SharedReferenceList ErrorCells(CDependencyContainer& container, const CellPos& request);

// The cells of the colour index carried in the request's sheet field (column and row 0), in the
// order the walk met them.
SharedReferenceList FillColorCells(CDependencyContainer& container, const CellPos& request);
SharedReferenceList FontColorCells(CDependencyContainer& container, const CellPos& request);
