// The calculation chain and its levels, against workbooks of the embedded spreadsheet and, for
// chains too deep for a workbook to calculate quickly, against a formula index filled directly.
#include "engine/calculation_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/deep_chain.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::At;
using test_support::Single;

class CalculationChain : public testing::Test {
 protected:
  void Formula(int32_t column, int32_t row, const std::wstring& text) {
    session_->book->Sheet(1).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value) {
    session_->book->Sheet(1).SetValue({row, column}, spreadsheet::CellValue::Number(value));
  }
  std::unique_ptr<CDependencyContainer> Attach() {
    session_->app->Calculator().InvalidateAll(*session_->book);
    session_->app->Calculator().Calculate(false);
    return test_support::AttachContainer(*session_);
  }

  std::optional<test_support::CSpreadsheetSession> session_{std::in_place};
};

struct ChainCase {
  const char* name;
  std::vector<std::pair<CellPos, std::wstring>> formulas;  // On sheet 1.
  std::vector<std::pair<CellPos, double>> numbers;
  std::vector<std::pair<CellPos, int32_t>> chain;  // In the expected order, with levels.
};

TEST_F(CalculationChain, OrdersFormulasByLevel) {
  const std::vector<ChainCase> cases = {
      {"constants are no formulas",
       {{At(1, 1, 1), L"=B1+1"}, {At(1, 2, 1), L"=C1*2"}},
       {{At(1, 3, 1), 5}},
       {{At(1, 2, 1), 0}, {At(1, 1, 1), 1}}},
      {"a range is followed cell by cell",
       {{At(1, 4, 1), L"=SUM(A1:A3)"}, {At(1, 1, 1), L"=1+1"}, {At(1, 1, 3), L"=2*2"}},
       {{At(1, 1, 2), 7}},
       {{At(1, 1, 1), 0}, {At(1, 1, 3), 0}, {At(1, 4, 1), 1}}},
      {"the walk reaches A1 first, so B1's edge back is dropped",
       {{At(1, 1, 1), L"=B1"}, {At(1, 2, 1), L"=A1"}},
       {},
       {{At(1, 2, 1), 0}, {At(1, 1, 1), 1}}},
      {"the longest chain below a cell counts",
       {{At(1, 1, 1), L"=B1+C1"},
        {At(1, 2, 1), L"=C1"},
        {At(1, 3, 1), L"=D1"},
        {At(1, 4, 1), L"=1"}},
       {},
       {{At(1, 4, 1), 0}, {At(1, 3, 1), 1}, {At(1, 2, 1), 2}, {At(1, 1, 1), 3}}},
      {"whole columns find their few formulas",
       {{At(1, 3, 1), L"=SUM(A:A)"}, {At(1, 1, 9), L"=B2*2"}, {At(1, 2, 2), L"=3"}},
       {{At(1, 1, 4), 1}},
       {{At(1, 2, 2), 0}, {At(1, 1, 9), 1}, {At(1, 3, 1), 2}}},
      {"a range is walked row by row, which decides the edge of a circle that is dropped",
       {{At(1, 1, 1), L"=SUM(B1:C2)"}, {At(1, 3, 1), L"=B2"}, {At(1, 2, 2), L"=C1"}},
       {},
       {{At(1, 2, 2), 0}, {At(1, 3, 1), 1}, {At(1, 1, 1), 2}}},
      {"a formula may refer to itself",
       {{At(1, 1, 1), L"=A1+B1"}, {At(1, 2, 1), L"=1"}},
       {},
       {{At(1, 2, 1), 0}, {At(1, 1, 1), 1}}},
  };
  for (const ChainCase& test : cases) {
    SCOPED_TRACE(test.name);
    session_.emplace();
    for (const auto& [cell, text] : test.formulas) Formula(cell.column, cell.row, text);
    for (const auto& [cell, value] : test.numbers) Number(cell.column, cell.row, value);
    const auto container = Attach();

    const SharedReferenceList chain = BuildCalculationChain(*container);
    ASSERT_NE(nullptr, chain);
    EXPECT_EQ(chain, container->Answers().CalculationChain());
    ASSERT_EQ(test.chain.size(), chain->size());
    CCalculationLevels levels(*container);
    for (size_t i = 0; i < chain->size(); ++i) {
      const CellReference& got = (*chain)[i];
      EXPECT_EQ(test.chain[i].first, got.first) << "item " << i;
      EXPECT_EQ(test.chain[i].first, got.last) << "item " << i;
      EXPECT_EQ(0u, got.flags);
      EXPECT_TRUE(got.text.empty());
    }
    // Asked in the walk's own order, the levels are those of the chain.
    for (const auto& entry : container->Formulas().All()) levels.CalculationLevel(entry.first);
    for (const auto& [cell, level] : test.chain) EXPECT_EQ(level, levels.CalculationLevel(cell));
    for (const auto& [cell, value] : test.numbers) {
      EXPECT_EQ(CCalculationLevels::kNoFormula, levels.CalculationLevel(cell));
    }
  }
}

TEST_F(CalculationChain, NamesEverySheetOfA3DRangeAndEveryCellOfAnArrayCount) {
  spreadsheet::CWorkbook& book = *session_->book;
  book.AddSheet(L"Second");
  book.AddName({L"Total", L"=Sheet1!$G$1", 0, false});
  book.AddName({L"Rate", L"=Second!$B$5*12", 0, false});
  for (int32_t row = 1; row <= 3; ++row) Number(1, row, row);
  book.Sheet(1).SetArrayFormula({{1, 5}, {3, 5}}, L"=A1:A3*2");
  Formula(6, 1, L"=E2+1");                 // a later cell of the array
  Formula(7, 1, L"=SUM(E1:E3)");
  Formula(2, 1, L"=Total*2");              // a name of a range
  Formula(8, 1, L"=Rate*2");               // a name whose definition is a formula
  Formula(3, 1, L"=SUM(Sheet1:Second!D1)");  // the formula is on the last sheet
  book.Sheet(2).SetFormula({1, 4}, L"=Sheet1!F1*2");
  book.Sheet(2).SetFormula({5, 2}, L"=Sheet1!A1");
  const auto container = Attach();

  const std::vector<std::pair<CellPos, int32_t>> expected = {
      {At(1, 5, 1), 0}, {At(1, 5, 2), 0}, {At(1, 5, 3), 0}, {At(2, 2, 5), 0},
      {At(1, 6, 1), 1}, {At(1, 7, 1), 1}, {At(1, 8, 1), 1},
      {At(1, 2, 1), 2}, {At(2, 4, 1), 2},
      {At(1, 3, 1), 3}};
  const SharedReferenceList chain = BuildCalculationChain(*container);
  ASSERT_EQ(expected.size(), chain->size());
  CCalculationLevels levels(*container);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].first, (*chain)[i].first) << "item " << i;
    EXPECT_TRUE((*chain)[i].IsSingleCell());
    // The array's cells stand at the level of its own cell.
    const CellPos asked = expected[i].first.column == 5 ? At(1, 5, 1) : expected[i].first;
    EXPECT_EQ(expected[i].second, levels.CalculationLevel(asked)) << "item " << i;
  }
}

TEST_F(CalculationChain, WorkbookWithoutFormulasGivesEmptyChainUntilOneIsCollected) {
  Number(1, 1, 3);
  const auto container = Attach();
  const SharedReferenceList none = BuildCalculationChain(*container);
  ASSERT_NE(nullptr, none);
  EXPECT_TRUE(none->empty());

  Formula(2, 1, L"=A1*2");
  session_->app->Calculator().InvalidateAll(*session_->book);
  session_->app->Calculator().Calculate(false);
  container->Refresh();
  const SharedReferenceList one = BuildCalculationChain(*container);
  ASSERT_EQ(1u, one->size());
  EXPECT_EQ(At(1, 2, 1), one->front().first);
  EXPECT_TRUE(none->empty()) << "a published list never changes";
}

TEST_F(CalculationChain, ChainsOfWorkbookFormulasGetOneLevelPerStep) {
  for (const int32_t length : {250, 700}) {
    SCOPED_TRACE(length);
    session_.emplace();
    for (int32_t row = 1; row < length; ++row) {
      Formula(1, row, L"=A" + std::to_wstring(row + 1) + L"+1");
    }
    Formula(1, length, L"=1");
    const auto container = Attach();
    const SharedReferenceList chain = BuildCalculationChain(*container);
    ASSERT_EQ(static_cast<size_t>(length), chain->size());
    CCalculationLevels levels(*container);
    for (int32_t i = 0; i < length; ++i) {
      const CellPos cell = At(1, 1, length - i);
      EXPECT_EQ(cell, (*chain)[static_cast<size_t>(i)].first);
      ASSERT_EQ(i, levels.CalculationLevel(cell));
    }
  }
}

// Fills the index as the collection would for a chain A1 -> A2 -> ... -> A(length), each cell
// referring to the next, the last to `lastRefersTo` or to nothing.
void FillChainIndex(CDependencyContainer& container, int32_t length, int32_t sheet = 1,
                    std::optional<CellPos> lastRefersTo = std::nullopt) {
  for (int32_t row = 1; row <= length; ++row) {
    auto references = std::make_shared<std::vector<CellReference>>();
    if (row < length) {
      references->push_back(Single(At(sheet, 1, row + 1)));
    } else if (lastRefersTo) {
      references->push_back(Single(*lastRefersTo));
    }
    container.Formulas().Add(At(sheet, 1, row), std::move(references));
  }
  container.Formulas().MarkAllCollected();
}

TEST_F(CalculationChain, HundredThousandDeepChainNeedsNoStack) {
  constexpr int32_t kLength = test_support::DeepChain(100000);
  const auto container = Attach();
  FillChainIndex(*container, kLength);
  const SharedReferenceList chain = BuildCalculationChain(*container);
  ASSERT_EQ(static_cast<size_t>(kLength), chain->size());
  CCalculationLevels levels(*container);
  EXPECT_EQ(kLength - 1, levels.CalculationLevel(At(1, 1, 1)));
  for (int32_t i = 0; i < kLength; ++i) {
    ASSERT_EQ(At(1, 1, kLength - i), (*chain)[static_cast<size_t>(i)].first);
    ASSERT_EQ(i, levels.Levels().at(At(1, 1, kLength - i)));
  }
}

TEST_F(CalculationChain, DeepCircleDropsOnlyTheClosingEdge) {
  // A1 -> A2 -> ... -> A1000 -> A1, and B1 refers to A500 from outside the circle.
  constexpr int32_t kLength = 1000;
  const auto container = Attach();
  FillChainIndex(*container, kLength, 1, At(1, 1, 1));
  auto outside = std::make_shared<std::vector<CellReference>>();
  outside->push_back(Single(At(1, 1, 500)));
  container->Formulas().Add(At(1, 2, 1), outside);

  const SharedReferenceList chain = BuildCalculationChain(*container);
  ASSERT_EQ(static_cast<size_t>(kLength + 1), chain->size());
  CCalculationLevels levels(*container);
  for (const auto& entry : container->Formulas().All()) levels.CalculationLevel(entry.first);
  EXPECT_EQ(0, levels.CalculationLevel(At(1, 1, kLength)));
  EXPECT_EQ(kLength - 1, levels.CalculationLevel(At(1, 1, 1)));
  EXPECT_EQ(levels.CalculationLevel(At(1, 1, 500)) + 1, levels.CalculationLevel(At(1, 2, 1)));
  // Every formula comes after the formulas it refers to, except across the dropped edge.
  for (const auto& [cell, references] : container->Formulas().All()) {
    for (const CellReference& reference : *references) {
      if (cell == At(1, 1, kLength)) continue;
      EXPECT_GT(levels.CalculationLevel(cell), levels.CalculationLevel(reference.first));
    }
  }
}

}  // namespace
