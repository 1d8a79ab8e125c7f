// Moving formulas as Excel fills them: what moves, what stays, what falls off the sheet.
#include "spreadsheet/model/formula_shift.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

struct ShiftCase {
  const wchar_t* formula;
  std::int32_t rows;
  std::int32_t columns;
  const wchar_t* expected;
};

class FormulaShift : public testing::TestWithParam<ShiftCase> {};

TEST_P(FormulaShift, MovesRelativeReferencesOnly) {
  const ShiftCase& c = GetParam();
  EXPECT_EQ(c.expected, ShiftFormula(c.formula, c.rows, c.columns)) << c.formula;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormulaShift,
    testing::Values(
        ShiftCase{L"A1+B2", 1, 0, L"A2+B3"}, ShiftCase{L"A1+B2", 0, 2, L"C1+D2"},
        ShiftCase{L"$A$1+A$1+$A1", 3, 3, L"$A$1+D$1+$A4"},
        ShiftCase{L"SUM(A1:B2)", 1, 1, L"SUM(B2:C3)"},
        ShiftCase{L"SUM(A:A)+SUM(1:1)", 1, 1, L"SUM(B:B)+SUM(2:2)"},
        ShiftCase{L"SUM($A:B)", 5, 1, L"SUM($A:C)"},
        ShiftCase{L"Sheet2!A1+'My Sheet'!B$2", 1, 0, L"Sheet2!A2+'My Sheet'!B$2"},
        ShiftCase{L"[1]Sheet1!$A$1+[1]Sheet1!A1", 1, 0, L"[1]Sheet1!$A$1+[1]Sheet1!A2"},
        // Text, names, functions and numbers that look like references stay as written.
        ShiftCase{L"\"A1\"&A1", 1, 0, L"\"A1\"&A2"},
        ShiftCase{L"LOG10(A1)+ATAN2(B1,C1)", 1, 0, L"LOG10(A2)+ATAN2(B2,C2)"},
        ShiftCase{L"Table1[Col1]+Table1[[#This Row],[A1]]", 4, 4,
                  L"Table1[Col1]+Table1[[#This Row],[A1]]"},
        ShiftCase{L"1E+20+A1*2.5", 1, 0, L"1E+20+A2*2.5"},
        ShiftCase{L"TRUE+Rate2+ABCD1+XFE1", 1, 1, L"TRUE+Rate2+ABCD1+XFE1"},
        ShiftCase{L"_xlfn.XLOOKUP(A1,B:B,C:C)", 1, 0, L"_xlfn.XLOOKUP(A2,B:B,C:C)"},
        ShiftCase{L"'It''s'!A1", 1, 0, L"'It''s'!A2"},
        // Off the sheet: the reference, or the whole range, becomes #REF!.
        ShiftCase{L"A1+B2", -1, 0, L"#REF!+B1"},
        ShiftCase{L"SUM(A1:B2)", 0, -1, L"SUM(#REF!)"},
        ShiftCase{L"XFD1", 0, 1, L"#REF!"}, ShiftCase{L"A1048576", 1, 0, L"#REF!"}));

TEST(FormulaShiftLimits, LeavesUnterminatedTextAlone) {
  EXPECT_EQ(L"\"A1", ShiftFormula(L"\"A1", 1, 1));
  EXPECT_EQ(L"T[[A1", ShiftFormula(L"T[[A1", 1, 1));
}

}  // namespace
}  // namespace spreadsheet
