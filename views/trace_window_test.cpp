// The trace window's rules against workbooks of the embedded spreadsheet: titles, boxes,
// enabling, and finding a cell in a branch along the tree's relation.
#include "views/trace_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "excel/cell_range.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/spreadsheet_session.h"
#include "views/progress_display.h"
#include "views/progress_window.h"
#include "views/trace_tree.h"
#include "views/window_commands.h"

namespace {

using test_support::CellRef;

using spreadsheet::CellValue;

CellReference RangeRef(int32_t column1, int32_t row1, int32_t column2, int32_t row2) {
  CellReference reference;
  reference.first = CellPos{1, column1, row1};
  reference.last = CellPos{1, column2, row2};
  return reference;
}

class CRecordingSink final : public IMessageSink {
 public:
  void ShowMessage(const std::wstring& text) override { shown.push_back(text); }
  std::vector<std::wstring> shown;
};

class TraceWindow : public testing::Test {
 protected:
  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    session_.book->Sheet(1).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value) {
    session_.book->Sheet(1).SetValue({row, column}, CellValue::Number(value));
  }

  CTraceWindowLogic& Open(const CellReference& root, TraceKind kind) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    tree_.DeleteItem(tree_.Root());
    container_ = test_support::AttachContainer(session_);
    container_->SetProgress(&progress_);
    filler_ = std::make_unique<CTraceFiller>(*container_, tree_);
    tree_.SetExpandingHandler([this](TreeItem item) { filler_->ExpandOnDemand(item); });
    window_ = std::make_unique<CTraceWindowLogic>(*container_, tree_, *filler_);
    window_->SetMessageSink(&sink_);
    window_->SetRoot(root, kind);
    window_->Fill();
    return *window_;
  }

  TreeItem Top() const { return tree_.FirstChild(tree_.Root()); }
  std::wstring CellField(TreeItem item) {
    const std::wstring text = filler_->ItemText(item, 1000);
    return text.substr(0, text.find(L'\t'));
  }
  // The Cell column of every item from the top down to the item.
  std::vector<std::wstring> Road(TreeItem item) {
    std::vector<std::wstring> road;
    for (; item != tree_.Root() && item != kNoItem; item = tree_.Parent(item)) {
      road.insert(road.begin(), CellField(item));
    }
    return road;
  }
  // A precedents chain A1 <- B1 <- D1 <- E1, with side branches C1 and F1.
  void Chain() {
    Formula(1, 1, L"=B1+C1");
    Formula(2, 1, L"=D1*2+F1");
    Formula(4, 1, L"=E1+1");
    Number(3, 1, 3);
    Number(5, 1, 5);
    Number(6, 1, 6);
  }

  test_support::CSpreadsheetSession session_;
  // The progress of the container's operations, shown on displays_ when a test sets them.
  ProgressDisplayFactory displays_;
  ProgressWindow progress_{[this] { return displays_ ? displays_() : nullptr; }};
  std::unique_ptr<CDependencyContainer> container_;
  CTraceTree tree_;
  std::unique_ptr<CTraceFiller> filler_;
  std::unique_ptr<CTraceWindowLogic> window_;
  CRecordingSink sink_;
};

TEST_F(TraceWindow, TitlesPerKind) {
  Formula(1, 1, L"=1/0");
  Formula(1, 2, L"=1/0");
  session_.book->AddName({L"Total", L"=Sheet1!$A$1:$A$2", 0, false});
  struct Case {
    CellReference root;
    TraceKind kind;
    std::wstring title;
  };
  CellReference name = RangeRef(1, 1, 1, 2);
  const Case cases[] = {
      {CellRef(1, 1), TraceKind::kPrecedents, L"Sheet1!A1 - precedents"},
      {CellRef(1, 1), TraceKind::kDependents, L"Sheet1!A1 - dependents"},
      {RangeRef(1, 1, 2, 3), TraceKind::kInputs, L"Sheet1!A1:B3 - inputs"},
      {CellRef(1, 2), TraceKind::kTraceError, L"Sheet1!A2 - trace error"},
      {CellRef(1, 1), TraceKind::kFillColor, L"Filter cells by background color"},
      {CellRef(1, 1), TraceKind::kFontColor, L"Filter cells by text color"},
      {CellRef(1, 1), TraceKind::kCalculationChain, L"Calculation Chain"},
      // Counted after filling: the two error cells.
      {CellRef(1, 1), TraceKind::kErrorCells, L"Cells with error value (2)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.title, Open(c.root, c.kind).Title()) << c.title;
  }
  EXPECT_EQ(L"Cells with error value",
            TraceWindowTitle(*container_, CellRef(1, 1), TraceKind::kErrorCells));
  // A name root is titled by its name; an unknown kind is traced, and titled, as precedents.
  Open(CellRef(1, 1), TraceKind::kPrecedents);
  const NameLookupResult total = container_->DefinedNameLookup(L"Total", 1);
  name.nameId = total.id;
  ASSERT_NE(0, name.nameId);
  EXPECT_EQ(L"Total - precedents", TraceWindowTitle(*container_, name, TraceKind::kPrecedents));
  EXPECT_EQ(L"Sheet1!A1 - precedents",
            TraceWindowTitle(*container_, CellRef(1, 1), static_cast<TraceKind>(42)));
}

TEST_F(TraceWindow, BoxesShowTheRootThenTheSelectedItem) {
  Formula(1, 1, L"=B1+\nB2\n+1");
  Number(2, 1, 4);
  Formula(2, 2, L"=B1*2");
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  EXPECT_EQ(L"13", window.Boxes().value);
  EXPECT_EQ(L"=B1+\r\nB2\r\n+1", window.Boxes().formula);
  EXPECT_EQ(4 + 3 * 13, FormulaBoxHeight(window.Boxes().formula, 13, 4));
  EXPECT_EQ(4 + 13, FormulaBoxHeight(L"", 13, 4));

  const TreeItem b2 = tree_.NextSibling(tree_.FirstChild(Top()));
  window.ShowItemInBoxes(b2);
  EXPECT_EQ(L"8", window.Boxes().value);
  EXPECT_EQ(L"=B1*2", window.Boxes().formula);

  // A range root shows nothing.
  Open(RangeRef(1, 1, 2, 2), TraceKind::kPrecedents);
  EXPECT_EQ(L"", window_->Boxes().value);
  EXPECT_EQ(L"", window_->Boxes().formula);
}

TEST_F(TraceWindow, CommandsFollowTheSelectedItem) {
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  Formula(1, 1, L"=B1*Rate");
  Number(2, 1, 2);
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  const TreeItem b1 = tree_.FirstChild(Top());
  const TreeItem rate = tree_.NextSibling(b1);
  ASSERT_EQ(L"Rate", CellField(rate));

  const int32_t always[] = {kCmdFilterHighlighted, kCmdShowTracingArrows, kCmdHelp,
                            kCmdAutoActivate,      kCmdExpandAll,         kCmdShowFindToolbar,
                            kCmdHighlightErrors};
  const int32_t onItem[] = {kCmdShowPrecedents,    kCmdShowDependents,  kCmdSelectInExcel,
                            kCmdShowInputs,        kCmdTraceError,      kCmdSaveBranchOnSheet,
                            kCmdSaveBranchInFile,  kCmdSavePathOnSheet, kCmdSavePathInFile,
                            kCmdFormatBranchFirst, kCmdFormatPathFirst, kCmdFormatPathFirst + 5};
  tree_.Select(kNoItem);
  for (const int32_t command : always) EXPECT_TRUE(window.IsCommandEnabled(command)) << command;
  for (const int32_t command : onItem) EXPECT_FALSE(window.IsCommandEnabled(command)) << command;
  EXPECT_FALSE(window.IsCommandEnabled(kCmdEvaluateFormula));

  tree_.Select(b1);
  for (const int32_t command : onItem) EXPECT_TRUE(window.IsCommandEnabled(command)) << command;
  EXPECT_TRUE(window.IsCommandEnabled(kCmdEvaluateFormula));
  EXPECT_FALSE(window.IsCommandEnabled(kCmdFind));
  EXPECT_FALSE(window.IsCommandEnabled(kCmdFormatPathLast + 1));

  // A name constant can be traced but not evaluated.
  tree_.Select(rate);
  EXPECT_TRUE(window.IsCommandEnabled(kCmdShowPrecedents));
  EXPECT_FALSE(window.IsCommandEnabled(kCmdEvaluateFormula));
  CellReference external;
  external.externalId = 1;
  EXPECT_FALSE(TraceCommandEnabled(kCmdEvaluateFormula, &external));
  EXPECT_TRUE(TraceCommandEnabled(kCmdSaveBranchOnSheet, &external));
}

TEST_F(TraceWindow, FindWalksTheFoundPathAndSelectsTheTarget) {
  Chain();
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  window.ToggleFindToolbar();
  tree_.Select(Top());
  const FindResult result = window.FindText(L"E1");
  ASSERT_EQ(FindOutcome::kReached, result.outcome);
  EXPECT_EQ(result.item, tree_.Selected());
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1", L"D1", L"E1"}), Road(result.item));
  for (TreeItem up = tree_.Parent(result.item); up != tree_.Root(); up = tree_.Parent(up)) {
    EXPECT_TRUE(tree_.IsExpanded(up));
  }
  EXPECT_FALSE(window.FindToolbarVisible());
  EXPECT_TRUE(filler_->Switches().expansionEnabled);
  EXPECT_TRUE(window.SelectInExcelEnabled());
  EXPECT_TRUE(sink_.shown.empty());
  // Items the walk opened hold one set of children, though the tree reported each opening.
  EXPECT_EQ(2u, [&] {
    size_t n = 0;
    for (TreeItem c = tree_.FirstChild(tree_.Parent(tree_.Parent(result.item))); c != kNoItem;
         c = tree_.NextSibling(c)) {
      ++n;
    }
    return n;
  }());

  // The same from a deeper item: the search starts at the selected item, not at the root.
  const TreeItem b1 = tree_.FirstChild(Top());
  tree_.Select(b1);
  const FindResult again = window.FindText(L"Sheet1!E1");
  ASSERT_EQ(FindOutcome::kReached, again.outcome);
  EXPECT_EQ(result.item, again.item);
}

TEST_F(TraceWindow, FindOpensARangeOnTheWayWithoutSelectingIt) {
  Formula(1, 1, L"=SUM(B1:B3)");
  Formula(2, 2, L"=C5");
  Number(3, 5, 1);
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  tree_.Select(Top());
  const FindResult result = window.FindInBranch(Top(), CellRef(3, 5));
  ASSERT_EQ(FindOutcome::kReached, result.outcome);
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1:B3", L"B2", L"C5"}), Road(result.item));
  EXPECT_TRUE(tree_.IsExpanded(tree_.FirstChild(Top())));
}

TEST_F(TraceWindow, FindAlongDependents) {
  Chain();
  CTraceWindowLogic& window = Open(CellRef(5, 1), TraceKind::kDependents);
  tree_.Select(Top());
  const FindResult result = window.FindText(L"A1");
  ASSERT_EQ(FindOutcome::kReached, result.outcome);
  EXPECT_EQ((std::vector<std::wstring>{L"E1", L"D1", L"B1", L"A1"}), Road(result.item));
}

TEST_F(TraceWindow, FindWithoutAPathOrAnAddressTellsTheUser) {
  Chain();
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  window.ToggleFindToolbar();
  tree_.Select(Top());
  const size_t items = tree_.Size();

  const FindResult none = window.FindText(L"Z9:Z10");
  EXPECT_EQ(FindOutcome::kNoPath, none.outcome);
  EXPECT_EQ(L"Path between cells A1 and Z9:Z10 was not found.", none.message);
  const FindResult invalid = window.FindText(L"not an address");
  EXPECT_EQ(FindOutcome::kInvalidAddress, invalid.outcome);
  const FindResult external = window.FindText(L"[Other.xlsx]Sheet1!A1");
  EXPECT_EQ(FindOutcome::kInvalidAddress, external.outcome);
  EXPECT_EQ((std::vector<std::wstring>{none.message, kInvalidFindAddressMessage,
                                       kInvalidFindAddressMessage}),
            sink_.shown);
  // Nothing was opened and the toolbar stays for another try.
  EXPECT_EQ(items, tree_.Size());
  EXPECT_TRUE(window.FindToolbarVisible());
}

TEST_F(TraceWindow, FindDoesNothingForTheItemItselfOrACellInside) {
  Formula(1, 1, L"=SUM(B1:B3)");
  for (int32_t row = 1; row <= 3; ++row) Number(2, row, row);
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  const TreeItem range = tree_.FirstChild(Top());
  tree_.Select(range);
  for (const wchar_t* text : {L"B1:B3", L"B2", L"B3", L""}) {
    EXPECT_EQ(FindOutcome::kNothingToDo, window.FindText(text).outcome) << text;
  }
  EXPECT_FALSE(tree_.IsExpanded(range));
  tree_.Select(kNoItem);
  EXPECT_EQ(FindOutcome::kNothingToDo, window.FindText(L"B2").outcome);
  EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(TraceWindow, StopEndsTheWalkAndRestoresTheSwitches) {
  Chain();
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  // Presses Stop as the walk's window appears, after the search has found the path.
  class CStopTheWalk final : public IProgressDisplay {
   public:
    bool Show(const std::wstring& title, const std::wstring&, bool) override {
      if (title == kFindProgressTitle) ProgressWindow::PressStop();
      return true;
    }
    void SetMessage(const std::wstring&) override {}
    void Close() override {}
  };
  displays_ = [] { return std::make_unique<CStopTheWalk>(); };
  tree_.Select(Top());
  const FindResult result = window.FindText(L"E1");
  EXPECT_EQ(FindOutcome::kNotReached, result.outcome);
  EXPECT_EQ(Top(), tree_.Selected());
  EXPECT_TRUE(filler_->Switches().expansionEnabled);
  EXPECT_TRUE(window.SelectInExcelEnabled());
}

TEST_F(TraceWindow, FindWalksALongChainWithoutRecursion) {
  constexpr int32_t kLength = 20000;
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1) + L"+1").c_str());
  }
  Number(1, kLength, 1);
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  tree_.Select(Top());
  const FindResult result = window.FindInBranch(Top(), CellRef(1, kLength));
  ASSERT_EQ(FindOutcome::kReached, result.outcome);
  EXPECT_EQ(static_cast<size_t>(kLength), filler_->PathFromRoot(result.item).size());
  EXPECT_EQ(L"A" + std::to_wstring(kLength), CellField(result.item));
}

TEST_F(TraceWindow, TheSelectionIsImportedWithItsSheet) {
  Chain();
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  ExcelObject range;
  ASSERT_TRUE(
      GetRectangleRange(container_->Worksheets(), CellPos{1, 5, 1}, CellPos{1, 5, 1}, &range));
  CVariant ignored;
  ASSERT_TRUE(range.CallMethod(L"Select", &ignored));
  std::wstring text;
  ASSERT_TRUE(SelectionAddressText(container_->Application(), &text));
  EXPECT_EQ(L"'Sheet1'!$E$1", text);
  tree_.Select(Top());
  EXPECT_EQ(FindOutcome::kReached, window.FindText(text).outcome);
}

TEST_F(TraceWindow, TheFilterSwitchRefreshesTheTree) {
  Formula(1, 1, L"=B1+C1");
  Formula(2, 1, L"=1/0");
  Number(3, 1, 1);
  CTraceWindowLogic& window = Open(CellRef(1, 1), TraceKind::kPrecedents);
  const auto topLevel = [this] {
    size_t n = 0;
    for (TreeItem c = tree_.FirstChild(Top()); c != kNoItem; c = tree_.NextSibling(c)) ++n;
    return n;
  };
  ASSERT_EQ(2u, topLevel());
  window.ToggleHighlightErrors();
  window.ToggleFilterHighlighted();
  EXPECT_TRUE(filler_->Switches().highlightErrors);
  // The root cell holds an error too, so the root and B1 pass the filter.
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1"}), Road(tree_.FirstChild(Top())));
  EXPECT_EQ(kNoItem, tree_.NextSibling(tree_.FirstChild(Top())));
  window.ToggleFilterHighlighted();
  EXPECT_EQ(2u, topLevel());
}

}  // namespace
