// Evaluation through the embedded spreadsheet, which calculates as Excel does: expressions on a
// sheet, cell values, and expressions evaluated in a cell's place.
#include "excel/evaluation.h"

#include <gtest/gtest.h>

#include "excel/cell_range.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;
using test_support::Get;
using test_support::GetObjectOf;

class Evaluation : public testing::Test {
 protected:
  void SetUp() override {
    session_.book->AddSheet(L"Data");
    worksheets_.Reset(session_.Sheets().Get());
    application_.Reset(session_.application.Get());
  }
  spreadsheet::CWorksheet& Sheet1() { return session_.book->Sheet(1); }
  CComPtr<IDispatch> Range(const wchar_t* address) {
    return GetObjectOf(session_.Sheet(1).Get(), L"Range", {test_support::Arg(address)});
  }
  std::wstring FormulaOf(const wchar_t* address, const wchar_t* member = L"Formula") {
    return Get(Range(address).Get(), member).Text();
  }
  void Write(const wchar_t* address, const wchar_t* formula) {
    ASSERT_EQ(S_OK,
              test_support::Put(Range(address).Get(), L"Formula", test_support::Arg(formula)).hr);
  }
  LONG Calculation() { return Get(session_.application.Get(), L"Calculation").Long(); }
  int ScreenUpdating() { return Get(session_.application.Get(), L"ScreenUpdating").Bool(); }

  test_support::CSpreadsheetSession session_;
  ExcelObject worksheets_;
  ExcelObject application_;
};

TEST_F(Evaluation, ExpressionsAsText) {
  struct Case {
    const wchar_t* expression;
    int32_t sheet;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"1/0", 1, L"#ERROR!"},
      {L"NA()", 1, L"#ERROR!"},
      {L"1=1", 1, L"TRUE"},
      {L"OFFSET(A1,1,1)", 2, L"'Data'!$B$2"},
      {L"OFFSET(A1,1,1,2,3)", 2, L"'Data'!$B$2:$D$3"},
      {L"INDIRECT(\"C\"&3)", 1, L"'Sheet1'!$C$3"},
      {L"\"a\"&\"b\"", 1, L"ab"},
      {L"2*3.5", 1, L"7"},
      {L"{1,2;3,4}*2", 1, L"{2,4;6,8}"},
      {L"IF(FALSE,1,)", 1, L"0"},
      {L"TRUE()", 1, L"TRUE"},
      // A union reads as Excel writes its address: the sheet once, then every area.
      {L"(A1:A2,B1:C1,E1)", 1, L"'Sheet1'!$A$1:$A$2,$B$1:$C$1,$E$1"},
      {L"((F4:G4,G4:I4) G3:G11)", 2, L"'Data'!$G$4,$G$4"},
      {L"INDEX((A1:B2,D1:E2),1,1,2)", 1, L"'Sheet1'!$D$1"},
      {L"AREAS((D4:G4,I4:J4,K4:N4))", 1, L"3"},
      {L"1+", 1, L"#ERROR!"},
      {L"1+1", 3, L""},  // No such sheet: nothing evaluated, the empty value.
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, excel::EvaluateToText(worksheets_, c.expression, c.sheet)) << c.expression;
  }
}

TEST_F(Evaluation, ArraysReadAsExcelsEvaluateFormulaShowsThem) {
  const double row[] = {10, 20, 0, 1, 2};  // B1:F1
  for (int32_t i = 0; i < 5; ++i) Sheet1().SetValue({1, 2 + i}, CellValue::Number(row[i]));
  for (int32_t i = 0; i < 3; ++i) Sheet1().SetValue({1 + i, 7}, CellValue::Number(7 + i));
  struct Case {
    const wchar_t* expression;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"B1:C1+E1:F1", L"{11,22}"},      {L"MOD(G1:G3,3)", L"{1;2;0}"},
      {L"G1:G3*2", L"{14;16;18}"},       {L"SUM(G1:G3*2)", L"48"},
      {L"TRANSPOSE(G1:G3)", L"{7,8,9}"}, {L"MMULT(G1:G2,B1:C1)", L"{70,140;80,160}"},
      {L"1/{1,0}", L"{1,#ERROR!}"},      {L"{\"a\",TRUE;1.5,-2}", L"{\"a\",TRUE;1.5,-2}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, excel::EvaluateToText(worksheets_, c.expression, 1)) << c.expression;
  }
}

TEST_F(Evaluation, OnSheetHandsBackWhatExcelAnswers) {
  const CVariant error = excel::EvaluateOnSheet(worksheets_, L"1/0", 1);
  EXPECT_EQ(VT_ERROR, error.Kind());
  const CVariant range = excel::EvaluateOnSheet(worksheets_, L"OFFSET(A1,1,1)", 2);
  EXPECT_EQ((test_support::RangeSeen{L"Data", {{2, 2}, {2, 2}}}),
            test_support::SeeRange(range.Kind() == VT_DISPATCH ? range.Get()->pdispVal : nullptr));
  EXPECT_EQ(VT_EMPTY, excel::EvaluateOnSheet(worksheets_, L"1", 0).Kind());
}

TEST_F(Evaluation, CellValues) {
  session_.book->Sheet(2).SetValue({4, 3}, CellValue::Number(5));
  Write(L"A1", L"=1/0");
  CVariant value(LONG{-1});
  ASSERT_TRUE(excel::CellValue(worksheets_, 2, 3, 4, value));
  EXPECT_EQ(VT_R8, value.Kind());
  EXPECT_EQ(5.0, value.Get()->dblVal);
  ASSERT_TRUE(excel::CellValue(worksheets_, 1, 1, 1, value));
  EXPECT_EQ(VT_ERROR, value.Kind());
  value = CVariant(LONG{-1});
  EXPECT_FALSE(excel::CellValue(worksheets_, 3, 1, 1, value));
  EXPECT_FALSE(excel::CellValue(worksheets_, 0, 0, 0, value));
  EXPECT_EQ(-1, value.Get()->lVal);
}

TEST_F(Evaluation, InCellGivesTheValueAndLeavesTheFormula) {
  Sheet1().SetValue({1, 1}, CellValue::Number(5));
  Write(L"C3", L"=A1+1");
  Sheet1().SetValue({4, 3}, CellValue::Number(7));
  Write(L"C5", L"=C3*2");  // Depends on the cell being evaluated in.
  struct Case {
    const wchar_t* expression;
    CellPos cell;
    const wchar_t* text;
    const wchar_t* formulaAfter;
  };
  const Case cases[] = {
      {L"A1*2", {1, 3, 3}, L"10", L"=A1+1"},      {L"A1/0", {1, 3, 3}, L"#ERROR!", L"=A1+1"},
      {L"A1>1", {1, 3, 3}, L"TRUE", L"=A1+1"},    {L"\"x\"&A1", {1, 3, 4}, L"x5", L"7"},
      {L"ROW()+COLUMN()", {1, 5, 9}, L"14", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, excel::EvaluateInCell(application_, worksheets_, c.expression, c.cell))
        << c.expression;
    EXPECT_EQ(c.formulaAfter, FormulaOf(RelativeA1Text(c.cell, c.cell).c_str())) << c.expression;
  }
  EXPECT_EQ(CellValue::Number(7), Sheet1().Value({4, 3}));
  EXPECT_EQ(CellValue::Number(6), Sheet1().Value({3, 3}));
  EXPECT_EQ(CellValue::Number(12), Sheet1().Value({5, 3}));  // Recalculated with =A1+1 again.
  EXPECT_EQ(spreadsheet::kCalculationAutomatic, Calculation());
  EXPECT_EQ(1, ScreenUpdating());
}

TEST_F(Evaluation, InCellUnderManualCalculationStillCalculatesTheCell) {
  Sheet1().SetValue({1, 1}, CellValue::Number(5));
  Write(L"C3", L"=A1+1");
  ASSERT_EQ(S_OK, test_support::Put(session_.application.Get(), L"Calculation",
                                    test_support::Arg(spreadsheet::kCalculationManual))
                      .hr);
  EXPECT_EQ(L"15", excel::EvaluateInCell(application_, worksheets_, L"A1*3", {1, 3, 3}));
  EXPECT_EQ(spreadsheet::kCalculationManual, Calculation());
  EXPECT_EQ(L"=A1+1", FormulaOf(L"C3"));
}

TEST_F(Evaluation, InCellOfAnArrayReplacesAndRestoresTheWholeArray) {
  Sheet1().SetValue({1, 1}, CellValue::Number(2));
  Sheet1().SetValue({2, 1}, CellValue::Number(3));
  ASSERT_EQ(
      S_OK,
      test_support::Put(Range(L"B1:B2").Get(), L"FormulaArray", test_support::Arg(L"=A1:A2*2")).hr);
  // Only the whole array may change: the second cell's value proves the array was rewritten.
  EXPECT_EQ(L"30", excel::EvaluateInCell(application_, worksheets_, L"A1:A2*10", {1, 2, 2}));
  EXPECT_EQ(L"=A1:A2*2", FormulaOf(L"B1:B2", L"FormulaArray"));
  EXPECT_EQ(L"$B$1:$B$2",
            Get(Get(Range(L"B2").Get(), L"CurrentArray").Object().Get(), L"Address").Text());
  EXPECT_EQ(CellValue::Number(6), Sheet1().Value({2, 2}));
}

TEST_F(Evaluation, InCellOnAProtectedSheetChangesNothing) {
  Sheet1().SetValue({1, 1}, CellValue::Number(5));
  Write(L"C3", L"=A1+1");
  Sheet1().SetProtected(true);
  EXPECT_EQ(L"", excel::EvaluateInCell(application_, worksheets_, L"A1*2", {1, 3, 3}));
  EXPECT_EQ(L"=A1+1", FormulaOf(L"C3"));
  EXPECT_EQ(CellValue::Number(6), Sheet1().Value({3, 3}));
  EXPECT_EQ(spreadsheet::kCalculationAutomatic, Calculation());
  EXPECT_EQ(1, ScreenUpdating());
}

TEST_F(Evaluation, InCellWithoutACellGivesNothing) {
  for (const CellPos& cell : {CellPos{0, 0, 0}, CellPos{-1, -1, -1}, CellPos{3, 1, 1}}) {
    EXPECT_EQ(L"", excel::EvaluateInCell(application_, worksheets_, L"1+1", cell));
  }
}

}  // namespace
