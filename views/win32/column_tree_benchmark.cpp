// Measures the column tree's first paint of a large branch: 10,000 children inserted under one
// item, the item opened, the tree painted; median of repeated runs. Run by hand, not a test.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "views/win32/column_tree_ctrl.h"
#include "views/win32/window_base.h"

namespace {

constexpr int kChildren = 10000;
constexpr int kRuns = 9;

class CBenchmarkHost final : public CWindowBase {};

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, std::wstring text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = text.data();
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

struct RunTimes {
  double insert = 0;
  double expand = 0;
  double paint = 0;
};

// One run: a fresh window and tree; the times of inserting, opening and the first paint.
bool RunOnce(RunTimes* times) {
  CBenchmarkHost host;
  if (!host.Create(L"TrelvaneColumnTreeBenchmark", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                   L"Column tree benchmark", nullptr, 0, RECT{20, 20, 720, 620})) {
    return false;
  }
  HWND holder = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 680, 560,
                                  host.Hwnd(), nullptr, nullptr, nullptr);
  CColumnTreeCtrl columns;
  if (!columns.Attach(holder)) return false;
  HWND tree = columns.TreeHwnd();
  ::SetWindowLongPtrW(tree, GWL_STYLE,
                      ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_HASBUTTONS | TVS_HASLINES |
                          TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT);
  const wchar_t* titles[] = {L"Cell", L"Sheet", L"Value", L"Formula"};
  for (int i = 0; i < 4; ++i) columns.InsertColumn(i, titles[i], 0, 150);

  LARGE_INTEGER start{};
  LARGE_INTEGER inserted{};
  LARGE_INTEGER expanded{};
  LARGE_INTEGER painted{};
  ::QueryPerformanceCounter(&start);
  ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  const HTREEITEM parent = Insert(tree, TVI_ROOT, L"A1\tSheet1\t10000\t=SUM(B1:B10000)");
  for (int i = 1; i <= kChildren; ++i) {
    const std::wstring n = std::to_wstring(i);
    Insert(tree, parent, L"B" + n + L"\tSheet1\t" + n + L"\t=C" + n + L"*2");
  }
  ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  ::QueryPerformanceCounter(&inserted);
  ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  ::QueryPerformanceCounter(&expanded);
  ::RedrawWindow(host.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::QueryPerformanceCounter(&painted);
  times->insert = Milliseconds(start, inserted);
  times->expand = Milliseconds(inserted, expanded);
  times->paint = Milliseconds(expanded, painted);
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  std::vector<double> inserts;
  std::vector<double> expands;
  std::vector<double> paints;
  for (int run = 0; run < kRuns; ++run) {
    RunTimes times;
    if (!RunOnce(&times)) {
      std::fprintf(stderr, "could not make the window\n");
      return 1;
    }
    inserts.push_back(times.insert);
    expands.push_back(times.expand);
    paints.push_back(times.paint);
  }
  std::printf(
      "%d children, median of %d runs: insert %.1f ms, expand %.1f ms, first paint %.1f ms\n",
      kChildren, kRuns, Median(inserts), Median(expands), Median(paints));
  return 0;
}
