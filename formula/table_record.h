// TableRecord and TableColumnRecord: what the parser knows about one table (list object).
#pragma once

#include <string>
#include <vector>

#include "formula/cell_rect.h"

struct TableColumnRecord {
  CellRect dataBody;  // ListColumn.DataBodyRange
  std::wstring name;  // ListColumn.Name
};

// A part that could not be read keeps a zero rectangle. A table without a header row has the
// whole rectangle as its header row, and likewise without a totals row.
struct TableRecord {
  CellRect whole;                          // ListObject.Range
  CellRect dataBody;                       // ListObject.DataBodyRange
  CellRect headerRow;                      // ListObject.HeaderRowRange
  CellRect totalsRow;                      // ListObject.TotalsRowRange
  std::wstring name;                       // ListObject.Name
  std::vector<TableColumnRecord> columns;  // in ListColumns order
};
