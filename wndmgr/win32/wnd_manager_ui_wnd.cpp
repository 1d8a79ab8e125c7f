// The window manager's frame: hosting windows, applying the tab strip's layout to them, the mouse,
// the tab menu and the double-buffered painting of headers, tabs, splitters and buttons.
#include "wndmgr/win32/wnd_manager_ui_wnd.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"

namespace {

// Posted to the frame when a hosted window was destroyed by someone else.
constexpr UINT kWndMgrHostedWindowGone = WM_APP + 1;

// Styles a hosted window loses: caption, sizing frame, system menu, modal frame; and the
// extended dialog-modal frame and window edge.
constexpr LONG_PTR kWndMgrStrippedStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME;
constexpr LONG_PTR kWndMgrStrippedExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
static_assert(kWndMgrStrippedStyles == 0xCC0080 && kWndMgrStrippedExStyles == 0x101);

constexpr int kWndMgrFontPoints = 10;
constexpr int kWndMgrIconPixels = 16;
constexpr UINT kWndMgrCaptionFormat =
    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

std::int32_t LowSigned(LPARAM value) {
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}
std::int32_t HighSigned(LPARAM value) {
  return static_cast<std::int16_t>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFFu);
}
WORD LowWord(WPARAM value) {
  return static_cast<WORD>(value & 0xFFFFu);
}

RECT ToRect(const WndMgrRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

std::wstring TextOfWindow(HWND window) {
  if (window == nullptr) return {};
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  const COLORREF previous = ::SetDCBrushColor(dc, color);
  ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  ::SetDCBrushColor(dc, previous);
}
void HorizontalLine(HDC dc, std::int32_t left, std::int32_t right, std::int32_t y, COLORREF color) {
  if (right > left) FillSolid(dc, {left, y, right, y + 1}, color);
}
void VerticalLine(HDC dc, std::int32_t x, std::int32_t top, std::int32_t bottom, COLORREF color) {
  if (bottom > top) FillSolid(dc, {x, top, x + 1, bottom}, color);
}

CScopedIcon LoadSmallIcon(int id) {
  return CScopedIcon(static_cast<HICON>(::LoadImageW(ModuleInstance(), ResourceName(id), IMAGE_ICON,
                                                     kWndMgrIconPixels, kWndMgrIconPixels, 0)));
}

// Turns a window made as a pop-up (or moved in from elsewhere) into a plain child of `frame`.
void MakeHostedChild(HWND window, HWND frame) {
  LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  style &= ~(kWndMgrStrippedStyles | static_cast<LONG_PTR>(WS_POPUP));
  style |= WS_CHILD;
  ::SetWindowLongPtrW(window, GWL_STYLE, style);
  LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  // Keyboard navigation of the frame's dialog loop reaches into the hosted dialog.
  exStyle = (exStyle & ~kWndMgrStrippedExStyles) | WS_EX_CONTROLPARENT;
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle);
  if (::GetParent(window) != frame) ::SetParent(window, frame);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FocusFirstTabStop(HWND window) {
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0) {
      ::SetFocus(child);
      return;
    }
  }
}

// BeginPaint and EndPaint around one WM_PAINT.
class CWndMgrPaintScope {
 public:
  explicit CWndMgrPaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~CWndMgrPaintScope() { ::EndPaint(window_, &paint_); }
  CWndMgrPaintScope(const CWndMgrPaintScope&) = delete;
  CWndMgrPaintScope& operator=(const CWndMgrPaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace

CWndManagerUIWnd::CWndManagerUIWnd(std::unique_ptr<CWndMgrPainter> painter, std::wstring title)
    : painter_(painter ? std::move(painter) : std::make_unique<CWndMgrPainterBlue>()),
      title_(std::move(title)),
      smallIcon_(::GetSystemMetrics(SM_CXSMICON)),
      layout_(smallIcon_, [this](std::wstring_view text) { return MeasureText(text); }) {}

CWndManagerUIWnd* CWndManagerUIWnd::CreateOnThisThread(std::unique_ptr<CWndMgrPainter> painter,
                                                       std::wstring title) {
  auto frame =
      std::unique_ptr<CWndManagerUIWnd>(new CWndManagerUIWnd(std::move(painter), std::move(title)));
  if (!frame->CreateModeless(IDD_WINDOW_MANAGER, nullptr)) return nullptr;
  // From here the window's end deletes the object.
  frame->ownsItself_ = true;
  return frame.release();
}

bool CWndManagerUIWnd::PostAddWindow(HWND manager, std::shared_ptr<IWndMgrItem> window,
                                     bool activate) {
  if (manager == nullptr || !window) return false;
  auto holder = std::make_unique<std::shared_ptr<IWndMgrItem>>(std::move(window));
  if (::PostMessageW(manager, kWndMgrAddWindowMessage, activate ? 1 : 0,
                     reinterpret_cast<LPARAM>(holder.get())) == FALSE) {
    return false;
  }
  static_cast<void>(holder.release());  // The frame's queue holds it now.
  return true;
}

CWndManagerUIWnd* CWndManagerUIWnd::FromManager(HWND manager) {
  return dynamic_cast<CWndManagerUIWnd*>(FromHwnd(manager));
}

void CWndManagerUIWnd::SetTitle(std::wstring title) {
  title_ = std::move(title);
  if (Hwnd() != nullptr) ::SetWindowTextW(Hwnd(), title_.c_str());
}

HWND CWndManagerUIWnd::HostedWindow(int item) const {
  if (item < 0 || item >= HostedCount()) return nullptr;
  return WindowOf(layout_.Items()[static_cast<std::size_t>(item)].key);
}

HWND CWndManagerUIWnd::WindowOf(std::uint64_t key) const {
  const auto found = hosted_.find(key);
  return found == hosted_.end() ? nullptr : found->second.window;
}

BOOL CWndManagerUIWnd::OnInitDialog() {
  closeIcon_ = LoadSmallIcon(IDI_WNDMGR_CLOSE);
  tileIcon_ = LoadSmallIcon(IDI_WNDMGR_TILE);
  menuIcon_ = LoadSmallIcon(IDI_WNDMGR_MENU);
  ::SetWindowTextW(Hwnd(), title_.c_str());
  Sync();
  return TRUE;
}

void CWndManagerUIWnd::OnFinalMessage() {
  if (ownsItself_) delete this;
}

void CWndManagerUIWnd::AddWindow(std::shared_ptr<IWndMgrItem> window, bool activate) {
  if (!window) return;
  HWND child = window->Hwnd();
  if (child == nullptr) child = window->CreateInManager(Hwnd());
  // A window that cannot be made is not hosted: it would be a tab with nothing behind it.
  if (child == nullptr || ::IsWindow(child) == FALSE) return;
  for (int i = 0; i < HostedCount(); ++i) {
    if (HostedWindow(i) != child) continue;
    // Posted again: the window keeps its one tab.
    if (activate) {
      Sync();
      Apply(layout_.SelectWindow(i));
    }
    return;
  }
  MakeHostedChild(child, Hwnd());
  const std::uint64_t key = nextKey_++;
  hosted_[key] = Hosted{std::move(window), child};
  Sync();
  WndMgrItem item;
  item.key = key;
  item.caption = TextOfWindow(child);
  Apply(layout_.AddWindow(std::move(item), activate));
  // The first window is shown even when not activated; any later one waits hidden for its tab.
  if (layout_.Current() < 0) Apply(layout_.SelectWindow(HostedCount() - 1));
  if (HostedWindow(layout_.Current()) != child) ::ShowWindow(child, SW_HIDE);
}

void CWndManagerUIWnd::Sync() {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  layout_.SetClient({client.left, client.top, client.right, client.bottom});
  for (int i = 0; i < HostedCount(); ++i) layout_.SetCaption(i, TextOfWindow(HostedWindow(i)));
}

void CWndManagerUIWnd::Apply(const WndMgrChanges& changes) {
  for (const std::uint64_t key : changes.destroyed) {
    const auto found = hosted_.find(key);
    if (found == hosted_.end()) continue;
    // Out of the list first, so that the window's going is not taken for an outside close.
    Hosted hosted = std::move(found->second);
    hosted_.erase(found);
    if (::IsWindow(hosted.window) != FALSE) ::DestroyWindow(hosted.window);
  }
  for (const std::uint64_t key : changes.hidden) {
    if (HWND window = WindowOf(key)) ::ShowWindow(window, SW_HIDE);
  }
  HWND lastPlaced = nullptr;
  for (const WndMgrPlacement& placed : changes.placed) {
    HWND window = WindowOf(placed.key);
    if (window == nullptr) continue;
    const WndMgrRect& r = placed.rect;
    ::MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    if (::IsWindowVisible(window) == FALSE) {
      ::ShowWindow(window, SW_SHOW);
      FocusFirstTabStop(window);
    }
    lastPlaced = window;
  }
  if (lastPlaced != nullptr) {
    ::SetWindowTextW(Hwnd(), (title_ + L" - " + TextOfWindow(lastPlaced)).c_str());
  }
  ::InvalidateRect(Hwnd(), nullptr, FALSE);
  if (changes.closeManager) ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
}

void CWndManagerUIWnd::CloseManager() {
  ::ShowWindow(Hwnd(), SW_HIDE);
  if (::GetCapture() == Hwnd()) ::ReleaseCapture();
  layout_.EndSplitterDrag();
  pressedZone_ = -1;
  Apply(layout_.CloseAll());
  ::SetWindowTextW(Hwnd(), title_.c_str());
}

void CWndManagerUIWnd::CloseWindowsThatAreGone() {
  // One at a time: each close renumbers the items after it.
  for (bool found = true; found;) {
    found = false;
    for (int i = 0; i < HostedCount(); ++i) {
      if (::IsWindow(HostedWindow(i)) == FALSE) {
        Sync();
        Apply(layout_.CloseWindowAt(i));
        found = true;
        break;
      }
    }
  }
}

LRESULT CWndManagerUIWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  switch (message) {
    case kWndMgrAddWindowMessage: {
      const std::unique_ptr<std::shared_ptr<IWndMgrItem>> holder(
          reinterpret_cast<std::shared_ptr<IWndMgrItem>*>(lParam));
      if (holder) AddWindow(std::move(*holder), wParam == 1);
      return 0;
    }
    case kWndMgrHostedWindowGone:
      CloseWindowsThatAreGone();
      return 0;
    case WM_PARENTNOTIFY:
      // Our own destroying has dropped the window from the list already; anything else is
      // looked at once the window is completely gone.
      if (LowWord(wParam) == WM_DESTROY) {
        const auto child = reinterpret_cast<HWND>(lParam);
        for (const auto& [key, hosted] : hosted_) {
          if (hosted.window == child) {
            ::PostMessageW(Hwnd(), kWndMgrHostedWindowGone, 0, 0);
            break;
          }
        }
      }
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) return 0;
      Sync();
      Apply(layout_.Layout());
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // WM_PAINT covers every pixel.
    case WM_PAINT: {
      const CWndMgrPaintScope paint(Hwnd());
      if (paint.Dc() != nullptr) Paint(paint.Dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLeftButtonDown(LowSigned(lParam), HighSigned(lParam));
      return 0;
    case WM_MOUSEMOVE:
      if (layout_.Dragging()) {
        const std::int32_t along =
            layout_.Orientation() == kWndMgrSideBySide ? LowSigned(lParam) : HighSigned(lParam);
        Sync();
        Apply(layout_.DragSplitterTo(along));
      }
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp(LowSigned(lParam), HighSigned(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      layout_.EndSplitterDrag();
      return 0;
    case WM_RBUTTONDOWN: {
      const POINT at{LowSigned(lParam), HighSigned(lParam)};
      if (layout_.InHeaderStrip(at.x, at.y)) ShowTabMenu(at);
      return 0;
    }
    case WM_SETCURSOR:
      if (LowWord(static_cast<WPARAM>(lParam)) == HTCLIENT &&
          reinterpret_cast<HWND>(wParam) == Hwnd() && SetSplitterCursor()) {
        return TRUE;
      }
      break;
    case WM_COMMAND: {
      const int command = LowWord(wParam);
      if (command == IDCANCEL) {
        CloseManager();
        return 0;
      }
      Sync();
      Apply(layout_.RunCommand(command));
      return 0;
    }
    case WM_CLOSE:
      CloseManager();
      return 0;
    case WM_DESTROY: {
      // AddWindow messages still queued hold windows that will never be hosted.
      MSG queued{};
      while (::PeekMessageW(&queued, Hwnd(), kWndMgrAddWindowMessage, kWndMgrAddWindowMessage,
                            PM_REMOVE) != FALSE) {
        delete reinterpret_cast<std::shared_ptr<IWndMgrItem>*>(queued.lParam);
      }
      break;
    }
    default:
      break;
  }
  *handled = false;
  return 0;
}

void CWndManagerUIWnd::OnLeftButtonDown(std::int32_t x, std::int32_t y) {
  pressedZone_ = layout_.ZoneAt(x, y);
  if (pressedZone_ >= 0) return;
  const int tab = layout_.TabItemAt(x, y);
  if (tab >= 0) {
    Sync();
    Apply(layout_.SelectWindow(tab));
    return;
  }
  if (layout_.BeginSplitterDrag(layout_.SplitterAt(x, y))) ::SetCapture(Hwnd());
}

void CWndManagerUIWnd::OnLeftButtonUp(std::int32_t x, std::int32_t y) {
  if (layout_.Dragging()) {
    layout_.EndSplitterDrag();
    if (::GetCapture() == Hwnd()) ::ReleaseCapture();
    return;
  }
  const int pressed = std::exchange(pressedZone_, -1);
  const int zoneIndex = layout_.ZoneAt(x, y);
  if (zoneIndex < 0 || zoneIndex != pressed) return;
  // A copy: the action below lays the zones out again.
  const WndMgrZone zone = layout_.Zones()[static_cast<std::size_t>(zoneIndex)];
  Sync();
  switch (zone.kind) {
    case WndMgrZoneKind::kClose:
      Apply(layout_.CloseWindowAt(zone.item));
      break;
    case WndMgrZoneKind::kTileToggle: {
      const bool tiled = zone.item >= 0 && zone.item < HostedCount() &&
                         layout_.Items()[static_cast<std::size_t>(zone.item)].tiled;
      Apply(layout_.ToggleTile(zone.item, !tiled));
      break;
    }
    case WndMgrZoneKind::kTabMenu:
      ShowTabMenu({zone.rect.left, zone.rect.bottom});
      break;
  }
}

bool CWndManagerUIWnd::SetSplitterCursor() {
  POINT at{};
  ::GetCursorPos(&at);
  ::ScreenToClient(Hwnd(), &at);
  if (!layout_.Dragging() && layout_.SplitterAt(at.x, at.y) < 0) return false;
  const int shape = layout_.Orientation() == kWndMgrSideBySide ? 32644 /* IDC_SIZEWE */
                                                               : 32645 /* IDC_SIZENS */;
  ::SetCursor(::LoadCursorW(nullptr, ResourceName(shape)));
  return true;
}

CScopedMenu CWndManagerUIWnd::BuildTabMenu() {
  CScopedMenu menu(::LoadMenuW(ModuleInstance(), ResourceName(IDM_WNDMGR_TAB_MENU)));
  HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
  if (popup == nullptr) return CScopedMenu();
  Sync();
  const WndMgrTabMenu tabMenu = layout_.TabMenu();
  ::CheckMenuItem(popup, static_cast<UINT>(tabMenu.checkedCommand), MF_BYCOMMAND | MF_CHECKED);
  UINT position = 0;
  for (const WndMgrMenuEntry& entry : tabMenu.entries) {
    // Missing windows are left out of the menu.
    if (::IsWindow(HostedWindow(entry.command - kWndMgrFirstItemCommand)) == FALSE) continue;
    ::InsertMenuW(popup, position++, MF_BYPOSITION | MF_STRING,
                  static_cast<UINT_PTR>(entry.command), entry.caption.c_str());
  }
  if (position > 0) ::InsertMenuW(popup, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  // The popup outlives the bar it came from.
  ::RemoveMenu(menu.Get(), 0, MF_BYPOSITION);
  return CScopedMenu(popup);
}

void CWndManagerUIWnd::ShowTabMenu(POINT client) {
  const CScopedMenu menu = BuildTabMenu();
  if (!menu) return;
  POINT screen = client;
  ::ClientToScreen(Hwnd(), &screen);
  ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y,
                   0, Hwnd(), nullptr);
}

HFONT CWndManagerUIWnd::Font() {
  if (font_) return font_.Get();
  LOGFONTW look{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), static_cast<int>(sizeof look), &look);
  const CWindowDc screen(nullptr);
  look.lfHeight = -::MulDiv(kWndMgrFontPoints, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  look.lfWidth = 0;
  ::lstrcpynW(look.lfFaceName, L"Calibri", LF_FACESIZE);
  font_.Reset(::CreateFontIndirectW(&look));
  return font_ ? font_.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int CWndManagerUIWnd::MeasureText(std::wstring_view text) {
  if (!measureDc_) measureDc_.Reset(::CreateCompatibleDC(nullptr));
  if (!measureDc_ || text.empty()) return 0;
  const CSelectedObject font(measureDc_.Get(), Font());
  SIZE size{};
  ::GetTextExtentPoint32W(measureDc_.Get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void CWndManagerUIWnd::Paint(HDC target) {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  CScopedMemoryDc dc(::CreateCompatibleDC(target));
  CScopedBitmap picture(::CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!dc || !picture) return;
  {
    const CSelectedObject selected(dc.Get(), picture.Get());
    FillSolid(dc.Get(), client, ::GetSysColor(COLOR_BTNFACE));
    if (!layout_.SingleMode()) {
      const CSelectedObject font(dc.Get(), Font());
      const int previousMode = ::SetBkMode(dc.Get(), TRANSPARENT);
      PaintMainHeader(dc.Get(), layout_.PaneRect(0));
      PaintPaneFrame(dc.Get(), layout_.PaneRect(0));
      const std::vector<int>& tiled = layout_.TiledItems();
      for (std::size_t k = 0; k < tiled.size(); ++k) {
        PaintTiledHeader(dc.Get(), static_cast<int>(k) + 1, tiled[k]);
        PaintPaneFrame(dc.Get(), layout_.PaneRect(static_cast<int>(k) + 1));
      }
      const COLORREF line = painter_->LineColor();
      for (const std::int32_t at : layout_.SplitterPositions()) {
        if (layout_.Orientation() == kWndMgrSideBySide) {
          VerticalLine(dc.Get(), at, client.top, client.bottom, line);
        } else {
          HorizontalLine(dc.Get(), client.left, client.right, at, line);
        }
      }
      PaintZones(dc.Get());
      ::SetBkMode(dc.Get(), previousMode);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
  }
}

std::int32_t CWndManagerUIWnd::TextRightOfTab(const WndMgrTab& tab) const {
  std::int32_t right = tab.rect.right;
  for (const WndMgrZone& zone : layout_.Zones()) {
    if (zone.pane == 0 && zone.item == tab.item) right = std::min(right, zone.rect.left);
  }
  return right;
}

void CWndManagerUIWnd::DrawCaption(HDC dc, const std::wstring& text, const RECT& area,
                                   COLORREF color) {
  RECT box = area;
  const COLORREF previous = ::SetTextColor(dc, color);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kWndMgrCaptionFormat);
  ::SetTextColor(dc, previous);
}

void CWndManagerUIWnd::PaintMainHeader(HDC dc, const WndMgrRect& pane) {
  const std::int32_t band = pane.top + smallIcon_ + 10;  // the header's bottom: the line's row
  const COLORREF line = painter_->LineColor();
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  FillSolid(dc, {pane.left, pane.top, pane.right, band}, painter_->HeaderColor());
  HorizontalLine(dc, pane.left, pane.right, band, line);
  const std::vector<WndMgrTab>& tabs = layout_.Tabs();
  const auto current = std::find_if(tabs.begin(), tabs.end(), [this](const WndMgrTab& tab) {
    return tab.item == layout_.Current();
  });
  for (auto tab = tabs.begin(); tab != tabs.end(); ++tab) {
    const WndMgrRect& r = tab->rect;
    const RECT text{r.left, r.top, TextRightOfTab(*tab), r.bottom};
    if (tab == current) {
      // Open at the bottom: the tab runs into the window below it.
      FillSolid(dc, {r.left, r.top - 1, r.right, band + 1}, face);
      HorizontalLine(dc, r.left, r.right, r.top - 1, line);
      VerticalLine(dc, r.left, r.top - 1, band + 1, line);
      VerticalLine(dc, r.right - 1, r.top - 1, band + 1, line);
      DrawCaption(dc, tab->caption, text, ::GetSysColor(COLOR_BTNTEXT));
    } else {
      FillSolid(dc, {r.left, r.top + 1, r.right, band}, painter_->InactiveTabColor());
      const COLORREF separator = painter_->SeparatorColor();
      HorizontalLine(dc, r.left, r.right, r.top + 1, separator);
      const bool beforeCurrent = current != tabs.end() && tab < current;
      VerticalLine(dc, beforeCurrent ? r.left : r.right - 1, r.top + 1, band, separator);
      DrawCaption(dc, tab->caption, text, ::GetSysColor(COLOR_BTNTEXT));
    }
  }
}

void CWndManagerUIWnd::PaintTiledHeader(HDC dc, int pane, int item) {
  const WndMgrRect p = layout_.PaneRect(pane);
  const std::int32_t band = p.top + smallIcon_ + 10;
  const COLORREF line = painter_->LineColor();
  FillSolid(dc, {p.left, p.top, p.right, band}, painter_->HeaderColor());
  HorizontalLine(dc, p.left, p.right, band, line);
  const WndMgrRect strip = layout_.HeaderStrip(pane);
  FillSolid(dc, {strip.left, strip.top - 1, strip.right, band + 1}, ::GetSysColor(COLOR_BTNFACE));
  HorizontalLine(dc, strip.left, strip.right, strip.top - 1, line);
  VerticalLine(dc, strip.left, strip.top - 1, band + 1, line);
  VerticalLine(dc, strip.right - 1, strip.top - 1, band + 1, line);
  std::int32_t textRight = strip.right;
  for (const WndMgrZone& zone : layout_.Zones()) {
    if (zone.pane == pane) textRight = std::min(textRight, zone.rect.left);
  }
  DrawCaption(dc, TextOfWindow(HostedWindow(item)), {strip.left, strip.top, textRight, band},
              ::GetSysColor(COLOR_BTNTEXT));
}

void CWndManagerUIWnd::PaintPaneFrame(HDC dc, const WndMgrRect& pane) {
  // The line the hosted window sits inside, below the header.
  const std::int32_t top = pane.top + smallIcon_ + 10;
  const COLORREF line = painter_->LineColor();
  VerticalLine(dc, pane.left, top, pane.bottom, line);
  VerticalLine(dc, pane.right - 1, top, pane.bottom, line);
  HorizontalLine(dc, pane.left, pane.right, pane.bottom - 1, line);
}

void CWndManagerUIWnd::PaintZones(HDC dc) {
  for (const WndMgrZone& zone : layout_.Zones()) {
    HICON icon = zone.kind == WndMgrZoneKind::kClose     ? closeIcon_.Get()
                 : zone.kind == WndMgrZoneKind::kTabMenu ? menuIcon_.Get()
                                                         : tileIcon_.Get();
    if (zone.kind == WndMgrZoneKind::kTileToggle && zone.pane > 0) {
      // A tiled window's toggle shows pressed.
      RECT pressed = ToRect(zone.rect);
      ::InflateRect(&pressed, 2, 2);
      FillSolid(dc, pressed, painter_->HeaderColor());
      ::DrawEdge(dc, &pressed, BDR_SUNKENOUTER, BF_RECT | BF_SOFT);
    }
    if (icon != nullptr) {
      ::DrawIconEx(dc, zone.rect.left, zone.rect.top, icon, kWndMgrIconPixels, kWndMgrIconPixels, 0,
                   nullptr, DI_NORMAL);
    }
  }
}
