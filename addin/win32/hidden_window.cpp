// The hidden window's messages: posted commands to the manager, owner-draw to the menu.
#include "addin/win32/hidden_window.h"

#include "addin/addin_manager.h"
#include "addin/desktop.h"

bool CHiddenWnd::Create() {
  return CWindowBase::Create(L"TrelvaneHiddenWindow", WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP,
                             kWindowName, nullptr);
}

LRESULT CHiddenWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case kPostedTraceMessage:
    case kPostedEvaluateMessage:
      *handled = true;
      if (manager_ != nullptr) manager_->OnPostedMessage(message, wParam);
      return 0;
    case WM_MEASUREITEM:
      if (ownerDraw_ == nullptr) break;
      *handled = true;
      ownerDraw_->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      if (ownerDraw_ == nullptr) break;
      *handled = true;
      ownerDraw_->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    default:
      break;
  }
  return CWindowBase::OnMessage(message, wParam, lParam, handled);
}
