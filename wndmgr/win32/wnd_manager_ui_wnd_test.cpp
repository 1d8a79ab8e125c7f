// The window manager's frame under Wine with plain fake windows: single mode, tabs chosen by click
// and by menu command, tiling both ways, the splitter drag and its limits, closing tabs and the
// frame, the tab menu, and what the header looks like.
#include "wndmgr/win32/wnd_manager_ui_wnd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/window_screenshot.h"

namespace {

using test_support::CaptureWindow;
using test_support::PixelOf;
using test_support::WindowImage;

constexpr DWORD kWndMgrWaitMs = 10000;
constexpr int kClientWidth = 800;
constexpr int kClientHeight = 400;

// A hosted window as simple as it gets: made as a captioned pop-up (the frame must turn it into a
// bare child), filled with its own colour, with one tab-stop button.
class CFakeHostedWindow final : public CWindowBase, public IWndMgrItem {
 public:
  CFakeHostedWindow(std::wstring caption, COLORREF fill)
      : caption_(std::move(caption)), fill_(fill) {}

  HWND CreateInManager(HWND parent) override {
    ++createCalls_;
    const RECT rect{10, 10, 310, 210};
    if (!Create(L"TrelvaneWndMgrTestWindow", WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE,
                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, caption_.c_str(),
                parent, 0, rect)) {
      return nullptr;
    }
    ::CreateWindowExW(0, L"BUTTON", L"Go", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 8, 60, 24, Hwnd(),
                      nullptr, nullptr, nullptr);
    return Hwnd();
  }
  HWND Hwnd() const override { return CWindowBase::Hwnd(); }
  int CreateCalls() const { return createCalls_; }
  COLORREF Fill() const { return fill_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override {
    if (message == WM_ERASEBKGND) {
      RECT client{};
      ::GetClientRect(Hwnd(), &client);
      const COLORREF previous = ::SetDCBrushColor(reinterpret_cast<HDC>(wParam), fill_);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client,
                 static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
      ::SetDCBrushColor(reinterpret_cast<HDC>(wParam), previous);
      *handled = true;
      return TRUE;
    }
    return CWindowBase::OnMessage(message, wParam, lParam, handled);
  }

 private:
  std::wstring caption_;
  COLORREF fill_;
  int createCalls_ = 0;
};

void Pump() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (!CDialogBase::PreTranslate(&message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

bool PumpUntil(const std::function<bool()>& condition) {
  const ULONGLONG end = ::GetTickCount64() + kWndMgrWaitMs;
  while (!condition()) {
    if (::GetTickCount64() > end) return false;
    Pump();
    ::Sleep(2);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

// A child's rectangle in its parent's client coordinates.
WndMgrRect PlacedRect(HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

LPARAM PointParam(std::int32_t x, std::int32_t y) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) |
                             (static_cast<std::uint32_t>(x) & 0xFFFFu));
}

POINT CentreOf(const WndMgrRect& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class Win32WndManagerFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    // The real pointer, parked off the frame, must not drag anything while the test does.
    ::SetCursorPos(0, 0);
    MakeFrame(std::make_unique<CWndMgrPainterBlue>());
  }
  void TearDown() override {
    if (::IsWindow(manager_) != FALSE) ::DestroyWindow(manager_);
    Pump();
  }

  // A frame of 800 x 400 client pixels in place of the one there is.
  void MakeFrame(std::unique_ptr<CWndMgrPainter> painter) {
    if (::IsWindow(manager_) != FALSE) ::DestroyWindow(manager_);
    windows_.clear();
    frame_ = CWndManagerUIWnd::CreateOnThisThread(std::move(painter), L"Trelvane");
    ASSERT_NE(nullptr, frame_);
    manager_ = frame_->Hwnd();
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrW(manager_, GWL_STYLE)),
                         FALSE, static_cast<DWORD>(::GetWindowLongPtrW(manager_, GWL_EXSTYLE)));
    ::SetWindowPos(manager_, nullptr, 20, 20, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Pump();
  }

  // Hosts fake windows with the given captions, each activated on arrival.
  void Host(const std::vector<std::wstring>& captions) {
    static const COLORREF kFills[] = {RGB(255, 255, 255), RGB(255, 240, 200), RGB(220, 255, 220),
                                      RGB(230, 230, 255)};
    for (const std::wstring& caption : captions) {
      auto window =
          std::make_shared<CFakeHostedWindow>(caption, kFills[windows_.size() % std::size(kFills)]);
      windows_.push_back(window);
      const int before = frame_->HostedCount();
      ASSERT_TRUE(CWndManagerUIWnd::PostAddWindow(manager_, window, true));
      ASSERT_TRUE(PumpUntil([&] { return frame_->HostedCount() == before + 1; }));
    }
  }

  HWND Window(std::size_t added) const { return windows_[added].lock()->Hwnd(); }

  void Click(POINT at) {
    ::PostMessageW(manager_, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at.x, at.y));
    ::PostMessageW(manager_, WM_LBUTTONUP, 0, PointParam(at.x, at.y));
    Pump();
  }
  void Command(int command) {
    ::SendMessageW(manager_, WM_COMMAND, static_cast<WPARAM>(command), 0);
    Pump();
  }
  // The zone of `kind` for `item` in `pane`; an empty rectangle when there is none.
  WndMgrRect Zone(int pane, int item, WndMgrZoneKind kind) const {
    for (const WndMgrZone& zone : frame_->Strip().Zones()) {
      if (zone.pane == pane && zone.item == item && zone.kind == kind) return zone.rect;
    }
    return {};
  }
  int ItemOf(HWND window) const {
    for (int i = 0; i < frame_->HostedCount(); ++i) {
      if (frame_->HostedWindow(i) == window) return i;
    }
    return -1;
  }
  bool Visible(HWND window) const { return ::IsWindowVisible(window) != FALSE; }
  // Three tabs: the header band, the tabs and every button in the painter's colours.
  void CheckHeaderPaint(const std::wstring& screenshot);

  CWndManagerUIWnd* frame_ = nullptr;
  HWND manager_ = nullptr;
  std::vector<std::weak_ptr<CFakeHostedWindow>> windows_;
};

TEST_F(Win32WndManagerFrame, OneWindowFillsTheClientAsABareChildWithoutTabs) {
  Host({L"Sheet1!A1 - precedents"});
  HWND window = Window(0);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(1, windows_[0].lock()->CreateCalls());
  EXPECT_EQ(manager_, ::GetParent(window));
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_NE(0, style & WS_CHILD);
  EXPECT_EQ(0, style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_POPUP));
  EXPECT_EQ(0, ::GetWindowLongPtrW(window, GWL_EXSTYLE) & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
  EXPECT_TRUE(frame_->Strip().SingleMode());
  EXPECT_TRUE(frame_->Strip().Tabs().empty());
  EXPECT_TRUE(frame_->Strip().Zones().empty());
  EXPECT_EQ((WndMgrRect{0, 0, kClientWidth, kClientHeight}), PlacedRect(window));
  EXPECT_TRUE(Visible(window));
  EXPECT_EQ(L"Trelvane - Sheet1!A1 - precedents", TextOf(manager_));
}

TEST_F(Win32WndManagerFrame, ThreeWindowsGetTabsAndSwitchByClickAndByCommand) {
  Host({L"Sheet1!B3:D20 - precedents", L"Sheet2!A1 - dependents", L"Evaluate Sheet1!C5"});
  const CTabStripLayout& strip = frame_->Strip();
  EXPECT_FALSE(strip.SingleMode());
  ASSERT_EQ(3u, strip.Tabs().size());
  EXPECT_EQ(2, strip.Current());
  // The whole captions fit in 800 pixels.
  EXPECT_EQ(L"Sheet2!A1 - dependents", strip.Tabs()[1].caption);
  EXPECT_EQ(strip.WindowRect(0), PlacedRect(Window(2)));
  EXPECT_TRUE(Visible(Window(2)));
  EXPECT_FALSE(Visible(Window(0)));
  EXPECT_FALSE(Visible(Window(1)));
  EXPECT_EQ(L"Trelvane - Evaluate Sheet1!C5", TextOf(manager_));

  // A click on the caption part of the first tab.
  const WndMgrRect first = strip.Tabs()[0].rect;
  Click({first.left + 6, (first.top + first.bottom) / 2});
  EXPECT_EQ(0, strip.Current());
  EXPECT_TRUE(Visible(Window(0)));
  EXPECT_FALSE(Visible(Window(2)));
  EXPECT_EQ(strip.WindowRect(0), PlacedRect(Window(0)));
  EXPECT_EQ(L"Trelvane - Sheet1!B3:D20 - precedents", TextOf(manager_));
  // The shown window's first tab stop has the keyboard.
  EXPECT_EQ(::GetWindow(Window(0), GW_CHILD), ::GetFocus());

  // The same window posted again keeps its one tab and is brought forward.
  ASSERT_TRUE(CWndManagerUIWnd::PostAddWindow(manager_, windows_[2].lock(), true));
  EXPECT_TRUE(PumpUntil([&] { return strip.Current() == 2; }));
  EXPECT_EQ(3, frame_->HostedCount());
  EXPECT_EQ(1, windows_[2].lock()->CreateCalls());

  Command(kWndMgrFirstItemCommand + 1);
  EXPECT_EQ(1, strip.Current());
  EXPECT_TRUE(Visible(Window(1)));
  EXPECT_FALSE(Visible(Window(0)));
  // Items that do not exist are ignored.
  Command(kWndMgrFirstItemCommand + 3);
  Command(kWndMgrFirstItemCommand + 199);
  EXPECT_EQ(1, strip.Current());
  EXPECT_TRUE(Visible(Window(1)));
}

TEST_F(Win32WndManagerFrame, PaintsTheHeaderInThePaintersColoursWithTheButtons) {
  struct Case {
    std::function<std::unique_ptr<CWndMgrPainter>()> make;
    const wchar_t* name;
  };
  const Case cases[] = {
      {[] { return std::make_unique<CWndMgrPainterBlue>(); }, L"blue"},
      {[] { return std::make_unique<CWndMgrPainterSilver>(); }, L"silver"},
      {[] { return std::make_unique<CWndMgrPainterBlack>(); }, L"black"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeFrame(c.make());
    CheckHeaderPaint(std::wstring(L"window_manager_three_tabs_") + c.name);
  }
}

void Win32WndManagerFrame::CheckHeaderPaint(const std::wstring& screenshot) {
  Host({L"Sheet1!B3:D20 - precedents", L"Sheet2!A1 - dependents", L"Evaluate Sheet1!C5"});
  ::RedrawWindow(manager_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  const WindowImage image = CaptureWindow(manager_);
  ASSERT_FALSE(image.IsEmpty());
  POINT origin{0, 0};
  ::ClientToScreen(manager_, &origin);
  RECT outer{};
  ::GetWindowRect(manager_, &outer);
  const auto at = [&](std::int32_t x, std::int32_t y) {
    return image.At(origin.x - outer.left + x, origin.y - outer.top + y);
  };
  const CWndMgrPainter& painter = frame_->Painter();
  const CTabStripLayout& strip = frame_->Strip();
  // Left of the strip: the header band, then the line under it.
  const int band = ::GetSystemMetrics(SM_CXSMICON) + 10;
  EXPECT_EQ(PixelOf(painter.HeaderColor()), at(2, 3));
  EXPECT_EQ(PixelOf(painter.LineColor()), at(2, band));
  // The current (last) tab in the button face, open to the window; the others inactive.
  const WndMgrRect current = strip.Tabs()[2].rect;
  const WndMgrRect inactive = strip.Tabs()[0].rect;
  EXPECT_EQ(PixelOf(::GetSysColor(COLOR_BTNFACE)), at(current.left + 2, current.top + 2));
  EXPECT_EQ(PixelOf(::GetSysColor(COLOR_BTNFACE)), at(current.left + 2, band));
  EXPECT_EQ(PixelOf(painter.LineColor()), at(current.left, current.top + 4));
  EXPECT_EQ(PixelOf(painter.InactiveTabColor()), at(inactive.left + 2, inactive.top + 4));
  EXPECT_EQ(PixelOf(painter.SeparatorColor()), at(inactive.left + 4, inactive.top + 1));
  // Some ink of each button's icon inside its zone, and caption ink left of the buttons.
  int captionInk = 0;
  const std::uint32_t text = PixelOf(::GetSysColor(COLOR_BTNTEXT));
  for (std::int32_t y = inactive.top; y < inactive.bottom; ++y) {
    for (std::int32_t x = inactive.left; x < inactive.right - 60; ++x)
      captionInk += at(x, y) == text;
  }
  EXPECT_GT(captionInk, 20);
  for (const WndMgrZone& zone : strip.Zones()) {
    const std::uint32_t background = at(zone.rect.left, zone.rect.top);
    int ink = 0;
    for (std::int32_t y = zone.rect.top; y < zone.rect.bottom; ++y) {
      for (std::int32_t x = zone.rect.left; x < zone.rect.right; ++x) ink += at(x, y) != background;
    }
    EXPECT_GT(ink, 15) << "zone of kind " << static_cast<int>(zone.kind) << " item " << zone.item;
  }
  test_support::SaveScreenshotIfAsked(manager_, screenshot);
}

TEST_F(Win32WndManagerFrame, TilesSideBySideAndStackedWherePanesAreLaidOut) {
  // Captions short enough for both tabs to fit the half-wide main pane.
  Host({L"A1 - precedents", L"B2 - dependents", L"Evaluate C3"});
  const CTabStripLayout& strip = frame_->Strip();
  // Tiling the current tab: the next one before it (none after) becomes current.
  Click(CentreOf(Zone(0, 2, WndMgrZoneKind::kTileToggle)));
  ASSERT_EQ(std::vector<int>{2}, strip.TiledItems());
  EXPECT_EQ(1, strip.Current());
  EXPECT_EQ(strip.WindowRect(1), PlacedRect(Window(2)));
  EXPECT_EQ(strip.WindowRect(0), PlacedRect(Window(1)));
  EXPECT_TRUE(Visible(Window(2)));
  EXPECT_TRUE(Visible(Window(1)));
  EXPECT_FALSE(Visible(Window(0)));
  EXPECT_LT(PlacedRect(Window(1)).right, kClientWidth / 2);
  EXPECT_GT(PlacedRect(Window(2)).left, kClientWidth / 2);
  // The caption names the window placed last: the tiled one.
  EXPECT_EQ(L"Trelvane - Evaluate C3", TextOf(manager_));

  Command(kWndMgrStackPanesCommand);
  EXPECT_EQ(kWndMgrStacked, strip.Orientation());
  EXPECT_EQ(strip.WindowRect(1), PlacedRect(Window(2)));
  EXPECT_GT(PlacedRect(Window(2)).top, kClientHeight / 2);
  EXPECT_LT(PlacedRect(Window(1)).bottom, kClientHeight / 2);

  // A second tiled window: three equal panes.
  Click(CentreOf(Zone(0, 0, WndMgrZoneKind::kTileToggle)));
  ASSERT_EQ(2u, strip.Boundaries().size());
  EXPECT_NEAR(1.0 / 3, strip.Boundaries()[0], 1e-9);
  EXPECT_NEAR(2.0 / 3, strip.Boundaries()[1], 1e-9);
  for (int pane = 0; pane < 3; ++pane) {
    const int item =
        pane == 0 ? strip.Current() : strip.TiledItems()[static_cast<std::size_t>(pane - 1)];
    EXPECT_EQ(strip.WindowRect(pane), PlacedRect(frame_->HostedWindow(item))) << pane;
    EXPECT_TRUE(Visible(frame_->HostedWindow(item))) << pane;
  }
  ::RedrawWindow(manager_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  test_support::SaveScreenshotIfAsked(manager_, L"window_manager_stacked");
  Command(kWndMgrSideBySideCommand);
  ::RedrawWindow(manager_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  test_support::SaveScreenshotIfAsked(manager_, L"window_manager_tiled");

  // Untiling by the pressed toggle of the last pane: back to two equal panes and a tab.
  const int untiled = strip.TiledItems()[1];
  Click(CentreOf(Zone(2, untiled, WndMgrZoneKind::kTileToggle)));
  ASSERT_EQ(1u, strip.Boundaries().size());
  EXPECT_NEAR(0.5, strip.Boundaries()[0], 1e-9);
  EXPECT_FALSE(Visible(frame_->HostedWindow(untiled)));
  EXPECT_EQ(2u, strip.Tabs().size());
}

TEST_F(Win32WndManagerFrame, DraggingTheSplitterStopsShortOfTheHundredPixelLimits) {
  Host({L"Sheet1!A1 - precedents", L"Sheet1!A1 - dependents"});
  const CTabStripLayout& strip = frame_->Strip();
  Click(CentreOf(Zone(0, 1, WndMgrZoneKind::kTileToggle)));
  ASSERT_EQ(std::vector<std::int32_t>{kClientWidth / 2}, strip.SplitterPositions());
  HWND tiled = Window(1);
  const auto move = [&](std::int32_t x) {
    ::PostMessageW(manager_, WM_MOUSEMOVE, MK_LBUTTON, PointParam(x, 200));
    Pump();
  };
  // Over the line the cursor is the east-west one; the frame answers WM_SETCURSOR itself.
  POINT onLine{kClientWidth / 2 + 1, 200};
  ::ClientToScreen(manager_, &onLine);
  ::SetCursorPos(onLine.x, onLine.y);
  EXPECT_EQ(TRUE, ::SendMessageW(manager_, WM_SETCURSOR, reinterpret_cast<WPARAM>(manager_),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::LoadCursorW(nullptr, IDC_SIZEWE), ::GetCursor());
  ::SetCursorPos(0, 0);
  // Two pixels off the line still grips it.
  ::PostMessageW(manager_, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(kClientWidth / 2 + 2, 200));
  Pump();
  EXPECT_TRUE(strip.Dragging());
  EXPECT_EQ(manager_, ::GetCapture());
  move(600);
  EXPECT_EQ(std::vector<std::int32_t>{600}, strip.SplitterPositions());
  EXPECT_EQ(strip.WindowRect(1), PlacedRect(tiled));
  EXPECT_EQ(600 + 3, PlacedRect(tiled).left);
  // Leaving 100 pixels or fewer to either pane does nothing.
  move(kClientWidth - 100);
  EXPECT_EQ(std::vector<std::int32_t>{600}, strip.SplitterPositions());
  move(90);
  EXPECT_EQ(std::vector<std::int32_t>{600}, strip.SplitterPositions());
  move(200);
  EXPECT_EQ(std::vector<std::int32_t>{200}, strip.SplitterPositions());
  ::PostMessageW(manager_, WM_LBUTTONUP, 0, PointParam(200, 200));
  Pump();
  EXPECT_FALSE(strip.Dragging());
  EXPECT_NE(manager_, ::GetCapture());
  move(400);  // no longer dragging
  EXPECT_EQ(std::vector<std::int32_t>{200}, strip.SplitterPositions());
  // Far from the line nothing is gripped.
  ::PostMessageW(manager_, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(300, 200));
  Pump();
  EXPECT_FALSE(strip.Dragging());
  ::PostMessageW(manager_, WM_LBUTTONUP, 0, PointParam(300, 200));
  Pump();
}

TEST_F(Win32WndManagerFrame, ClosingTabsDestroysTheirWindowsAndTheLastOneClosesTheFrame) {
  Host({L"Sheet1!A1 - precedents", L"Sheet1!A1 - dependents", L"Evaluate Sheet1!A1"});
  HWND first = Window(0);
  // A press that is released elsewhere does nothing.
  const POINT close = CentreOf(Zone(0, 0, WndMgrZoneKind::kClose));
  ::PostMessageW(manager_, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(close.x, close.y));
  ::PostMessageW(manager_, WM_LBUTTONUP, 0, PointParam(close.x + 40, close.y));
  Pump();
  EXPECT_EQ(3, frame_->HostedCount());
  Click(close);
  EXPECT_EQ(2, frame_->HostedCount());
  EXPECT_FALSE(::IsWindow(first));
  EXPECT_TRUE(windows_[0].expired());  // the frame held the last reference

  // Closing the current tab shows the one now at its place.
  ASSERT_EQ(1, frame_->Strip().Current());
  Click(CentreOf(Zone(0, 1, WndMgrZoneKind::kClose)));
  EXPECT_EQ(1, frame_->HostedCount());
  EXPECT_TRUE(frame_->Strip().SingleMode());
  EXPECT_TRUE(Visible(Window(1)));
  EXPECT_EQ((WndMgrRect{0, 0, kClientWidth, kClientHeight}), PlacedRect(Window(1)));

  // The last window going by itself closes the frame: hidden, nothing hosted.
  ::DestroyWindow(Window(1));
  EXPECT_TRUE(PumpUntil([&] { return !Visible(manager_); }));
  EXPECT_EQ(0, frame_->HostedCount());
  EXPECT_TRUE(windows_[1].expired());
  EXPECT_TRUE(::IsWindow(manager_));
  // A later window is hosted again.
  Host({L"Sheet3!Z9 - precedents"});
  EXPECT_EQ(1, frame_->HostedCount());
}

TEST_F(Win32WndManagerFrame, CloseAndCancelHideTheFrameAndDestroyEveryWindow) {
  for (const UINT way : {UINT{WM_CLOSE}, UINT{WM_COMMAND}}) {
    Host({L"Sheet1!A1 - precedents", L"Sheet1!A1 - dependents"});
    ::ShowWindow(manager_, SW_SHOWNOACTIVATE);
    std::vector<HWND> hosted{frame_->HostedWindow(0), frame_->HostedWindow(1)};
    ::SendMessageW(manager_, way, way == WM_COMMAND ? IDCANCEL : 0, 0);
    Pump();
    EXPECT_FALSE(Visible(manager_)) << way;
    EXPECT_TRUE(::IsWindow(manager_)) << way;
    EXPECT_EQ(0, frame_->HostedCount()) << way;
    EXPECT_EQ(-1, frame_->Strip().Current()) << way;
    for (HWND window : hosted) EXPECT_FALSE(::IsWindow(window)) << way;
    for (const auto& window : windows_) EXPECT_TRUE(window.expired()) << way;
    windows_.clear();
  }
}

TEST_F(Win32WndManagerFrame, TabMenuListsTheTabsAndChecksTheOrientation) {
  Host({L"Sheet1!A1 - precedents", L"Sheet1!A1 - dependents", L"Evaluate Sheet1!A1"});
  Click(CentreOf(Zone(0, 1, WndMgrZoneKind::kTileToggle)));
  const CScopedMenu menu = frame_->BuildTabMenu();
  ASSERT_TRUE(menu);
  const auto textAt = [&](int position) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu.Get(), static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return std::wstring(text);
  };
  // The tiled window is left out; the separator, then "Tile Windows".
  ASSERT_EQ(4, ::GetMenuItemCount(menu.Get()));
  EXPECT_EQ(L"Sheet1!A1 - precedents", textAt(0));
  EXPECT_EQ(static_cast<UINT>(kWndMgrFirstItemCommand + 0), ::GetMenuItemID(menu.Get(), 0));
  EXPECT_EQ(L"Evaluate Sheet1!A1", textAt(1));
  EXPECT_EQ(static_cast<UINT>(kWndMgrFirstItemCommand + 2), ::GetMenuItemID(menu.Get(), 1));
  EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR),
            ::GetMenuState(menu.Get(), 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(L"Tile Windows", textAt(3));
  EXPECT_NE(0u, ::GetMenuState(menu.Get(), kWndMgrSideBySideCommand, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(0u, ::GetMenuState(menu.Get(), kWndMgrStackPanesCommand, MF_BYCOMMAND) & MF_CHECKED);

  Command(kWndMgrStackPanesCommand);
  const CScopedMenu stacked = frame_->BuildTabMenu();
  ASSERT_TRUE(stacked);
  EXPECT_NE(0u, ::GetMenuState(stacked.Get(), kWndMgrStackPanesCommand, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(0u, ::GetMenuState(stacked.Get(), kWndMgrSideBySideCommand, MF_BYCOMMAND) & MF_CHECKED);
  // The string that records the item commands' base.
  wchar_t text[128] = {};
  ::LoadStringW(::GetModuleHandleW(nullptr), IDS_WNDMGR_FIRST_ITEM_COMMAND, text, 128);
  EXPECT_EQ(std::wstring(L"First menu index in the Tab Selector Menu"), text);
}

}  // namespace
