// A1 text of cells and ranges as .xlsx parts write them ("B7", "A1:C3"), appended to a buffer.
#pragma once

#include <string>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// Column letters and row number, no dollar signs. The cell must lie on the sheet.
void AppendCellReference(std::string& out, CellCoord cell);
// "A1:C3"; a single cell is written alone.
void AppendRangeReference(std::string& out, const CellRect& range);
std::string RangeReference(const CellRect& range);

}  // namespace spreadsheet
