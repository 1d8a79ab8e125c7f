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
    book.tables.Add(Odd());
  }

  // "Odd" covers F2:I6 on sheet 1, with columns whose names need escapes or brackets.
  static TableRecord Odd() {
    TableRecord table;
    table.name = L"Odd";
    table.whole = {{1, 6, 2}, {1, 9, 6}};
    table.dataBody = {{1, 6, 3}, {1, 9, 5}};
    table.headerRow = {{1, 6, 2}, {1, 9, 2}};
    table.totalsRow = {{1, 6, 6}, {1, 9, 6}};
    const wchar_t* names[] = {L"#Rank", L"[Note]", L"It's", L"\\_Prime"};
    for (int32_t i = 0; i < 4; ++i) {
      table.columns.push_back({{{1, 6 + i, 3}, {1, 6 + i, 5}}, names[i]});
    }
    return table;
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
      {L"=Sales[@Amount]", L"Sales[@Amount]", {{1, 3, 5}, {1, 3, 5}}},
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

// The forms with item specifiers, as files store them and as Excel shows them; each must
// resolve to its cells. The current cell is E5, in the rows of both tables.
TEST_F(StructuredReferenceTest, ItemSpecifiersAndColumnRanges) {
  struct Case {
    const wchar_t* formula;
    CellRect area;
  };
  const Case cases[] = {
      {L"=SUM(Sales[[#This Row],[Amount]])", {{1, 3, 5}, {1, 3, 5}}},
      {L"=Sales[ [#This Row], [Amount] ]", {{1, 3, 5}, {1, 3, 5}}},
      {L"=Sales[@[Amount]]", {{1, 3, 5}, {1, 3, 5}}},
      {L"=Sales[@[Item]:[Amount]]", {{1, 2, 5}, {1, 3, 5}}},
      {L"=Sales[[#This Row],[Item]:[Amount]]", {{1, 2, 5}, {1, 3, 5}}},
      {L"=Sales[[#Totals],[Amount]]", {{1, 3, 10}, {1, 3, 10}}},
      {L"=Sales[[#Headers],[Date]]", {{1, 4, 2}, {1, 4, 2}}},
      {L"=Sales[[#All],[Amount]]", {{1, 3, 2}, {1, 3, 10}}},
      {L"=Sales[[Item]:[Date]]", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[[Date]:[Item]]", {{1, 2, 3}, {1, 4, 9}}},
      {L"=Sales[[#Data],[#Totals],[Amount]]", {{1, 3, 3}, {1, 3, 10}}},
      {L"=Sales[[#Headers],[#Data]]", {{1, 2, 2}, {1, 4, 9}}},
      {L"=Sales[[Amount]]", {{1, 3, 3}, {1, 3, 9}}},
      {L"=Odd['#Rank]+1", {{1, 6, 3}, {1, 6, 5}}},
      {L"=Odd[['#Rank]]", {{1, 6, 3}, {1, 6, 5}}},
      {L"=Odd['[Note']]", {{1, 7, 3}, {1, 7, 5}}},
      {L"=Odd[[#Totals],['[Note']]]", {{1, 7, 6}, {1, 7, 6}}},
      {L"=Odd[It''s]", {{1, 8, 3}, {1, 8, 5}}},
      {L"=Odd[[#This Row],[\\_Prime]]", {{1, 9, 5}, {1, 9, 5}}},
      {L"=Odd[@\\_Prime]", {{1, 9, 5}, {1, 9, 5}}},
      // Names nothing, so zero coordinates: an unknown column, a current row outside the table.
      {L"=Sales[[#Totals],[Missing]]", {}},
      {L"=Sales[@[Amount]:[Missing]]", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(Resolve(c.formula), c.area);
    ASSERT_EQ(book.parser.GetReferences().size(), 1u);
    const std::wstring_view formula = c.formula;
    const std::wstring& word = book.parser.GetReferences()[0].text;
    EXPECT_NE(formula.find(word), std::wstring_view::npos) << "the word as written";
  }
  EXPECT_EQ(Resolve(L"=Sales[[#This Row],[Amount]]", {1, 5, 12}), CellRect{});
}

// Inside a table, formulas may leave its name out; the table is the one holding the cell.
TEST_F(StructuredReferenceTest, BareFormsNameTheTableOfTheCell) {
  const CellPos inSales{1, 4, 5};
  EXPECT_EQ(Resolve(L"=[@Amount]*2", inSales), (CellRect{{1, 3, 5}, {1, 3, 5}}));
  EXPECT_EQ(Resolve(L"=[[#This Row],[Item]]", inSales), (CellRect{{1, 2, 5}, {1, 2, 5}}));
  EXPECT_EQ(Resolve(L"=SUM([Amount])", inSales), (CellRect{{1, 3, 3}, {1, 3, 9}}));
  EXPECT_EQ(Resolve(L"=[@Amount]*2", {1, 4, 7}), (CellRect{{1, 3, 7}, {1, 3, 7}}));  // replayed
  // Outside every table the text names nothing; an external reference is never a bare form.
  ASSERT_TRUE(book.parser.Parse(L"=[@Amount]*2", {1, 12, 12}));
  EXPECT_EQ(book.parser.GetReferences()[0].flags, kRefUnreadable);
  book.parser.ClearMemo();
  ASSERT_TRUE(book.parser.Parse(L"=[@Amount]*3", {1, 12, 12}));
  EXPECT_EQ(Resolve(L"=[@Amount]*3", inSales), (CellRect{{1, 3, 5}, {1, 3, 5}}));  // replayed
  ASSERT_TRUE(book.parser.Parse(L"=[Other.xlsx]Sheet1!A1", inSales));
  EXPECT_NE(book.parser.GetReferences()[0].externalId, 0);
}

TEST(StructuredReferenceSyntax, BareFormsAreOneBracketPair) {
  EXPECT_TRUE(IsBareTableReference(L"[@Qty]"));
  EXPECT_TRUE(IsBareTableReference(L"[[#This Row],[Qty']x]]"));
  EXPECT_FALSE(IsBareTableReference(L"[Book1.xlsx]Sheet1!A1"));
  EXPECT_FALSE(IsBareTableReference(L"Sales[Qty]"));
  EXPECT_FALSE(IsBareTableReference(L"[Qty"));
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
