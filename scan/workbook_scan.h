// The whole-workbook walk: every non-blank cell of every worksheet, column by column, handed to
// a strategy. A column's values are read a block of rows at a time, and a stretch of blank cells
// below a block costs one Range.End jump, not one read per cell.
#pragma once

#include <cstdint>

#include "container/dependency_container.h"
#include "excel/column_block.h"
#include "excel/excel_object.h"
#include "formula/cell_pos.h"

// Adjacent non-blank cells of one column, top to bottom, as the walk hands them over: their
// values come with them, their Ranges are asked for only when needed.
class CCellRun {
 public:
  // `cells` is the used range's Cells (Item counts from its corner at `corner`); the run is
  // `size` cells from `first`, whose values are block[offset], block[offset + 1], ...
  CCellRun(const ExcelObject& cells, const CellPos& corner, const CellPos& first, int32_t size,
           const CColumnBlock& block, int32_t offset)
      : cells_(cells), corner_(corner), first_(first), size_(size), block_(block),
        offset_(offset) {}

  const CellPos& First() const { return first_; }
  int32_t Size() const { return size_; }
  CellPos Position(int32_t index) const { return {first_.sheet, first_.column, first_.row + index}; }
  // Range.Value of the index-th cell as the walk read it.
  const VARIANT& Value(int32_t index) const { return block_[offset_ + index]; }
  // The index-th cell's Range: one call.
  bool Cell(int32_t index, ExcelObject* cell) const;
  // `count` cells from the index-th as one Range: two calls.
  bool Range(int32_t index, int32_t count, ExcelObject* range) const;

 private:
  const ExcelObject& cells_;
  CellPos corner_;
  CellPos first_;
  int32_t size_;
  const CColumnBlock& block_;
  int32_t offset_;
};

// Told about each non-blank cell the walk meets, with its Range and its position.
class IScanWorkbook {
 public:
  virtual void ProcessCell(const ExcelObject& cell, const CellPos& position) = 0;
  // The walk hands over cells in runs; a strategy that can read a run in a few calls overrides
  // this. By default each cell goes to ProcessCell with its own Range.
  virtual void ProcessRun(const CCellRun& run);

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
