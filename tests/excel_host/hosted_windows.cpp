// Reading the window manager and its windows from outside.
#include "tests/excel_host/hosted_windows.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "tests/excel_host/desktop_windows.h"

namespace {

constexpr wchar_t kManagerTitle[] = L"Trelvane";
constexpr wchar_t kManagerTitlePrefix[] = L"Trelvane - ";
constexpr int kColumnTreeId = 3002;
constexpr int kInnerTreeId = 2;
constexpr int kHeaderId = 1;
constexpr int kProgressStopId = 1025;
// Item texts hold four short columns; a longer one is cut, not overrun.
constexpr int kItemTextCapacity = 8192;

std::wstring ItemText(HWND tree, HTREEITEM item) {
  std::wstring text(kItemTextCapacity, L'\0');
  TVITEMW query{};
  query.mask = TVIF_TEXT | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = text.data();
  query.cchTextMax = kItemTextCapacity;
  if (::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) == FALSE) return {};
  // A deferred text is answered through the owner, which may point elsewhere.
  if (query.pszText != text.data()) return query.pszText != nullptr ? query.pszText : L"";
  text.resize(std::wcslen(text.c_str()));
  return text;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, WPARAM relation) {
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

HWND FindWindowManager() {
  for (HWND window : ProcessTopLevelWindows()) {
    if (WindowClassName(window) != kDialogClassName) continue;
    if (::GetDlgItem(window, kProgressStopId) != nullptr) continue;
    const std::wstring title = WindowText(window);
    if (title == kManagerTitle || title.starts_with(kManagerTitlePrefix)) return window;
  }
  return nullptr;
}

std::vector<HWND> HostedWindows(HWND manager) {
  std::vector<HWND> hosted;
  for (HWND child = ::GetWindow(manager, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClassName(child) == kDialogClassName) hosted.push_back(child);
  }
  return hosted;
}

std::vector<std::wstring> HostedWindowTitles() {
  std::vector<std::wstring> titles;
  if (HWND manager = FindWindowManager()) {
    for (HWND hosted : HostedWindows(manager)) titles.push_back(WindowText(hosted));
  }
  std::sort(titles.begin(), titles.end());
  return titles;
}

HWND HostedTree(HWND hosted) {
  HWND columns = ::GetDlgItem(hosted, kColumnTreeId);
  return columns != nullptr ? ::GetDlgItem(columns, kInnerTreeId) : nullptr;
}

std::vector<TreeLine> ReadTree(HWND tree, int depth, std::vector<HTREEITEM>* items) {
  std::vector<TreeLine> lines;
  if (items != nullptr) items->clear();
  // Depth first on an explicit stack, children in order.
  std::vector<std::pair<HTREEITEM, int>> pending;
  std::vector<HTREEITEM> level;
  for (HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT); item != nullptr;
       item = NextItem(tree, item, TVGN_NEXT)) {
    level.push_back(item);
  }
  for (auto it = level.rbegin(); it != level.rend(); ++it) pending.emplace_back(*it, 0);
  while (!pending.empty()) {
    const auto [item, itemDepth] = pending.back();
    pending.pop_back();
    lines.push_back({itemDepth, ItemText(tree, item)});
    if (items != nullptr) items->push_back(item);
    if (itemDepth >= depth) continue;
    level.clear();
    for (HTREEITEM child = NextItem(tree, item, TVGN_CHILD); child != nullptr;
         child = NextItem(tree, child, TVGN_NEXT)) {
      level.push_back(child);
    }
    for (auto it = level.rbegin(); it != level.rend(); ++it)
      pending.emplace_back(*it, itemDepth + 1);
  }
  return lines;
}

HTREEITEM FindTopItem(HWND tree, const std::wstring& prefix) {
  for (HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT); item != nullptr;
       item = NextItem(tree, item, TVGN_NEXT)) {
    if (ItemText(tree, item).starts_with(prefix)) return item;
  }
  return nullptr;
}

namespace {

bool SendAnswered(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
  DWORD_PTR result = 0;
  const LRESULT sent =
      ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerWait, &result);
  if (answer != nullptr) *answer = static_cast<LRESULT>(result);
  return sent != 0;
}

HWND HostedHeader(HWND hosted) {
  HWND columns = ::GetDlgItem(hosted, kColumnTreeId);
  return columns != nullptr ? ::GetDlgItem(columns, kHeaderId) : nullptr;
}

}  // namespace

bool ExpandItem(HWND tree, HTREEITEM item) {
  return SendAnswered(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item), nullptr);
}

bool SelectItem(HWND tree, HTREEITEM item) {
  LRESULT selected = 0;
  return SendAnswered(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item),
                      &selected) &&
         selected != 0;
}

bool SendCommand(HWND window, int command) {
  return SendAnswered(window, WM_COMMAND, static_cast<WPARAM>(command), 0, nullptr);
}

std::wstring HostedControlText(HWND hosted, int control) {
  return WindowText(::GetDlgItem(hosted, control));
}

std::vector<int> HostedColumnWidths(HWND hosted) {
  std::vector<int> widths;
  HWND header = HostedHeader(hosted);
  if (header == nullptr) return widths;
  const auto count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int column = 0; column < count; ++column) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    widths.push_back(item.cxy);
  }
  return widths;
}

bool SetHostedColumnWidth(HWND hosted, int column, int width) {
  HWND header = HostedHeader(hosted);
  if (header == nullptr) return false;
  HDITEMW item{};
  item.mask = HDI_WIDTH;
  item.cxy = width;
  for (int step = 0; step < 2; ++step) {
    LRESULT set = 0;
    if (!SendAnswered(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&item), &set)) {
      return false;
    }
    if (set != 0) return true;
  }
  return false;
}
