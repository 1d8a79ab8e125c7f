// CRequestListFrame: the window manager's stand-in on the UI thread. A plain top-level frame
// titled "Trelvane" that lists each window it is asked to host as a line of a list box, so that
// the requests can be read back; it hosts no real trace or evaluate windows.
#pragma once

#include <windows.h>

#include <string>

#include "addin/desktop.h"
#include "views/win32/window_base.h"

inline constexpr UINT kAddWindowMessage = WM_APP;  // wParam 1 to activate, lParam a WindowRequest*
inline constexpr int kRequestListId = 1001;        // the list box of request lines

// The line a request is listed as: the title its window would have, the colour for the colour
// filters, and the workbook of its container, e.g. "Sheet1!B2 - precedents  (container
// Book1.xlsx)". Reads the container: call on Excel's thread.
std::wstring DescribeWindowRequest(const WindowRequest& request);

// Lives on the UI thread and owns itself: it goes with its window (WM_CLOSE destroys it).
class CRequestListFrame final : public CWindowBase {
 public:
  // Makes a frame on the calling thread (the UI thread); its window, or null.
  static HWND CreateOnThisThread();
  // Hands `request` to the frame at `frame`, which takes a heap copy; false if it cannot be
  // posted. Any thread.
  static bool PostRequest(HWND frame, const WindowRequest& request, bool activate);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
  void OnFinalMessage() override {
    if (ownsItself_) delete this;
  }

 private:
  CRequestListFrame() = default;
  // Takes the posted copy; lists it when `list`, and gives its container up on Excel's thread.
  void AddRequest(WindowRequest* request, bool list);

  HWND list_ = nullptr;
  bool ownsItself_ = false;  // from a successful creation on
};
