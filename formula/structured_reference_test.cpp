// Structured references: every item of a table reference, through the parser and on replay.
#include "formula/structured_reference.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/formula_workbook.h"

namespace {

// "Sales" covers B2:D10 on sheet 1: header row 2, totals row 10, columns Item, Amount, Date.
TableRecord Sales() {
  TableRecord table;
  table.name = L"Sales";
  table.whole = {{1, 2, 2}, {1, 4, 10}};
  table.dataBody = {{1, 2, 3}, {1, 4, 9}};
  table.headerRow = {{1, 2, 2}, {1, 4, 2}};
  table.totalsRow = {{1, 2, 10}, {1, 4, 10}};
  const wchar_t* names[] = {L"Item", L"Amount", L"Date"};
  for (int32_t i = 0; i < 3; ++i) {
    table.columns.push_back({{{1, 2 + i, 3}, {1, 2 + i, 9}}, names[i]});
  }
  return table;
}

class StructuredReferenceTest : public ::testing::Test {
 protected:
  StructuredReferenceTest() {
    book.AddSheet(L"Sheet1");
    book.tables.Add(Sales());
    TableRecord bare = Sales();  // no header or totals row: those read as the whole table
    bare.name = L"Bare";
    bare.headerRow = bare.totalsRow = bare.whole;
    book.tables.Add(bare);
    TableRecord twin = Sales();
    twin.name = L"SALES";
    twin.dataBody = {};
    book.tables.Add(twin);
  }

  // The one reference of a formula, which must be a table reference.
  CellRect Resolve(const std::wstring& formula, CellPos cell = {1, 5, 5}) {
    EXPECT_TRUE(book.parser.Parse(formula, cell));
    const auto& references = book.parser.GetReferences();
    if (references.empty()) return {{-9, -9, -9}, {}};
    EXPECT_EQ(references[0].flags, RefStructured);
    return {references[0].first, references[0].last};
  }

  test_support::CFormulaWorkbook book;
};

TEST_F(StructuredReferenceTest, EveryItem) {
  struct Case {
    const wchar_t* formula;
    const wchar_t* word;
    CellRect area;
  };
  const Case cases[] = {
      {L"=SUM(Sales[Amount])", L"Sales[Amount]", {{1, 3, 3}, {1, 3, 9}}},
      {L"=SUM(sales[amount])", L"sales[amount]", {{1, 3, 3}, {1, 3, 9}}},  // Sales before SALES
      {L"=Sales", L"Sales", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[]", L"Sales[]", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[", L"Sales[", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[#Data]", L"Sales[#Data]", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[#headers]", L"Sales[#headers]", {{1, 2, 2}, {1, 4, 2}}},
      {L"=Sales[#Totals]", L"Sales[#Totals]", {{1, 2, 10}, {1, 4, 10}}},
      {L"=Sales[#All]", L"Sales[#All]", {{1, 2, 2}, {1, 4, 10}}},
      {L"=Sales[#This Row]", L"Sales[#This Row]", {{1, 2, 5}, {1, 4, 5}}},
      {L"=Sales[@]", L"Sales[@]", {{1, 2, 5}, {1, 4, 5}}},
      {L"=Bare[#Headers]", L"Bare[#Headers]", {{1, 2, 2}, {1, 4, 10}}},
      {L"=Bare[#Totals]", L"Bare[#Totals]", {{1, 2, 2}, {1, 4, 10}}},
      {L"=Sales[Missing]", L"Sales[Missing]", {}},
      {L"=Sales[@Amount]", L"Sales[@Amount]", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(Resolve(c.formula), c.area);
    EXPECT_EQ(book.parser.GetReferences()[0].text, c.word);
    const ISyntaxNode* node = book.parser.GetRoot().get();
    if (node->GetNodeType() == NodeExpression) node = node->GetChild(0);
    CellReference fromTree;
    node->GetReference(fromTree);
    EXPECT_EQ(fromTree.flags, RefStructured);
  }
  EXPECT_EQ(Resolve(L"=Sales[#This Row]", {1, 5, 12}), CellRect{});  // a row outside the table
}

TEST_F(StructuredReferenceTest, NestedFormKeepsTheSecondPartUnreadable) {
  ASSERT_TRUE(book.parser.Parse(L"=SUM(Sales[[#This Row],[Amount]])", {1, 5, 5}));
  const auto& references = book.parser.GetReferences();
  ASSERT_EQ(references.size(), 2u);
  EXPECT_EQ(references[0].text, L"Sales[[#This Row]");
  EXPECT_EQ(references[1].text, L"[Amount]]");
  EXPECT_EQ(references[1].flags, kRefUnreadable);
}

TEST_F(StructuredReferenceTest, ReplayResolvesThisRowForTheNewCellInParseOrder) {
  ASSERT_TRUE(book.parser.Parse(L"=Sales[#This Row]+A1+Sales[Date]", {1, 5, 4}));
  const std::vector<CellReference> fresh = book.parser.GetReferences();
  ASSERT_TRUE(book.parser.Parse(L"=Sales[#This Row]+A1+Sales[Date]", {1, 5, 7}));
  const auto& replayed = book.parser.GetReferences();
  ASSERT_EQ(replayed.size(), 3u);
  EXPECT_EQ(replayed[0].first, (CellPos{1, 2, 7}));
  EXPECT_EQ(replayed[1].first, (CellPos{1, 1, 1}));
  EXPECT_EQ(replayed[2].text, fresh[2].text);
  EXPECT_EQ(fresh[0].first, (CellPos{1, 2, 4}));
}

}  // namespace
