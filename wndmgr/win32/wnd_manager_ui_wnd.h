// CWndManagerUIWnd: the one top-level frame on the add-in's UI thread that hosts the trace and
// evaluate windows as tabs and tiled panes, painted in the Office theme's colours.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/scoped_handles.h"
#include "views/win32/window_base.h"
#include "views/win32/wnd_mgr_item.h"
#include "wndmgr/tab_strip_layout.h"
#include "wndmgr/window_manager_painters.h"

// Posted to the frame: wParam 1 to activate the window, lParam a heap-allocated
// std::shared_ptr<IWndMgrItem>* that the frame takes over.
inline constexpr UINT kWndMgrAddWindowMessage = WM_APP;

class CWndManagerUIWnd final : public CDialogBase {
 public:
  // Creates the frame (template 101, hidden) on the calling thread, which must pump its
  // messages; the object owns itself and is deleted with its window. Null on failure.
  static CWndManagerUIWnd* CreateOnThisThread(std::unique_ptr<CWndMgrPainter> painter,
                                              std::wstring title);
  // Posts AddWindow to `manager` from any thread; false (and the window dropped) when the post
  // fails.
  static bool PostAddWindow(HWND manager, std::shared_ptr<IWndMgrItem> window, bool activate);
  // The frame object of a window CreateOnThisThread made, or null.
  static CWndManagerUIWnd* FromManager(HWND manager);

  // The base of the caption, which reads "title - caption of the window placed last".
  void SetTitle(std::wstring title);
  const std::wstring& Title() const { return title_; }
  const CWndMgrPainter& Painter() const { return *painter_; }

  // Read back on the UI thread, for the caller and for tests.
  const CTabStripLayout& Strip() const { return layout_; }
  int HostedCount() const { return static_cast<int>(layout_.Items().size()); }
  HWND HostedWindow(int item) const;  // null when out of range
  // The tab menu as the right button or the menu button would show it; the caller owns it.
  CScopedMenu BuildTabMenu();

 protected:
  BOOL OnInitDialog() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
  void OnFinalMessage() override;

 private:
  struct Hosted {
    std::shared_ptr<IWndMgrItem> item;
    HWND window = nullptr;  // kept to recognise the window once it is gone
  };

  CWndManagerUIWnd(std::unique_ptr<CWndMgrPainter> painter, std::wstring title);

  void AddWindow(std::shared_ptr<IWndMgrItem> window, bool activate);
  // The client size and the hosted windows' captions as they are now, before any layout.
  void Sync();
  void Apply(const WndMgrChanges& changes);
  void CloseManager();
  void CloseWindowsThatAreGone();
  void OnLeftButtonDown(std::int32_t x, std::int32_t y);
  void OnLeftButtonUp(std::int32_t x, std::int32_t y);
  bool SetSplitterCursor();
  void ShowTabMenu(POINT client);
  HWND WindowOf(std::uint64_t key) const;

  HFONT Font();
  int MeasureText(std::wstring_view text);
  void Paint(HDC dc);
  void PaintMainHeader(HDC dc, const WndMgrRect& pane);
  void PaintTiledHeader(HDC dc, int pane, int item);
  void PaintPaneFrame(HDC dc, const WndMgrRect& pane);
  void PaintZones(HDC dc);
  void DrawCaption(HDC dc, const std::wstring& text, const RECT& area, COLORREF color);
  std::int32_t TextRightOfTab(const WndMgrTab& tab) const;

  std::unique_ptr<CWndMgrPainter> painter_;
  std::wstring title_;
  int smallIcon_;
  CTabStripLayout layout_;
  std::map<std::uint64_t, Hosted> hosted_;
  std::uint64_t nextKey_ = 1;
  int pressedZone_ = -1;
  bool ownsItself_ = false;  // set once the window exists
  CScopedIcon closeIcon_;
  CScopedIcon tileIcon_;
  CScopedIcon menuIcon_;
  CScopedFont font_;
  CScopedMemoryDc measureDc_;
};
