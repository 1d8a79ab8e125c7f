// Where a range's cells lie on the screen inside Excel's workbook window: the pane that shows
// most of them, the pane's first visible cell placed by Excel 4 macro functions, and the columns
// and rows in between.
#pragma once

#include <windows.h>

#include "excel/excel_object.h"
#include "views/cell_screen_rect.h"
#include "views/container_view.h"

// The screen's pixels per point (LOGPIXELSX and LOGPIXELSY over 72), read once for the process;
// the zoom is left 0.
PixelScale ScreenPixelsPerPoint();

// The range's rectangle in screen pixels inside `workbookWindow` (Excel's "EXCEL7" window of the
// range's workbook); all zero when no pane shows any of it or the window cannot be measured.
ScreenRect CellScreenRect(HWND workbookWindow, const ExcelObject& range);
// The same with the Application the caller holds, for the macro functions (the range's own
// Application property may answer another object for the same application).
ScreenRect CellScreenRect(HWND workbookWindow, const ExcelObject& application,
                          const ExcelObject& range);

// What GET.CELL(42) and GET.CELL(43) answer for a cell: its distance in points from the left and
// top of the workbook window's client area as drawn.
struct CellOffsetPoints {
  double x = 0;
  double y = 0;
};
// The distance of `cell`, through Application.ExecuteExcel4Macro; a failed read counts as 0.
CellOffsetPoints ExcelCellOffset(const ExcelObject& application, const ExcelObject& cell);
