// The screen rectangle of a range: pane origin from GET.CELL, window frame from Win32.
#include "views/win32/cell_screen_rect_win32.h"

#include <cmath>
#include <limits>
#include <string>

#include "excel/range_members.h"
#include "excel/scope_guards.h"
#include "platform/win32/scoped_handles.h"

namespace {

double MacroNumber(const ExcelObject& application, const std::wstring& expression) {
  CVariant answer;
  if (!application.CallMethod(L"ExecuteExcel4Macro", &answer, {CVariant(expression)})) return 0;
  CVariant number;
  if (FAILED(answer.ChangeType(VT_R8, &number))) return 0;
  const double value = number.Get()->dblVal;
  return std::isfinite(value) ? value : 0;
}

int32_t RoundToPixels(double pixels) {
  if (!(std::fabs(pixels) < static_cast<double>(std::numeric_limits<int32_t>::max()))) return 0;
  return static_cast<int32_t>(std::lround(pixels));
}

// Which side of each split a pane lies on. Panes are counted as Excel counts them: with four,
// 1 top left, 2 top right, 3 bottom left, 4 bottom right; with two, the second is the right one
// of a vertical split and the lower one of a horizontal split.
struct PaneSide {
  bool right = false;
  bool lower = false;
};

PaneSide SideOf(LONG index, LONG paneCount, bool verticalSplit) {
  if (paneCount == 4) return {index == 2 || index == 4, index == 3 || index == 4};
  if (paneCount == 2 && index == 2) return {verticalSplit, !verticalSplit};
  return {};
}

struct WindowSplit {
  LONG paneCount = 0;
  double vertical = 0;    // points from the left of the cells to the split
  double horizontal = 0;  // points from the top of the cells to the split
};

WindowSplit ReadSplit(const ExcelObject& window) {
  WindowSplit split;
  ExcelObject panes;
  if (window.GetObject(L"Panes", &panes)) panes.GetLong(L"Count", &split.paneCount);
  if (split.paneCount > 1) {
    window.GetDouble(L"SplitVertical", &split.vertical);
    window.GetDouble(L"SplitHorizontal", &split.horizontal);
  }
  return split;
}

}  // namespace

PixelScale ScreenPixelsPerPoint() {
  static const PixelScale scale = [] {
    PixelScale read;
    CWindowDc screen(nullptr);
    if (screen.Get() != nullptr) {
      read.pixelsPerPointX = ::GetDeviceCaps(screen.Get(), LOGPIXELSX) / 72.0;
      read.pixelsPerPointY = ::GetDeviceCaps(screen.Get(), LOGPIXELSY) / 72.0;
    }
    return read;
  }();
  return scale;
}

CellOffsetPoints ExcelCellOffset(const ExcelObject& application, const ExcelObject& cell) {
  std::wstring address;
  if (!ExternalR1C1Address(cell, &address)) return {};
  return {MacroNumber(application, L"GET.CELL(42," + address + L")"),
          MacroNumber(application, L"GET.CELL(43," + address + L")")};
}

ScreenRect CellScreenRect(HWND workbookWindow, const ExcelObject& range) {
  ExcelObject application;
  if (range.IsEmpty() || !range.GetObject(L"Application", &application)) return {};
  return CellScreenRect(workbookWindow, application, range);
}

ScreenRect CellScreenRect(HWND workbookWindow, const ExcelObject& application,
                          const ExcelObject& range) {
  RECT frame{};
  RECT client{};
  if (range.IsEmpty() || ::GetWindowRect(workbookWindow, &frame) == FALSE ||
      ::GetClientRect(workbookWindow, &client) == FALSE) {
    return {};
  }
  ExcelObject sheet;
  ExcelObject workbook;
  ExcelObject windows;
  ExcelObject window;
  if (application.IsEmpty() || !range.GetObject(L"Worksheet", &sheet) ||
      !sheet.GetObject(L"Parent", &workbook) || !workbook.GetObject(L"Windows", &windows) ||
      !windows.GetObject(L"Item", &window, {CVariant(LONG{1})})) {
    return {};
  }
  PixelScale scale = ScreenPixelsPerPoint();
  ExcelObject activeWindow;
  if (application.GetObject(L"ActiveWindow", &activeWindow)) {
    activeWindow.GetDouble(L"Zoom", &scale.zoom);
  }

  const std::optional<ChosenPane> chosen = ChoosePane(application, window, range);
  if (!chosen) return {};

  // GET.CELL measures within the active pane; the chosen pane may lie across a split from it.
  ExcelObject activePane;
  ExcelObject activeVisible;
  ExcelObject originCell;
  LONG activeIndex = 0;
  CellOffsetPoints origin;
  if (window.GetObject(L"ActivePane", &activePane) &&
      activePane.GetObject(L"VisibleRange", &activeVisible) &&
      activeVisible.GetObject(L"Cells", &originCell, {CVariant(LONG{1}), CVariant(LONG{1})})) {
    activePane.GetLong(L"Index", &activeIndex);
    ScreenUpdatingGuard quiet(application);
    origin = ExcelCellOffset(application, originCell);
  }
  const WindowSplit split = ReadSplit(window);
  const bool verticalSplit = split.vertical > 0;
  const PaneSide from = SideOf(activeIndex, split.paneCount, verticalSplit);
  const PaneSide to = SideOf(chosen->index, split.paneCount, verticalSplit);
  // The split positions are in the window's own points, zoom already applied.
  origin.x += (int{to.right} - int{from.right}) * split.vertical;
  origin.y += (int{to.lower} - int{from.lower}) * split.horizontal;

  const LONG border = ((frame.right - frame.left) - (client.right - client.left)) / 2;
  const int32_t originX = frame.left + border + RoundToPixels(scale.pixelsPerPointX * origin.x);
  const int32_t originY = frame.bottom - (client.bottom - client.top) - border +
                          RoundToPixels(scale.pixelsPerPointY * origin.y);

  const ScreenRect inPane = RangeRectInPane(chosen->pane, chosen->visiblePart, scale);
  return {originX + inPane.left, originY + inPane.top, originX + inPane.right,
          originY + inPane.bottom};
}
