// Write-back of an edited cell through the embedded spreadsheet.
#include "excel/cell_content.h"

#include <gtest/gtest.h>

#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;
using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;

class CellContent : public testing::Test {
 protected:
  void SetUp() override {
    worksheets_.Reset(session_.Sheets().Get());
    Sheet().SetValue({1, 1}, CellValue::Number(2));
    Sheet().SetValue({2, 1}, CellValue::Number(3));
    Sheet().SetValue({1, 3}, CellValue::Number(9));
    Sheet().SetFormula({2, 3}, L"=A1+1");
    Sheet().SetArrayFormula({{1, 2}, {2, 2}}, L"=A1:A2*2");
  }
  spreadsheet::CWorksheet& Sheet() { return session_.book->Sheet(1); }
  std::wstring Read(const wchar_t* address, const wchar_t* member) {
    return Get(GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)}).Get(), member).Text();
  }
  test_support::CSpreadsheetSession session_;
  ExcelObject worksheets_;
};

TEST_F(CellContent, ConstantFormulaAndArrayCellsTakeTheirOwnMember) {
  excel::WriteCellContent(worksheets_, {1, 3, 1}, L"hello");  // C1, a constant.
  EXPECT_EQ(CellValue::Text(L"hello"), Sheet().Value({1, 3}));
  EXPECT_FALSE(Sheet().HasFormula({1, 3}));

  excel::WriteCellContent(worksheets_, {1, 3, 2}, L"=A2*10");  // C2, a formula.
  EXPECT_EQ(L"=A2*10", Read(L"C2", L"FormulaLocal"));
  EXPECT_EQ(CellValue::Number(30), Sheet().Value({2, 3}));

  excel::WriteCellContent(worksheets_, {1, 2, 2}, L"=A1:A2+1");  // B2, part of B1:B2.
  EXPECT_EQ(L"=A1:A2+1", Read(L"B1:B2", L"FormulaArray"));
  EXPECT_EQ(CellValue::Number(3), Sheet().Value({1, 2}));
  EXPECT_EQ(CellValue::Number(4), Sheet().Value({2, 2}));

  excel::WriteCellContent(worksheets_, {1, 5, 5}, L"=A1");  // An empty cell takes it as Value.
  EXPECT_EQ(L"=A1", Read(L"E5", L"Formula"));
}

TEST_F(CellContent, NothingHappensWithoutAWritableCell) {
  Sheet().SetProtected(true);
  excel::WriteCellContent(worksheets_, {1, 3, 1}, L"1");
  excel::WriteCellContent(worksheets_, {1, 3, 2}, L"=1");
  excel::WriteCellContent(worksheets_, {1, 2, 1}, L"=1");
  excel::WriteCellContent(worksheets_, {2, 1, 1}, L"1");  // No such sheet.
  excel::WriteCellContent(worksheets_, {0, 0, 0}, L"1");
  EXPECT_EQ(CellValue::Number(9), Sheet().Value({1, 3}));
  EXPECT_EQ(L"=A1+1", Read(L"C2", L"Formula"));
  EXPECT_EQ(L"=A1:A2*2", Read(L"B1:B2", L"FormulaArray"));
}

}  // namespace
