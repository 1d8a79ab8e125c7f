// The trace window on a workbook of the embedded spreadsheet: its tree against the filler's,
// the boxes and Excel's selection, enabling, the commands that reach the controller or the
// clipboard, the switches kept in the registry, the find row, and a look at the window.
#include "views/win32/trace_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "export/clipboard_route.h"
#include "platform/win32/scoped_handles.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/spreadsheet_session.h"
#include "tests/support/window_screenshot.h"
#include "tests/support/scratch_current_user.h"
#include "views/progress_window.h"
#include "views/trace_tree.h"
#include "views/win32/settings_registry.h"
#include "views/win32/column_tree_test_host.h"
#include "views/window_commands.h"

namespace {

using spreadsheet::CellValue;

struct OpenedWindow {
  TraceKind kind;
  CellReference root;
};

class CTraceTestController final : public ITrelvaneController,
                                   public IMessageSink,
                                   public IClipboard {
 public:
  void OpenWindow(std::shared_ptr<CDependencyContainer>, TraceKind kind, const CellReference& root,
                  int32_t) override {
    opened.push_back({kind, root});
  }
  HWND ExcelWindow() const override { return nullptr; }
  IExcelThread& ExcelThread() override { return thread_; }
  IMessageSink& Messages() override { return *this; }
  IClipboard& Clipboard() override { return *this; }
  IOperationProgress& Progress() override { return progress_; }
  void OpenHelp(int32_t topic) override { helpTopics.push_back(topic); }

  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  bool SetAnsiText(const std::string& bytes) override {
    clipboard = bytes;
    return true;
  }
  bool SetUnicodeText(const std::wstring&) override { return false; }

  std::vector<OpenedWindow> opened;
  std::vector<int32_t> helpTopics;
  std::vector<std::wstring> messages;
  std::string clipboard;

 private:
  CCallerIsExcelThread thread_;
  ProgressWindow progress_;
};


// The frame the window manager would give: a plain top-level window.
class CTraceTestFrame final : public CWindowBase {
 public:
  bool Open() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    ClassLook look;
    look.background = SystemColorBrush(COLOR_BTNFACE);
    return Create(L"TrelvaneTraceTestFrame", look, 0,
                  WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, L"Trace frame", nullptr, 0,
                  RECT{30, 30, 30 + 760, 30 + 420});
  }
};

// The entries of a menu, "text" or "-" for a separator, enabled ones marked with "+", and
// submenus' entries after their own, indented.
std::vector<std::wstring> MenuLines(HMENU menu, const std::wstring& indent = L"") {
  std::vector<std::wstring> lines;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_ID;
    info.dwTypeData = text;
    info.cch = 128;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) != 0) {
      lines.push_back(indent + L"-");
      continue;
    }
    lines.push_back(indent + ((info.fState & MFS_GRAYED) != 0 ? L"" : L"+") + text);
    if (info.hSubMenu != nullptr) {
      for (const std::wstring& line : MenuLines(info.hSubMenu, indent + L"  ")) {
        lines.push_back(line);
      }
    }
  }
  return lines;
}

UINT MenuCommandOf(HMENU menu, const std::wstring& path) {
  // "Format/branch .../Marked": the entry's command.
  HMENU at = menu;
  size_t from = 0;
  while (at != nullptr) {
    const size_t slash = path.find(L'/', from);
    const std::wstring part = path.substr(from, slash - from);
    const int count = ::GetMenuItemCount(at);
    HMENU next = nullptr;
    for (int i = 0; i < count; ++i) {
      wchar_t text[128] = {};
      ::GetMenuStringW(at, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      if (part != text) continue;
      if (slash == std::wstring::npos) return ::GetMenuItemID(at, i);
      next = ::GetSubMenu(at, i);
      break;
    }
    at = next;
    from = slash + 1;
  }
  return 0;
}

std::wstring ControlText(HWND control) {
  wchar_t text[512] = {};
  ::GetWindowTextW(control, text, 512);
  return text;
}

// Every item's text, depth first, as "depth:text"; read through TVM_GETITEMW, so deferred texts
// are asked of the window. Only the items of open branches are visited, as the user sees them;
// the closed ones' children appear as their count.
std::vector<std::wstring> WindowTreeLines(HWND tree) {
  std::vector<std::wstring> lines;
  std::vector<std::pair<HTREEITEM, int>> work;
  auto next = [tree](HTREEITEM item, WPARAM relation) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  };
  for (HTREEITEM top = next(nullptr, TVGN_ROOT); top != nullptr; top = next(top, TVGN_NEXT)) {
    work.emplace_back(top, 0);
  }
  std::reverse(work.begin(), work.end());
  while (!work.empty()) {
    const auto [item, depth] = work.back();
    work.pop_back();
    wchar_t text[1000] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 1000;
    data.stateMask = TVIS_EXPANDED;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    lines.push_back(std::to_wstring(depth) + L":" + text);
    std::vector<std::pair<HTREEITEM, int>> children;
    for (HTREEITEM child = next(item, TVGN_CHILD); child != nullptr;
         child = next(child, TVGN_NEXT)) {
      children.emplace_back(child, depth + 1);
    }
    if ((data.state & TVIS_EXPANDED) == 0) {
      lines.back() += L" [" + std::to_wstring(children.size()) + L"]";
      continue;
    }
    work.insert(work.end(), children.rbegin(), children.rend());
  }
  return lines;
}

// The same for the portable tree; `open` lists the items that are expanded.
std::vector<std::wstring> FillerTreeLines(CTraceTree& tree, CTraceFiller& filler,
                                          const std::vector<TreeItem>& open) {
  std::vector<std::wstring> lines;
  std::vector<std::pair<TreeItem, int>> work;
  std::vector<std::pair<TreeItem, int>> tops;
  for (TreeItem top = tree.FirstChild(tree.Root()); top != kNoItem; top = tree.NextSibling(top)) {
    tops.emplace_back(top, 0);
  }
  work.assign(tops.rbegin(), tops.rend());
  while (!work.empty()) {
    const auto [item, depth] = work.back();
    work.pop_back();
    lines.push_back(std::to_wstring(depth) + L":" + filler.ItemText(item, 1000));
    std::vector<std::pair<TreeItem, int>> children;
    for (TreeItem child = tree.FirstChild(item); child != kNoItem;
         child = tree.NextSibling(child)) {
      children.emplace_back(child, depth + 1);
    }
    if (std::find(open.begin(), open.end(), item) == open.end()) {
      lines.back() += L" [" + std::to_wstring(children.size()) + L"]";
      continue;
    }
    work.insert(work.end(), children.rbegin(), children.rend());
  }
  return lines;
}

HTREEITEM ChildWithCell(HWND tree, HTREEITEM parent, const std::wstring& cell) {
  for (auto item = reinterpret_cast<HTREEITEM>(
           ::SendMessageW(tree, TVM_GETNEXTITEM, parent == nullptr ? TVGN_ROOT : TVGN_CHILD,
                          reinterpret_cast<LPARAM>(parent)));
       item != nullptr; item = reinterpret_cast<HTREEITEM>(::SendMessageW(
                            tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    wchar_t text[1000] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 1000;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    if (std::wstring(text).starts_with(cell + L"\t")) return item;
  }
  return nullptr;
}

class Win32TraceDlg : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.IsActive());
    ASSERT_TRUE(frame_.Open());
    // A precedents chain: A1 = B1 + C1, B1 = D1 * 2 with a line-broken formula, D1 = E1 + 1.
    Formula(1, 1, L"=B1+C1");
    Formula(2, 1, L"=D1*2\n+0\n+0");
    Number(3, 1, 3);
    Formula(4, 1, L"=E1+1");
    Number(5, 1, 5);
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    container_ = test_support::AttachContainer(session_);
  }
  void TearDown() override {
    window_.reset();
    column_tree_test::Pump();
  }

  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    session_.book->Sheet(1).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value) {
    session_.book->Sheet(1).SetValue({row, column}, CellValue::Number(value));
  }
  static CellReference Cell(int32_t column, int32_t row) {
    CellReference reference;
    reference.first = CellPos{1, column, row};
    reference.last = reference.first;
    return reference;
  }

  CTraceDlg& Open(TraceKind kind, const CellReference& root) {
    window_ = std::make_unique<CTraceDlg>(controller_, container_, kind, root, 0);
    HWND created = window_->CreateInManager(frame_.Hwnd());
    EXPECT_NE(nullptr, created);
    RECT client{};
    ::GetClientRect(frame_.Hwnd(), &client);
    ::SetWindowPos(created, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER);
    ::ShowWindow(created, SW_SHOW);
    column_tree_test::Pump();
    return *window_;
  }
  void Command(int command) {
    ::SendMessageW(window_->Hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    column_tree_test::Pump();
  }
  void Select(HTREEITEM item) {
    ::SendMessageW(window_->TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    column_tree_test::Pump();
  }
  HTREEITEM Top() const {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(window_->TreeHwnd(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
  }
  std::wstring ExcelSelection() const {
    const ExcelObject application(session_.application.Get());
    ExcelObject selection;
    std::wstring address;
    if (application.GetObject(L"Selection", &selection)) selection.GetText(L"Address", &address);
    return address;
  }

  test_support::CScratchCurrentUser scratch_{L"TraceWindow"};
  CTraceTestFrame frame_;
  test_support::CSpreadsheetSession session_;
  std::shared_ptr<CDependencyContainer> container_;
  CTraceTestController controller_;
  std::unique_ptr<CTraceDlg> window_;
};

TEST_F(Win32TraceDlg, TreeIsTheFillersAtTheFirstLevelAndAfterOpeningAnItem) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  EXPECT_EQ(L"Sheet1!A1 - precedents", ControlText(window.Hwnd()));

  CTraceTree tree;
  CTraceFiller filler(*container_, tree);
  tree.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(Cell(1, 1), TraceKind::kPrecedents);
  filler.Fill();
  const TreeItem top = tree.FirstChild(tree.Root());
  const std::vector<std::wstring> firstLevel = FillerTreeLines(tree, filler, {top});
  EXPECT_EQ(firstLevel, WindowTreeLines(window.TreeHwnd()));
  ASSERT_GE(firstLevel.size(), 3u);  // The root and its two precedents.

  // Opening B1 fills its level on demand, in the window as in the portable tree.
  HTREEITEM b1 = ChildWithCell(window.TreeHwnd(), Top(), L"B1");
  ASSERT_NE(nullptr, b1);
  ::SendMessageW(window.TreeHwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(b1));
  column_tree_test::Pump();
  TreeItem portableB1 = tree.FirstChild(top);
  ASSERT_TRUE(filler.ItemText(portableB1, 1000).starts_with(L"B1\t"));
  tree.Expand(portableB1);
  const std::vector<std::wstring> opened = FillerTreeLines(tree, filler, {top, portableB1});
  EXPECT_EQ(opened, WindowTreeLines(window.TreeHwnd()));
  EXPECT_GT(opened.size(), firstLevel.size());
}

TEST_F(Win32TraceDlg, SelectingAnItemFillsTheBoxesAndSelectsItsRangeInExcel) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  HWND value = ::GetDlgItem(window.Hwnd(), kValueBoxId);
  HWND formula = ::GetDlgItem(window.Hwnd(), kFormulaBoxId);
  // The root's own texts first.
  EXPECT_EQ(L"=B1+C1", ControlText(formula));
  EXPECT_EQ(L"15", ControlText(value));
  RECT oneLine{};
  ::GetWindowRect(formula, &oneLine);

  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  EXPECT_EQ(L"$B$1", ExcelSelection());
  EXPECT_EQ(L"12", ControlText(value));
  EXPECT_EQ(L"=D1*2\r\n+0\r\n+0", ControlText(formula));
  // Two line feeds: three lines high, the tree below it.
  RECT threeLines{};
  ::GetWindowRect(formula, &threeLines);
  RECT client{};
  ::GetClientRect(formula, &client);
  const int border = (oneLine.bottom - oneLine.top) - client.bottom / 3;
  EXPECT_EQ(oneLine.bottom - oneLine.top - border,
            (threeLines.bottom - threeLines.top - border) / 3);
  RECT tree{};
  ::GetWindowRect(window.Tree().Hwnd(), &tree);
  EXPECT_GE(tree.top, threeLines.bottom);

  // Without auto-activate a selection leaves Excel's alone; Select in Excel still selects.
  Command(kCmdAutoActivate);
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"C1"));
  EXPECT_EQ(L"$B$1", ExcelSelection());
  Command(kCmdSelectInExcel);
  EXPECT_EQ(L"$C$1", ExcelSelection());
}

TEST_F(Win32TraceDlg, TracingArrowsFollowTheSwitchAndTheSelectedFormula) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  const auto& arrows = session_.book->Sheet(1).TracerArrowList();
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  EXPECT_TRUE(arrows.empty());  // the switch starts off

  Command(kCmdShowTracingArrows);
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  EXPECT_EQ((std::vector<spreadsheet::TracerArrows>{{spreadsheet::CellRect::Of({1, 2}), true}}),
            arrows);
  // A constant has no precedents to point at: the old arrows go, none come.
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"C1"));
  EXPECT_TRUE(arrows.empty());

  Command(kCmdShowTracingArrows);
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  EXPECT_TRUE(arrows.empty());
}

TEST_F(Win32TraceDlg, CommandsFollowTheSelectedItemsNodeMapEntry) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  struct Case {
    int command;
    bool withEntry;
    bool without;
  };
  const Case cases[] = {
      {kCmdShowPrecedents, true, false},
      {kCmdShowDependents, true, false},
      {kCmdShowInputs, true, false},
      {kCmdTraceError, true, false},
      {kCmdEvaluateFormula, true, false},
      {kCmdSelectInExcel, true, false},
      {kCmdSaveBranchOnSheet, true, false},
      {kCmdSaveBranchInFile, true, false},
      {kCmdExpandAll, true, true},
      {kCmdHighlightErrors, true, true},
      {kCmdFilterHighlighted, true, true},
      {kCmdShowTracingArrows, true, true},
      {kCmdAutoActivate, true, true},
      {kCmdShowFindToolbar, true, true},
      {kCmdHelp, true, true},
  };
  Select(Top());
  for (const Case& c : cases)
    EXPECT_EQ(c.withEntry, window.ToolbarButtonEnabled(c.command)) << c.command;
  Select(nullptr);
  for (const Case& c : cases)
    EXPECT_EQ(c.without, window.ToolbarButtonEnabled(c.command)) << c.command;
}

TEST_F(Win32TraceDlg, OpeningCommandsReachTheControllerWithTheSelectedReference) {
  Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(ChildWithCell(window_->TreeHwnd(), Top(), L"B1"));
  const std::pair<int, TraceKind> cases[] = {{kCmdShowPrecedents, TraceKind::kPrecedents},
                                             {kCmdShowDependents, TraceKind::kDependents},
                                             {kCmdShowInputs, TraceKind::kInputs},
                                             {kCmdTraceError, TraceKind::kTraceError},
                                             {kCmdEvaluateFormula, TraceKind::kEvaluateFormula}};
  for (const auto& [command, kind] : cases) {
    controller_.opened.clear();
    Command(command);
    ASSERT_EQ(1u, controller_.opened.size()) << command;
    EXPECT_EQ(kind, controller_.opened[0].kind);
    EXPECT_TRUE(controller_.opened[0].root.IsIdenticalTo(Cell(2, 1)));
  }
  Command(kCmdHelp);
  EXPECT_EQ(std::vector<int32_t>{2}, controller_.helpTopics);
}

TEST_F(Win32TraceDlg, SavesThePathFromTheRootInTheClipboard) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  HWND tree = window.TreeHwnd();
  HTREEITEM b1 = ChildWithCell(tree, Top(), L"B1");
  ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(b1));
  Select(ChildWithCell(tree, b1, L"D1"));
  Command(kCmdSavePathInClipboard);
  ASSERT_FALSE(controller_.clipboard.empty());

  // The same bytes as the path writer gives for the root, B1 and D1.
  CTraceTestController direct;
  ASSERT_TRUE(SavePathInClipboard(*container_, {Cell(1, 1), Cell(2, 1), Cell(4, 1)}, direct));
  EXPECT_EQ(direct.clipboard, controller_.clipboard);
  EXPECT_NE(std::string::npos, controller_.clipboard.find("D1"));
}

TEST_F(Win32TraceDlg, SavesTheSelectedBranchOnANewSheetAndInTheClipboard) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  Command(kCmdSaveBranchInClipboard);
  CTraceTestController direct;
  ASSERT_TRUE(
      SaveBranchInClipboard(*container_, TraceKind::kPrecedents, Cell(2, 1), false, direct));
  EXPECT_EQ(direct.clipboard, controller_.clipboard);
  EXPECT_NE(std::string::npos, controller_.clipboard.find("E1"));
  EXPECT_EQ(std::string::npos, controller_.clipboard.find("C1"));

  const ExcelObject sheets(session_.Sheets().Get());
  LONG before = 0;
  ASSERT_TRUE(sheets.GetLong(L"Count", &before));
  Command(kCmdSaveBranchOnSheet);
  LONG after = 0;
  ASSERT_TRUE(sheets.GetLong(L"Count", &after));
  EXPECT_EQ(before + 1, after);
}

TEST_F(Win32TraceDlg, SwitchesAndPlacementOutliveTheWindow) {
  {
    CTraceDlg& window = Open(TraceKind::kDependents, Cell(2, 1));
    EXPECT_FALSE(window.ToolbarButtonChecked(kCmdShowTracingArrows));
    EXPECT_TRUE(window.ToolbarButtonChecked(kCmdAutoActivate));
    Command(kCmdShowTracingArrows);
    Command(kCmdAutoActivate);
    ::SetWindowPos(window.Hwnd(), nullptr, 20, 30, 700, 360, SWP_NOZORDER);
    Command(IDCANCEL);
    EXPECT_EQ(nullptr, window.Hwnd());
  }
  int32_t stored = -1;
  EXPECT_TRUE(ReadWindowSetting(kShowArrowsValue, &stored));
  EXPECT_EQ(1, stored);
  EXPECT_TRUE(ReadWindowSetting(kAutoActivateValue, &stored));
  EXPECT_EQ(0, stored);
  int32_t right = 0;
  int32_t left = 0;
  EXPECT_TRUE(ReadWindowSetting(L"UI_left", &left));
  EXPECT_TRUE(ReadWindowSetting(L"UI_right", &right));
  EXPECT_EQ(700, right - left);

  CTraceDlg& again = Open(TraceKind::kDependents, Cell(2, 1));
  EXPECT_TRUE(again.ToolbarButtonChecked(kCmdShowTracingArrows));
  EXPECT_FALSE(again.ToolbarButtonChecked(kCmdAutoActivate));
  EXPECT_TRUE(again.ShowArrowsOn());
  EXPECT_FALSE(again.AutoActivateOn());
}

TEST_F(Win32TraceDlg, EachKindHasItsTitleHelpTopicAndStartingSwitches) {
  Formula(1, 3, L"=1/0");
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  struct Case {
    TraceKind kind;
    CellReference root;
    std::wstring title;
    int32_t help;
    bool errorSwitches;
  };
  const Case cases[] = {
      {TraceKind::kDependents, Cell(2, 1), L"Sheet1!B1 - dependents", 1, false},
      {TraceKind::kPrecedents, Cell(1, 1), L"Sheet1!A1 - precedents", 2, false},
      {TraceKind::kInputs, Cell(1, 1), L"Sheet1!A1 - inputs", 3, false},
      {TraceKind::kErrorCells, Cell(1, 1), L"Cells with error value (1)", 4, false},
      {TraceKind::kTraceError, Cell(1, 3), L"Sheet1!A3 - trace error", 5, true},
      {TraceKind::kCalculationChain, Cell(1, 1), L"Calculation Chain", 0, false},
  };
  for (const Case& c : cases) {
    controller_.helpTopics.clear();
    CTraceDlg& window = Open(c.kind, c.root);
    EXPECT_EQ(c.title, ControlText(window.Hwnd()));
    EXPECT_EQ(c.errorSwitches, window.ToolbarButtonChecked(kCmdHighlightErrors)) << c.title;
    EXPECT_EQ(c.errorSwitches, window.ToolbarButtonChecked(kCmdFilterHighlighted)) << c.title;
    Command(kCmdHelp);
    EXPECT_EQ(std::vector<int32_t>{c.help}, controller_.helpTopics) << c.title;
    window_.reset();
  }
}

TEST_F(Win32TraceDlg, StoredPlacementIsUsedOnlyWhenItIsOnTheScreenAndNotEmpty) {
  struct Case {
    RECT rect;
    bool sound;
  };
  const Case cases[] = {
      {{10, 10, 300, 200}, true},     {{0, 10, 300, 200}, false},
      {{10, 0, 300, 200}, false},     {{300, 10, 300, 200}, false},
      {{10, 200, 300, 200}, false},   {{1280, 10, 1300, 200}, false},
      {{10, 1024, 300, 1100}, false}, {{1279, 1023, 1300, 1100}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.sound, PlacementSound(c.rect, 1280, 1024)) << c.rect.left << "," << c.rect.top;
  }
}

TEST_F(Win32TraceDlg, FindRowOpensWithFAndEnterFindsTheCellInTheBranch) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  ::SetForegroundWindow(frame_.Hwnd());
  ::SetFocus(window.TreeHwnd());
  Select(Top());
  HWND findBox = ::GetDlgItem(window.Hwnd(), kFindBoxId);
  EXPECT_FALSE(window.FindToolbarShown());
  ::SendMessageW(window.TreeHwnd(), WM_KEYDOWN, 'F', 0);
  column_tree_test::Pump();
  EXPECT_TRUE(window.FindToolbarShown());
  EXPECT_NE(FALSE, ::IsWindowVisible(findBox));
  EXPECT_NE(FALSE, ::IsWindowVisible(window.FindToolbarHwnd()));
  EXPECT_TRUE(window.ToolbarButtonChecked(kCmdShowFindToolbar));
  EXPECT_EQ(findBox, ::GetFocus());
  test_support::SaveScreenshotIfAsked(frame_.Hwnd(), L"trace_window_find");

  // E1 lies two levels down: A1 <- B1 <- D1 <- E1.
  ::SetWindowTextW(findBox, L"E1");
  ::SendMessageW(findBox, WM_KEYDOWN, VK_RETURN, 0);
  column_tree_test::Pump();
  const CellReference* selected =
      window.Filler()->ReferenceOf(CTreeViewStructure::ItemOf(reinterpret_cast<HTREEITEM>(
          ::SendMessageW(window.TreeHwnd(), TVM_GETNEXTITEM, TVGN_CARET, 0))));
  ASSERT_NE(nullptr, selected);
  EXPECT_TRUE(selected->IsIdenticalTo(Cell(5, 1)));
  EXPECT_FALSE(window.FindToolbarShown());
  EXPECT_EQ(FALSE, ::IsWindowVisible(findBox));
  EXPECT_FALSE(window.ToolbarButtonChecked(kCmdShowFindToolbar));
  EXPECT_TRUE(controller_.messages.empty());

  // An address that is no address gives the message.
  Command(kCmdShowFindToolbar);
  ::SetWindowTextW(findBox, L"not an address!");
  ::SendMessageW(findBox, WM_KEYDOWN, VK_RETURN, 0);
  column_tree_test::Pump();
  EXPECT_EQ(std::vector<std::wstring>{kInvalidFindAddressMessage}, controller_.messages);
}

TEST_F(Win32TraceDlg, RegistersWithTheContainerRefreshesOnItsMessageAndLeavesOnClose) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  ASSERT_EQ(1u, container_->Views().size());
  Number(3, 1, 7);
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  ::PostMessageW(window.Hwnd(), kRefreshWindowMessage, 0, 0);
  column_tree_test::Pump();
  EXPECT_EQ(L"Sheet1!A1 - precedents", ControlText(window.Hwnd()));
  HTREEITEM c1 = ChildWithCell(window.TreeHwnd(), Top(), L"C1");
  ASSERT_NE(nullptr, c1);
  EXPECT_EQ(L"7", window.Tree().ItemColumnText(c1, 2));
  EXPECT_EQ(L"19", ControlText(::GetDlgItem(window.Hwnd(), kValueBoxId)));
  Command(IDCANCEL);
  EXPECT_EQ(nullptr, window.Hwnd());
  EXPECT_TRUE(container_->Views().empty());
}

TEST_F(Win32TraceDlg, ContextMenuFollowsTheItemAndFormatsWithTheWorkbooksStyles) {
  session_.book->Formats().AddNamedStyle(spreadsheet::NamedStyle{L"Marked", {}, std::nullopt});
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  CScopedMenu menu = window.BuildContextMenu();
  const std::vector<std::wstring> lines = MenuLines(menu.Get());
  const std::vector<std::wstring> start{L"+Show Precedents",
                                        L"+Show Dependents",
                                        L"+Show Inputs",
                                        L"-",
                                        L"+Trace Error",
                                        L"-",
                                        L"+Evaluate Formula",
                                        L"-",
                                        L"+Save branch ...",
                                        L"  +On separate worksheet",
                                        L"  +In external file",
                                        L"  +In clipboard",
                                        L"+Save path from root node ...",
                                        L"  +On separate worksheet",
                                        L"  +In external file",
                                        L"  +In clipboard",
                                        L"+Format",
                                        L"  +branch ..."};
  ASSERT_GT(lines.size(), start.size());
  EXPECT_EQ(start, std::vector<std::wstring>(
                       lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(start.size())));
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"    +Marked"));
  EXPECT_EQ(L"+Expand all nodes in branch", lines.back());

  // Formatting B1's branch styles B1 and what it reads, down to E1; A1 and C1 keep theirs.
  const UINT command = MenuCommandOf(menu.Get(), L"Format/branch .../Marked");
  ASSERT_GE(command, static_cast<UINT>(kCmdFormatBranchFirst));
  Command(static_cast<int>(command));
  auto styleOf = [this](int32_t column) {
    const spreadsheet::CFormatTable& formats = session_.book->Formats();
    const uint32_t style =
        formats.FormatAt(session_.book->Sheet(1).FormatOf({1, column})).namedStyle;
    return formats.NamedStyles().at(style).name;
  };
  for (const int32_t column : {2, 4, 5}) EXPECT_EQ(L"Marked", styleOf(column)) << column;
  for (const int32_t column : {1, 3}) EXPECT_NE(L"Marked", styleOf(column)) << column;

  // Without a selected item every item command is off.
  Select(nullptr);
  CScopedMenu none = window.BuildContextMenu();
  EXPECT_EQ(L"Show Precedents", MenuLines(none.Get()).front());
}

TEST_F(Win32TraceDlg, PathCommandsFollowTheRootToTheSelectedItem) {
  session_.book->Formats().AddNamedStyle(spreadsheet::NamedStyle{L"OnPath", {}, std::nullopt});
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));

  // The path A1, B1 on a worksheet of its own.
  const ExcelObject sheets(session_.Sheets().Get());
  LONG before = 0;
  ASSERT_TRUE(sheets.GetLong(L"Count", &before));
  Command(kCmdSavePathOnSheet);
  LONG after = 0;
  ASSERT_TRUE(sheets.GetLong(L"Count", &after));
  EXPECT_EQ(before + 1, after);

  // Formatting the path styles A1 and B1 only, not what B1 reads nor A1's other precedent.
  CScopedMenu menu = window.BuildContextMenu();
  const UINT command = MenuCommandOf(menu.Get(), L"Format/path from root node .../OnPath");
  ASSERT_GE(command, static_cast<UINT>(kCmdFormatPathFirst));
  Command(static_cast<int>(command));
  const spreadsheet::CFormatTable& formats = session_.book->Formats();
  auto styleOf = [&](int32_t column) {
    const uint32_t style =
        formats.FormatAt(session_.book->Sheet(1).FormatOf({1, column})).namedStyle;
    return formats.NamedStyles().at(style).name;
  };
  for (const int32_t column : {1, 2}) EXPECT_EQ(L"OnPath", styleOf(column)) << column;
  for (const int32_t column : {3, 4}) EXPECT_NE(L"OnPath", styleOf(column)) << column;
}

TEST_F(Win32TraceDlg, ErrorSwitchesKeepOnlyThePrecedentsHoldingErrors) {
  Formula(3, 1, L"=1/0");
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  EXPECT_NE(nullptr, ChildWithCell(window.TreeHwnd(), Top(), L"B1"));

  Command(kCmdHighlightErrors);
  Command(kCmdFilterHighlighted);
  EXPECT_EQ(nullptr, ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  EXPECT_NE(nullptr, ChildWithCell(window.TreeHwnd(), Top(), L"C1"));

  // The filter off refreshes the whole tree.
  Command(kCmdFilterHighlighted);
  EXPECT_NE(nullptr, ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
}

TEST_F(Win32TraceDlg, ImportTakesExcelsSelectionIntoTheFindBox) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Command(kCmdShowFindToolbar);
  session_.app->Select({session_.book, 1, {{3, 2}, {4, 3}}});
  Command(kCmdImportSelection);
  EXPECT_EQ(L"'Sheet1'!$B$3:$C$4", ControlText(::GetDlgItem(window.Hwnd(), kFindBoxId)));
}

TEST_F(Win32TraceDlg, ExpandAllOpensTheBranchAsTheFillerDoes) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(Top());
  Command(kCmdExpandAll);

  CTraceTree tree;
  CTraceFiller filler(*container_, tree);
  tree.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(Cell(1, 1), TraceKind::kPrecedents);
  filler.Fill();
  tree.Select(tree.FirstChild(tree.Root()));
  filler.ExpandAll();
  std::vector<TreeItem> open;
  std::vector<TreeItem> work{tree.FirstChild(tree.Root())};
  while (!work.empty()) {
    const TreeItem item = work.back();
    work.pop_back();
    if (tree.FirstChild(item) != kNoItem) open.push_back(item);
    for (TreeItem child = tree.FirstChild(item); child != kNoItem;
         child = tree.NextSibling(child)) {
      work.push_back(child);
    }
  }
  const std::vector<std::wstring> lines = WindowTreeLines(window.TreeHwnd());
  EXPECT_EQ(FillerTreeLines(tree, filler, open), lines);
  EXPECT_NE(lines.end(), std::find_if(lines.begin(), lines.end(), [](const std::wstring& line) {
              return line.starts_with(L"3:E1\t");
            }));
}

TEST_F(Win32TraceDlg, TheTreesFocusFramesTheSelectedRangeInExcel) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  ::SetForegroundWindow(frame_.Hwnd());
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  auto weight = [this](const wchar_t* address) {
    ExcelObject sheet(session_.Sheet(1).Get());
    ExcelObject range;
    ExcelObject borders;
    ExcelObject edge;
    LONG value = 0;
    if (sheet.GetObject(L"Range", &range, {CVariant(address)}) &&
        range.GetObject(L"Borders", &borders) &&
        borders.GetObject(L"Item", &edge, {CVariant(LONG{7})})) {
      edge.GetLong(L"Weight", &value);
    }
    return value;
  };
  const LONG before = weight(L"B1");
  ::SetFocus(window.TreeHwnd());
  column_tree_test::Pump();
  EXPECT_EQ(kWeightThick, weight(L"B1"));
  ::SetFocus(::GetDlgItem(window.Hwnd(), kValueBoxId));
  column_tree_test::Pump();
  EXPECT_EQ(before, weight(L"B1"));
}

TEST_F(Win32TraceDlg, ShowsTheToolbarImagesAndTheColumns) {
  CTraceDlg& window = Open(TraceKind::kPrecedents, Cell(1, 1));
  Select(ChildWithCell(window.TreeHwnd(), Top(), L"B1"));
  const std::wstring saved = test_support::SaveScreenshotIfAsked(frame_.Hwnd(), L"trace_window");
  (void)saved;
  const test_support::WindowImage image = test_support::CaptureWindow(window.Hwnd());
  ASSERT_FALSE(image.IsEmpty());
  // The toolbar's drawn images: the blue of the precedents arrow within the toolbar's band.
  RECT toolbar{};
  ::GetWindowRect(window.ToolbarHwnd(), &toolbar);
  RECT dialog{};
  ::GetWindowRect(window.Hwnd(), &dialog);
  const int top = toolbar.top - dialog.top;
  const int bottom = std::min<int>(toolbar.bottom - dialog.top, image.height);
  const std::uint32_t blue = test_support::PixelOf(RGB(30, 90, 190));
  int bluePixels = 0;
  for (int y = std::max(top, 0); y < bottom; ++y) {
    for (int x = 0; x < image.width; ++x) bluePixels += image.At(x, y) == blue;
  }
  EXPECT_GT(bluePixels, 20);
  // Four columns with their titles, each wide enough to read.
  EXPECT_EQ(4, window.Tree().ColumnCount());
  for (int column = 0; column < 4; ++column) EXPECT_GT(window.Tree().ColumnWidth(column), 30);
}

}  // namespace
