// The form scan: which parts of a text move with the cell, and which texts meet in one form.
#include "formula/formula_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring FormOf(std::wstring_view text, CellPos cell) {
  std::wstring form;
  std::vector<FormAddress> addresses;
  BuildFormulaForm(text, cell, form, addresses);
  return form;
}

// The address parts as "text" ("kind" c r), for the parts the scan takes.
std::vector<std::wstring> PartsOf(std::wstring_view text) {
  std::wstring form;
  std::vector<FormAddress> addresses;
  BuildFormulaForm(text, {1, 1, 1}, form, addresses);
  std::vector<std::wstring> parts;
  for (const FormAddress& a : addresses) {
    const wchar_t kind = a.kind == FormAddressKind::Cell     ? L'c'
                         : a.kind == FormAddressKind::Column ? L'C'
                                                             : L'R';
    parts.push_back(std::wstring(text.substr(a.begin, a.end - a.begin)) + L" " + kind +
                    (a.IsRelative() ? L" moves" : L""));
  }
  return parts;
}

TEST(FormulaFormTest, CopiesOfOneFormulaMeetAndOtherTextsDoNot) {
  struct Case {
    const wchar_t* text1;
    CellPos cell1;
    const wchar_t* text2;
    CellPos cell2;
    bool same;
  };
  const Case cases[] = {
      {L"=A1*$H$1", {1, 2, 1}, L"=A2*$H$1", {1, 2, 2}, true},
      {L"=A1*$H$1", {1, 2, 1}, L"=B1*$H$1", {1, 3, 1}, true},   // filled across
      {L"=A1*$H$1", {1, 2, 1}, L"=A2*$H$2", {1, 2, 2}, false},  // absolute rows stay
      {L"=A1", {1, 2, 1}, L"=A1", {1, 2, 2}, false},            // same text, other form
      {L"=A1", {1, 2, 1}, L"=A1", {3, 2, 1}, true},             // the sheet takes no part
      {L"=$A1+A$1", {1, 2, 1}, L"=$A2+B$1", {1, 3, 2}, true},
      {L"=$A1+A$1", {1, 2, 1}, L"=$B2+B$1", {1, 3, 2}, false},
      {L"=SUM(A:A)+1:1", {1, 2, 1}, L"=SUM(B:B)+2:2", {1, 3, 2}, true},
      {L"=Z1", {1, 27, 1}, L"=AA1", {1, 28, 1}, true},  // letters grow
      {L"=\"A1\"&A1", {1, 2, 1}, L"=\"A1\"&A2", {1, 2, 2}, true},
      {L"=\"A1\"&A1", {1, 2, 1}, L"=\"A2\"&A2", {1, 2, 2}, false},  // strings as written
      {L"=a1", {1, 2, 1}, L"=a2", {1, 2, 2}, false},                // only Excel's spelling moves
      {L"=A1#", {1, 2, 1}, L"=A2#", {1, 2, 2}, false},
      {L"=Q1!A1", {1, 2, 1}, L"=Q2!A2", {1, 2, 2}, false},  // sheet names as written
      {L"=Q1:Q4!A1", {1, 2, 1}, L"=Q2:Q5!A2", {1, 2, 2}, false},
      {L"=T1[A1]+A1", {1, 2, 1}, L"=T1[A2]+A2", {1, 2, 2}, false},
      {L"=T1[A1]+A1", {1, 2, 1}, L"=T1[A1]+A2", {1, 2, 2}, true},
      {L"=[B.xlsx]S!A1", {1, 2, 1}, L"=[B.xlsx]S!A2", {1, 2, 2}, false},
      {L"=LOG10(A1)", {1, 2, 1}, L"=LOG10(A2)", {1, 2, 2}, true},
      {L"=LOG10(A1)", {1, 2, 1}, L"=LOG11(A2)", {1, 2, 2}, false},
      // A mark in the text itself is escaped, so it cannot pose as an offset.
      {L"=\uFFFFc0;\uFFFFr0;", {1, 1, 1}, L"=A1", {1, 1, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.text1) + L" / " + c.text2);
    EXPECT_EQ(FormOf(c.text1, c.cell1) == FormOf(c.text2, c.cell2), c.same);
  }
}

TEST(FormulaFormTest, TakesOnlyAddressesThatStandWhereAReferenceCan) {
  using Parts = std::vector<std::wstring>;
  EXPECT_EQ(PartsOf(L"=A1+$B2*C$3-$D$4"),
            (Parts{L"A1 c moves", L"$B2 c moves", L"C$3 c moves", L"$D$4 c"}));
  EXPECT_EQ(PartsOf(L"=SUM(A:$C,$1:3)"), (Parts{L"A C moves", L"$C C", L"$1 R", L"3 R moves"}));
  EXPECT_EQ(PartsOf(L"=Sheet2!B1:C2+'My Sheet'!$C2"),
            (Parts{L"B1 c moves", L"C2 c moves", L"$C2 c moves"}));
  // Sheet names, also across sheets, whatever they look like.
  EXPECT_EQ(PartsOf(L"=Q1:Q4!A1+B1:'Q 5'!C1"), (Parts{L"A1 c moves", L"C1 c moves"}));
  // A column or row alone is a name or a number; a pair of two kinds is neither.
  EXPECT_EQ(PartsOf(L"=A+1+A:3"), Parts{});
  // Beyond the grid, leading zeros, lower case, joined to other characters, exponents.
  EXPECT_EQ(PartsOf(L"=XFD1048576+XFE1+A1048577+A01+b2+A1.B+1E5+_A1+@A1+#REF!"),
            (Parts{L"XFD1048576 c moves"}));
  // Inside strings, quoted names, brackets (with escapes), before "(" and "!".
  EXPECT_EQ(PartsOf(L"=\"A1\"&'A1'!B1&T[[#This Row],['[A1]]&A1(1)&A1!C1&[Book]A1!D1"),
            (Parts{L"B1 c moves", L"C1 c moves"}));
}

TEST(FormulaFormTest, AppendsAddressesAsExcelWritesThem) {
  std::wstring out;
  AppendFormAddress(out, FormAddressKind::Cell, true, false, 28, 7);
  out += L",";
  AppendFormAddress(out, FormAddressKind::Cell, false, true, 16384, 1048576);
  out += L",";
  AppendFormAddress(out, FormAddressKind::Column, false, false, 26, 0);
  out += L",";
  AppendFormAddress(out, FormAddressKind::Row, false, true, 0, 12);
  EXPECT_EQ(out, L"$AB7,XFD$1048576,Z,$12");
}

}  // namespace
