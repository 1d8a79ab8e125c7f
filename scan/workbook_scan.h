// The whole-workbook walk: every non-blank cell of every worksheet, column by column, handed to
// a strategy. Empty stretches of a column cost one Range.End jump, not one read per cell.
#pragma once

#include <cstdint>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_pos.h"

// Told about each non-blank cell the walk meets, with its Range and its position.
class IScanWorkbook {
 public:
  virtual void ProcessCell(const ExcelObject& cell, const CellPos& position) = 0;

 protected:
  ~IScanWorkbook() = default;
};

// Excel's xlDown, the direction of the jump over blank cells.
inline constexpr LONG kDirectionDown = -4121;
// The progress message and the Stop poll come every this many cells, counted over all sheets.
inline constexpr long kScanReportEvery = 100;

// Rows a sheet of the file format can hold: 1,048,576 for the Open XML formats (51 to 54),
// 65,536 for every other format.
int32_t ScanRowLimit(int32_t fileFormat);

// Walks the sheets of the container's sheet index under a paused recalculation and a progress
// window with Stop. A Stop ends the walk before the cell at which it is noticed; what the
// strategy collected until then stays.
void ScanWorkbook(CDependencyContainer& container, IScanWorkbook& strategy);
