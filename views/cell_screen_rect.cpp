// Choosing the pane and summing the column widths and row heights in pixels.
#include "views/cell_screen_rect.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "excel/range_members.h"

namespace {

int32_t ToPixels(double points, double pixelsPerPoint, double zoom) {
  const double pixels = std::trunc(points * pixelsPerPoint * zoom / 100.0);
  // Anything out of int32's reach (a broken read) counts as nothing, not as undefined.
  if (!(std::fabs(pixels) < static_cast<double>(std::numeric_limits<int32_t>::max()))) return 0;
  return static_cast<int32_t>(pixels);
}

// The pixels of the columns (or rows) from `first` up to, not including, `stop`, each read off
// the visible range's own cells: Cells(1, k) for columns, Cells(k, 1) for rows. Only the visible
// ones count, so a range placed far beyond the pane costs no more than the pane's own cells.
int32_t SumBefore(const ExcelObject& visible, LONG first, LONG stop, bool columns,
                  double pixelsPerPoint, double zoom) {
  ExcelObject lines;
  LONG shown = 0;
  if (visible.GetObject(columns ? L"Columns" : L"Rows", &lines)) lines.GetLong(L"Count", &shown);
  const LONG counted = std::min(stop - first, shown);
  int32_t total = 0;
  for (LONG k = 1; k <= counted; ++k) {
    ExcelObject cell;
    const bool found = columns ? visible.GetObject(L"Cells", &cell, {CVariant(LONG{1}), CVariant(k)})
                               : visible.GetObject(L"Cells", &cell, {CVariant(k), CVariant(LONG{1})});
    double points = 0;
    if (found) cell.GetDouble(columns ? L"Width" : L"Height", &points);
    total += ToPixels(points, pixelsPerPoint, zoom);
  }
  return total;
}

}  // namespace

std::optional<ChosenPane> ChoosePane(const ExcelObject& application, const ExcelObject& window,
                                     const ExcelObject& range) {
  ExcelObject panes;
  if (!window.GetObject(L"Panes", &panes)) return std::nullopt;
  LONG count = 0;
  panes.GetLong(L"Count", &count);
  LONG activeIndex = 0;
  ExcelObject active;
  if (window.GetObject(L"ActivePane", &active)) active.GetLong(L"Index", &activeIndex);

  std::optional<ChosenPane> best;
  LONG bestCells = 0;
  for (LONG index = 1; index <= count; ++index) {
    ExcelObject pane;
    ExcelObject visible;
    ExcelObject common;
    if (!panes.GetObject(L"Item", &pane, {CVariant(index)}) ||
        !pane.GetObject(L"VisibleRange", &visible) ||
        !IntersectRanges(application, range, visible, &common)) {
      continue;
    }
    LONG cells = 0;
    common.GetLong(L"Count", &cells);
    if (cells <= 0) continue;
    if (!best || cells > bestCells || (cells == bestCells && index == activeIndex)) {
      best = ChosenPane{pane, index, common};
      bestCells = cells;
    }
  }
  return best;
}

ScreenRect RangeRectInPane(const ExcelObject& pane, const ExcelObject& range,
                           const PixelScale& scale) {
  ExcelObject visible;
  pane.GetObject(L"VisibleRange", &visible);
  LONG firstColumn = 0;
  LONG firstRow = 0;
  LONG rangeColumn = 0;
  LONG rangeRow = 0;
  if (!visible.IsEmpty()) {
    visible.GetLong(L"Column", &firstColumn);
    visible.GetLong(L"Row", &firstRow);
  }
  range.GetLong(L"Column", &rangeColumn);
  range.GetLong(L"Row", &rangeRow);
  double width = 0;
  double height = 0;
  range.GetDouble(L"Width", &width);
  range.GetDouble(L"Height", &height);

  ScreenRect rect;
  if (!visible.IsEmpty() && rangeColumn > firstColumn) {
    rect.left = SumBefore(visible, firstColumn, rangeColumn, true, scale.pixelsPerPointX,
                          scale.zoom);
  }
  if (!visible.IsEmpty() && rangeRow > firstRow) {
    rect.top = SumBefore(visible, firstRow, rangeRow, false, scale.pixelsPerPointY, scale.zoom);
  }
  rect.right = rect.left + ToPixels(width, scale.pixelsPerPointX, scale.zoom);
  rect.bottom = rect.top + ToPixels(height, scale.pixelsPerPointY, scale.zoom);
  return rect;
}
