// The whole-workbook walk.
#include "scan/workbook_scan.h"

#include <algorithm>
#include <string>
#include <utility>

#include "container/progress_relay.h"
#include "excel/cell_range.h"
#include "excel/range_members.h"
#include "excel/scope_guards.h"

namespace {

constexpr int32_t kOpenXmlRowLimit = 1048576;
constexpr int32_t kLegacyRowLimit = 65536;

// The state one walk carries from sheet to sheet.
struct CWalk {
  IScanWorkbook& strategy;
  CProgressScope& progress;
  LONG rowLimit;
  long counted = 0;
  bool stopped = false;
};

// The used range of one sheet as the walk reads it.
struct CSheetArea {
  int32_t sheet = 0;
  std::wstring name;
  ExcelObject cells;  // UsedRange.Cells: Item(row, column) counts from the used range's corner.
  LONG firstColumn = 0;
  LONG firstRow = 0;
  LONG width = 0;
  LONG height = 0;
};

bool CountOf(const ExcelObject& range, std::wstring_view member, LONG* count) {
  ExcelObject collection;
  return range.GetObject(member, &collection) && collection.GetLong(L"Count", count);
}

bool IsBlank(const VARIANT& value) {
  return value.vt <= VT_NULL;
}

bool ReadSheetArea(const CDependencyContainer& container, int32_t sheet, CSheetArea* area) {
  ExcelObject worksheet;
  ExcelObject used;
  area->sheet = sheet;
  return GetSheet(container.Worksheets(), sheet, &worksheet) &&
         worksheet.GetText(L"Name", &area->name) && worksheet.GetObject(L"UsedRange", &used) &&
         used.GetObject(L"Cells", &area->cells) && used.GetLong(L"Column", &area->firstColumn) &&
         used.GetLong(L"Row", &area->firstRow) && CountOf(used, L"Columns", &area->width) &&
         CountOf(used, L"Rows", &area->height);
}

// Counts the cell; every kScanReportEvery-th shows progress and polls Stop. False when the walk
// must end before the cell.
bool CountCell(CWalk& walk, const CSheetArea& area) {
  ++walk.counted;
  if (walk.counted % kScanReportEvery != 0) return true;
  walk.progress.SetMessage(L"Sheet '" + area.name + L"'. " + std::to_wstring(walk.counted) +
                           L" cells processed.");
  walk.stopped = walk.progress.StopRequested();
  return !walk.stopped;
}

// Whether the cell lies in a merged area, and if so the area's last row.
bool MergedAreaEnd(const ExcelObject& cell, LONG* lastRow) {
  bool merged = false;
  if (!cell.GetBool(L"MergeCells", &merged) || !merged) return false;
  ExcelObject area;
  LONG row = 0;
  LONG rows = 0;
  if (!cell.GetObject(L"MergeArea", &area) || !area.GetLong(L"Row", &row) ||
      !CountOf(area, L"Rows", &rows) || rows < 1) {
    return false;
  }
  *lastRow = row + rows - 1;
  return true;
}

// Rows of a column whose values one Value call reads.
constexpr LONG kBlockRows = 512;

bool ReadColumnBlock(const CSheetArea& area, LONG offset, LONG firstRow, LONG rows,
                     CColumnBlock* block) {
  ExcelObject top;
  ExcelObject cells;
  CVariant values;
  if (!area.cells.GetObject(L"Item", &top, {CVariant(firstRow - area.firstRow + 1),
                                            CVariant(static_cast<LONG>(offset + 1))})) {
    return false;
  }
  if (rows > 1 && !ResizeRange(top, rows, 1, &cells)) return false;
  return (rows > 1 ? cells : top).GetValue(L"Value", &values) &&
         block->Assign(std::move(values), static_cast<int32_t>(rows));
}

// Hands `count` adjacent non-blank cells from `row` to the strategy in pieces, each starting at
// a cell whose count reports progress, so that Stop ends the walk before the same cell as it
// would cell by cell.
bool HandOverRun(CWalk& walk, const CSheetArea& area, LONG offset, LONG row, int32_t count,
                 const CColumnBlock& block, int32_t at) {
  const CellPos corner{area.sheet, static_cast<int32_t>(area.firstColumn),
                       static_cast<int32_t>(area.firstRow)};
  const auto column = static_cast<int32_t>(area.firstColumn + offset);
  int32_t done = 0;
  while (done < count) {
    if (!CountCell(walk, area)) return false;
    int32_t size = 1;
    while (done + size < count && (walk.counted + 1) % kScanReportEvery != 0) {
      ++walk.counted;
      ++size;
    }
    const CellPos first{area.sheet, column, static_cast<int32_t>(row + done)};
    walk.strategy.ProcessRun(CCellRun(area.cells, corner, first, size, block, at + done));
    done += size;
  }
  return true;
}

// One column from the used range's top, a block of rows at a time: the non-blank cells of a
// block go to the strategy in runs. Below a block that ends blank, the walk jumps with
// End(xlDown), which lands on the next non-blank cell. Excel moves over a merged area as one
// block, though: from a blank-looking cell of a merged title the jump runs to the end of the
// filled cells below it, past every one of them, and a jump may stop on a merged area whose own
// cell in this column is blank, or answer its top-left cell in another column. So a jump of more
// than one row from a merged cell is not taken (the walk goes on below the area), and a landing
// that is blank or in another column is passed, not processed. A landing beyond the row limit
// is processed and ends the column.
void WalkColumn(CWalk& walk, const CSheetArea& area, LONG offset) {
  const LONG sheetColumn = area.firstColumn + offset;
  const LONG end = area.firstRow + area.height;
  CColumnBlock block;
  for (LONG next = area.firstRow; next < end && next <= walk.rowLimit;) {
    const LONG last = std::min({end - 1, static_cast<LONG>(walk.rowLimit), next + kBlockRows - 1});
    const auto rows = static_cast<int32_t>(last - next + 1);
    if (!ReadColumnBlock(area, offset, next, rows, &block)) return;
    for (int32_t index = 0; index < rows;) {
      if (IsBlank(block[index])) {
        ++index;
        continue;
      }
      int32_t runEnd = index + 1;
      while (runEnd < rows && !IsBlank(block[runEnd])) ++runEnd;
      if (!HandOverRun(walk, area, offset, next + index, runEnd - index, block, index)) return;
      index = runEnd;
    }
    if (!IsBlank(block[rows - 1])) {
      next = last + 1;
      continue;
    }
    ExcelObject current;
    ExcelObject below;
    LONG row = 0;
    if (!area.cells.GetObject(L"Item", &current, {CVariant(last - area.firstRow + 1),
                                                  CVariant(static_cast<LONG>(offset + 1))}) ||
        !current.GetObject(L"End", &below, {CVariant(kDirectionDown)}) ||
        !below.GetLong(L"Row", &row) || row <= last) {
      return;
    }
    LONG areaEnd = 0;
    if (row > last + 1 && row < end && MergedAreaEnd(current, &areaEnd)) {
      next = std::max(areaEnd, last) + 1;
      continue;
    }
    LONG landingColumn = 0;
    CVariant value;
    below.GetValue(L"Value", &value);
    next = row + 1;
    if (IsBlank(*value.Get()) || !below.GetLong(L"Column", &landingColumn) ||
        landingColumn != sheetColumn) {
      // The sheet's edge, or a cell of a merged area.
      continue;
    }
    if (!CountCell(walk, area)) return;
    walk.strategy.ProcessCell(below, {area.sheet, static_cast<int32_t>(sheetColumn),
                                      static_cast<int32_t>(row)});
  }
}

}  // namespace

bool CCellRun::Cell(int32_t index, ExcelObject* cell) const {
  return cells_.GetObject(L"Item", cell, {CVariant(static_cast<LONG>(first_.row - corner_.row + index + 1)),
                                          CVariant(static_cast<LONG>(first_.column - corner_.column + 1))});
}

bool CCellRun::Range(int32_t index, int32_t count, ExcelObject* range) const {
  ExcelObject top;
  if (!Cell(index, &top)) return false;
  if (count == 1) {
    *range = top;
    return true;
  }
  return ResizeRange(top, count, 1, range);
}

void IScanWorkbook::ProcessRun(const CCellRun& run) {
  for (int32_t index = 0; index < run.Size(); ++index) {
    ExcelObject cell;
    if (run.Cell(index, &cell)) ProcessCell(cell, run.Position(index));
  }
}

int32_t ScanRowLimit(int32_t fileFormat) {
  return fileFormat >= 51 && fileFormat <= 54 ? kOpenXmlRowLimit : kLegacyRowLimit;
}

void ScanWorkbook(CDependencyContainer& container, IScanWorkbook& strategy) {
  const RecalcPauseGuard pause(container.Application());
  CProgressScope progress(container.Progress(), L"Trelvane - analyzing workbook", L"", true);

  CWalk walk{strategy, progress, ScanRowLimit(container.FileFormat())};
  const auto sheets = static_cast<int32_t>(container.Structure().SheetSet().size());
  for (int32_t sheet = 1; sheet <= sheets && !walk.stopped; ++sheet) {
    CSheetArea area;
    if (!ReadSheetArea(container, sheet, &area)) continue;
    for (LONG offset = 0; offset < area.width && !walk.stopped; ++offset) {
      WalkColumn(walk, area, offset);
    }
  }
}
