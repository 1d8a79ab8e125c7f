// Tests of recalculation: order, what waits after writes, manual calculation, array formulas,
// circular references and chains far deeper than any stack.
#include "spreadsheet/calc/calculator.h"

#include <gtest/gtest.h>

#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/deep_chain.h"

namespace spreadsheet {
namespace {

using testing::IsError;
using testing::IsNumber;
using testing::NewWorkbook;

EvalValue ValueAt(const CWorkbook& book, CellCoord cell, std::int32_t sheet = 1) {
  return EvalValue::FromCell(book.Sheet(sheet).Value(cell));
}

TEST(Calculator, CalculatesFormulasWithoutValuesPrecedentsFirst) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  // Written bottom-up so that row order is the wrong order.
  sheet.SetFormula({1, 1}, L"A2*2");
  sheet.SetFormula({2, 1}, L"A3+1");
  sheet.SetValue({3, 1}, CellValue::Number(4));
  sheet.SetFormula({4, 1}, L"7", CellValue::Number(99));  // Has a value: left alone.
  CCalculator calculator;
  calculator.Attach(*book);
  EXPECT_TRUE(calculator.HasPending());
  calculator.Calculate(false);
  EXPECT_FALSE(calculator.HasPending());
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), 10));
  EXPECT_TRUE(IsNumber(ValueAt(*book, {4, 1}), 99));
  EXPECT_EQ(2u, calculator.Statistics().evaluations);
}

TEST(Calculator, WritesMakeDependentsWaitThroughRangesAndChains) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  for (std::int32_t row = 1; row <= 5; ++row) sheet.SetValue({row, 1}, CellValue::Number(row));
  sheet.SetFormula({1, 2}, L"SUM(A1:A5)");
  sheet.SetFormula({2, 2}, L"B1*10");
  sheet.SetFormula({3, 2}, L"A1+1");
  sheet.SetFormula({4, 2}, L"Z1");  // Depends on nothing written here.
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {2, 2}), 150));
  const auto before = calculator.Statistics().evaluations;
  sheet.SetValue({4, 1}, CellValue::Number(40));
  calculator.CellsChanged(*book, 1, CellRect::Of({4, 1}));
  EXPECT_TRUE(calculator.IsPending(*book, 1, {1, 2}));
  EXPECT_TRUE(calculator.IsPending(*book, 1, {2, 2}));
  EXPECT_FALSE(calculator.IsPending(*book, 1, {3, 2}));
  EXPECT_FALSE(calculator.IsPending(*book, 1, {4, 2}));
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 2}), 51));
  EXPECT_TRUE(IsNumber(ValueAt(*book, {2, 2}), 510));
  EXPECT_EQ(before + 2, calculator.Statistics().evaluations);
}

TEST(Calculator, ANewFormulaIsCalculatedAndFollowed) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Number(2));
  sheet.SetFormula({1, 3}, L"B1+1");
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 3}), 1));
  sheet.SetFormula({1, 2}, L"A1*3");
  calculator.CellsChanged(*book, 1, CellRect::Of({1, 2}));
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 3}), 7));
}

TEST(Calculator, CalculateRangeLeavesTheRestWaiting) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetFormula({1, 1}, L"1+1");
  sheet.SetFormula({2, 1}, L"A1*5");
  sheet.SetFormula({3, 1}, L"9");
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.CalculateRange(*book, 1, CellRect::Of({2, 1}));
  EXPECT_TRUE(IsNumber(ValueAt(*book, {2, 1}), 10));
  EXPECT_TRUE(calculator.IsPending(*book, 1, {3, 1}));
  // Evaluate without calculating reads what cells hold, but a reference calculates its cells.
  EXPECT_TRUE(IsNumber(calculator.Evaluate(*book, 1, L"A3+1", false), 1));
  const EvalValue reference = calculator.Evaluate(*book, 1, L"A3", false);
  EXPECT_TRUE(reference.IsReference());
  EXPECT_TRUE(IsNumber(ValueAt(*book, {3, 1}), 9));
}

TEST(Calculator, EvaluateKeepsArraysWholeAndNeverGivesNothing) {
  auto book = NewWorkbook();
  CCalculator calculator;
  calculator.Attach(*book);
  const auto evaluate = [&](const wchar_t* text) {
    return calculator.Evaluate(*book, 1, text, true);
  };
  EXPECT_TRUE(IsNumber(evaluate(L"IF(FALSE,1,)"), 0));
  EXPECT_TRUE(IsNumber(evaluate(L"IF(TRUE,,1)"), 0));
  EXPECT_TRUE(IsNumber(evaluate(L"CHOOSE(1,,2)"), 0));
  EXPECT_EQ(EvalValue::Boolean(false), evaluate(L"IF(FALSE,1)"));
  EXPECT_EQ(EvalValue::Boolean(true), evaluate(L"TRUE()"));
  EXPECT_TRUE(IsNumber(evaluate(L"IRR({-100,30,40,50})"), 0.0889633947, 1e-9));
  const auto number = [](double n) { return EvalValue::Number(n); };
  EXPECT_EQ(EvalValue::Array(ValueArray{2, 2, {number(1), number(2), number(3), number(4)}}),
            evaluate(L"MMULT({1,2;3,4},{1,0;0,1})"));
  EXPECT_EQ(EvalValue::Array(ValueArray{2, 1, {number(1), number(2)}}),
            evaluate(L"TRANSPOSE({1,2})"));
}

TEST(Calculator, ALowerArrayBudgetCutsWholeColumnArithmeticShort) {
  auto book = NewWorkbook();
  for (std::int32_t row = 1; row <= 3; ++row) {
    book->Sheet(1).SetValue({row, 1}, CellValue::Number(row));
    book->Sheet(1).SetValue({row, 2}, CellValue::Number(10));
  }
  CCalculator calculator;
  calculator.Attach(*book);
  const wchar_t* formula = L"SUMPRODUCT(A:A*B:B)";
  EXPECT_TRUE(IsNumber(calculator.Evaluate(*book, 1, formula, true), 60));
  calculator.SetArrayCellBudget(kMaxArrayCellsPerEvaluation / 16);
  EXPECT_EQ(EvalValue::Error(ErrorCode::Num), calculator.Evaluate(*book, 1, formula, true));
  EXPECT_TRUE(IsNumber(calculator.Evaluate(*book, 1, L"SUMPRODUCT(A1:A3*B1:B3)", true), 60));
}

TEST(Calculator, ArrayFormulasFillTheirRange) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  for (std::int32_t row = 1; row <= 3; ++row) sheet.SetValue({row, 1}, CellValue::Number(row));
  sheet.SetArrayFormula({{1, 2}, {4, 2}}, L"A1:A3*10");
  sheet.SetFormula({1, 3}, L"B3+B4");
  CCalculator calculator;
  calculator.Attach(*book);
  sheet.SetCachedValue({1, 2}, CellValue());
  calculator.InvalidateAll(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {3, 2}), 30));
  EXPECT_TRUE(IsError(ValueAt(*book, {4, 2}), ErrorCode::NA));  // Past the array's end.
  EXPECT_TRUE(IsError(ValueAt(*book, {1, 3}), ErrorCode::NA));
}

TEST(Calculator, CircularReferencesEndWithDefinedValues) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetFormula({1, 1}, L"B1+1");
  sheet.SetFormula({1, 2}, L"A1+1");
  sheet.SetFormula({1, 3}, L"C1*2");  // Refers to itself.
  sheet.SetFormula({1, 4}, L"A1*0+5");
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_FALSE(calculator.HasPending());
  EXPECT_TRUE(ValueAt(*book, {1, 1}).IsNumber());
  EXPECT_TRUE(ValueAt(*book, {1, 2}).IsNumber());
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 3}), 0));
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 4}), 5));
  EXPECT_GT(calculator.Statistics().circularCells, 0u);
  // Again, from cached values: still no hang.
  calculator.InvalidateAll(*book);
  calculator.Calculate(true);
  EXPECT_FALSE(calculator.HasPending());
}

CalculationSettings Iteration(std::int32_t maxIterations, double maxChange) {
  CalculationSettings settings;
  settings.iterate = true;
  settings.maxIterations = maxIterations;
  settings.maxChange = maxChange;
  return settings;
}

TEST(Calculator, IterationRepeatsCirclesUpToTheCount) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetFormula({1, 1}, L"A1+1");  // Gains one a pass: a recalculation adds the count.
  sheet.SetFormula({1, 2}, L"A1*2");  // Reads the circle, so follows it.
  sheet.SetFormula({1, 3}, L"5");     // Outside any circle.
  book->SetCalculation(Iteration(100, 0.001));
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), 100));
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 2}), 200));
  const std::uint64_t evaluations = calculator.Statistics().evaluations;
  calculator.InvalidateAll(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), 200));
  // Every pass calculates the circle and its follower; the constant formula only once.
  EXPECT_EQ(evaluations + 201, calculator.Statistics().evaluations);
}

TEST(Calculator, IterationStopsOnceNoValueMovesByTheMaximumChange) {
  const auto book = [](const CalculationSettings& settings) {
    auto made = NewWorkbook();
    // Halves its distance to 2 each pass, from blank: 1, 1.5, 1.75 ... and moves by less than
    // 0.001 first on the 11th pass.
    made->Sheet(1).SetFormula({1, 1}, L"1+A1/2");
    made->SetCalculation(settings);
    CCalculator calculator;
    calculator.Attach(*made);
    calculator.Calculate(false);
    return ValueAt(*made, {1, 1});
  };
  EXPECT_TRUE(IsNumber(book(Iteration(1000, 0.001)), 2.0 - 1.0 / 1024.0, 1e-15));
  EXPECT_TRUE(IsNumber(book(Iteration(3, 0.001)), 1.75, 1e-15));
  // Without iteration the circle is calculated once around.
  EXPECT_TRUE(IsNumber(book(CalculationSettings{}), 1));
}

TEST(Calculator, AMillionCellChainTakesNoStack) {
  constexpr std::int32_t kRows = test_support::DeepChain(1000000);
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  // Each cell refers to the one below, so the first cell calculated needs all the others.
  sheet.SetValue({kRows, 1}, CellValue::Number(1));
  const std::uint32_t record = sheet.AddFormulaRecord(
      {FormulaRecord::Kind::Shared, L"A2+1", {1, 1}, {{1, 1}, {kRows - 1, 1}}});
  for (std::int32_t row = 1; row < kRows; ++row) sheet.AttachFormula({row, 1}, record);
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), kRows));
  EXPECT_EQ(1u, calculator.Statistics().parses);  // One shared formula, parsed once.
  // A change at the bottom reaches the top.
  sheet.SetValue({kRows, 1}, CellValue::Number(2));
  calculator.CellsChanged(*book, 1, CellRect::Of({kRows, 1}));
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), kRows + 1));
}

TEST(Calculator, ReferencesFoundOnlyWhenRunningAreWaitedFor) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetFormula({1, 1}, L"INDIRECT(\"B\"&2)*2");
  sheet.SetFormula({2, 2}, L"C2+1");
  sheet.SetFormula({2, 3}, L"20");
  CCalculator calculator;
  calculator.Attach(*book);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*book, {1, 1}), 42));
  // INDIRECT is volatile: Calculate(true) calculates it again.
  const auto before = calculator.Statistics().evaluations;
  calculator.Calculate(true);
  EXPECT_GT(calculator.Statistics().evaluations, before);
}

TEST(Calculator, ExternalReferencesReachOpenWorkbooksOnly) {
  auto main = NewWorkbook();
  auto other = std::make_unique<CWorkbook>(L"Prices.xlsx");
  other->AddSheet(L"List").SetValue({1, 1}, CellValue::Number(12));
  main->ExternalLinks().push_back(L"C:\\data\\Prices.xlsx");
  main->Sheet(1).SetFormula({1, 1}, L"[1]List!A1*2");
  CCalculator calculator;
  calculator.Attach(*main);
  calculator.Calculate(false);
  EXPECT_TRUE(IsError(ValueAt(*main, {1, 1}), ErrorCode::Ref));
  calculator.SetWorkbookFinder([&](std::wstring_view name) -> CWorkbook* {
    return name == L"Prices.xlsx" ? other.get() : nullptr;
  });
  calculator.InvalidateAll(*main);
  calculator.Calculate(false);
  EXPECT_TRUE(IsNumber(ValueAt(*main, {1, 1}), 24));
}

}  // namespace
}  // namespace spreadsheet
