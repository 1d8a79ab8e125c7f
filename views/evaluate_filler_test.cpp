// Evaluate filling against workbooks of the embedded spreadsheet: sub-expressions with their
// values, references opening into their formulas, ranges, names, dynamic targets, cycles, a long
// chain and Stop.
#include "views/evaluate_filler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/deep_chain.h"
#include "tests/support/recording_progress_display.h"
#include "tests/support/spreadsheet_session.h"
#include "views/progress_display.h"
#include "views/progress_window.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/window_commands.h"

namespace {

using test_support::CellRef;

using spreadsheet::CellValue;

// What one item shows: its two columns and image.
struct Shown {
  std::wstring formula;
  std::wstring value;
  int32_t image;
  friend bool operator==(const Shown&, const Shown&) = default;
};
void PrintTo(const Shown& shown, std::ostream* out) {
  *out << testing::PrintToString(shown.formula) << " | " << testing::PrintToString(shown.value)
       << " | " << shown.image;
}

class CStopAtFirstReport final : public IProgressDisplay {
 public:
  explicit CStopAtFirstReport(std::shared_ptr<std::vector<std::wstring>> messages)
      : messages_(std::move(messages)) {}
  bool Show(const std::wstring&, const std::wstring&, bool) override { return true; }
  void SetMessage(const std::wstring& message) override {
    messages_->push_back(message);
    ProgressWindow::PressStop();
  }
  void Close() override {}

 private:
  std::shared_ptr<std::vector<std::wstring>> messages_;
};

class EvaluateTree : public testing::Test {
 protected:
  ~EvaluateTree() override {
    ReferenceFunctions::Clear();
  }

  void Formula(int32_t column, int32_t row, const wchar_t* text, int32_t sheet = 1) {
    session_.book->Sheet(sheet).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value, int32_t sheet = 1) {
    session_.book->Sheet(sheet).SetValue({row, column}, CellValue::Number(value));
  }

  CEvaluateFiller& Open(const CellReference& root) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    tree_.DeleteItem(tree_.Root());
    container_ = test_support::AttachContainer(session_);
    container_->SetProgress(&progress_);
    filler_ = std::make_unique<CEvaluateFiller>(*container_, tree_);
    tree_.SetExpandingHandler([this](TreeItem item) { filler_->ExpandOnDemand(item); });
    filler_->SetRoot(root);
    filler_->Fill();
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
  Shown See(TreeItem item) const {
    return {filler_->ColumnText(item, EvaluateColumn::kFormula),
            filler_->ColumnText(item, EvaluateColumn::kValue), tree_.Image(item)};
  }
  std::vector<Shown> SeeChildren(TreeItem item) const {
    std::vector<Shown> shown;
    for (const TreeItem child : Children(item)) shown.push_back(See(child));
    return shown;
  }
  bool HasPlaceholder(TreeItem item) const {
    return filler_->IsPlaceholder(tree_.FirstChild(item));
  }

  test_support::CSpreadsheetSession session_;
  // The progress of the container's operations, shown on displays_ when a test sets them.
  ProgressDisplayFactory displays_;
  ProgressWindow progress_{[this] { return displays_ ? displays_() : nullptr; }};
  std::unique_ptr<CDependencyContainer> container_;
  CTraceTree tree_;
  std::unique_ptr<CEvaluateFiller> filler_;
};

TEST_F(EvaluateTree, OperatorsAndCallsAreSubExpressionsWithTheirValues) {
  for (int32_t row = 1; row <= 3; ++row) Number(1, row, row);
  Formula(2, 1, L"=C1*2");
  Number(3, 1, 5);
  Formula(4, 1, L"=SUM(A1:A3)*B1-ROUND(SQRT(A3*3),0)");
  Open(CellRef(4, 1));

  EXPECT_EQ((Shown{L"D1", L"57=SUM(A1:A3)*B1-ROUND(SQRT(A3*3),0)", kEvaluateImageCell}),
            See(Top()));
  EXPECT_TRUE(tree_.IsExpanded(Top()));
  const std::vector<TreeItem> top = Children(Top());
  ASSERT_EQ(1u, top.size());
  EXPECT_EQ((Shown{L"SUM(A1:A3)*B1-ROUND(SQRT(A3*3), 0)", L"57", kEvaluateImageExpression}),
            See(top[0]));

  const std::vector<TreeItem> difference = Children(top[0]);
  ASSERT_EQ(3u, difference.size());
  EXPECT_EQ((Shown{L"-", L"", kEvaluateImageOperator}), See(difference[1]));
  EXPECT_EQ((std::vector<Shown>{{L"SUM(A1:A3)", L"6", kEvaluateImageExpression},
                                {L"*", L"", kEvaluateImageOperator},
                                {L"B1", L"10=C1*2", kEvaluateImageCell}}),
            SeeChildren(difference[0]));
  // A call inside a call, each with its own value; the constant argument has none.
  const std::vector<TreeItem> round = Children(difference[2]);
  ASSERT_EQ(2u, round.size());
  EXPECT_EQ((Shown{L"SQRT(A3*3)", L"3", kEvaluateImageExpression}), See(round[0]));
  EXPECT_EQ((Shown{L"0", L"", kEvaluateImageExpression}), See(round[1]));
  EXPECT_EQ((std::vector<Shown>{{L"A3*3", L"9", kEvaluateImageExpression}}), SeeChildren(round[0]));

  // The range waits behind a placeholder and opens into its cells; so does the formula cell.
  const TreeItem sum = Children(difference[0])[0];
  const TreeItem range = tree_.FirstChild(sum);
  EXPECT_EQ((Shown{L"A1:A3", L"", kEvaluateImageRange}), See(range));
  EXPECT_TRUE(HasPlaceholder(range));
  const TreeItem b1 = Children(difference[0])[2];
  ASSERT_TRUE(HasPlaceholder(b1));
  tree_.Expand(b1);
  const std::vector<TreeItem> b1Formula = Children(b1);
  ASSERT_EQ(1u, b1Formula.size());
  EXPECT_EQ((std::vector<Shown>{{L"C1", L"5", kEvaluateImageCell},
                                {L"*", L"", kEvaluateImageOperator},
                                {L"2", L"", kEvaluateImageExpression}}),
            SeeChildren(b1Formula[0]));
  // A constant cell offers nothing to open.
  EXPECT_EQ(kNoItem, tree_.FirstChild(Children(b1Formula[0])[0]));

  const std::vector<CellReference> path = filler_->PathFromRoot(Children(b1Formula[0])[0]);
  ASSERT_EQ(3u, path.size());
  EXPECT_EQ(CellRef(4, 1).first, path[0].first);
  EXPECT_EQ(CellRef(2, 1).first, path[1].first);
  EXPECT_EQ(CellRef(3, 1).first, path[2].first);
  EXPECT_EQ(nullptr, filler_->ReferenceOf(b1Formula[0]));
  EXPECT_EQ(L"C1*", filler_->ItemText(b1Formula[0], 4));
}

// Each sub-expression shows what Excel gives for it: an empty argument keeps its place (and is
// no item), TRUE() is a call, and a union is a range of every area.
TEST_F(EvaluateTree, EmptyArgumentsTrueCallsAndUnionsShowExcelsValues) {
  Number(1, 1, 3);
  Number(1, 2, 4);
  Number(3, 1, 5);
  Formula(2, 1, L"=IF(A1=2,5,)");
  Formula(2, 2, L"=IF(TRUE(),A1,)+FALSE()");
  Formula(2, 3, L"=SUM((A1:A2,C1))");

  Open(CellRef(2, 1));
  ASSERT_EQ(1u, Children(Top()).size());
  const TreeItem call = Children(Top())[0];
  EXPECT_EQ((Shown{L"IF(A1=2, 5,)", L"0", kEvaluateImageExpression}), See(call));
  const std::vector<TreeItem> arguments = Children(call);
  ASSERT_EQ(2u, arguments.size());
  EXPECT_EQ((Shown{L"A1=2", L"FALSE", kEvaluateImageExpression}), See(arguments[0]));

  Open(CellRef(2, 2));
  const TreeItem sum = Children(Top())[0];
  EXPECT_EQ((Shown{L"IF(TRUE(), A1,)+FALSE()", L"3", kEvaluateImageExpression}), See(sum));
  EXPECT_EQ((Shown{L"TRUE()", L"TRUE", kEvaluateImageExpression}),
            See(Children(Children(sum)[0])[0]));
  EXPECT_EQ((Shown{L"FALSE()", L"FALSE", kEvaluateImageExpression}), See(Children(sum)[2]));

  Open(CellRef(2, 3));
  const TreeItem areas = Children(Children(Top())[0])[0];
  EXPECT_EQ((Shown{L"(A1:A2,C1)", L"'Sheet1'!$A$1:$A$2,$C$1", kEvaluateImageExpression}),
            See(areas));
  EXPECT_EQ(
      (std::vector<Shown>{{L"A1:A2", L"", kEvaluateImageRange}, {L"C1", L"5", kEvaluateImageCell}}),
      SeeChildren(areas));
}

TEST_F(EvaluateTree, ARangeOpensAlongRowsAndOnlyOnce) {
  for (int32_t row = 1; row <= 2; ++row) {
    for (int32_t column = 1; column <= 2; ++column) Number(column, row, column * 10 + row);
  }
  Formula(3, 1, L"=SUM(A1:B2)");
  Open(CellRef(3, 1));
  const TreeItem range = tree_.FirstChild(Children(Top())[0]);
  for (int round = 0; round < 2; ++round) {
    tree_.Expand(range);
    tree_.Collapse(range);
    EXPECT_EQ((std::vector<Shown>{{L"A1", L"11", kEvaluateImageCell},
                                  {L"B1", L"21", kEvaluateImageCell},
                                  {L"A2", L"12", kEvaluateImageCell},
                                  {L"B2", L"22", kEvaluateImageCell}}),
              SeeChildren(range))
        << "round " << round;
  }
  // Filling the top again through the tree's own notification adds nothing.
  tree_.Collapse(Top());
  tree_.Expand(Top());
  EXPECT_EQ(1u, Children(Top()).size());
}

TEST_F(EvaluateTree, ValuesOfStringsEmptyResultsAndConstants) {
  session_.book->Sheet(1).SetValue({1, 1}, CellValue::Text(L"word"));
  Formula(2, 1, L"=\"\"");
  Formula(3, 1, L"=A1&\"s\"");
  Number(4, 1, 7);

  Open(CellRef(1, 1));
  EXPECT_EQ((Shown{L"A1", L"'word'", kEvaluateImageCell}), See(Top()));
  EXPECT_EQ(1u, tree_.Size());

  Open(CellRef(2, 1));
  EXPECT_EQ(L"''=\"\"", See(Top()).value);
  Open(CellRef(3, 1));
  EXPECT_EQ(L"'words'=A1&\"s\"", See(Top()).value);
  Open(CellRef(4, 1));
  EXPECT_EQ((Shown{L"D1", L"7", kEvaluateImageCell}), See(Top()));
  EXPECT_EQ(kNoItem, tree_.FirstChild(Top()));
}

TEST_F(EvaluateTree, NamesDynamicTargetsAndTheirImages) {
  ReferenceFunctions::Add(L"INDIRECT");
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"Pair", L"=Sheet1!$A$1:$A$2", 0, false});
  Number(1, 1, 4);
  Number(1, 2, 8);
  Number(3, 1, 2);
  Formula(2, 1, L"=SUM(Pair)*Rate+INDIRECT(\"C1\")");
  Open(CellRef(2, 1));

  const TreeItem sum = Children(Top())[0];
  const std::vector<TreeItem> parts = Children(sum);
  ASSERT_EQ(3u, parts.size());
  const std::vector<TreeItem> product = Children(parts[0]);
  ASSERT_EQ(3u, product.size());
  const TreeItem pair = tree_.FirstChild(product[0]);
  EXPECT_EQ((Shown{L"Pair (A1:A2)", L"", kEvaluateImageName}), See(pair));
  EXPECT_TRUE(HasPlaceholder(pair));
  tree_.Expand(pair);
  EXPECT_EQ(
      (std::vector<Shown>{{L"A1", L"4", kEvaluateImageCell}, {L"A2", L"8", kEvaluateImageCell}}),
      SeeChildren(pair));
  // A name that is no range shows what it refers to and opens into nothing.
  EXPECT_EQ((Shown{L"Rate", L"=0.25", kEvaluateImageName}), See(product[2]));
  EXPECT_EQ(kNoItem, tree_.FirstChild(product[2]));

  // Under the call, after its argument, the cell it evaluates to.
  // A call that returns a range is valued as that range's address.
  EXPECT_EQ((Shown{L"INDIRECT(\"C1\")", L"'Sheet1'!$C$1", kEvaluateImageExpression}),
            See(parts[2]));
  const std::vector<TreeItem> call = Children(parts[2]);
  ASSERT_EQ(2u, call.size());
  EXPECT_EQ((Shown{L"\"C1\"", L"", kEvaluateImageExpression}), See(call[0]));
  EXPECT_EQ(kEvaluateImageEvaluated, tree_.Image(call[1]));
  ASSERT_NE(nullptr, filler_->ReferenceOf(call[1]));
  EXPECT_EQ(CellRef(3, 1).first, filler_->ReferenceOf(call[1])->first);
  EXPECT_EQ(L"2", See(call[1]).value);

  // Evaluate Formula is offered on plain references only.
  EXPECT_TRUE(EvaluateCommandEnabled(kCmdEvaluateFormula, filler_->ReferenceOf(call[1])));
  EXPECT_FALSE(EvaluateCommandEnabled(kCmdEvaluateFormula, filler_->ReferenceOf(pair)));
  EXPECT_TRUE(EvaluateCommandEnabled(kCmdSelectInExcel, filler_->ReferenceOf(pair)));
  EXPECT_FALSE(EvaluateCommandEnabled(kCmdSelectInExcel, filler_->ReferenceOf(sum)));
  EXPECT_TRUE(EvaluateCommandEnabled(kCmdExpandAll, nullptr));
  EXPECT_FALSE(EvaluateCommandEnabled(kCmdShowFindToolbar, filler_->ReferenceOf(pair)));
}

TEST_F(EvaluateTree, SubExpressionsAreEvaluatedOnTheSheetOfTheirCell) {
  session_.book->AddSheet(L"Data");
  Number(1, 1, 1);
  Number(1, 1, 100, 2);
  Formula(1, 2, L"=A1+1", 2);
  Formula(2, 1, L"=Data!A2*2");
  Open(CellRef(2, 1));
  EXPECT_EQ(L"Sheet1!B1 - evaluate formula", EvaluateWindowTitle(*container_, CellRef(2, 1)));

  const TreeItem product = Children(Top())[0];
  EXPECT_EQ(L"202", See(product).value);
  const TreeItem data = tree_.FirstChild(product);
  EXPECT_EQ(L"101=A1+1", See(data).value);
  tree_.Expand(data);
  const TreeItem sum = tree_.FirstChild(data);
  EXPECT_EQ((Shown{L"A1+1", L"101", kEvaluateImageExpression}), See(sum));
  EXPECT_EQ(L"100", See(tree_.FirstChild(sum)).value);
}

TEST_F(EvaluateTree, ExpandAllEndsACircleAtTheRepeatedCell) {
  Formula(1, 1, L"=B1+1");
  Formula(2, 1, L"=C1+A2");
  Formula(3, 1, L"=A1+1");
  Number(1, 2, 3);
  CEvaluateFiller& filler = Open(CellRef(1, 1));
  test_support::CRecordingProgressDisplay::Installed progress(container_.get());
  filler.ExpandAll();
  EXPECT_EQ(Top(), tree_.Selected());
  EXPECT_EQ(L"Trelvane - expanding tree", progress.record->title);
  EXPECT_EQ(1, progress.record->closed);

  // A1, its sum, B1, its sum, C1, its sum, then A1 again: shown, not opened.
  std::vector<std::wstring> chain;
  TreeItem item = Top();
  while (true) {
    chain.push_back(See(item).formula);
    if (filler.ReferenceOf(item) != nullptr &&
        filler.ReferenceOf(item)->first == CellRef(1, 1).first && chain.size() > 1) {
      break;
    }
    ASSERT_TRUE(tree_.IsExpanded(item)) << See(item).formula;
    item = tree_.FirstChild(item);
    ASSERT_NE(kNoItem, item);
  }
  EXPECT_EQ((std::vector<std::wstring>{L"A1", L"B1+1", L"B1", L"C1+A2", L"C1", L"A1+1", L"A1"}),
            chain);
  EXPECT_TRUE(HasPlaceholder(item));
  EXPECT_FALSE(tree_.IsExpanded(item));
  // A sibling branch off the circle is opened all the same.
  const TreeItem b1 = tree_.FirstChild(tree_.FirstChild(Top()));
  const std::vector<TreeItem> b1Sum = Children(tree_.FirstChild(b1));
  ASSERT_EQ(3u, b1Sum.size());
  EXPECT_EQ(L"A2", See(b1Sum[2]).formula);

  // The repeated cell still opens a level by hand.
  tree_.Expand(item);
  EXPECT_EQ(L"B1+1", See(tree_.FirstChild(item)).formula);
}

TEST_F(EvaluateTree, ExpandAllOverAHundredThousandCellsKeepsTheStackFlat) {
  constexpr int32_t kLength = test_support::DeepChain(100000);
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1) + L"+1").c_str());
  }
  Number(1, kLength, 1);
  CEvaluateFiller& filler = Open(CellRef(1, 1));
  filler.ExpandAll();

  // Each formula cell holds its sum, which holds the next cell, "+" and "1".
  EXPECT_EQ(static_cast<size_t>(kLength) + 3 * static_cast<size_t>(kLength - 1), tree_.Size());
  TreeItem deepest = Top();
  while (tree_.FirstChild(deepest) != kNoItem) deepest = tree_.FirstChild(deepest);
  const std::vector<CellReference> path = filler.PathFromRoot(deepest);
  ASSERT_EQ(static_cast<size_t>(kLength), path.size());
  EXPECT_EQ(CellRef(1, kLength).first, path.back().first);
  EXPECT_EQ(L"1", See(deepest).value);
  EXPECT_EQ(std::to_wstring(kLength) + L"=A2+1", See(Top()).value);
}

TEST_F(EvaluateTree, StopLeavesPlaceholdersToOpenLater) {
  constexpr int32_t kLength = 200;
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1) + L"+1").c_str());
  }
  Number(1, kLength, 1);
  CEvaluateFiller& filler = Open(CellRef(1, 1));
  // Stop as soon as the first report is made, 50 items in.
  auto messages = std::make_shared<std::vector<std::wstring>>();
  displays_ = [messages] { return std::make_unique<CStopAtFirstReport>(messages); };
  filler.ExpandAll();
  displays_ = nullptr;

  ASSERT_EQ(1u, messages->size());
  EXPECT_EQ(L"Nodes processed: 50", (*messages)[0]);
  EXPECT_LT(tree_.Size(), 80u);
  TreeItem last = Top();
  for (TreeItem next = last; next != kNoItem; next = tree_.FirstChild(next)) {
    if (filler.ReferenceOf(next) != nullptr) last = next;
  }
  ASSERT_TRUE(HasPlaceholder(last));
  tree_.Expand(last);
  EXPECT_FALSE(HasPlaceholder(last));
  EXPECT_EQ(3u, Children(tree_.FirstChild(last)).size());
}

TEST_F(EvaluateTree, RefreshReadsValuesAgain) {
  Number(1, 1, 2);
  Formula(2, 1, L"=A1*3");
  CEvaluateFiller& filler = Open(CellRef(2, 1));
  EXPECT_EQ(L"6", See(Children(Top())[0]).value);
  Number(1, 1, 5);
  session_.app->Calculator().InvalidateAll(*session_.book);
  session_.app->Calculate();
  filler.Refresh();
  ASSERT_EQ(1u, Children(tree_.Root()).size());
  EXPECT_EQ(L"15=A1*3", See(Top()).value);
  EXPECT_EQ(L"15", See(Children(Top())[0]).value);
  EXPECT_TRUE(filler.SelectInExcelEnabled());
}

}  // namespace
