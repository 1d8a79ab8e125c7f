// Trace filling against workbooks of the embedded spreadsheet: lazy levels, expand all over
// chains and cycles, Stop, names, arrays, filters, flat lists and the texts and colours shown.
#include "views/trace_filler.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/spreadsheet_session.h"
#include "views/progress_display.h"
#include "views/progress_window.h"
#include "views/trace_tree.h"

namespace {

using spreadsheet::CellValue;

CellPos At(int32_t column, int32_t row) {
  return CellPos{1, column, row};
}

CellReference CellRef(const CellPos& cell) {
  CellReference reference;
  reference.first = cell;
  reference.last = cell;
  return reference;
}

// Every progress window shown, with its messages; presses Stop at a chosen message.
struct ProgressShown {
  std::wstring title;
  std::vector<std::wstring> messages;
};
struct ProgressLog {
  std::vector<ProgressShown> windows;
  std::wstring stopAt;
};

class CLoggingDisplay final : public IProgressDisplay {
 public:
  explicit CLoggingDisplay(std::shared_ptr<ProgressLog> log) : log_(std::move(log)) {}
  bool Show(const std::wstring& title, const std::wstring&, bool) override {
    log_->windows.push_back({title, {}});
    return true;
  }
  void SetMessage(const std::wstring& message) override {
    log_->windows.back().messages.push_back(message);
    if (message == log_->stopAt) ProgressWindow::PressStop();
  }
  void Close() override {}

 private:
  std::shared_ptr<ProgressLog> log_;
};

class TraceTree : public testing::Test {
 protected:
  TraceTree() : log_(std::make_shared<ProgressLog>()) {
    displays_ = [log = log_] { return std::make_unique<CLoggingDisplay>(log); };
  }
  ~TraceTree() override {
    ReferenceFunctions::Clear();
  }

  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    session_.book->Sheet(1).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value) {
    session_.book->Sheet(1).SetValue({row, column}, CellValue::Number(value));
  }

  // Calculates the workbook first, as Excel keeps it, then opens a trace of the root.
  CTraceFiller& Open(const CellReference& root, TraceKind kind, bool fill = true) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    container_ = test_support::AttachContainer(session_);
    container_->SetProgress(&progress_);
    filler_ = std::make_unique<CTraceFiller>(*container_, tree_);
    tree_.SetExpandingHandler([this](TreeItem item) { filler_->ExpandOnDemand(item); });
    filler_->SetRoot(root, kind);
    if (fill) filler_->Fill();
    return *filler_;
  }

  std::vector<TreeItem> Children(TreeItem item) const {
    std::vector<TreeItem> children;
    for (TreeItem c = tree_.FirstChild(item); c != kNoItem; c = tree_.NextSibling(c)) {
      children.push_back(c);
    }
    return children;
  }
  TreeItem Top() const { return tree_.FirstChild(tree_.Root()); }
  bool HasPlaceholder(TreeItem item) const {
    const TreeItem first = tree_.FirstChild(item);
    return first != kNoItem && filler_->ReferenceOf(first) == nullptr &&
           tree_.Text(first) == std::wstring(kNotReadyText);
  }
  // The item's tab-separated fields.
  std::vector<std::wstring> Fields(TreeItem item) {
    std::vector<std::wstring> fields(1);
    for (const wchar_t c : filler_->ItemText(item, 1000)) {
      if (c == L'\t') {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    return fields;
  }
  std::wstring CellField(TreeItem item) { return Fields(item)[0]; }
  const ProgressShown* Window(const std::wstring& title) const {
    for (const ProgressShown& window : log_->windows) {
      if (window.title == title) return &window;
    }
    return nullptr;
  }

  test_support::CSpreadsheetSession session_;
  std::shared_ptr<ProgressLog> log_;
  // The progress of the container's operations, shown on displays_ when a test sets them.
  ProgressDisplayFactory displays_;
  ProgressWindow progress_{[this] { return displays_ ? displays_() : nullptr; }};
  std::unique_ptr<CDependencyContainer> container_;
  CTraceTree tree_;
  std::unique_ptr<CTraceFiller> filler_;
};

TEST_F(TraceTree, LazyLevelsBehindPlaceholdersNeverDuplicateChildren) {
  Formula(1, 1, L"=B1+C1");
  Formula(2, 1, L"=D1*2");
  Number(3, 1, 4);
  Number(4, 1, 5);
  Open(CellRef(At(1, 1)), TraceKind::kPrecedents);

  const TreeItem root = Top();
  ASSERT_NE(kNoItem, root);
  EXPECT_TRUE(tree_.IsExpanded(root));
  EXPECT_TRUE(tree_.Redraws());
  EXPECT_TRUE(filler_->SelectInExcelEnabled());
  const std::vector<TreeItem> level = Children(root);
  ASSERT_EQ(2u, level.size());
  EXPECT_EQ(L"B1", CellField(level[0]));
  EXPECT_EQ(L"C1", CellField(level[1]));
  EXPECT_TRUE(HasPlaceholder(level[0]));
  // A constant has nothing to offer, so no expand button.
  EXPECT_EQ(kNoItem, tree_.FirstChild(level[1]));

  for (int round = 0; round < 2; ++round) {
    tree_.Expand(level[0]);
    tree_.Collapse(level[0]);
    const std::vector<TreeItem> below = Children(level[0]);
    ASSERT_EQ(1u, below.size()) << "round " << round;
    EXPECT_EQ(L"D1", CellField(below[0]));
  }

  // Refresh starts over: the first level again, with placeholders, and values read anew.
  Number(3, 1, 6);
  filler_->Refresh();
  const std::vector<TreeItem> again = Children(Top());
  ASSERT_EQ(2u, again.size());
  EXPECT_TRUE(HasPlaceholder(again[0]));
  EXPECT_EQ(L"6", Fields(again[1])[2]);
  EXPECT_EQ(nullptr, filler_->ReferenceOf(level[0]));
}

TEST_F(TraceTree, ColumnTextsOfCellsNamesAndArrays) {
  session_.book->AddName({L"MyRange", L"=Sheet1!$A$1:$B$5", 0, false});
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"One", L"=Sheet1!$C$1", 0, false});
  Number(1, 1, 7);
  Number(2, 5, 1);
  Number(3, 1, 3);
  Formula(4, 1, L"=SUM(MyRange)+Rate+One");
  Open(CellRef(At(4, 1)), TraceKind::kPrecedents);

  const std::vector<TreeItem> level = Children(Top());
  ASSERT_EQ(3u, level.size());
  struct Case {
    std::vector<std::wstring> fields;
    int32_t image;
    bool placeholder;
  };
  const Case cases[] = {
      {{L"MyRange (A1:B5)", L"Sheet1", L"", L""}, kImageName, true},
      {{L"Rate", L"", L"=0.25", L""}, kImageName, false},
      {{L"One (C1)", L"Sheet1", L"3", L""}, kImageName, false},
  };
  for (size_t i = 0; i < level.size(); ++i) {
    EXPECT_EQ(cases[i].fields, Fields(level[i])) << i;
    EXPECT_EQ(cases[i].image, tree_.Image(level[i])) << i;
    EXPECT_EQ(cases[i].placeholder, HasPlaceholder(level[i])) << i;
  }
  EXPECT_EQ((std::vector<std::wstring>{L"D1", L"Sheet1", L"11.25", L"=SUM(MyRange)+Rate+One"}),
            Fields(Top()));

  // The named range opens into plain cells along rows.
  tree_.Expand(level[0]);
  const std::vector<TreeItem> cells = Children(level[0]);
  ASSERT_EQ(10u, cells.size());
  EXPECT_EQ(L"A1", CellField(cells[0]));
  EXPECT_EQ(L"B1", CellField(cells[1]));
  EXPECT_EQ(L"B5", CellField(cells[9]));
  EXPECT_EQ(kImageCell, tree_.Image(cells[0]));
  EXPECT_EQ(L"7", Fields(cells[0])[2]);
  const std::vector<CellReference> path = filler_->PathFromRoot(cells[9]);
  ASSERT_EQ(3u, path.size());
  EXPECT_EQ(At(4, 1), path[0].first);
  EXPECT_EQ(At(2, 5), path[2].first);

  // Texts are fixed once made; the buffer cuts them.
  EXPECT_EQ(L"MyR", filler_->ItemText(level[0], 4));
}

TEST_F(TraceTree, AnArrayRootShowsItsFormulaInBracesAndALineFeedWidens) {
  Number(2, 1, 1);
  Number(2, 2, 2);
  session_.book->Sheet(1).SetArrayFormula({{1, 1}, {2, 1}}, L"=B1:B2*2");
  Formula(3, 1, L"=B1+\nB2");
  CellReference array;
  array.first = At(1, 1);
  array.last = At(1, 2);
  array.flags = RefArrayRange;
  Open(array, TraceKind::kPrecedents);
  EXPECT_EQ((std::vector<std::wstring>{L"A1:A2", L"Sheet1", L"", L"{=B1:B2*2}"}), Fields(Top()));
  const std::vector<TreeItem> cells = Children(Top());
  ASSERT_EQ(2u, cells.size());
  EXPECT_EQ(L"{=B1:B2*2}", Fields(cells[1])[3]);

  tree_.DeleteItem(tree_.Root());
  Open(CellRef(At(3, 1)), TraceKind::kPrecedents);
  EXPECT_EQ(L"=B1+\r\nB2", Fields(Top())[3]);
}

TEST_F(TraceTree, ARangeOpensIntoItsCellsAlongRows) {
  for (int32_t row = 1; row <= 2; ++row) {
    for (int32_t column = 1; column <= 3; ++column) Number(column, row, column * row);
  }
  CellReference range;
  range.first = At(1, 1);
  range.last = At(3, 2);
  Open(range, TraceKind::kPrecedents);
  EXPECT_EQ(kImageRange, tree_.Image(Top()));
  std::vector<std::wstring> order;
  for (const TreeItem cell : Children(Top())) order.push_back(CellField(cell));
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1", L"C1", L"A2", L"B2", L"C2"}), order);
}

TEST_F(TraceTree, A3DRangeNamesItsSheetsAndOpensSheetBySheet) {
  session_.book->AddSheet(L"Second");
  session_.book->AddSheet(L"Third");
  for (int32_t sheet = 1; sheet <= 3; ++sheet) {
    for (int32_t row = 1; row <= 2; ++row) {
      for (int32_t column = 1; column <= 2; ++column) {
        session_.book->Sheet(sheet).SetValue({row, column},
                                             CellValue::Number(sheet * 100 + row * 10 + column));
      }
    }
  }
  Formula(4, 1, L"=SUM(Sheet1:Third!A1:B2)+Sheet1:Third!B1");
  Open(CellRef(At(4, 1)), TraceKind::kPrecedents);

  const std::vector<TreeItem> level = Children(Top());
  ASSERT_EQ(2u, level.size());
  EXPECT_EQ((std::vector<std::wstring>{L"A1:B2", L"Sheet1:Third", L"", L""}), Fields(level[0]));
  EXPECT_EQ((std::vector<std::wstring>{L"B1", L"Sheet1:Third", L"", L""}), Fields(level[1]));
  tree_.Expand(level[0]);
  std::vector<std::wstring> cells;
  for (const TreeItem cell : Children(level[0])) {
    const std::vector<std::wstring> fields = Fields(cell);
    cells.push_back(fields[1] + L"!" + fields[0] + L"=" + fields[2]);
  }
  EXPECT_EQ((std::vector<std::wstring>{L"Sheet1!A1=111", L"Sheet1!B1=112", L"Sheet1!A2=121",
                                       L"Sheet1!B2=122", L"Second!A1=211", L"Second!B1=212",
                                       L"Second!A2=221", L"Second!B2=222", L"Third!A1=311",
                                       L"Third!B1=312", L"Third!A2=321", L"Third!B2=322"}),
            cells);
  tree_.Expand(level[1]);
  EXPECT_EQ(3u, Children(level[1]).size());
}

TEST_F(TraceTree, AFormulaNameOpensIntoItsDefinitionAndACircleOfNamesEnds) {
  session_.book->AddSheet(L"Inputs");
  session_.book->Sheet(2).SetValue({2, 2}, CellValue::Number(5));
  session_.book->AddName({L"Rate", L"=Inputs!$B$2*12", 0, false});
  session_.book->AddName({L"p", L"=q+1", 0, false});
  session_.book->AddName({L"q", L"=p+Rate", 0, false});
  session_.book->AddName({L"c", L"=0.2", 0, false});
  Formula(1, 1, L"=Rate+p+c");
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents);

  const std::vector<TreeItem> level = Children(Top());
  ASSERT_EQ(3u, level.size());
  EXPECT_EQ((std::vector<std::wstring>{L"Rate", L"", L"=Inputs!$B$2*12", L""}), Fields(level[0]));
  EXPECT_EQ(kImageName, tree_.Image(level[0]));
  EXPECT_TRUE(HasPlaceholder(level[0]));
  EXPECT_TRUE(HasPlaceholder(level[1]));
  EXPECT_FALSE(HasPlaceholder(level[2]));  // a constant stays a leaf
  tree_.Expand(level[0]);
  const std::vector<TreeItem> rate = Children(level[0]);
  ASSERT_EQ(1u, rate.size());
  EXPECT_EQ((std::vector<std::wstring>{L"B2", L"Inputs", L"5", L""}), Fields(rate[0]));

  // Expand all follows p to q and q back to p, where the circle ends with a placeholder.
  tree_.Select(level[1]);
  filler.ExpandAll();
  std::vector<std::wstring> chain;
  TreeItem item = level[1];
  for (; filler.ReferenceOf(item) != nullptr; item = tree_.FirstChild(item)) {
    chain.push_back(CellField(item));
    if (HasPlaceholder(item)) break;
  }
  EXPECT_EQ((std::vector<std::wstring>{L"p", L"q", L"p"}), chain);
  EXPECT_TRUE(HasPlaceholder(item));
  // q's other reference, Rate, opened all the way down.
  const std::vector<TreeItem> q = Children(tree_.FirstChild(level[1]));
  ASSERT_EQ(2u, q.size());
  EXPECT_EQ(L"Rate", CellField(q[1]));
  ASSERT_EQ(1u, Children(q[1]).size());
  EXPECT_EQ(L"B2", CellField(Children(q[1])[0]));
}

TEST_F(TraceTree, TheFilterKeepsOnlyErrorCells) {
  Formula(1, 1, L"=B1+C1");
  Formula(2, 1, L"=D1/0");
  Number(3, 1, 5);
  Number(4, 1, 1);

  // Filtering without highlighting lets nothing through, the root cell neither.
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents, false);
  filler.Switches().filterHighlighted = true;
  filler.Fill();
  EXPECT_EQ(0u, tree_.Size());

  filler.Switches().highlightErrors = true;
  filler.Refresh();
  const std::vector<TreeItem> level = Children(Top());
  ASSERT_EQ(1u, level.size());
  EXPECT_EQ(L"B1", CellField(level[0]));
}

TEST_F(TraceTree, TheFilterKeepsANameOnlyWhenWhatItHoldsOrLeadsToHoldsAnError) {
  session_.book->AddName({L"Headcount", L"=Sheet1!$B5", 0, false});
  session_.book->AddName({L"Broken", L"=Sheet1!$B$6", 0, false});
  session_.book->AddName({L"Ratio", L"=Sheet1!$B$6*2", 0, false});
  session_.book->AddName({L"Chained", L"=Ratio+1", 0, false});
  session_.book->AddName({L"Scale", L"=Sheet1!$B$5*2", 0, false});
  session_.book->AddName({L"Limit", L"=0.5", 0, false});
  Number(2, 5, 7);
  Formula(2, 6, L"=1/0");
  Formula(1, 1, L"=Headcount+Broken+Chained+Scale+Limit");
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents, false);
  filler.Switches().highlightErrors = true;
  filler.Switches().filterHighlighted = true;
  filler.Fill();

  std::vector<std::wstring> kept;
  for (const TreeItem item : Children(Top())) kept.push_back(CellField(item));
  EXPECT_EQ((std::vector<std::wstring>{L"Broken (B6)", L"Chained"}), kept);

  // Without the filter every name is there.
  filler.Switches().filterHighlighted = false;
  filler.Refresh();
  EXPECT_EQ(5u, Children(Top()).size());
}

TEST_F(TraceTree, ErrorsAreRedAndBoldDynamicCellsBlue) {
  ReferenceFunctions::Add(L"INDIRECT");
  Formula(1, 1, L"=B1+INDIRECT(\"C1\")+D1");
  Formula(2, 1, L"=1/0");
  Number(3, 1, 2);
  Number(4, 1, 3);
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents);
  // Found by their cells: evaluated references come after the written ones.
  std::map<std::wstring, TreeItem> byCell;
  for (const TreeItem item : Children(Top())) byCell[CellField(item)] = item;
  ASSERT_EQ(3u, byCell.size());
  const TreeItem level[] = {byCell[L"B1"], byCell[L"C1"], byCell[L"D1"]};
  EXPECT_EQ(kImageDynamicCell, tree_.Image(level[1]));
  EXPECT_EQ(kImageCell, tree_.Image(level[2]));

  struct Case {
    TreeItem item;
    bool highlightErrors;
    bool highlighted;
    std::optional<uint32_t> color;
    bool bold;
  };
  const Case cases[] = {
      {level[0], true, false, kErrorTextColor, true},
      {level[0], true, true, std::nullopt, true},
      {level[0], false, false, std::nullopt, false},
      {level[1], true, false, kDynamicTextColor, false},
      {level[1], true, true, std::nullopt, false},
      {level[2], true, false, std::nullopt, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    filler.Switches().highlightErrors = cases[i].highlightErrors;
    const TraceItemStyle style = filler.ItemStyle(cases[i].item, cases[i].highlighted);
    EXPECT_EQ(cases[i].color, style.textColor) << i;
    EXPECT_EQ(cases[i].bold, style.bold) << i;
  }
}

TEST_F(TraceTree, ExpandAllStopsAtACellAlreadyOnItsPath) {
  Formula(1, 1, L"=B1+1");
  Formula(2, 1, L"=C1+1");
  Formula(3, 1, L"=A1+1");
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents);
  tree_.Select(Top());
  filler.ExpandAll();
  EXPECT_FALSE(filler.ExpandAllInProgress());

  std::vector<std::wstring> chain;
  TreeItem item = Top();
  for (; filler.ReferenceOf(item) != nullptr; item = tree_.FirstChild(item)) {
    chain.push_back(CellField(item));
    if (HasPlaceholder(item)) break;
  }
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1", L"C1", L"A1"}), chain);
  EXPECT_TRUE(HasPlaceholder(item));
  EXPECT_FALSE(tree_.IsExpanded(item));
  EXPECT_TRUE(tree_.IsExpanded(Top()));
  ASSERT_NE(nullptr, Window(L"Trelvane - expanding tree"));

  // The repeated cell still opens one level at a time.
  tree_.Expand(item);
  const std::vector<TreeItem> below = Children(item);
  ASSERT_EQ(1u, below.size());
  EXPECT_EQ(L"B1", CellField(below[0]));
  EXPECT_TRUE(HasPlaceholder(below[0]));
}

TEST_F(TraceTree, ExpandAllOverALongChainKeepsTheStackFlat) {
  constexpr int32_t kLength = 10000;
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1) + L"+1").c_str());
  }
  Number(1, kLength, 1);
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents);
  tree_.Select(Top());
  filler.ExpandAll();

  EXPECT_EQ(static_cast<size_t>(kLength), tree_.Size());
  TreeItem deepest = Top();
  while (tree_.FirstChild(deepest) != kNoItem) {
    EXPECT_TRUE(tree_.IsExpanded(deepest));
    deepest = tree_.FirstChild(deepest);
  }
  const std::vector<CellReference> path = filler.PathFromRoot(deepest);
  ASSERT_EQ(static_cast<size_t>(kLength), path.size());
  EXPECT_EQ(At(1, 1), path.front().first);
  EXPECT_EQ(At(1, kLength), path.back().first);
  EXPECT_EQ(static_cast<int32_t>(kLength - 1), filler.Progress().Processed());

  // Deleting a deep branch is as flat as building it.
  filler.Refresh();
  EXPECT_EQ(3u, tree_.Size());
}

TEST_F(TraceTree, StopLeavesUnfinishedItemsToOpenLater) {
  constexpr int32_t kLength = 400;
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1) + L"+1").c_str());
  }
  Number(1, kLength, 1);
  CTraceFiller& filler = Open(CellRef(At(1, 1)), TraceKind::kPrecedents);
  constexpr int32_t kStopAt = 2 * CPopulationTreeProgress::kReportEvery;
  log_->stopAt = L"Nodes processed: " + std::to_wstring(kStopAt);
  tree_.Select(Top());
  filler.ExpandAll();

  EXPECT_EQ(static_cast<size_t>(kStopAt) + 1, tree_.Size() - 1);  // and one placeholder
  EXPECT_FALSE(progress_.StopRequested());
  const ProgressShown* window = Window(L"Trelvane - expanding tree");
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(L"Expanding nodes (press Stop button to interrupt) ...", window->messages.back());

  TreeItem last = Top();
  while (filler.ReferenceOf(tree_.FirstChild(last)) != nullptr) last = tree_.FirstChild(last);
  EXPECT_EQ(L"A" + std::to_wstring(kStopAt + 1), CellField(last));
  ASSERT_TRUE(HasPlaceholder(last));
  tree_.Expand(last);
  const std::vector<TreeItem> below = Children(last);
  ASSERT_EQ(1u, below.size());
  EXPECT_EQ(L"A" + std::to_wstring(kStopAt + 2), CellField(below[0]));
}

TEST_F(TraceTree, TraceErrorOpensTheWholeRoadAtOnce) {
  Formula(1, 1, L"=B1+C1");
  Formula(2, 1, L"=D1");
  Formula(4, 1, L"=1/0");
  Number(3, 1, 1);
  Open(CellRef(At(1, 1)), TraceKind::kTraceError);
  std::vector<std::wstring> road;
  for (TreeItem item = Top(); item != kNoItem; item = tree_.FirstChild(item)) {
    road.push_back(CellField(item));
    EXPECT_LE(Children(item).size(), 1u);
  }
  // The engine answers the source of the error itself, not the cells it passes through.
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"D1"}), road);
  EXPECT_TRUE(tree_.IsExpanded(Top()));
}

TEST_F(TraceTree, FlatListsReportEveryTenthCell) {
  // No error cells: no window and an empty tree.
  Number(1, 1, 1);
  Open(CellRef(At(1, 1)), TraceKind::kErrorCells);
  EXPECT_EQ(0u, tree_.Size());
  EXPECT_EQ(nullptr, Window(L"Trelvane - processing cells"));

  for (int32_t row = 1; row <= 25; ++row) Formula(1, row, L"=1/0");
  Open(CellRef(At(1, 1)), TraceKind::kErrorCells);
  ASSERT_EQ(25u, Children(tree_.Root()).size());
  for (const TreeItem item : Children(tree_.Root())) EXPECT_EQ(kNoItem, tree_.FirstChild(item));
  EXPECT_EQ(Top(), tree_.Selected());
  const ProgressShown* window = Window(L"Trelvane - processing cells");
  ASSERT_NE(nullptr, window);
  EXPECT_EQ((std::vector<std::wstring>{L"Added 0 cells", L"Added 10 cells", L"Added 20 cells"}),
            window->messages);
}

TEST_F(TraceTree, ItemTextsAreMadeAgainOnATreeThatDropsThem) {
  Formula(1, 1, L"=B1*2");
  Number(2, 1, 21);
  CTraceTree dropping(CTraceTree::DeferredTexts::kDropped);
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  container_ = test_support::AttachContainer(session_);
  CTraceFiller filler(*container_, dropping);
  dropping.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(CellRef(At(1, 1)), TraceKind::kPrecedents);
  filler.Fill();
  const TreeItem top = dropping.FirstChild(dropping.Root());
  const TreeItem b1 = dropping.FirstChild(top);
  ASSERT_NE(kNoItem, b1);
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(L"A1\tSheet1\t42\t=B1*2", filler.ItemText(top, 1000));
    EXPECT_EQ(L"B1\tSheet1\t21\t", filler.ItemText(b1, 1000));
    EXPECT_FALSE(dropping.HasText(top));
  }
  // The cell was read once; the second pass took its texts from the cache.
  EXPECT_EQ(2u, filler.TextCache().Size());
  // Cut to the buffer as a kept text would be.
  EXPECT_EQ(L"A1\tS", filler.ItemText(top, 5));
}

// Bytes the tree, its node map and the cells' texts take for each item of a flat list as long
// as a large workbook's calculation chain, as the allocator counts them. The workbook's own
// caches are made by a first fill that is then thrown away.
TEST_F(TraceTree, AChainTreeTakesFewBytesAnItem) {
#if defined(__GLIBC__)
  constexpr int32_t kCells = 20000;
  constexpr double kMostBytesAnItem = 200;
  Number(1, 1, 1);
  for (int32_t row = 2; row <= kCells; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row - 1) + L"+1").c_str());
  }
  Open(CellRef(At(1, 1)), TraceKind::kCalculationChain, false);
  const auto fillAndShow = [this](CTraceTree& tree) {
    auto filler = std::make_unique<CTraceFiller>(*container_, tree);
    filler->SetRoot(CellRef(At(1, 1)), TraceKind::kCalculationChain);
    filler->Fill();
    for (TreeItem item = tree.FirstChild(tree.Root()); item != kNoItem;
         item = tree.NextSibling(item)) {
      filler->ItemText(item, 1000);
    }
    return filler;
  };
  {
    CTraceTree warmUp(CTraceTree::DeferredTexts::kDropped);
    fillAndShow(warmUp);
  }
  const size_t before = mallinfo2().uordblks;
  auto tree = std::make_unique<CTraceTree>(CTraceTree::DeferredTexts::kDropped);
  const std::unique_ptr<CTraceFiller> filler = fillAndShow(*tree);
  const size_t after = mallinfo2().uordblks;
  ASSERT_EQ(static_cast<size_t>(kCells - 1), tree->Size());
  const double perItem = static_cast<double>(after - before) / static_cast<double>(tree->Size());
  RecordProperty("bytes_per_item", std::to_string(static_cast<int>(perItem)));
  std::printf("trace tree: %.1f bytes an item over %zu items\n", perItem, tree->Size());
  EXPECT_LT(perItem, kMostBytesAnItem);
#else
  GTEST_SKIP() << "the allocator's count is glibc's";
#endif
}

// The tree and the node map alone, without a workbook.
TEST(TraceTreeNodes, HandlesComeInOrderAndDeletedItemsAreGone) {
  CTraceTree tree;
  const TreeItem a = tree.InsertChild(tree.Root(), 0, std::nullopt);
  const TreeItem b = tree.InsertChild(tree.Root(), 1, std::wstring(L"b"));
  const TreeItem a1 = tree.InsertChild(a, 2, std::wstring(L"x"));
  const TreeItem a2 = tree.InsertChild(a, 2, std::wstring(L"x"));
  EXPECT_LT(a, b);
  EXPECT_LT(b, a1);
  EXPECT_EQ(4u, tree.Size());
  EXPECT_EQ(a, tree.Parent(a1));
  EXPECT_EQ(a2, tree.NextSibling(a1));
  EXPECT_TRUE(tree.TextIs(a1, L"x"));
  EXPECT_FALSE(tree.HasText(a));
  tree.SetText(a, L"x");
  EXPECT_EQ(std::optional<std::wstring>(L"x"), tree.Text(a));

  tree.Select(a2);
  tree.DeleteItem(a);
  EXPECT_EQ(1u, tree.Size());
  EXPECT_EQ(b, tree.FirstChild(tree.Root()));
  EXPECT_EQ(kNoItem, tree.NextSibling(b));
  EXPECT_EQ(kNoItem, tree.Selected());
  // A deleted handle answers as an unknown one, and is never handed out again.
  EXPECT_EQ(kNoItem, tree.Parent(a1));
  EXPECT_EQ(std::nullopt, tree.Text(a1));
  EXPECT_EQ(-1, tree.Image(a1));
  EXPECT_EQ(kNoItem, tree.InsertChild(a, 0, std::nullopt));
  EXPECT_GT(tree.InsertChild(b, 0, std::nullopt), a2);
  EXPECT_EQ(kNoItem, tree.FirstChild(999));
}

TEST(TraceTreeNodes, ADroppingTreeKeepsTextsGivenAtInsertOnly) {
  CTraceTree tree(CTraceTree::DeferredTexts::kDropped);
  const TreeItem deferred = tree.InsertChild(tree.Root(), 0, std::nullopt);
  const TreeItem given = tree.InsertChild(tree.Root(), 0, std::wstring(L"given"));
  tree.SetText(deferred, L"fixed");
  tree.SetText(given, L"changed");
  EXPECT_EQ(std::nullopt, tree.Text(deferred));
  EXPECT_EQ(std::optional<std::wstring>(L"changed"), tree.Text(given));
}

TEST(ItemReferenceMap, ItemsInAndOutOfOrderErasedAndListedAgain) {
  CItemReferenceMap map;
  const auto reference = [](int32_t row, const wchar_t* text) {
    CellReference made;
    made.first = made.last = CellPos{1, 1, row};
    made.text = text;
    return made;
  };
  map.Set(10, reference(1, L"ten"));
  map.Set(20, reference(2, L""));
  map.Set(15, reference(3, L"out of order"));
  map.Set(5, reference(4, L""));
  const CellReference* ten = map.Find(10);
  ASSERT_NE(nullptr, ten);
  for (TreeItem item = 21; item < 2000; ++item) map.Set(item, reference(5, L""));
  // Later items do not move earlier references.
  EXPECT_EQ(ten, map.Find(10));
  EXPECT_EQ(L"ten", ten->text);
  EXPECT_EQ(3, map.Find(15)->first.row);
  EXPECT_EQ(4, map.Find(5)->first.row);
  EXPECT_EQ(nullptr, map.Find(11));
  EXPECT_EQ(nullptr, map.Find(kNoItem));

  map.Erase(10);
  map.Erase(15);
  // An erased item's reference serves the next item, which may be a new one.
  map.Set(5000, reference(9, L"reused"));
  EXPECT_EQ(L"reused", map.Find(5000)->text);
  EXPECT_EQ(4, map.Find(5)->first.row);
  EXPECT_FALSE(map.Contains(10));
  EXPECT_FALSE(map.Contains(15));
  EXPECT_TRUE(map.Contains(20));
  // A handle can come back (a tree control reuses them): it is listed again.
  map.Set(10, reference(6, L""));
  map.Set(15, reference(7, L""));
  EXPECT_EQ(6, map.Find(10)->first.row);
  EXPECT_EQ(7, map.Find(15)->first.row);
  map.Set(10, reference(8, L""));
  EXPECT_EQ(8, map.Find(10)->first.row);
  map.Clear();
  EXPECT_EQ(nullptr, map.Find(20));
}

}  // namespace
