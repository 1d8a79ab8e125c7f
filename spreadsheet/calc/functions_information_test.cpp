// Tests of the information worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsBoolean;
using testing::IsError;
using testing::IsNumber;
using testing::IsText;
using testing::NewWorkbook;

void SetNumberFormat(CWorkbook& book, CellCoord cell, const std::wstring& code) {
  CFormatTable& formats = book.Formats();
  CellFormat format;
  format.numberFormat = formats.InternNumberFormat(code);
  book.Sheet(1).SetFormat(cell, formats.InternFormat(format));
}

TEST(InformationFunctions, IsBlankOnlyForEmptyCells) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({2, 1}, CellValue::Text(L""));
  sheet.SetFormula({3, 1}, L"=\"\"");
  sheet.SetValue({4, 1}, CellValue::Number(0));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISBLANK(A1)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISBLANK(A2)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISBLANK(A3)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISBLANK(A4)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISTEXT(A2)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISNONTEXT(A1)"), true));
}

TEST(InformationFunctions, ErrorTests) {
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISERR(NA())"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISERR(1/0)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISERROR(NA())"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISNA(1/0)"), false));
  EXPECT_TRUE(IsNumber(Evaluate(L"ERROR.TYPE(1/0)"), 2));
  EXPECT_TRUE(IsNumber(Evaluate(L"ERROR.TYPE(NA())"), 7));
  EXPECT_TRUE(IsError(Evaluate(L"ERROR.TYPE(1)"), ErrorCode::NA));
}

TEST(InformationFunctions, ParityTakesNumericTextButNotBooleans) {
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISEVEN(\"2\")"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISODD(-3.7)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"ISEVEN(-2.34)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*NewWorkbook(), L"ISEVEN(C3)"), true));
  EXPECT_TRUE(IsError(Evaluate(L"ISEVEN(TRUE)"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(L"ISODD(\"x\")"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(L"ISODD(1/0)"), ErrorCode::Div0));
}

TEST(InformationFunctions, TypeAndN) {
  auto book = NewWorkbook();
  book->Sheet(1).SetValue({1, 1}, CellValue::Text(L"a"));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"TYPE(A1)"), 2));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"TYPE(B1)"), 1));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"TYPE(A1:B2)"), 64));
  EXPECT_TRUE(IsNumber(Evaluate(L"TYPE(TRUE)"), 4));
  EXPECT_TRUE(IsNumber(Evaluate(L"TYPE(1/0)"), 16));
  EXPECT_TRUE(IsNumber(Evaluate(L"TYPE({1,2})"), 64));
  EXPECT_TRUE(IsNumber(Evaluate(L"N(\"5\")"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(L"N(TRUE)"), 1));
  EXPECT_TRUE(IsError(Evaluate(L"N(NA())"), ErrorCode::NA));
}

TEST(InformationFunctions, CellFormatCodes) {
  struct Case {
    const wchar_t* code;
    const wchar_t* letters;
  };
  const Case cases[] = {
      {L"General", L"G"},
      {L"0", L"F0"},
      {L"0.00", L"F2"},
      {L"#,##0", L",0"},
      {L"#,##0.00", L",2"},
      {L"$#,##0_);($#,##0)", L"C0"},
      {L"$#,##0.00_);[Red]($#,##0.00)", L"C2-"},
      {L"0%", L"P0"},
      {L"0.00%", L"P2"},
      {L"0.00E+00", L"S2"},
      {L"# ?/?", L"G"},
      {L"@", L"G"},
      {L"m/d/yy", L"D4"},
      {L"d-mmm-yy", L"D1"},
      {L"d-mmm", L"D2"},
      {L"mmm-yy", L"D3"},
      {L"mm/dd", L"D5"},
      {L"h:mm:ss AM/PM", L"D6"},
      {L"h:mm AM/PM", L"D7"},
      {L"h:mm:ss", L"D8"},
      {L"h:mm", L"D9"},
      {L"0;[Blue]-0", L"F0-"},
      {L"(0)", L"F0()"},
      {L"0;(0)", L"F0"},
  };
  auto book = NewWorkbook();
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(std::size(cases)); ++i) {
    SetNumberFormat(*book, {i + 1, 1}, cases[i].code);
  }
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(std::size(cases)); ++i) {
    const std::wstring formula = L"CELL(\"format\",A" + std::to_wstring(i + 1) + L")";
    EXPECT_TRUE(IsText(Evaluate(*book, formula, 1, {1, 3}), cases[i].letters))
        << WideToUtf8(cases[i].code);
  }
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"color\",A22)"), 1));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"color\",A2)"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"parentheses\",A23)"), 1));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"parentheses\",A24)"), 0));
}

TEST(InformationFunctions, CellAboutPlaceAndContents) {
  auto book = NewWorkbook();
  book->AddSheet(L"My Data");
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({3, 2}, CellValue::Text(L"label"));
  sheet.SetValue({4, 2}, CellValue::Number(7));
  sheet.SetColumnWidth(2, 12.29);
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"address\",B3)"), L"$B$3"));
  EXPECT_TRUE(
      IsText(Evaluate(*book, L"CELL(\"ADDRESS\",'My Data'!C1:D4)"), L"'[Book1.xlsx]My Data'!$C$1"));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"row\",B3:C9)"), 3));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"col\",B3)"), 2));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"type\",B3)"), L"l"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"type\",B4)"), L"v"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"type\",B5)"), L"b"));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"contents\",B4)"), 7));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"prefix\",B3)"), L"'"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"prefix\",B4)"), L""));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"width\",B1)"), 12));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"width\",A1)"), 8));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"protect\",A1)"), 1));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"CELL(\"row\")", 1, {5, 6}), 5));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"filename\",A1)"), L""));  // Never saved.
  book->SetPath(L"/data/reports/Book.xlsx");
  EXPECT_TRUE(IsText(Evaluate(*book, L"CELL(\"filename\",'My Data'!A1)"),
                     L"/data/reports/[Book.xlsx]My Data"));
  EXPECT_TRUE(IsError(Evaluate(*book, L"CELL(\"bogus\",A1)"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(*book, L"CELL(\"row\",5)"), ErrorCode::Value));
}

TEST(InformationFunctions, FormulasAndReferences) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetFormula({1, 1}, L"=1+2");
  sheet.SetValue({1, 2}, CellValue::Number(3));
  EXPECT_TRUE(IsText(Evaluate(*book, L"FORMULATEXT(A1)"), L"=1+2"));
  EXPECT_TRUE(IsError(Evaluate(*book, L"FORMULATEXT(B1)"), ErrorCode::NA));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISFORMULA(A1)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISFORMULA(B1)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISREF(B1)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISREF(3)"), false));
}

TEST(InformationFunctions, SheetNumbers) {
  auto book = NewWorkbook();
  book->AddSheet(L"Second");
  book->AddSheet(L"Third");
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEET()", 2), 2));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEET(Third!A1)"), 3));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEET(\"second\")"), 2));
  EXPECT_TRUE(IsError(Evaluate(*book, L"SHEET(\"none\")"), ErrorCode::NA));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEETS()"), 3));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEETS(A1)"), 1));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SHEETS(Sheet1:Third!A1)"), 3));
}

}  // namespace
}  // namespace spreadsheet
