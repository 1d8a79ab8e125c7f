// The window manager and the trace and evaluate windows it hosts, found and read from outside
// as a user sees them: titles, and the tree of each window item by item through its control.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

// The manager's frame: a top-level dialog of this process titled "Trelvane" or "Trelvane - ...";
// null when there is none.
HWND FindWindowManager();
// The windows the frame hosts (its child dialogs), shown or hidden.
std::vector<HWND> HostedWindows(HWND manager);
// Their titles, sorted; empty without a frame.
std::vector<std::wstring> HostedWindowTitles();

// One tree item as read back: its depth (0 for the top items) and its text, the columns joined
// by tabs as the control keeps them.
struct TreeLine {
  int depth = 0;
  std::wstring text;
  friend bool operator==(const TreeLine&, const TreeLine&) = default;
};
// For test failures: the depth and the text, other than ASCII as '?'.
inline void PrintTo(const TreeLine& line, std::ostream* out) {
  *out << line.depth << ":";
  for (const wchar_t c : line.text) {
    *out << (c == L'\t' ? '|' : c >= 32 && c < 127 ? static_cast<char>(c) : '?');
  }
}

// The inner tree control of a hosted window's column tree (control 3002), or null.
HWND HostedTree(HWND hosted);
// The items down to `depth` levels below the top (0: the top items only), in display order;
// `items`, when given, gets the handle of each line.
std::vector<TreeLine> ReadTree(HWND tree, int depth, std::vector<HTREEITEM>* items = nullptr);
// The first item at the top whose text starts with `prefix`, or null.
HTREEITEM FindTopItem(HWND tree, const std::wstring& prefix);

// Acting on the windows as a user's clicks would, from Excel's thread: the add-in's thread may
// call back into it meanwhile, and a window that does not answer within `kAnswerWait` fails the
// call (false) instead of hanging it.
inline constexpr unsigned kAnswerWait = 15000;
bool ExpandItem(HWND tree, HTREEITEM item);
bool SelectItem(HWND tree, HTREEITEM item);
bool SendCommand(HWND window, int command);
// The text of a hosted window's control (the value box 3003, the formula box 3001).
std::wstring HostedControlText(HWND hosted, int control);
// The widths of the columns of a hosted window's column tree, from its header; one set as a
// drag of the header's divider ends.
std::vector<int> HostedColumnWidths(HWND hosted);
// A drag's steps alternate between refused and taken, so a step is tried twice.
bool SetHostedColumnWidth(HWND hosted, int column, int width);
