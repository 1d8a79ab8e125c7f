// CHiddenWnd: the never-shown window on Excel's thread that runs the commands a ribbon or menu
// callback posted, once that callback has returned, and serves as the owner of popup menus.
#pragma once

#include <windows.h>

#include "views/win32/window_base.h"

class CAddInManager;

// What draws an owner-drawn menu while it is open (the colour menu).
class IOwnerDrawDelegate {
 public:
  virtual void MeasureItem(MEASUREITEMSTRUCT* item) = 0;
  virtual void DrawItem(const DRAWITEMSTRUCT* item) = 0;

 protected:
  ~IOwnerDrawDelegate() = default;
};

class CHiddenWnd final : public CWindowBase {
 public:
  // Its window name, a fixed text by which tests and tools find it.
  static constexpr const wchar_t* kWindowName = L"{6F0C2E4A-3B7D-4E19-9A52-D8C1F07B3E64}";

  CHiddenWnd() = default;
  // Creates the window on the calling thread (Excel's): WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
  // WS_POPUP, never shown.
  bool Create();
  // Not owned; null while there is none. Posted commands arriving without a manager are dropped.
  void SetManager(CAddInManager* manager) { manager_ = manager; }
  // Not owned; set while an owner-drawn menu owned by this window is open.
  void SetOwnerDrawDelegate(IOwnerDrawDelegate* delegate) { ownerDraw_ = delegate; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  CAddInManager* manager_ = nullptr;
  IOwnerDrawDelegate* ownerDraw_ = nullptr;
};
