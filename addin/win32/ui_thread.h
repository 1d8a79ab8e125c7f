// CNuvUIThread: the add-in's user-interface thread, where its windows live, with the handler
// window that makes and shows them on request from Excel's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/win32/scoped_handles.h"
#include "views/win32/window_base.h"

// Messages of the UI thread's handler window.
inline constexpr UINT kCreateDialogMessage = WM_APP + 101;    // wParam template, lParam dialog
inline constexpr UINT kActivateWindowMessage = WM_APP + 102;  // lParam the window
inline constexpr UINT kRunOnUiThreadMessage = WM_APP + 103;   // lParam a std::function, owned

// How long the UI thread is given to end when its owner goes, before it is left to the process.
inline constexpr DWORD kUiThreadEndWaitMs = 5000;

// The start-up and each waited request are handshakes over one named auto-reset event (a fixed
// GUID text and the process id, so that two Excel processes never release each other). Waits on
// Excel's side have no time limit but end if the thread dies, and let host calls through
// meanwhile: a window on the UI thread may be calling into Excel while Excel waits on it.
class CNuvUIThread {
 public:
  // Starts the thread and returns once its handler window exists; null when it cannot start.
  static std::unique_ptr<CNuvUIThread> Start();
  // Ends the thread: its windows are destroyed (their objects may delete themselves), then the
  // handler window. Waits at most kUiThreadEndWaitMs.
  ~CNuvUIThread();
  CNuvUIThread(const CNuvUIThread&) = delete;
  CNuvUIThread& operator=(const CNuvUIThread&) = delete;

  DWORD ThreadId() const { return threadId_; }
  HWND HandlerWindow() const { return handler_; }

  // Has the UI thread make `dialog` from template `templateId` as a modeless dialog without a
  // parent; with `wait`, returns once the window exists (or could not be made).
  void RequestDialog(CDialogBase* dialog, int templateId, bool wait);
  // Has the UI thread show `window` and make it the foreground window; returns at once.
  void ActivateWindow(HWND window);
  // Runs `work` on the UI thread (making a window that is no dialog, say); with `wait`, returns
  // once it has run.
  void RunOnUiThread(std::function<void()> work, bool wait);

 private:
  CNuvUIThread() = default;
  // Waits for the named event after a request was posted; false if the thread ended instead.
  bool WaitForHandshake(HANDLE event) const;

  CScopedKernelHandle thread_;
  DWORD threadId_ = 0;
  HWND handler_ = nullptr;
};

// The named event's name in this process.
std::wstring UiThreadEventName();
