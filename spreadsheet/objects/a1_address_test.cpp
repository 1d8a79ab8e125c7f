// A1 address text both ways.
#include "spreadsheet/objects/a1_address.h"

#include <gtest/gtest.h>

#include "spreadsheet/model/column_letters.h"

namespace spreadsheet {
namespace {

TEST(A1Address, ParsesCellsRangesColumnsAndRows) {
  EXPECT_EQ(CellRect::Of({2, 2}), ParseA1Range(L"B2"));
  EXPECT_EQ(CellRect::Of({2, 2}), ParseA1Range(L"$b$2"));
  EXPECT_EQ((CellRect{{2, 2}, {3, 3}}), ParseA1Range(L"C3:B2"));
  EXPECT_EQ((CellRect{{1, 1}, {kMaxRows, 3}}), ParseA1Range(L"A:C"));
  EXPECT_EQ((CellRect{{2, 1}, {5, kMaxColumns}}), ParseA1Range(L"$2:$5"));
  EXPECT_EQ(CellRect::Of({kMaxRows, kMaxColumns}), ParseA1Range(L"XFD1048576"));
}

TEST(A1Address, RefusesWhatIsNotAnAddress) {
  for (const wchar_t* text : {L"", L"A", L"1", L"A0", L"XFE1", L"A1048577", L"Sheet1!A1",
                              L"A1:", L"A1:B", L"A:1", L"AB$", L"A1 "}) {
    EXPECT_FALSE(ParseA1Range(text).has_value()) << text;
  }
}

TEST(A1Address, FormatsAsExcelWritesAddresses) {
  EXPECT_EQ(L"$B$2", FormatAbsoluteA1(CellRect::Of({2, 2})));
  EXPECT_EQ(L"$B$2:$AA$30", FormatAbsoluteA1({{2, 2}, {30, 27}}));
  EXPECT_EQ(L"$A:$C", FormatAbsoluteA1({{1, 1}, {kMaxRows, 3}}));
  EXPECT_EQ(L"$2:$5", FormatAbsoluteA1({{2, 1}, {5, kMaxColumns}}));
  EXPECT_EQ(L"B2:C3", FormatRelativeA1({{2, 2}, {3, 3}}));
  EXPECT_EQ(L"R2C2:R3C3", FormatAbsoluteR1C1({{2, 2}, {3, 3}}));
  EXPECT_EQ(L"XFD", ColumnLetters(kMaxColumns));
  EXPECT_EQ(L"Sheet1", QuoteSheetName(L"Sheet1"));
  EXPECT_EQ(L"'My Sheet'", QuoteSheetName(L"My Sheet"));
  EXPECT_EQ(L"'It''s'", QuoteSheetName(L"It's"));
  EXPECT_EQ(L"'A1'", QuoteSheetName(L"A1"));
  EXPECT_EQ(L"'2024'", QuoteSheetName(L"2024"));
}

}  // namespace
}  // namespace spreadsheet
