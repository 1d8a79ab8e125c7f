// Finding and reading the add-in's windows.
#include "tests/excel_host/desktop_windows.h"

#include "tests/support/popup_menu_window.h"

namespace {


BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM collected) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == ::GetCurrentProcessId()) {
    reinterpret_cast<std::vector<HWND>*>(collected)->push_back(window);
  }
  return TRUE;
}

struct ChildSearch {
  const wchar_t* className;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChildClass(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<ChildSearch*>(search);
  if (WindowClassName(window) == wanted->className) {
    wanted->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring WindowClassName(HWND window) {
  wchar_t name[256] = {};
  const int length = ::GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::vector<HWND> ProcessTopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
  ChildSearch search{className};
  ::EnumChildWindows(parent, &MatchChildClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDialogWithControl(int controlId) {
  for (HWND window : ProcessTopLevelWindows()) {
    if (::IsWindowVisible(window) != FALSE && WindowClassName(window) == kDialogClassName &&
        ::GetDlgItem(window, controlId) != nullptr) {
      return window;
    }
  }
  return nullptr;
}

HWND FindPopupMenu() {
  return test_support::FindVisiblePopupMenu();
}
