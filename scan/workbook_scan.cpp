// The whole-workbook walk.
#include "scan/workbook_scan.h"

#include <algorithm>
#include <string>

#include "container/progress_relay.h"
#include "excel/cell_range.h"
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

bool IsBlank(const CVariant& value) {
  return value.Kind() <= VT_NULL;
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

// One column from the used range's top. A blank cell is jumped over with End(xlDown), which
// lands on the next non-blank cell. Excel moves over a merged area as one block, though: from a
// blank-looking cell of a merged title the jump runs to the end of the filled cells below it,
// past every one of them, and a jump may stop on a merged area whose own cell in this column is
// blank, or answer its top-left cell in another column. So a jump of more than one row from a
// merged cell is not taken (the walk goes on below the area), and a landing that is blank or in
// another column is passed, not processed. Jumps out of the used range need no such check, so a
// column's last jump costs nothing more than before.
void WalkColumn(CWalk& walk, const CSheetArea& area, LONG offset) {
  const CVariant column(static_cast<LONG>(offset + 1));
  const LONG sheetColumn = area.firstColumn + offset;
  ExcelObject current;
  if (!area.cells.GetObject(L"Item", &current, {CVariant(LONG{1}), column})) return;
  const LONG end = area.firstRow + area.height;
  // The last row the walk is done with; the next cell read is the one below it.
  LONG lastRow = 0;
  for (bool first = true;; first = false) {
    // A row beyond the limit still ends the column after it, so a cell reached by the jump is
    // processed wherever it lies.
    if (lastRow >= walk.rowLimit || lastRow >= end) return;
    if (!first &&
        !area.cells.GetObject(L"Item", &current, {CVariant(lastRow - area.firstRow + 2), column})) {
      return;
    }
    const LONG currentRow = first ? area.firstRow : lastRow + 1;
    CVariant value;
    current.GetValue(L"Value", &value);
    LONG row = 0;
    if (IsBlank(value)) {
      ExcelObject below;
      if (!current.GetObject(L"End", &below, {CVariant(kDirectionDown)}) ||
          !below.GetLong(L"Row", &row) || row <= currentRow) {
        return;
      }
      LONG areaEnd = 0;
      if (row > currentRow + 1 && row < end && MergedAreaEnd(current, &areaEnd)) {
        lastRow = std::max(areaEnd, currentRow);
        continue;
      }
      LONG landingColumn = 0;
      value.Clear();
      below.GetValue(L"Value", &value);
      if (IsBlank(value) || !below.GetLong(L"Column", &landingColumn) ||
          landingColumn != sheetColumn) {
        // The sheet's edge (the test at the top of the loop ends the column there), or a cell
        // of a merged area.
        lastRow = row;
        continue;
      }
      current = below;
    } else if (!current.GetLong(L"Row", &row) || row <= lastRow) {
      // A row that does not move on would walk the same cell for ever.
      return;
    }
    lastRow = row;
    if (!CountCell(walk, area)) return;
    walk.strategy.ProcessCell(current, {area.sheet, static_cast<int32_t>(sheetColumn),
                                        static_cast<int32_t>(row)});
  }
}

}  // namespace

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
