// The evaluate window on workbooks of the embedded spreadsheet: its tree read back from the tree
// control against the filler's tree in memory, opened on demand, its title, enabling, commands
// reaching the controller, and column widths kept between sessions.
#include "views/win32/evaluate_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/excel_worker_thread.h"
#include "tests/support/spreadsheet_session.h"
#include "tests/support/window_screenshot.h"
#include "tests/support/scratch_current_user.h"
#include "views/evaluate_filler.h"
#include "views/progress_window.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/win32/settings_registry.h"
#include "views/win32/trace_dlg.h"
#include "views/win32/trelvane_windows.h"
#include "views/win32/column_tree_test_host.h"
#include "views/window_commands.h"

namespace {

using test_support::CellRef;

// One item as a tree shows it: its depth, its whole text and its image, in pre-order.
struct EvaluateRow {
  int depth;
  std::wstring text;
  int image;
  friend bool operator==(const EvaluateRow&, const EvaluateRow&) = default;
};
void PrintTo(const EvaluateRow& row, std::ostream* out) {
  *out << row.depth << " " << testing::PrintToString(row.text) << " " << row.image;
}

struct EvaluateRows {
  std::vector<EvaluateRow> rows;
  std::vector<TreeItem> items;  // the item of each row
  size_t Find(const std::wstring& textStart) const {
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].text.starts_with(textStart)) return i;
    }
    return rows.size();
  }
};

// Pre-order over a tree, given how to step to a first child and a next sibling and how to read
// one item; kNoItem stands for the invisible root.
template <class FirstChild, class NextSibling, class Read>
EvaluateRows ReadPreOrder(FirstChild firstChild, NextSibling nextSibling, Read read) {
  EvaluateRows seen;
  std::vector<std::pair<TreeItem, int>> stack;
  const auto pushChildren = [&](TreeItem parent, int depth) {
    const size_t mark = stack.size();
    for (TreeItem c = firstChild(parent); c != kNoItem; c = nextSibling(c)) {
      stack.emplace_back(c, depth);
    }
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
  };
  pushChildren(kNoItem, 0);
  while (!stack.empty()) {
    const auto [item, depth] = stack.back();
    stack.pop_back();
    seen.rows.push_back(read(item, depth));
    seen.items.push_back(item);
    pushChildren(item, depth + 1);
  }
  return seen;
}

// The tree control's items, read with the tree messages alone.
EvaluateRows ReadTreeControl(HWND tree) {
  const auto next = [tree](TreeItem item, UINT relation) {
    return static_cast<TreeItem>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, static_cast<LPARAM>(item)));
  };
  return ReadPreOrder(
      [&](TreeItem item) { return next(item, item == kNoItem ? TVGN_ROOT : TVGN_CHILD); },
      [&](TreeItem item) { return next(item, TVGN_NEXT); },
      [tree](TreeItem item, int depth) {
        std::wstring buffer(1024, L'\0');
        TVITEMW data{};
        data.mask = TVIF_TEXT | TVIF_IMAGE;
        data.hItem = CTreeViewStructure::Handle(item);
        data.pszText = buffer.data();
        data.cchTextMax = static_cast<int>(buffer.size());
        ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        return EvaluateRow{depth, data.pszText, data.iImage};
      });
}

EvaluateRows ReadMemoryTree(const CTraceTree& tree) {
  return ReadPreOrder(
      [&](TreeItem item) { return tree.FirstChild(item == kNoItem ? tree.Root() : item); },
      [&](TreeItem item) { return tree.NextSibling(item); },
      [&](TreeItem item, int depth) {
        return EvaluateRow{depth, tree.Text(item).value_or(L"(deferred)"), tree.Image(item)};
      });
}

class CEvaluateTestMessages final : public IMessageSink {
 public:
  void ShowMessage(const std::wstring& text) override { shown.push_back(text); }
  std::vector<std::wstring> shown;
};

class CEvaluateTestClipboard final : public IClipboard {
 public:
  bool SetAnsiText(const std::string&) override { return false; }
  bool SetUnicodeText(const std::wstring&) override { return false; }
};

// The add-in around the window: Excel's thread is the test's, and window requests are recorded.
class CEvaluateTestController final : public ITrelvaneController {
 public:
  struct Opened {
    TraceKind kind;
    CellReference root;
  };

  void OpenWindow(std::shared_ptr<CDependencyContainer>, TraceKind kind, const CellReference& root,
                  int32_t) override {
    opened.push_back({kind, root});
  }
  HWND ExcelWindow() const override { return nullptr; }
  IExcelThread& ExcelThread() override { return excel != nullptr ? *excel : thread_; }
  IMessageSink& Messages() override { return messages_; }
  IClipboard& Clipboard() override { return clipboard_; }
  IOperationProgress& Progress() override { return progress_; }
  void OpenHelp(int32_t topic) override { helpTopics.push_back(topic); }

  std::vector<Opened> opened;
  std::vector<int32_t> helpTopics;
  IExcelThread* excel = nullptr;  // the test's thread unless set

 private:
  CCallerIsExcelThread thread_;
  CEvaluateTestMessages messages_;
  CEvaluateTestClipboard clipboard_;
  ProgressWindow progress_;
};

// A top-level window standing in for the window manager's frame.
class CEvaluateTestFrame final : public CWindowBase {
 public:
  bool Open() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    ClassLook look;
    look.background = SystemColorBrush(COLOR_BTNFACE);
    return Create(L"TrelvaneEvaluateTestFrame", look, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                  L"Evaluate test frame", nullptr, 0, RECT{30, 30, 30 + 640, 30 + 420});
  }
};


class Win32EvaluateDlg : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.IsActive());
    ASSERT_TRUE(frame_.Open());
    // D1 = SUM(A1:A3)*B1 with B1 = C1*2; E1 a string; F1 a formula with an empty result.
    auto& sheet = session_.book->Sheet(1);
    for (int32_t row = 1; row <= 3; ++row) {
      sheet.SetValue({row, 1}, spreadsheet::CellValue::Number(row));
    }
    sheet.SetFormula({1, 2}, L"=C1*2");
    sheet.SetValue({1, 3}, spreadsheet::CellValue::Number(5));
    sheet.SetFormula({1, 4}, L"=SUM(A1:A3)*B1+LEN(E1&F1)");
    sheet.SetValue({1, 5}, spreadsheet::CellValue::Text(L"north"));
    sheet.SetFormula({1, 6}, L"=\"\"");
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    container_ = std::shared_ptr<CDependencyContainer>(test_support::AttachContainer(session_));
  }
  void TearDown() override {
    window_.reset();
    reference_.reset();
    // The workbook's objects go on the thread they belong to.
    if (excel_ != nullptr) excel_->Run([this] { container_.reset(); });
    column_tree_test::Pump();
  }

  // The workbook's objects on a thread of their own, as Excel's are in the add-in.
  void MoveWorkbookToItsOwnThread() {
    excel_ = std::make_unique<test_support::CExcelWorkerThread>();
    container_.reset();
    excel_->Run([this] { container_ = test_support::AttachContainer(session_); });
    container_->SetExcelThread(excel_.get());
    controller_.excel = excel_.get();
  }

  // The window of the factory for an evaluate request, created in the frame and filling it.
  CEvaluateDlg* Open(const CellReference& root) {
    window_ = MakeTrelvaneWindow(controller_, container_, TraceKind::kEvaluateFormula, root, 0);
    auto* dialog = dynamic_cast<CEvaluateDlg*>(window_.get());
    if (dialog == nullptr) return nullptr;
    const HWND made = window_->CreateInManager(frame_.Hwnd());
    if (made == nullptr) return nullptr;
    RECT client{};
    ::GetClientRect(frame_.Hwnd(), &client);
    ::MoveWindow(made, 0, 0, client.right, client.bottom, TRUE);
    ::ShowWindow(made, SW_SHOW);
    column_tree_test::Pump();
    return dialog;
  }

  // The same request filled into a tree in memory.
  void FillReference(const CellReference& root) {
    reference_ = std::make_unique<CEvaluateFiller>(*container_, memory_);
    memory_.SetExpandingHandler([this](TreeItem item) { reference_->ExpandOnDemand(item); });
    reference_->SetRoot(root);
    reference_->Fill();
  }

  void Select(const CEvaluateDlg& dialog, TreeItem item) {
    ::SendMessageW(dialog.TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, static_cast<LPARAM>(item));
    column_tree_test::Pump();
  }

  test_support::CScratchCurrentUser scratch_{L"Evaluate"};
  CEvaluateTestFrame frame_;
  test_support::CSpreadsheetSession session_;
  std::unique_ptr<test_support::CExcelWorkerThread> excel_;
  std::shared_ptr<CDependencyContainer> container_;
  CEvaluateTestController controller_;
  std::shared_ptr<IWndMgrItem> window_;
  CTraceTree memory_;
  std::unique_ptr<CEvaluateFiller> reference_;
};

TEST_F(Win32EvaluateDlg, TreeMatchesTheFillerAtTheTopAndAfterOpeningReferences) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  FillReference(CellRef(4, 1));

  EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  EvaluateRows expected = ReadMemoryTree(memory_);
  EXPECT_EQ(expected.rows, shown.rows);
  // The root with its value and formula, opened into the expression; references keep their
  // placeholders until opened.
  ASSERT_GE(shown.rows.size(), 4u);
  EXPECT_EQ((EvaluateRow{0, L"D1\t65=SUM(A1:A3)*B1+LEN(E1&F1)", kEvaluateImageCell}),
            shown.rows[0]);
  const size_t b1 = shown.Find(L"B1\t");
  ASSERT_LT(b1, shown.rows.size());
  EXPECT_EQ(L"B1\t10=C1*2", shown.rows[b1].text);
  EXPECT_EQ(kNotReadyText, shown.rows[b1 + 1].text);
  // A string between apostrophes; an empty formula result as two.
  EXPECT_EQ(L"E1\t'north'", shown.rows[shown.Find(L"E1\t")].text);
  EXPECT_EQ(L"F1\t''=\"\"", shown.rows[shown.Find(L"F1\t")].text);

  // Opening B1 and the range in the window: the tree control asks the window to fill them.
  const size_t range = shown.Find(L"A1:A3\t");
  ASSERT_LT(range, shown.rows.size());
  for (const size_t row : {b1, range}) {
    ::SendMessageW(dialog->TreeHwnd(), TVM_EXPAND, TVE_EXPAND,
                   static_cast<LPARAM>(shown.items[row]));
    memory_.Expand(expected.items[row]);
  }
  column_tree_test::Pump();
  const HTREEITEM b1Item = CTreeViewStructure::Handle(shown.items[b1]);
  shown = ReadTreeControl(dialog->TreeHwnd());
  expected = ReadMemoryTree(memory_);
  EXPECT_EQ(expected.rows, shown.rows);
  EXPECT_EQ(L"C1*2\t10", shown.rows[shown.Find(L"C1*2\t")].text);
  EXPECT_LT(shown.Find(L"A3\t3"), shown.rows.size());

  // Opened twice, nothing doubles.
  ::SendMessageW(dialog->TreeHwnd(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(b1Item));
  ::SendMessageW(dialog->TreeHwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(b1Item));
  EXPECT_EQ(shown.rows, ReadTreeControl(dialog->TreeHwnd()).rows);

  // The columns as the tree control's owner reads them.
  EXPECT_EQ(L"B1", dialog->Tree().ItemColumnText(b1Item, 0));
  EXPECT_EQ(L"10=C1*2", dialog->Tree().ItemColumnText(b1Item, 1));
}

TEST_F(Win32EvaluateDlg, ExpandAllOpensEverythingAndRefreshReadsTheWorkbookAgain) {
  // Wide enough columns for people to read the whole of each line.
  ASSERT_TRUE(WriteWindowSetting(L"Evaluate_FormulaWidth", 300));
  ASSERT_TRUE(WriteWindowSetting(L"Evaluate_ValueWidth", 290));
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  FillReference(CellRef(4, 1));
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdExpandAll, 0);
  reference_->ExpandAll();
  column_tree_test::Pump();
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  EXPECT_EQ(ReadMemoryTree(memory_).rows, shown.rows);
  // Every item with children is open, down to the cells.
  for (const TreeItem item : shown.items) {
    const auto handle = CTreeViewStructure::Handle(item);
    if (::SendMessageW(dialog->TreeHwnd(), TVM_GETNEXTITEM, TVGN_CHILD,
                       reinterpret_cast<LPARAM>(handle)) == 0) {
      continue;
    }
    EXPECT_NE(0u, ::SendMessageW(dialog->TreeHwnd(), TVM_GETITEMSTATE,
                                 reinterpret_cast<WPARAM>(handle), TVIS_EXPANDED) &
                      TVIS_EXPANDED);
  }
  EXPECT_LT(shown.Find(L"A2\t2"), shown.rows.size());
  // Back at the selected root, not at the last branch opened.
  EXPECT_EQ(static_cast<LRESULT>(shown.items[0]),
            ::SendMessageW(dialog->TreeHwnd(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
  test_support::SaveScreenshotIfAsked(frame_.Hwnd(), L"evaluate_window_expanded");

  // Values are read once; the refresh the container posts reads them again.
  session_.book->Sheet(1).SetValue({1, 3}, spreadsheet::CellValue::Number(7));
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  ::PostMessageW(dialog->Hwnd(), kRefreshWindowMessage, 0, 0);
  column_tree_test::Pump();
  const EvaluateRows refreshed = ReadTreeControl(dialog->TreeHwnd());
  ASSERT_FALSE(refreshed.rows.empty());
  // Filled anew: opened at the top only.
  EXPECT_LT(refreshed.rows.size(), shown.rows.size());
  EXPECT_EQ(L"D1\t89=SUM(A1:A3)*B1+LEN(E1&F1)", refreshed.rows[0].text);
  EXPECT_EQ(L"B1\t14=C1*2", refreshed.rows[refreshed.Find(L"B1\t")].text);
}

TEST_F(Win32EvaluateDlg, FillsTheSameWithTheWorkbookOnExcelsOwnThread) {
  MoveWorkbookToItsOwnThread();
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  FillReference(CellRef(4, 1));
  const EvaluateRows top = ReadTreeControl(dialog->TreeHwnd());
  EXPECT_EQ(ReadMemoryTree(memory_).rows, top.rows);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdExpandAll, 0);
  reference_->ExpandAll();
  const EvaluateRows all = ReadTreeControl(dialog->TreeHwnd());
  EXPECT_EQ(ReadMemoryTree(memory_).rows, all.rows);
  EXPECT_GT(all.rows.size(), top.rows.size());
  // Selecting a reference reaches Excel's thread as well.
  const int before = excel_->calls;
  Select(*dialog, all.items[all.Find(L"B1\t")]);
  EXPECT_GT(excel_->calls, before);
}

TEST_F(Win32EvaluateDlg, TitleNamesTheRootAndAConstantRootCannotOpen) {
  CEvaluateDlg* dialog = Open(CellRef(3, 1));
  ASSERT_NE(nullptr, dialog);
  wchar_t title[128] = {};
  ::GetWindowTextW(dialog->Hwnd(), title, 128);
  EXPECT_EQ(EvaluateWindowTitle(*container_, CellRef(3, 1)), title);
  EXPECT_TRUE(std::wstring(title).starts_with(L"Sheet1!"));
  EXPECT_TRUE(std::wstring(title).ends_with(L"C1 - evaluate formula"));
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  EXPECT_EQ((std::vector<EvaluateRow>{{0, L"C1\t5", kEvaluateImageCell}}), shown.rows);
}

TEST_F(Win32EvaluateDlg, ToolbarFollowsTheSelectedItem) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  ASSERT_GE(shown.rows.size(), 2u);
  struct Case {
    size_t row;
    int32_t command;
    bool enabled;
  };
  // The root is a reference; its first child, the expression, is not.
  const Case cases[] = {
      {0, kCmdShowPrecedents, true},
      {0, kCmdEvaluateFormula, true},
      {0, kCmdSelectInExcel, true},
      {0, kCmdExpandAll, true},
      {1, kCmdShowPrecedents, false},
      {1, kCmdEvaluateFormula, false},
      {1, kCmdSaveBranchOnSheet, false},
      {1, kCmdExpandAll, true},
      {1, kCmdHelp, true},
  };
  for (const Case& c : cases) {
    Select(*dialog, shown.items[c.row]);
    EXPECT_EQ(c.enabled, dialog->ToolbarButtonEnabled(c.command))
        << "row " << c.row << " command " << c.command;
  }
  // Only the evaluate window's buttons, separators included.
  EXPECT_EQ(kEvaluateToolbarCommands.size(),
            static_cast<size_t>(::SendMessageW(dialog->ToolbarHwnd(), TB_BUTTONCOUNT, 0, 0)));
  EXPECT_EQ(-1, ::SendMessageW(dialog->ToolbarHwnd(), TB_COMMANDTOINDEX, kCmdHighlightErrors, 0));
}

TEST_F(Win32EvaluateDlg, CommandsOnTheSelectedReferenceReachTheController) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  const size_t b1 = shown.Find(L"B1\t");
  ASSERT_LT(b1, shown.rows.size());
  Select(*dialog, shown.items[b1]);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdShowPrecedents, 0);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdEvaluateFormula, 0);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdHelp, 0);
  ASSERT_EQ(2u, controller_.opened.size());
  EXPECT_EQ(TraceKind::kPrecedents, controller_.opened[0].kind);
  EXPECT_EQ(TraceKind::kEvaluateFormula, controller_.opened[1].kind);
  for (const auto& opened : controller_.opened) {
    EXPECT_EQ(CellRef(2, 1).first, opened.root.first);
    EXPECT_EQ(CellRef(2, 1).last, opened.root.last);
  }
  EXPECT_EQ((std::vector<int32_t>{6}), controller_.helpTopics);

  // On an expression nothing opens.
  Select(*dialog, shown.items[1]);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdShowDependents, 0);
  EXPECT_EQ(2u, controller_.opened.size());
}

TEST_F(Win32EvaluateDlg, SelectingAReferenceSelectsItsCellsInExcelButFillingDoesNot) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  const auto selection = [&] {
    return test_support::SeeRange(
        test_support::GetObjectOf(session_.application.Get(), L"Selection").Get());
  };
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  const size_t range = shown.Find(L"A1:A3\t");
  ASSERT_LT(range, shown.rows.size());
  Select(*dialog, shown.items[range]);
  ASSERT_TRUE(selection().has_value());
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
  // An expression has no cells: the selection stays.
  Select(*dialog, shown.items[1]);
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
  // Opening on demand and filling anew, which moves the tree's selection, leave Excel's alone.
  const size_t b1 = shown.Find(L"B1\t");
  ::SendMessageW(dialog->TreeHwnd(), TVM_EXPAND, TVE_EXPAND, static_cast<LPARAM>(shown.items[b1]));
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
  ::SendMessageW(dialog->Hwnd(), kRefreshWindowMessage, 0, 0);
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
  // Expand all selects the first item when nothing is selected; the root stays in the tree.
  ::SendMessageW(dialog->TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, 0);
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdExpandAll, 0);
  EXPECT_NE(0, ::SendMessageW(dialog->TreeHwnd(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
}

TEST_F(Win32EvaluateDlg, DoubleClickOnAReferenceLabelSelectsItInExcel) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  // With automatic activation off, only the double click moves Excel's selection.
  ::SendMessageW(dialog->Hwnd(), WM_COMMAND, kCmdAutoActivate, 0);
  ASSERT_FALSE(dialog->AutoActivateOn());
  const auto selection = [&] {
    return test_support::SeeRange(
        test_support::GetObjectOf(session_.application.Get(), L"Selection").Get());
  };
  const EvaluateRows shown = ReadTreeControl(dialog->TreeHwnd());
  const size_t range = shown.Find(L"A1:A3\t");
  ASSERT_LT(range, shown.rows.size());
  const HTREEITEM item = CTreeViewStructure::Handle(shown.items[range]);
  ::SendMessageW(dialog->TreeHwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT label{};
  std::memcpy(&label, &item, sizeof item);
  ASSERT_NE(0, ::SendMessageW(dialog->TreeHwnd(), TVM_GETITEMRECT, TRUE,
                              reinterpret_cast<LPARAM>(&label)));
  const auto doubleClickAt = [&](POINT at) {
    ::ClientToScreen(dialog->TreeHwnd(), &at);
    ::SetCursorPos(at.x, at.y);
    NMHDR notice{dialog->Tree().Hwnd(), static_cast<UINT_PTR>(kTreeHostId),
                 static_cast<UINT>(NM_DBLCLK)};
    ::SendMessageW(dialog->Hwnd(), WM_NOTIFY, kTreeHostId, reinterpret_cast<LPARAM>(&notice));
  };
  Select(*dialog, shown.items[range]);
  const std::optional<test_support::RangeSeen> before = selection();
  ASSERT_TRUE(before.has_value());
  ASSERT_NE((spreadsheet::CellRect{{1, 1}, {3, 1}}), before->range);
  // Below the last item: nothing.
  RECT client{};
  ::GetClientRect(dialog->TreeHwnd(), &client);
  doubleClickAt({label.left + 2, client.bottom - 3});
  EXPECT_EQ(before->range, selection()->range);
  doubleClickAt({label.left + 2, (label.top + label.bottom) / 2});
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), selection()->range);
}

TEST_F(Win32EvaluateDlg, ColumnWidthsStartSharedAndComeBackFromTheSettings) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  // Formula 70 % and Value 30 % of the tree's usable width as the template made it, each a
  // few pixels less: seven and three tenths, less seven and three.
  const int formula = dialog->Tree().ColumnWidth(0);
  const int value = dialog->Tree().ColumnWidth(1);
  const int tenth = (formula + 7) / 7;
  EXPECT_EQ(7 * tenth - 7, formula);
  EXPECT_EQ(3 * tenth - 3, value);
  RECT client{};
  ::GetClientRect(dialog->Tree().Hwnd(), &client);
  EXPECT_GT(tenth, 20);
  EXPECT_LE(10 * tenth, static_cast<int>(client.right) - ::GetSystemMetrics(SM_CXVSCROLL));
  int32_t saved = 0;
  EXPECT_FALSE(ReadWindowSetting(L"Evaluate_FormulaWidth", &saved));

  // Closing writes them; the next window reads what is stored then.
  ::SendMessageW(dialog->Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(nullptr, window_->Hwnd());
  ASSERT_TRUE(ReadWindowSetting(L"Evaluate_FormulaWidth", &saved));
  EXPECT_EQ(formula, saved);
  ASSERT_TRUE(ReadWindowSetting(L"Evaluate_ValueWidth", &saved));
  EXPECT_EQ(value, saved);

  ASSERT_TRUE(WriteWindowSetting(L"Evaluate_FormulaWidth", 211));
  ASSERT_TRUE(WriteWindowSetting(L"Evaluate_ValueWidth", 97));
  dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(211, dialog->Tree().ColumnWidth(0));
  EXPECT_EQ(97, dialog->Tree().ColumnWidth(1));
}

TEST_F(Win32EvaluateDlg, FactoryMakesTraceWindowsForEveryOtherKindAndFocusGoesToTheTree) {
  for (const TraceKind kind : {TraceKind::kPrecedents, TraceKind::kDependents,
                               TraceKind::kErrorCells, TraceKind::kFillColor}) {
    const std::shared_ptr<IWndMgrItem> trace =
        MakeTrelvaneWindow(controller_, container_, kind, CellRef(4, 1), 3);
    const auto* made = dynamic_cast<const CTraceDlg*>(trace.get());
    ASSERT_NE(nullptr, made) << static_cast<int>(kind);
    EXPECT_EQ(kind, made->Kind());
    EXPECT_EQ(nullptr, trace->Hwnd());  // made, not yet created
  }
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  ::SetFocus(dialog->ToolbarHwnd());
  ::SendMessageW(dialog->Hwnd(), kFocusWindowMessage, 0, 0);
  EXPECT_EQ(dialog->TreeHwnd(), ::GetFocus());
}

TEST_F(Win32EvaluateDlg, TreeFillsTheClientBelowTheToolbar) {
  CEvaluateDlg* dialog = Open(CellRef(4, 1));
  ASSERT_NE(nullptr, dialog);
  ::SetWindowPos(dialog->Hwnd(), nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
  column_tree_test::Pump();
  RECT client{};
  ::GetClientRect(dialog->Hwnd(), &client);
  RECT toolbar{};
  ::GetWindowRect(dialog->ToolbarHwnd(), &toolbar);
  ::MapWindowPoints(nullptr, dialog->Hwnd(), reinterpret_cast<POINT*>(&toolbar), 2);
  RECT tree{};
  ::GetWindowRect(dialog->Tree().Hwnd(), &tree);
  ::MapWindowPoints(nullptr, dialog->Hwnd(), reinterpret_cast<POINT*>(&tree), 2);
  EXPECT_GT(toolbar.bottom, 0);
  EXPECT_EQ(toolbar.bottom, tree.top);
  EXPECT_EQ(0, tree.left);
  EXPECT_EQ(client.right, tree.right);
  EXPECT_EQ(client.bottom, tree.bottom);
}

}  // namespace
