// The move-aside operation over Excel's real windows.
#include "views/win32/move_aside_window.h"

#include <string>

#include "views/win32/cell_screen_rect_win32.h"

namespace {

// Class names are at most 256 characters.
constexpr int kClassNameCapacity = 257;

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  auto* children = reinterpret_cast<std::vector<WindowNode>*>(list);
  children->push_back(CWin32WindowTree::ToNode(child));
  return TRUE;
}

ScreenRect FromRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

std::wstring CWin32WindowTree::Text(WindowNode window) const {
  const HWND handle = ToHwnd(window);
  const int length = ::GetWindowTextLengthW(handle);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(handle, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring CWin32WindowTree::ClassName(WindowNode window) const {
  wchar_t name[kClassNameCapacity] = {};
  const int length = ::GetClassNameW(ToHwnd(window), name, kClassNameCapacity);
  return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

std::vector<WindowNode> CWin32WindowTree::Children(WindowNode window) const {
  // EnumChildWindows walks all descendants; only the direct children are the node's.
  std::vector<WindowNode> all;
  ::EnumChildWindows(ToHwnd(window), &CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<WindowNode> children;
  for (WindowNode child : all) {
    if (::GetParent(ToHwnd(child)) == ToHwnd(window)) children.push_back(child);
  }
  return children;
}

bool MoveAsideFrom(HWND topLevel, const ExcelObject& application) {
  ExcelObject activeWindow;
  std::wstring caption;
  LONG mainWindow = 0;
  if (!application.GetObject(L"ActiveWindow", &activeWindow)) return false;
  activeWindow.GetText(L"Caption", &caption);
  application.GetLong(L"Hwnd", &mainWindow);
  // Excel answers its handle as a Long; handles keep their meaning in 32 bits.
  const HWND excel = reinterpret_cast<HWND>(static_cast<LONG_PTR>(mainWindow));
  if (excel == nullptr || caption.empty()) return false;

  const CWin32WindowTree tree;
  const std::optional<WindowNode> found =
      FindWorkbookWindow(tree, CWin32WindowTree::ToNode(excel), caption);
  if (!found) return false;
  ExcelObject selection;
  activeWindow.GetObject(L"RangeSelection", &selection);
  const ScreenRect cells = CellScreenRect(CWin32WindowTree::ToHwnd(*found), application, selection);

  RECT window{};
  if (::GetWindowRect(topLevel, &window) == FALSE) return false;
  RECT workArea{};
  std::optional<ScreenRect> work;
  if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0) != FALSE) {
    work = FromRect(workArea);
  }
  const std::optional<ScreenRect> moved = ChooseAsidePosition(FromRect(window), cells, work);
  if (!moved) return false;
  // Called on Excel's thread for a window of the UI thread, which may be waiting for this very
  // call: a synchronous move would wait for it in turn.
  const bool otherThread = ::GetWindowThreadProcessId(topLevel, nullptr) != ::GetCurrentThreadId();
  return ::SetWindowPos(topLevel, nullptr, moved->left, moved->top, moved->right - moved->left,
                        moved->bottom - moved->top,
                        SWP_NOZORDER | SWP_NOACTIVATE |
                            (otherThread ? UINT{SWP_ASYNCWINDOWPOS} : UINT{0})) != FALSE;
}
