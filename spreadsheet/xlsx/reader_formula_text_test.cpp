// File formulas as Range.Formula shows them: prefixes removed, external workbooks named.
#include "spreadsheet/xlsx/reader_formula_text.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

struct DisplayCase {
  const wchar_t* file;
  const wchar_t* shown;
};

class ReaderFormulaText : public testing::TestWithParam<DisplayCase> {};

TEST_P(ReaderFormulaText, ShowsWhatExcelShows) {
  const std::vector<std::wstring> books = {L"Other.xlsx", L"My Book.xlsx", L"", L"Bob's.xlsx"};
  EXPECT_EQ(GetParam().shown, DisplayFormula(GetParam().file, books)) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderFormulaText,
    testing::Values(
        DisplayCase{L"_xlfn.XLOOKUP(A1,B:B,C:C)", L"XLOOKUP(A1,B:B,C:C)"},
        DisplayCase{L"_xlfn._xlws.SORT(A1:A3)", L"SORT(A1:A3)"},
        DisplayCase{L"_xlfn.LET(_xlpm.x,1,_xlpm.x+1)", L"LET(x,1,x+1)"},
        DisplayCase{L"_xlfn.IFS(A1>1,\"_xlfn.x\",TRUE,0)", L"IFS(A1>1,\"_xlfn.x\",TRUE,0)"},
        DisplayCase{L"[1]Sheet1!$A$1+[1]Sheet1!A2", L"[Other.xlsx]Sheet1!$A$1+[Other.xlsx]Sheet1!A2"},
        DisplayCase{L"SUM([1]Jan:Mar!B2)", L"SUM([Other.xlsx]Jan:Mar!B2)"},
        DisplayCase{L"[2]Sheet1!A1", L"'[My Book.xlsx]Sheet1'!A1"},
        DisplayCase{L"'[2]trim-range'!#REF!", L"'[My Book.xlsx]trim-range'!#REF!"},
        DisplayCase{L"'[4]A B'!C1", L"'[Bob''s.xlsx]A B'!C1"},
        DisplayCase{L"[1]!Rate*[2]!Rate", L"Other.xlsx!Rate*'My Book.xlsx'!Rate"},
        // No file name for the index: as written.
        DisplayCase{L"[3]Sheet1!A1+[9]Sheet1!A1", L"[3]Sheet1!A1+[9]Sheet1!A1"},
        // Structured references are not workbook indexes.
        DisplayCase{L"SUM(Table1[#This Row])+Table1[[#Headers],[1]]",
                    L"SUM(Table1[#This Row])+Table1[[#Headers],[1]]"},
        DisplayCase{L"SUBTOTAL(109,[col3])", L"SUBTOTAL(109,[col3])"},
        DisplayCase{L"\"[1]Sheet1!A1\"", L"\"[1]Sheet1!A1\""}));

TEST(ReaderFormulaTextFilter, FlagsOnlyTextThatCanChange) {
  EXPECT_TRUE(FormulaMayNeedDisplayFix("_xlfn.IFS(A1)"));
  EXPECT_TRUE(FormulaMayNeedDisplayFix("[1]Sheet1!A1"));
  EXPECT_FALSE(FormulaMayNeedDisplayFix("SUM(A1:A3)"));
}

}  // namespace
}  // namespace spreadsheet
