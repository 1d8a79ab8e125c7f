// CAddressParser: reading address text into areas and writing areas back as text.
#include "formula/address_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/formula_workbook.h"

namespace {

struct ParseCase {
  const wchar_t* text;
  int32_t sheet;  // the current cell's sheet
  bool parses;
  CellPos first;
  CellPos last;
};

class AddressParserTest : public ::testing::Test {
 protected:
  AddressParserTest() {
    book.AddSheet(L"Sheet1");
    book.AddSheet(L"Sheet2");
    book.AddSheet(L"Sheet3");
    book.AddSheet(L"My Sheet");
    book.AddSheet(L"O'Brien");
    book.AddSheet(L"Cost$ & 1!");
    const CellPos a1{1, 1, 1};
    const CellPos c3{1, 3, 3};
    book.AddName(L"Data", L"=Sheet1!$A$1:$C$3", 0, &a1, &c3);
    book.AddName(L"Loop", L"=Loop");
    book.AddName(L"Ping", L"=Pong");
    book.AddName(L"Pong", L"=Ping:B2");
  }

  bool Parse(const std::wstring& text, int32_t sheet) {
    parser.SetCurrentCell({sheet, 9, 9});
    return parser.Parse(text);
  }

  test_support::CFormulaWorkbook book;
  CAddressParser& parser = book.addressParser;
};

TEST_F(AddressParserTest, ReadsAreas) {
  const ParseCase cases[] = {
      {L"A1", 3, true, {3, 1, 1}, {3, 1, 1}},
      {L"$B$2:$D$9", 1, true, {1, 2, 2}, {1, 4, 9}},
      {L"=B2", 1, true, {1, 2, 2}, {1, 2, 2}},
      {L"A:A", 1, true, {1, 1, 1}, {1, 1, 65536}},
      {L"3:5", 1, true, {1, 1, 3}, {1, 256, 5}},
      {L"A", 1, false, {}, {}},
      {L"7", 1, false, {}, {}},
      {L"", 1, false, {}, {}},
      {L"Sheet2!B3", 1, true, {2, 2, 3}, {2, 2, 3}},
      {L"sHEET2!B3", 1, true, {2, 2, 3}, {2, 2, 3}},
      {L"Nowhere!B3", 1, false, {}, {}},
      {L"Sheet1:Sheet3!A1", 2, true, {1, 1, 1}, {3, 1, 1}},
      {L"Sheet1!A1:Sheet2!B2", 3, true, {1, 1, 1}, {2, 2, 2}},
      {L"'Sheet1:Sheet3'!A1:B2", 2, true, {1, 1, 1}, {3, 2, 2}},
      {L"'My Sheet'!A1", 1, true, {4, 1, 1}, {4, 1, 1}},
      // Quoted names as Excel writes them: a doubled apostrophe is one, "$" and "!" are text.
      {L"'O''Brien'!B2", 1, true, {5, 2, 2}, {5, 2, 2}},
      {L"'o''brien'!$B$2:$C$3", 1, true, {5, 2, 2}, {5, 3, 3}},
      {L"'Cost$ & 1!'!C3", 1, true, {6, 3, 3}, {6, 3, 3}},
      {L"'Sheet1:O''Brien'!A1", 1, true, {1, 1, 1}, {5, 1, 1}},
      {L"OBrien!A1", 1, false, {}, {}},
      {L"'[Book1.xlsx]O''Brien'!A1", 1, true, {5, 1, 1}, {5, 1, 1}},
      {L"XFE1", 1, true, {1, 16385, 1}, {1, 16385, 1}},
      {L"A1048576", 1, true, {1, 1, 1048576}, {1, 1, 1048576}},
      {L"A1048577", 1, false, {}, {}},
      {L"x_1", 1, true, {1, 655, 1}, {1, 655, 1}},     // "_" counts as column letter 31
      {L"R2C3", 1, true, {1, 471, 23}, {1, 471, 23}},  // R1C1 is read by the A1 rules
      {L"Data:E5", 2, true, {1, 1, 1}, {1, 5, 5}},     // a name as the first corner
      {L"Data", 2, true, {1, 1, 1}, {1, 3, 3}},
      {L"[BOOK1.XLSX]Sheet2!A1", 1, true, {2, 1, 1}, {2, 1, 1}},
      {L"'C:\\x\\[Book1.xlsx]Sheet2'!C4", 1, true, {2, 3, 4}, {2, 3, 4}},
      {L"[Book1.xlsx", 1, false, {}, {}},
      {L"[Book1.xlsx!A1", 1, false, {}, {}},
      {L"Loop", 1, false, {}, {}},  // a name that refers to itself
      {L"Ping", 1, false, {}, {}},  // two names that refer to each other
      {L"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA1", 1, false, {}, {}},
      {L"A99999999999999999999999999999999999999999999999", 1, false, {}, {}},
      {L"#1", 1, false, {}, {}},  // a code below "@" makes the column negative
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(Parse(c.text, c.sheet), c.parses);
    EXPECT_FALSE(parser.IsExternal());
    if (!c.parses) continue;
    EXPECT_EQ(parser.First(), c.first);
    EXPECT_EQ(parser.Last(), c.last);
  }
}

TEST_F(AddressParserTest, ColumnLimitIsFixed) {
  EXPECT_TRUE(Parse(CAddressParser::ColumnLetters(65536) + L"1", 1));
  EXPECT_FALSE(Parse(CAddressParser::ColumnLetters(65537) + L"1", 1));
}

TEST_F(AddressParserTest, OtherWorkbooksAreExternalWithoutTouchingTheArea) {
  for (const wchar_t* text :
       {L"[Other.xlsx]Sheet1!A1", L"'C:\\dir\\[Other.xlsx]My Sheet'!B2:C3", L"[1]Sheet1!A1"}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(Parse(text, 2));
    EXPECT_TRUE(parser.IsExternal());
    EXPECT_EQ(parser.First(), (CellPos{2, 9, 9}));
  }
  ASSERT_TRUE(Parse(L"A1", 2));
  EXPECT_FALSE(parser.IsExternal());
}

TEST_F(AddressParserTest, MissingSheetMapFailsSheetLookups) {
  CAddressParser bare(nullptr, nullptr);
  bare.SetCurrentCell({1, 1, 1});
  EXPECT_FALSE(bare.Parse(L"Sheet1!A1"));
  EXPECT_FALSE(bare.Parse(L"Data"));
  EXPECT_TRUE(bare.Parse(L"B2:C3"));
}

TEST(AddressFormat, ColumnLetters) {
  const std::pair<int32_t, const wchar_t*> cases[] = {
      {1, L"A"}, {26, L"Z"}, {27, L"AA"}, {256, L"IV"}, {16384, L"XFD"}, {0, L""}, {-3, L""}};
  for (const auto& [column, letters] : cases)
    EXPECT_EQ(CAddressParser::ColumnLetters(column), letters);
}

TEST(AddressFormat, DisplayForms) {
  struct Case {
    CellPos first;
    CellPos last;
    const wchar_t* sheet;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{1, 2, 3}, {1, 2, 3}, L"My Sheet", L"'My Sheet'!B3"},
      {{1, 2, 3}, {1, 4, 9}, L"My Sheet", L"'My Sheet'!B3:D9"},
      {{1, 2, 3}, {1, 4, 9}, L"Data", L"Data!B3:D9"},
      {{1, 2, 3}, {1, 2, 3}, L"", L"B3"},
      {{1, 1, 1}, {1, 3, 65536}, L"Data", L"A:C"},
      {{1, 1, 4}, {1, 256, 6}, L"Data", L"$4:$6"},
      {{1, 1, 1}, {1, 256, 65536}, L"Data", L"A:IV"},
      {{1, 1, 1}, {1, 1, 1}, L"It's", L"'It''s'!A1"},
      {{1, 1, 1}, {1, 1, 1}, L"trim-range", L"'trim-range'!A1"},
      {{1, 1, 1}, {1, 1, 1}, L"2019", L"'2019'!A1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CAddressParser::FormatAddress(c.first, c.last, c.sheet), c.text);
  }
  EXPECT_EQ(CAddressParser::FormatRangeAddress(L"Sheet1", L"Sheet3", 1, 2, 1, 2),
            L"Sheet1:Sheet3!A1:B2");
  EXPECT_EQ(CAddressParser::FormatRangeAddress(L"A b", L"C", 1, 1, 1, 1), L"'A b:C'!A1");
}

TEST_F(AddressParserTest, FormattedAddressesReadBack) {
  const CellRect areas[] = {{{4, 2, 3}, {4, 2, 3}},
                            {{4, 2, 3}, {4, 30, 900}},
                            {{2, 16384, 1048576}, {2, 16384, 1048576}},
                            {{1, 1, 7}, {1, 256, 9}}};
  for (const CellRect& area : areas) {
    const std::wstring sheet(book.sheetNames.Find(area.first.sheet));
    const std::wstring text = CAddressParser::FormatAddress(area.first, area.last, sheet);
    SCOPED_TRACE(text);
    ASSERT_TRUE(Parse(text, area.first.sheet));
    EXPECT_EQ(parser.First(), area.first);
    EXPECT_EQ(parser.Last(), area.last);
  }
}

}  // namespace
