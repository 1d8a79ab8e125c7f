// Collecting one cell's formula into the formula index, shared by the whole-workbook walk and
// the on-demand lookups of the precedent trees.
#pragma once

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_pos.h"
#include "scan/workbook_scan.h"

// Reads the formula of `cell` (the Range at `position`) and stores its references under the
// formula's own cell, the first cell of its array when it has one. Cells without a formula,
// later cells of a recorded array, cells collected already and formulas that cannot be read or
// parsed leave the index as it was.
void CollectCellFormula(CDependencyContainer& container, const ExcelObject& cell,
                        const CellPos& position);

// CollectCellFormula for every cell of the run, reading a stretch of formula cells outside array
// formulas with three calls (HasFormula, HasArray, Formula) instead of three per cell. A stretch
// that mixes formulas and constants is split in halves until each half is uniform.
void CollectRunFormulas(CDependencyContainer& container, const CCellRun& run);

// Collects the cell's formula unless the whole workbook or the cell was collected already.
void EnsureCellCollected(CDependencyContainer& container, const CellPos& cell);

// The first cell of the first recorded array range holding the cell, or the cell itself.
CellPos ArrayOriginOf(const CDependencyContainer& container, const CellPos& cell);
