// Where selected cells lie on the screen and how a trace window steps off them, against the
// host's own window layout: GET.CELL through ExecuteExcel4Macro, zoom, scrolling, headings,
// split and frozen panes, and the window moved below, above, left or right of the cells.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "tests/excel_host/excel4_macros.h"
#include "tests/excel_host/excel_host.h"
#include "views/win32/cell_screen_rect_win32.h"
#include "views/win32/move_aside_window.h"

namespace {

using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

class CAsideTestWindow final : public CWindowBase {};

void ExpectNear(const ScreenRect& expected, const ScreenRect& actual) {
  // One pixel for rounding the point sums in another order.
  EXPECT_NEAR(expected.left, actual.left, 1);
  EXPECT_NEAR(expected.top, actual.top, 1);
  EXPECT_NEAR(expected.right, actual.right, 1);
  EXPECT_NEAR(expected.bottom, actual.bottom, 1);
}

}  // namespace

class HostCellRectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.IsValid());
    host.OpenWorkbook();
    application = ExcelObject(host.ApplicationDispatch());
    window = GetObjectOf(host.ApplicationDispatch(), L"ActiveWindow");
    ASSERT_TRUE(window);
  }

  void PutWindow(const wchar_t* member, const CVariant& value) {
    ASSERT_EQ(S_OK, Put(window.Get(), member, value).hr) << member;
  }

  ExcelObject RangeOf(const wchar_t* address) const {
    return ExcelObject(host.Range(1, address).Get());
  }

  // The rectangle as the host lays the window out, in points converted once: headings, the
  // split before the pane, then the cells from the pane's first visible one.
  ScreenRect ExpectedRect(const wchar_t* address, long pane, bool rightOfSplit,
                          bool belowSplit) const {
    const double zoom = Get(window.Get(), L"Zoom").Double() / 100.0;
    const bool headings = Get(window.Get(), L"DisplayHeadings").Bool();
    const CComPtr<IDispatch> panes = GetObjectOf(window.Get(), L"Panes");
    const CComPtr<IDispatch> visible = GetObjectOf(
        GetObjectOf(panes.Get(), L"Item", {Arg(static_cast<int>(pane))}).Get(), L"VisibleRange");
    const CComPtr<IDispatch> range = host.Range(1, address);
    const double x =
        (headings ? kHostRowHeadingWidth * zoom : 0.0) +
        (rightOfSplit ? Get(window.Get(), L"SplitVertical").Double() : 0.0) +
        zoom * (Get(range.Get(), L"Left").Double() - Get(visible.Get(), L"Left").Double());
    const double y =
        (headings ? kHostColumnHeadingHeight * zoom : 0.0) +
        (belowSplit ? Get(window.Get(), L"SplitHorizontal").Double() : 0.0) +
        zoom * (Get(range.Get(), L"Top").Double() - Get(visible.Get(), L"Top").Double());
    const PixelScale screen = ScreenPixelsPerPoint();
    POINT client{0, 0};
    ::ClientToScreen(host.MainWindow().Sheet(), &client);
    const auto px = [](double points, double scale) {
      return static_cast<int32_t>(std::lround(points * scale));
    };
    const int32_t left = client.x + px(x, screen.pixelsPerPointX);
    const int32_t top = client.y + px(y, screen.pixelsPerPointY);
    return {left, top,
            left + px(zoom * Get(range.Get(), L"Width").Double(), screen.pixelsPerPointX),
            top + px(zoom * Get(range.Get(), L"Height").Double(), screen.pixelsPerPointY)};
  }

  CExcelHost host;
  ExcelObject application;
  CComPtr<IDispatch> window;
};

TEST(HostExcel4Macros, ReadsExternalR1C1CellsAndRefusesWhatIsNotOne) {
  struct Case {
    const wchar_t* text;
    bool valid;
    const wchar_t* workbook;
    const wchar_t* sheet;
    int row;
    int column;
  };
  for (const Case& c : {Case{L"[Book1.xlsx]Sheet1!R3C2", true, L"Book1.xlsx", L"Sheet1", 3, 2},
                        Case{L"'[My Book.xlsx]It''s here'!R10C20:R12C22", true, L"My Book.xlsx",
                             L"It's here", 10, 20},
                        Case{L"Sheet1!R3C2", false, L"", L"", 0, 0},
                        Case{L"[Book1.xlsx]Sheet1!C2", false, L"", L"", 0, 0},
                        Case{L"[Book1.xlsx]Sheet1!R0C2", false, L"", L"", 0, 0},
                        Case{L"[Book1.xlsx]Sheet1!R1048577C1", false, L"", L"", 0, 0},
                        Case{L"[Book1.xlsx]Sheet1!R99999999999C1", false, L"", L"", 0, 0}}) {
    SCOPED_TRACE(c.text);
    const std::optional<ExternalCell> cell = ParseExternalCell(c.text);
    ASSERT_EQ(c.valid, cell.has_value());
    if (!cell) continue;
    EXPECT_EQ(c.workbook, cell->workbook);
    EXPECT_EQ(c.sheet, cell->sheet);
    EXPECT_EQ(c.row, cell->cell.row);
    EXPECT_EQ(c.column, cell->cell.column);
  }
}

TEST_F(HostCellRectTest, GetCellAnswersDistancesFromTheActivePaneAndValueErrorOtherwise) {
  const auto macro = [&](const wchar_t* text) {
    return test_support::Call(host.ApplicationDispatch(), L"ExecuteExcel4Macro", {Arg(text)});
  };
  // Headings, then two default columns (48 points) and three rows (15 points).
  EXPECT_DOUBLE_EQ(kHostRowHeadingWidth + 96.0,
                   macro(L"GET.CELL(42,[Book1.xlsx]Sheet1!R4C3)").Double());
  EXPECT_DOUBLE_EQ(kHostColumnHeadingHeight + 45.0,
                   macro(L"get.cell(43, [book1.xlsx]sheet1!R4C3)").Double());
  PutWindow(L"ScrollColumn", Arg(4));
  EXPECT_DOUBLE_EQ(kHostRowHeadingWidth - 48.0,
                   macro(L"GET.CELL(42,[Book1.xlsx]Sheet1!R1C3)").Double());
  for (const wchar_t* refused : {L"GET.CELL(41,[Book1.xlsx]Sheet1!R1C1)", L"GET.CELL(42,A1)",
                                 L"GET.CELL(42,[Other.xlsx]Sheet1!R1C1)", L"NOW()"}) {
    const test_support::DispatchAnswer answer = macro(refused);
    EXPECT_EQ(S_OK, answer.hr) << refused;
    EXPECT_EQ(VT_ERROR, answer.value.Kind()) << refused;
  }
}

TEST_F(HostCellRectTest, RectangleMatchesTheHostLayoutAtEachZoomScrollAndHeadings) {
  struct Case {
    const wchar_t* name;
    int zoom;
    int scrollRow;
    int scrollColumn;
    bool headings;
    const wchar_t* address;
  };
  for (const Case& c : {Case{L"zoom 100", 100, 1, 1, true, L"C4"},
                        Case{L"zoom 150, a block", 150, 1, 1, true, L"B3:C5"},
                        Case{L"zoom 75, scrolled", 75, 5, 3, true, L"E8:F9"},
                        Case{L"no headings", 100, 1, 1, false, L"C4"}}) {
    SCOPED_TRACE(c.name);
    PutWindow(L"Zoom", Arg(c.zoom));
    PutWindow(L"ScrollRow", Arg(c.scrollRow));
    PutWindow(L"ScrollColumn", Arg(c.scrollColumn));
    PutWindow(L"DisplayHeadings", Arg(c.headings));
    const ScreenRect actual =
        CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(c.address));
    EXPECT_GT(actual.right, actual.left);
    ExpectNear(ExpectedRect(c.address, 1, false, false), actual);
  }
  PutWindow(L"DisplayHeadings", Arg(true));
}

TEST_F(HostCellRectTest, SplitAndFrozenWindowsMeasureThePaneThatShowsTheCells) {
  struct Case {
    const wchar_t* name;
    bool frozen;
    int zoom;
    int activePane;
    const wchar_t* address;
    long pane;
    bool right;
    bool below;
  };
  for (const Case& c :
       {Case{L"split, lower right from the first pane", false, 100, 1, L"E10", 4, true, true},
        Case{L"split, first pane from the lower right", false, 100, 4, L"A1", 1, false, false},
        Case{L"split, top right", false, 150, 1, L"F2", 2, true, false},
        Case{L"frozen at 150", true, 150, 4, L"D8:E9", 4, true, true},
        Case{L"frozen, the fixed corner", true, 100, 4, L"A2", 1, false, false}}) {
    SCOPED_TRACE(c.name);
    PutWindow(L"FreezePanes", Arg(false));
    PutWindow(L"Split", Arg(false));
    PutWindow(L"Zoom", Arg(c.zoom));
    ASSERT_TRUE(host.Select(1, L"C4"));
    PutWindow(c.frozen ? L"FreezePanes" : L"Split", Arg(true));
    const CComPtr<IDispatch> panes = GetObjectOf(window.Get(), L"Panes");
    ASSERT_EQ(4, Get(panes.Get(), L"Count").Long());
    ASSERT_EQ(S_OK, test_support::Call(GetObjectOf(panes.Get(), L"Item", {Arg(c.activePane)}).Get(),
                                       L"Activate")
                        .hr);
    const ScreenRect actual =
        CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(c.address));
    EXPECT_GT(actual.bottom, actual.top);
    ExpectNear(ExpectedRect(c.address, c.pane, c.right, c.below), actual);
  }
}

TEST_F(HostCellRectTest, CellsNoPaneShowsGiveAnEmptyRectangle) {
  PutWindow(L"ScrollRow", Arg(100));
  const ScreenRect rect = CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(L"C4"));
  EXPECT_EQ(0, rect.left);
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(0, rect.right);
  EXPECT_EQ(0, rect.bottom);
}

TEST_F(HostCellRectTest, WindowMovesToTheFirstSideThatFitsOrStays) {
  RECT workArea{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));
  const int workWidth = workArea.right - workArea.left;
  const int workHeight = workArea.bottom - workArea.top;
  enum class Side { kBelow, kAbove, kLeft, kRight, kStays };
  struct Case {
    const wchar_t* name;
    int frameX;
    int frameY;  // from the work area's bottom when negative
    int width;
    int height;
    bool overCells;
    Side side;
  };
  for (const Case& c :
       {Case{L"below", 40, 40, 300, 200, true, Side::kBelow},
        Case{L"above, near the bottom", 40, -150, 300, 200, true, Side::kAbove},
        Case{L"left, too tall for either", 600, 40, 300, workHeight, true, Side::kLeft},
        Case{L"right, too tall and no room left", 0, 40, 300, workHeight, true, Side::kRight},
        Case{L"stays, nothing fits", 40, 40, workWidth, workHeight, true, Side::kStays},
        Case{L"stays, not covering", 40, 40, 300, 200, false, Side::kStays}}) {
    SCOPED_TRACE(c.name);
    const int frameY = c.frameY >= 0 ? c.frameY : static_cast<int>(workArea.bottom) + c.frameY;
    ASSERT_TRUE(::SetWindowPos(host.MainWindow().Frame(), nullptr, c.frameX, frameY, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(host.Select(1, L"C4"));
    const ScreenRect cells = CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(L"C4"));
    ASSERT_GT(cells.right, cells.left);
    const int left = c.overCells ? cells.left - 10 : cells.right + 40;
    const int top = c.overCells ? cells.top - 10 : cells.top;
    const RECT start{left, top, left + c.width, top + c.height};
    CAsideTestWindow trace;
    ASSERT_TRUE(trace.Create(L"TrelvaneAsideTestWindow", WS_EX_TOOLWINDOW, WS_POPUP, L"trace",
                             nullptr, 0, start));

    EXPECT_EQ(c.side != Side::kStays, MoveAsideFrom(trace.Hwnd(), application));
    RECT moved{};
    ::GetWindowRect(trace.Hwnd(), &moved);
    EXPECT_EQ(c.width, moved.right - moved.left);
    EXPECT_EQ(c.height, moved.bottom - moved.top);
    switch (c.side) {
      case Side::kBelow:
        EXPECT_EQ(cells.bottom + kAsideGap, moved.top);
        EXPECT_EQ(start.left, moved.left);
        break;
      case Side::kAbove:
        EXPECT_EQ(cells.top - kAsideGap, moved.bottom);
        EXPECT_EQ(start.left, moved.left);
        break;
      case Side::kLeft:
        EXPECT_EQ(cells.left - kAsideGap, moved.right);
        EXPECT_EQ(start.top, moved.top);
        break;
      case Side::kRight:
        EXPECT_EQ(cells.right + kAsideGap, moved.left);
        EXPECT_EQ(start.top, moved.top);
        break;
      case Side::kStays:
        EXPECT_EQ(start.left, moved.left);
        EXPECT_EQ(start.top, moved.top);
        break;
    }
  }
}

TEST_F(HostCellRectTest, NothingMovesWithoutTheWorkbookWindowOrVisibleCells) {
  ASSERT_TRUE(host.Select(1, L"C4"));
  const ScreenRect cells = CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(L"C4"));
  const RECT start{cells.left - 10, cells.top - 10, cells.left + 290, cells.top + 190};
  CAsideTestWindow trace;
  ASSERT_TRUE(trace.Create(L"TrelvaneAsideTestWindow", WS_EX_TOOLWINDOW, WS_POPUP, L"trace",
                           nullptr, 0, start));
  // The selection scrolled out of sight.
  PutWindow(L"ScrollRow", Arg(200));
  EXPECT_FALSE(MoveAsideFrom(trace.Hwnd(), application));
  PutWindow(L"ScrollRow", Arg(1));
  // No EXCEL7 window whose text begins with the caption.
  ::SetWindowTextW(host.MainWindow().Sheet(), L"Another.xlsx");
  EXPECT_FALSE(MoveAsideFrom(trace.Hwnd(), application));
  ::SetWindowTextW(host.MainWindow().Sheet(), L"Book1.xlsx");
  EXPECT_TRUE(MoveAsideFrom(trace.Hwnd(), application));
}

TEST_F(HostCellRectTest, WindowOfAnotherThreadMovesWithoutWaitingForThatThread) {
  ASSERT_TRUE(host.Select(1, L"C4"));
  const ScreenRect cells = CellScreenRect(host.MainWindow().Sheet(), application, RangeOf(L"C4"));
  const RECT start{cells.left - 10, cells.top - 10, cells.left + 290, cells.top + 190};
  // The trace window lives on a UI thread of its own, which is busy while Excel's thread moves
  // it: the move must neither wait for it nor be lost.
  std::atomic<HWND> created{nullptr};
  std::atomic<bool> release{false};
  std::atomic<DWORD> uiThread{0};
  std::atomic<bool> waitedForUi{false};
  std::thread ui([&] {
    CAsideTestWindow trace;
    trace.Create(L"TrelvaneAsideTestWindow", WS_EX_TOOLWINDOW, WS_POPUP, L"trace", nullptr, 0,
                 start);
    uiThread.store(::GetCurrentThreadId());
    created.store(trace.Hwnd());
    // Busy until released, or until a move that waits for this thread would have shown.
    const auto busyUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!release.load()) {
      if (std::chrono::steady_clock::now() >= busyUntil) {
        waitedForUi.store(true);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (created.load() == nullptr && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const HWND trace = created.load();
  EXPECT_NE(nullptr, trace);
  const bool movedAside = trace != nullptr && MoveAsideFrom(trace, application);
  EXPECT_TRUE(movedAside);
  release.store(true);
  RECT moved{};
  while (trace != nullptr && std::chrono::steady_clock::now() < end) {
    ::GetWindowRect(trace, &moved);
    if (moved.top == cells.bottom + kAsideGap) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(cells.bottom + kAsideGap, moved.top);
  EXPECT_FALSE(waitedForUi.load());
  ::PostThreadMessageW(uiThread.load(), WM_QUIT, 0, 0);
  ui.join();
}
