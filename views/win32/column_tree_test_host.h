// A plain window for the column tree's tests: a static 3002 to attach to, and a record of the
// notifications the column tree passes on, answering text requests and expanding on request.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "views/win32/window_base.h"

namespace column_tree_test {

inline constexpr int kStaticId = 3002;

struct Notice {
  UINT code = 0;
  HWND from = nullptr;
  UINT_PTR id = 0;
};

// Runs what is queued for this thread's windows, paints included.
inline void Pump() {
  MSG message{};
  for (int round = 0; round < 4; ++round) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(1);
  }
}

class CTestHost final : public CWindowBase {
 public:
  std::vector<Notice> notices;
  // The whole text of an item the tree asks for, given the buffer size.
  std::function<std::wstring(HTREEITEM, int)> textOf;
  std::function<void(HTREEITEM)> expanding;

  // The host with its static of the given client size at (4, 4).
  bool Open(int width, int height) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    ClassLook look;
    look.background = SystemColorBrush(COLOR_BTNFACE);
    RECT frame{0, 0, width + 8, height + 8};
    ::AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    if (!Create(L"TrelvaneColumnTreeTestHost", look, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                L"Column tree", nullptr, 0,
                RECT{40, 40, 40 + frame.right - frame.left, 40 + frame.bottom - frame.top})) {
      return false;
    }
    static_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 4, 4, width, height,
                                Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStaticId)),
                                nullptr, nullptr);
    ::SendMessageW(static_, WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return static_ != nullptr;
  }
  HWND Static() const { return static_; }
  size_t Count(UINT code) const {
    return static_cast<size_t>(std::count_if(notices.begin(), notices.end(),
                                             [code](const Notice& n) { return n.code == code; }));
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM, LPARAM lParam, bool* handled) override {
    *handled = false;
    if (message != WM_NOTIFY) return 0;
    *handled = true;
    auto* notice = reinterpret_cast<NMHDR*>(lParam);
    notices.push_back({notice->code, notice->hwndFrom, notice->idFrom});
    if (notice->code == TVN_GETDISPINFOW && textOf) {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(lParam);
      if ((info->item.mask & TVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
        const std::wstring text = textOf(info->item.hItem, info->item.cchTextMax);
        const size_t room = static_cast<size_t>(info->item.cchTextMax) - 1;
        const size_t length = std::min(room, text.size());
        std::copy_n(text.c_str(), length, info->item.pszText);
        info->item.pszText[length] = L'\0';
      }
    }
    if (notice->code == TVN_ITEMEXPANDINGW && expanding) {
      const auto* view = reinterpret_cast<NMTREEVIEWW*>(lParam);
      if ((view->action & TVE_EXPAND) != 0) expanding(view->itemNew.hItem);
    }
    return 0;
  }

 private:
  HWND static_ = nullptr;
};

inline HTREEITEM InsertItem(HWND tree, HTREEITEM parent, const std::wstring& text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  std::wstring copy = text;
  insert.item.pszText = copy.data();
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

inline RECT WindowRectIn(HWND window, HWND parent) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace column_tree_test
