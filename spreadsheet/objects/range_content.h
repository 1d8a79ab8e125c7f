// CRangeContent: the values and formulas of a rectangle of cells as Range.Value, Formula,
// FormulaArray, HasFormula, HasArray and the Clear methods read and write them, with the checks
// Excel makes before a write (protection, part of an array, part of a merged cell).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/automation.h"
#include "platform/variant.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/objects/range_outcome.h"

namespace spreadsheet {

// A block read answers one VARIANT per cell; larger reads fail (as Excel runs out of memory)
// instead of allocating gigabytes for a whole sheet.
constexpr std::int64_t kMaxBlockCells = std::int64_t{1} << 23;
// Writes that store every cell of a rectangle store at most this many.
constexpr std::int64_t kMaxWrittenCells = std::int64_t{1} << 22;
// Excel's limit on the characters of one cell; longer text is refused rather than cut.
constexpr std::size_t kMaxCellTextLength = 32767;
// Excel's limit on the characters of a formula.
constexpr std::size_t kMaxFormulaLength = 8192;

// Operates on the sheet it is given; holds no state beyond the rectangle. Every write checks
// everything first and changes nothing when it fails.
class CRangeContent {
 public:
  CRangeContent(CWorksheet& sheet, const CellRect& range) : sheet_(sheet), range_(range) {}

  // A single cell's value, or a two-dimensional array (rows first, lower bounds 1). Cells of a
  // merged area other than its top-left read as empty: the area's value is its first cell's.
  RangeOutcome ReadValues(CVariant* result) const;
  // "=..." for formula cells, constants as text, "" for blank; a block as an array of texts.
  RangeOutcome ReadFormulas(CVariant* result) const;
  // A scalar to every cell or an array as a block (one-dimensional arrays are one row; a single
  // row or column repeats across a larger range, other cells beyond the array get #N/A). Text
  // is read as a typed entry: "12" is the number 12, "=A1" a formula (moved to each cell when
  // one formula text is written to many).
  RangeOutcome WriteValues(const VARIANT& value);
  // The array formula text of a range inside one array; a single cell's formula (or constant)
  // outside any; null for other blocks.
  RangeOutcome ReadFormulaArray(CVariant* result) const;
  RangeOutcome WriteFormulaArray(const std::wstring& text);

  RangeOutcome ClearContents();
  RangeOutcome Clear();
  RangeOutcome ClearFormats();

  // Excel's three answers: true, false, or nothing for a range that mixes them (null).
  std::optional<bool> HasFormula() const;
  std::optional<bool> HasArray() const;
  std::optional<bool> MergeCells() const;
  // The array holding the top-left cell.
  std::optional<CellRect> CurrentArray() const;
  // The merged area holding the range, or the range itself when none does.
  CellRect MergeArea() const;

 private:
  RangeOutcome WriteScalar(const VARIANT& value);
  RangeOutcome WriteBlock(SAFEARRAY* array);
  // Array formulas that still hold their cells and overlap the range.
  std::vector<CellRect> LiveArrays() const;
  std::vector<CellRect> OverlappingMerges() const;
  bool AnyLockedCell() const;
  // Protection (locked cells, or any cell when formats change too) and partial arrays; merged
  // areas only partly inside the range too when `wholeMerges`.
  RangeOutcome CheckWritable(bool formatsChange, bool wholeMerges) const;
  bool IsHiddenByMerge(CellCoord cell, const std::vector<CellRect>& merges) const;

  CWorksheet& sheet_;
  CellRect range_;
};

}  // namespace spreadsheet
