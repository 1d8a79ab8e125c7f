// Tests of evaluation: operator precedence, references as values, implicit intersection, array
// arithmetic, names and tables, and how errors travel.
#include "spreadsheet/calc/formula_evaluator.h"

#include <gtest/gtest.h>

#include <utility>

#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/calc/expression_parser.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsBoolean;
using testing::IsError;
using testing::IsNumber;
using testing::IsText;
using testing::NewWorkbook;

TEST(FormulaEvaluation, OperatorPrecedence) {
  struct Case {
    const wchar_t* formula;
    double value;
  };
  const Case cases[] = {
      {L"-2^2", 4},                      // Negation binds tighter than ^.
      {L"0-2^2", -4},   {L"2^3^2", 64},  // ^ is left-associative.
      {L"2*3+4*5", 26}, {L"(2+3)*4", 20},       {L"10-4-3", 3}, {L"12/3/2", 2},
      {L"50%*2", 1},    {L"-50%", -0.5},        {L"2^-1", 0.5}, {L"--\"3\"", 3},
      {L"1+TRUE", 2},   {L"\"1,000\"*2", 2000}, {L"3&4+1", 35},  // "&" is below "+": 3 & 5.
  };
  for (const Case& c : cases) {
    const EvalValue value = Evaluate(c.formula);
    if (c.formula == std::wstring(L"3&4+1")) {
      EXPECT_TRUE(IsText(value, L"35"));
    } else {
      EXPECT_TRUE(IsNumber(value, c.value)) << testing::Describe(value);
    }
  }
  EXPECT_TRUE(IsBoolean(Evaluate(L"1+1=2"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"\"a\"&\"b\"=\"AB\""), true));  // Text compares without case.
  EXPECT_TRUE(IsBoolean(Evaluate(L"0.1+0.2=0.3"), true));         // To 15 digits.
  EXPECT_TRUE(IsNumber(Evaluate(L"0.3-0.2-0.1"), 0.0, 0.0));
}

TEST(FormulaEvaluation, ComparisonsAcrossKinds) {
  // Numbers sort before text, text before Booleans.
  EXPECT_TRUE(IsBoolean(Evaluate(L"1<\"a\""), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"\"z\"<FALSE"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"FALSE<TRUE"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"\"10\"=10"), false));
  auto book = NewWorkbook();
  // A blank cell equals 0, "" and FALSE alike.
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"Z9=0"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"Z9=\"\""), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"Z9=FALSE"), true));
}

TEST(FormulaEvaluation, ErrorsTravelLeftFirst) {
  EXPECT_TRUE(IsError(Evaluate(L"1/0"), ErrorCode::Div0));
  EXPECT_TRUE(IsError(Evaluate(L"#N/A+1/0"), ErrorCode::NA));
  EXPECT_TRUE(IsError(Evaluate(L"1/0+#N/A"), ErrorCode::Div0));
  EXPECT_TRUE(IsError(Evaluate(L"\"x\"*2"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(L"0^0"), ErrorCode::Num));
  EXPECT_TRUE(IsError(Evaluate(L"(-8)^(1/3)"), ErrorCode::Num));
  EXPECT_TRUE(IsError(Evaluate(L"NOSUCHFUNCTION(1)"), ErrorCode::Name));
  EXPECT_TRUE(IsError(Evaluate(L"NoSuchName+1"), ErrorCode::Name));
  EXPECT_TRUE(IsError(Evaluate(L"Missing!A1"), ErrorCode::Ref));
  EXPECT_TRUE(IsError(Evaluate(L"[1]Sheet1!A1"), ErrorCode::Ref));  // Not open.
  EXPECT_TRUE(IsError(Evaluate(L"A1:A2 C1:C2"), ErrorCode::Null));
  EXPECT_TRUE(IsError(Evaluate(L"1E308*10"), ErrorCode::Num));
}

class FormulaReferences : public ::testing::Test {
 protected:
  void SetUp() override {
    book_ = NewWorkbook();
    CWorksheet& sheet = book_->Sheet(1);
    for (std::int32_t row = 1; row <= 4; ++row) {
      sheet.SetValue({row, 1}, CellValue::Number(row * 10.0));  // A1:A4 10..40
      sheet.SetValue({row, 2}, CellValue::Number(row));         // B1:B4 1..4
    }
    sheet.SetValue({1, 3}, CellValue::Text(L"text"));
    book_->AddSheet(L"Other Sheet").SetValue({2, 2}, CellValue::Number(7));
  }
  std::unique_ptr<CWorkbook> book_;
};

TEST_F(FormulaReferences, BlankCellsReadAsZeroAndReferencesAsTheirValues) {
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Z100"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"A2+B3"), 23));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"'Other Sheet'!B2*2"), 14));
  EXPECT_TRUE(IsText(Evaluate(*book_, L"C1&\"\""), L"text"));
}

TEST_F(FormulaReferences, ImplicitIntersectionWithTheFormulasRowOrColumn) {
  // In D3 a column of cells gives the cell of row 3; elsewhere there is none.
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"A1:A4*2", 1, {3, 4}), 60));
  EXPECT_TRUE(IsError(Evaluate(*book_, L"A1:A4*2", 1, {9, 4}), ErrorCode::Value));
  // As an array formula the same text is an array.
  const EvalValue array = Evaluate(*book_, L"A1:A4*B1:B4", 1, {9, 4}, true);
  ASSERT_TRUE(array.IsArray()) << testing::Describe(array);
  EXPECT_EQ(4, array.AsArray().rows);
  EXPECT_TRUE(IsNumber(array.AsArray().At(3, 0), 160));
}

TEST_F(FormulaReferences, ArrayArithmeticSpreadsRowsAndColumns) {
  const EvalValue table = Evaluate(*book_, L"{1;2;3}*{10,20}", 1, {1, 9}, true);
  ASSERT_TRUE(table.IsArray());
  EXPECT_EQ(3, table.AsArray().rows);
  EXPECT_EQ(2, table.AsArray().columns);
  EXPECT_TRUE(IsNumber(table.AsArray().At(2, 1), 60));
  // Arrays of unequal sizes are #N/A where one runs out.
  const EvalValue ragged = Evaluate(*book_, L"{1,2,3}+{1,2}", 1, {1, 9}, true);
  EXPECT_TRUE(IsError(ragged.AsArray().At(0, 2), ErrorCode::NA));
  // A single cell takes the array's first element.
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"{5,6}+1"), 6));
}

TEST_F(FormulaReferences, ReferenceOperators) {
  const EvalValue common = Evaluate(*book_, L"A1:A4 A3:B3");
  EXPECT_TRUE(IsNumber(common, 30));
  // ":" between computed references spans both.
  book_->AddName({L"Start", L"=Sheet1!$A$2", 0, false});
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Start:A3 A3"), 30));
}

TEST_F(FormulaReferences, NamesOfBothScopes) {
  book_->AddName({L"Rate", L"=0.5", 0, false});
  book_->AddName({L"Rate", L"=0.25", 2, false});  // On "Other Sheet" only.
  book_->AddName({L"Top", L"=Sheet1!$A$1:$A$2", 0, false});
  book_->AddName({L"Twice", L"=Rate*2", 0, false});
  book_->AddName({L"Loop", L"=Loop+1", 0, false});
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Rate"), 0.5));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Rate", 2), 0.25));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"'Other Sheet'!Rate"), 0.25));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Twice"), 1.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Top*1", 1, {2, 5}), 20));
  EXPECT_TRUE(IsError(Evaluate(*book_, L"Loop"), ErrorCode::Name));  // Bounded, not a hang.
}

TEST_F(FormulaReferences, TableReferencesOfEveryItem) {
  CWorksheet& sheet = book_->Sheet(1);
  // F1:G5: a header row, three data rows and a totals row.
  sheet.SetValue({1, 6}, CellValue::Text(L"Item"));
  sheet.SetValue({1, 7}, CellValue::Text(L"Qty"));
  for (std::int32_t row = 2; row <= 4; ++row) {
    sheet.SetValue({row, 6}, CellValue::Text(L"i" + std::to_wstring(row)));
    sheet.SetValue({row, 7}, CellValue::Number(row * 100.0));
  }
  sheet.SetValue({5, 7}, CellValue::Number(-1));
  Table table;
  table.name = L"Stock";
  table.range = {{1, 6}, {5, 7}};
  table.hasTotalsRow = true;
  table.columns = {L"Item", L"Qty"};
  sheet.Tables().push_back(table);
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Stock[[#This Row],[Qty]]*2", 1, {3, 8}), 600));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"[@Qty]+1", 1, {4, 7}), 401));
  EXPECT_TRUE(IsText(Evaluate(*book_, L"Stock[[#Headers],[Qty]]&\"\""), L"Qty"));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"Stock[[#Totals],[Qty]]"), -1));
  EXPECT_TRUE(IsError(Evaluate(*book_, L"Stock[Nope]"), ErrorCode::Ref));
  const EvalValue all = Evaluate(*book_, L"Stock[#All]", 1, {1, 9}, true);
  ASSERT_TRUE(all.IsArray());
  EXPECT_EQ(5, all.AsArray().rows);
  const EvalValue data = Evaluate(*book_, L"Stock[Qty]", 1, {1, 9}, true);
  ASSERT_TRUE(data.IsArray());
  EXPECT_EQ(3, data.AsArray().rows);
  EXPECT_TRUE(IsNumber(data.AsArray().At(0, 0), 200));
}

TEST_F(FormulaReferences, ThreeDimensionalReferences) {
  book_->AddSheet(L"Third").SetValue({2, 2}, CellValue::Number(5));
  EXPECT_TRUE(IsNumber(Evaluate(*book_, L"SUM(Sheet1:Third!B2)"), 2 + 7 + 5));
}

}  // namespace
}  // namespace spreadsheet

namespace spreadsheet {
namespace {

TEST(FormulaEvaluation, ConditionsOverArraysPickElementByElement) {
  using testing::Evaluate;
  using testing::IsNumber;
  auto book = testing::NewWorkbook();
  const EvalValue picked =
      Evaluate(*book, L"IF({TRUE,FALSE,TRUE},{1,2,3},{10,20,30})", 1, {1, 1}, true);
  ASSERT_TRUE(picked.IsArray()) << testing::Describe(picked);
  EXPECT_TRUE(IsNumber(picked.AsArray().At(0, 1), 20));
  EXPECT_TRUE(IsNumber(picked.AsArray().At(0, 2), 3));
  const EvalValue chosen = Evaluate(*book, L"CHOOSE({1,2},{5,6},{7,8})", 1, {1, 1}, true);
  ASSERT_TRUE(chosen.IsArray());
  EXPECT_TRUE(IsNumber(chosen.AsArray().At(0, 0), 5));
  EXPECT_TRUE(IsNumber(chosen.AsArray().At(0, 1), 8));
  // Only the branch taken is evaluated: the other's error does not matter.
  EXPECT_TRUE(IsNumber(Evaluate(L"IF(1>0,4,1/0)"), 4));
  EXPECT_TRUE(IsNumber(Evaluate(L"IFERROR(1/0,9)"), 9));
}

}  // namespace
}  // namespace spreadsheet

namespace spreadsheet {
namespace {

TEST(EvalValueLifetime, CopiesShareMovesLeaveEmptyAndSelfElementsSurvive) {
  EvalValue text = EvalValue::Text(L"abc");
  EvalValue copy = text;
  EXPECT_EQ(&text.AsText(), &copy.AsText());
  EXPECT_EQ(0.0, copy.AsNumber());
  EvalValue moved = std::move(copy);
  EXPECT_TRUE(copy.IsEmpty());  // NOLINT(bugprone-use-after-move): what a move leaves.
  EXPECT_TRUE(testing::IsText(moved, L"abc"));
  moved = EvalValue::Number(3);
  EXPECT_TRUE(testing::IsNumber(moved, 3));
  // A value replaced by an element of its own array: the element outlives the array.
  EvalValue array = EvalValue::Array({1, 2, {EvalValue::Text(L"x"), EvalValue::Number(2)}});
  array = array.AsArray().cells.front();
  EXPECT_TRUE(testing::IsText(array, L"x"));
  EXPECT_TRUE(testing::IsText(text, L"abc"));
}

// Values as the workbook holds them, so that a test owns the evaluator and reads its counts.
class StoredValueReader final : public ICellReader {
 public:
  EvalValue Read(CWorkbook& workbook, std::int32_t sheet, CellCoord cell) override {
    return EvalValue::FromCell(workbook.Sheet(sheet).Value(cell));
  }
  CWorkbook* FindOpenWorkbook(std::wstring_view) override { return nullptr; }
  ExpressionPtr Parse(std::wstring_view text) override { return ParseExpression(text).expression; }
};

constexpr std::int64_t kWholeColumn = 1048576;
constexpr std::int64_t kWholeRow = 16384;

class ArrayBudget : public ::testing::Test {
 protected:
  void SetUp() override {
    book_ = testing::NewWorkbook();
    for (std::int32_t row = 1; row <= 3; ++row) {
      book_->Sheet(1).SetValue({row, 1}, CellValue::Number(row - 2.0));   // A1:A3 -1, 0, 1
      book_->Sheet(1).SetValue({row, 2}, CellValue::Number(row * 10.0));  // B1:B3 10, 20, 30
    }
  }
  // The formula's value in `cell` (a plain cell's, or an array formula's whole array) and the
  // cells of the arrays built for it.
  std::pair<EvalValue, std::int64_t> Run(std::wstring_view formula, CellCoord cell, bool array) {
    const ExpressionPtr expression = ParseExpression(formula).expression;
    if (!expression) return {EvalValue(), -1};
    CFormulaEvaluator evaluator(reader_, {book_.get(), 1, cell, cell, array});
    EvalValue value =
        array ? evaluator.Evaluate(*expression) : evaluator.EvaluateForCell(*expression);
    return {std::move(value), evaluator.ArrayCellsBuilt()};
  }
  StoredValueReader reader_;
  std::unique_ptr<CWorkbook> book_;
};

// The fuzzer's timeout: whole rows compared in a cell of row 400.
constexpr wchar_t kWholeRowsFormula[] = L"L3+1:3=L3+1:344";

TEST_F(ArrayBudget, WholeRowsInAPlainCellIntersectWithoutBuildingArrays) {
  const auto [value, built] = Run(kWholeRowsFormula, {400, 1}, false);
  EXPECT_TRUE(testing::IsError(value, ErrorCode::Value)) << testing::Describe(value);
  EXPECT_EQ(0, built);
  // The same through the calculator, as the cell is recalculated.
  EXPECT_TRUE(testing::IsError(testing::Evaluate(*book_, kWholeRowsFormula, 1, {400, 1}),
                               ErrorCode::Value));
}

TEST_F(ArrayBudget, ArraysPastTheBoundAreNumWithoutBeingBuilt) {
  // 344 whole rows are 5.6 million cells: refused before any is read.
  const auto [rows, rowsBuilt] = Run(L"1:344+0", {400, 1}, true);
  EXPECT_TRUE(testing::IsError(rows, ErrorCode::Num)) << testing::Describe(rows);
  EXPECT_EQ(0, rowsBuilt);
  // 1:3 and L3+1:3 are built, so is their comparison with the refused side; nothing more.
  const auto [value, built] = Run(kWholeRowsFormula, {400, 1}, true);
  ASSERT_TRUE(value.IsArray()) << testing::Describe(value);
  EXPECT_EQ(3, value.AsArray().rows);
  EXPECT_TRUE(testing::IsError(value.AsArray().At(0, 0), ErrorCode::Num));
  EXPECT_EQ(3 * 3 * kWholeRow, built);
  // Functions' own array results keep the same bound.
  EXPECT_TRUE(testing::IsError(testing::Evaluate(L"SEQUENCE(2049,2048)"), ErrorCode::Num));
}

TEST_F(ArrayBudget, WholeColumnArithmeticStillComputes) {
  const auto [product, productBuilt] = Run(L"SUMPRODUCT((A:A>0)*B:B)", {1, 5}, false);
  EXPECT_TRUE(testing::IsNumber(product, 30)) << testing::Describe(product);
  EXPECT_EQ(4 * kWholeColumn, productBuilt);  // A:A, A:A>0, B:B and the product.
  // References a function reads as arrays count too.
  const auto [pairs, pairsBuilt] = Run(L"SUMPRODUCT(A:A,B:B)", {1, 5}, false);
  EXPECT_TRUE(testing::IsNumber(pairs, -10 + 30)) << testing::Describe(pairs);
  EXPECT_EQ(2 * kWholeColumn, pairsBuilt);
  const auto [sum, sumBuilt] = Run(L"SUM(A:A*B:B)", {1, 5}, true);
  EXPECT_TRUE(testing::IsNumber(sum, -10 + 30)) << testing::Describe(sum);
  EXPECT_EQ(3 * kWholeColumn, sumBuilt);
  // In a plain cell the columns intersect with the formula's row.
  EXPECT_TRUE(testing::IsNumber(Run(L"SUM(A:A*B:B)", {3, 5}, false).first, 30));
}

TEST_F(ArrayBudget, ChainedArraysShareOneBudget) {
  // Each A:D is within the bound of one array; four of them and their sums are not.
  const auto [value, built] = Run(L"A:D+A:D+A:D+A:D", {1, 5}, true);
  EXPECT_TRUE(testing::IsError(value, ErrorCode::Num)) << testing::Describe(value);
  EXPECT_EQ(CFormulaEvaluator::kMaxArrayCellsPerEvaluation, built);
}

}  // namespace
}  // namespace spreadsheet
