// Tests of evaluation: operator precedence, references as values, implicit intersection, array
// arithmetic, names and tables, and how errors travel.
#include "spreadsheet/calc/formula_evaluator.h"

#include <gtest/gtest.h>

#include "spreadsheet/calc/calc_test_support.h"

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
