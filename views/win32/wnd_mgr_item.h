// IWndMgrItem: a window the window manager hosts. The manager holds each one through a shared
// holder; the window object goes when the last holder does, after its window was destroyed.
#pragma once

#include <windows.h>

class IWndMgrItem {
 public:
  virtual ~IWndMgrItem() = default;
  // Creates the window as a child of `parent` from the window's own dialog template; its handle,
  // or null when it cannot be made. Called once, on the UI thread.
  virtual HWND CreateInManager(HWND parent) = 0;
  // The window, null before creation and after its destruction.
  virtual HWND Hwnd() const = 0;
};
