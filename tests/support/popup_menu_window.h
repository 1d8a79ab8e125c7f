// Finding the popup menu this process shows (Windows), for tests that drive menus from a thread
// of their own while the code under test tracks them.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <thread>

namespace test_support {

// The visible menu window (class "#32768") of this process, or null.
inline HWND FindVisiblePopupMenu() {
  HWND found = nullptr;
  ::EnumWindows(
      [](HWND window, LPARAM result) CALLBACK -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (process != ::GetCurrentProcessId() || std::wcscmp(className, L"#32768") != 0 ||
            ::IsWindowVisible(window) == FALSE) {
          return TRUE;
        }
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Polls for that menu until it shows, `stop` is set or `limit` runs out; null in the last two.
inline HWND WaitForPopupMenu(const std::atomic<bool>& stop, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  HWND menu = FindVisiblePopupMenu();
  while (menu == nullptr && !stop.load() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    menu = FindVisiblePopupMenu();
  }
  return menu;
}

}  // namespace test_support
