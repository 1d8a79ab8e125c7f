// Tests of the formula reader: the shapes it gives to what Excel's grammar allows, and what it
// refuses.
#include "spreadsheet/calc/expression_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace spreadsheet {
namespace {

const ExpressionNode& Root(const ParseOutcome& outcome) {
  return outcome.expression->Node(outcome.expression->root);
}

TEST(ExpressionParser, ReferencesOfEveryForm) {
  struct Case {
    const wchar_t* text;
    NodeKind kind;
    CellCoord first;
    CellCoord last;
  };
  const Case cases[] = {
      {L"A1", NodeKind::Cell, {1, 1}, {1, 1}},
      {L"$B$7", NodeKind::Cell, {7, 2}, {7, 2}},
      {L"xfd1048576", NodeKind::Cell, {1048576, 16384}, {1048576, 16384}},
      {L"A1:$C$3", NodeKind::Area, {1, 1}, {3, 3}},
      {L"B:D", NodeKind::Area, {0, 2}, {0, 4}},
      {L"$3:5", NodeKind::Area, {3, 0}, {5, 0}},
      {L"Sheet2!C4", NodeKind::Cell, {4, 3}, {4, 3}},
      {L"'It''s here'!A1:B2", NodeKind::Area, {1, 1}, {2, 2}},
  };
  for (const Case& c : cases) {
    const ParseOutcome outcome = ParseExpression(c.text);
    ASSERT_TRUE(outcome.expression) << std::wstring(c.text).size() << " " << outcome.error.size();
    const ExpressionNode& node = Root(outcome);
    EXPECT_EQ(c.kind, node.kind);
    EXPECT_EQ(c.first, node.first.cell);
    EXPECT_EQ(c.last, node.last.cell);
  }
  const ParseOutcome quoted = ParseExpression(L"'It''s here'!A1:B2");
  EXPECT_EQ(L"It's here", quoted.expression->sheets.at(0).first);
  const ParseOutcome spanned = ParseExpression(L"Jan:Mar!B2");
  EXPECT_EQ(L"Jan", spanned.expression->sheets.at(0).first);
  EXPECT_EQ(L"Mar", spanned.expression->sheets.at(0).last);
  const ParseOutcome external = ParseExpression(L"[2]Prices!A1");
  EXPECT_EQ(2, external.expression->sheets.at(0).external);
}

TEST(ExpressionParser, NamesFunctionsAndLookalikes) {
  // Past XFD and past the last row the text is a name, not a cell.
  EXPECT_EQ(NodeKind::Name, Root(ParseExpression(L"XFE1")).kind);
  EXPECT_EQ(NodeKind::Name, Root(ParseExpression(L"A1048577")).kind);
  EXPECT_EQ(NodeKind::Name, Root(ParseExpression(L"Tax_Rate")).kind);
  EXPECT_EQ(NodeKind::Boolean, Root(ParseExpression(L"true")).kind);
  const ParseOutcome log = ParseExpression(L"LOG10(100)");
  EXPECT_EQ(NodeKind::Function, Root(log).kind);
  const ParseOutcome prefixed = ParseExpression(L"_xlfn.IFS(TRUE,1)");
  EXPECT_EQ(L"IFS", prefixed.expression->strings.at(static_cast<std::size_t>(Root(prefixed).text)));
  const ParseOutcome unknown = ParseExpression(L"NOSUCH(1)");
  EXPECT_EQ(nullptr, Root(unknown).function);
}

TEST(ExpressionParser, TableReferences) {
  const ParseOutcome outcome = ParseExpression(L"Sales[[#This Row],[Unit Price]:[Qty]]");
  ASSERT_TRUE(outcome.expression) << outcome.error.size();
  const TableReference& ref = outcome.expression->tables.at(0);
  EXPECT_EQ(L"Sales", ref.table);
  EXPECT_TRUE(ref.thisRow);
  EXPECT_EQ(L"Unit Price", ref.firstColumn);
  EXPECT_EQ(L"Qty", ref.lastColumn);
  const ParseOutcome own = ParseExpression(L"[@Amount]*2");
  ASSERT_TRUE(own.expression);
  EXPECT_TRUE(own.expression->tables.at(0).table.empty());
  EXPECT_EQ(L"Amount", own.expression->tables.at(0).firstColumn);
  const ParseOutcome escaped = ParseExpression(L"T[Price '[USD']]");
  ASSERT_TRUE(escaped.expression);
  EXPECT_EQ(L"Price [USD]", escaped.expression->tables.at(0).firstColumn);
}

TEST(ExpressionParser, IntersectionNeedsSpaceBetweenReferences) {
  EXPECT_EQ(NodeKind::Intersect, Root(ParseExpression(L"A1:C3 B2:D4")).kind);
  EXPECT_EQ(NodeKind::Binary, Root(ParseExpression(L"A1 + B1")).kind);
  EXPECT_EQ(NodeKind::Union, Root(ParseExpression(L"(A1,B2)")).kind);
  EXPECT_EQ(NodeKind::Function, Root(ParseExpression(L" SUM( A1 , B1 ) ")).kind);
}

TEST(ExpressionParser, RefusesMalformedText) {
  for (const wchar_t* text : {L"", L"1+", L"(1", L"\"open", L"{1,2;3}", L"SUM(1", L"1 2 +",
                              L"#BOGUS!", L"A1)", L"T[[#Nothing]]"}) {
    EXPECT_FALSE(ParseExpression(text).expression) << std::wstring(text).size();
  }
}

TEST(ExpressionParser, NestingIsBounded) {
  std::wstring deep(100000, L'(');
  deep += L"1";
  deep += std::wstring(100000, L')');
  const ParseOutcome outcome = ParseExpression(deep);
  EXPECT_FALSE(outcome.expression);
  EXPECT_NE(std::wstring::npos, outcome.error.find(L"nested"));
  std::wstring minus(100000, L'-');
  EXPECT_FALSE(ParseExpression(minus + L"1").expression);
  std::wstring fine(200, L'(');
  EXPECT_TRUE(ParseExpression(fine + L"1" + std::wstring(200, L')')).expression);
}

}  // namespace
}  // namespace spreadsheet
