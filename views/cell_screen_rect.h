// The part of a range's screen rectangle that Excel's object model gives by itself: the pane that
// shows most of the range, and where the range lies in pixels from that pane's first visible cell.
#pragma once

#include <optional>

#include "excel/excel_object.h"
#include "views/container_view.h"

struct ChosenPane {
  ExcelObject pane;
  LONG index = 0;
  // The part of the range that the pane shows.
  ExcelObject visiblePart;
};

// Of Window.Panes, the pane whose visible cells hold most of the range (by Count), a tie going
// to the active pane. Nothing when no pane shows any of it.
std::optional<ChosenPane> ChoosePane(const ExcelObject& application, const ExcelObject& window,
                                     const ExcelObject& range);

// Screen resolution and the window's zoom (in percent).
struct PixelScale {
  double pixelsPerPointX = 0;
  double pixelsPerPointY = 0;
  double zoom = 0;
};

// The range's rectangle in pixels relative to the top-left corner of the pane's first visible
// cell. Columns and rows before the range are converted one by one (each truncated, as Excel
// draws them), the range's own width and height once. A read that fails counts as 0. The range
// is the pane's part of it (ChosenPane::visiblePart): only the pane's visible columns and rows
// are summed.
ScreenRect RangeRectInPane(const ExcelObject& pane, const ExcelObject& range,
                           const PixelScale& scale);
