// Ranges for positions and positions for ranges, through the embedded spreadsheet.
#include "excel/cell_range.h"

#include <gtest/gtest.h>

#include "excel/range_members.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::RangeSeen;
using test_support::SeeRange;

class CellRanges : public testing::Test {
 protected:
  void SetUp() override {
    session_.book->AddSheet(L"Data Sheet");
    worksheets_.Reset(session_.Sheets().Get());
  }
  test_support::CSpreadsheetSession session_;
  ExcelObject worksheets_;
  SheetIndexByName sheetIndex_;
  CAddressParser parser_{&sheetIndex_, nullptr};
};

TEST(RelativeA1Text, ColumnLettersAndCorners) {
  EXPECT_EQ(L"B3", RelativeA1Text({1, 2, 3}, {1, 2, 3}));
  EXPECT_EQ(L"B3:D7", RelativeA1Text({1, 2, 3}, {1, 4, 7}));
  EXPECT_EQ(L"AA1:ZZ1048576", RelativeA1Text({1, 27, 1}, {1, 702, 1048576}));
  EXPECT_EQ(L"XFD9", RelativeA1Text({2, 16384, 9}, {2, 16384, 9}));
}

TEST_F(CellRanges, FindTheCellsOnTheirSheet) {
  struct Case {
    CellPos first;
    CellPos last;
    RangeSeen seen;
  };
  const Case cases[] = {
      {{1, 2, 3}, {1, 2, 3}, {L"Sheet1", {{3, 2}, {3, 2}}}},
      {{2, 2, 3}, {2, 4, 7}, {L"Data Sheet", {{3, 2}, {7, 4}}}},
      {{2, 30, 1}, {2, 28, 1}, {L"Data Sheet", {{1, 28}, {1, 30}}}},
  };
  for (const Case& c : cases) {
    ExcelObject range;
    ASSERT_TRUE(GetRectangleRange(worksheets_, c.first, c.last, &range));
    EXPECT_EQ(c.seen, SeeRange(range.Get()));
  }
  ExcelObject range;
  EXPECT_FALSE(GetCellRange(worksheets_, {3, 1, 1}, &range));  // Beyond the sheets.
  EXPECT_FALSE(GetCellRange(worksheets_, {1, 0, 5}, &range));
  EXPECT_TRUE(range.IsEmpty());
}

TEST_F(CellRanges, PositionsComeBackFromTheRange) {
  for (const auto& [first, last] : {std::pair{CellPos{1, 1, 1}, CellPos{1, 1, 1}},
                                    std::pair{CellPos{2, 3, 4}, CellPos{2, 28, 900}}}) {
    ExcelObject range;
    ASSERT_TRUE(GetRectangleRange(worksheets_, first, last, &range));
    CellPos readFirst;
    CellPos readLast;
    ASSERT_TRUE(GetRangePosition(range, parser_, &readFirst, &readLast));
    EXPECT_EQ(first, readFirst);
    EXPECT_EQ(last, readLast);
  }
  // A range reached another way: the used range of the second sheet.
  session_.book->Sheet(2).SetValue({5, 2}, spreadsheet::CellValue::Number(1));
  session_.book->Sheet(2).SetValue({9, 6}, spreadsheet::CellValue::Number(2));
  ExcelObject used;
  ASSERT_TRUE(ExcelObject(session_.Sheet(2).Get()).GetObject(L"UsedRange", &used));
  CellPos first;
  CellPos last;
  ASSERT_TRUE(GetRangePosition(used, parser_, &first, &last));
  EXPECT_EQ((CellPos{2, 2, 5}), first);
  EXPECT_EQ((CellPos{2, 6, 9}), last);
}

TEST_F(CellRanges, ResizeIntersectAndTheExternalAddress) {
  ExcelObject range;
  ASSERT_TRUE(GetRectangleRange(worksheets_, {1, 2, 2}, {1, 3, 4}, &range));
  ExcelObject resized;
  ASSERT_TRUE(ResizeRange(range, -1, -1, &resized));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 2}, {4, 3}}}), SeeRange(resized.Get()));
  ASSERT_TRUE(ResizeRange(range, 1, -1, &resized));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 2}, {2, 3}}}), SeeRange(resized.Get()));

  const ExcelObject application(session_.application.Get());
  ExcelObject other;
  ASSERT_TRUE(GetRectangleRange(worksheets_, {1, 3, 1}, {1, 9, 3}, &other));
  ExcelObject common;
  ASSERT_TRUE(IntersectRanges(application, range, other, &common));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 3}, {3, 3}}}), SeeRange(common.Get()));
  ASSERT_TRUE(GetCellRange(worksheets_, {1, 1, 9}, &other));
  EXPECT_FALSE(IntersectRanges(application, range, other, &common));

  std::wstring address;
  ASSERT_TRUE(ExternalR1C1Address(range, &address));
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!R2C2:R4C3", address);
}

}  // namespace
