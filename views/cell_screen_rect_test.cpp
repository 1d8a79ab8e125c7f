// The pane chosen for a range and the range's pixels within it, against the embedded
// spreadsheet's windows, panes and column widths.
#include "views/cell_screen_rect.h"

#include <gtest/gtest.h>

#include <string>

#include "spreadsheet/objects/range_geometry.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::SeeRange;

std::wstring RectText(const ScreenRect& r) {
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
         std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
}

class CellScreenRect : public testing::Test {
 protected:
  CellScreenRect() : application_(session_.application.Get()) {
    EXPECT_TRUE(application_.GetObject(L"ActiveWindow", &window_));
  }
  ExcelObject Range(const wchar_t* address) const {
    const ExcelObject sheet(session_.Sheet(1).Get());
    ExcelObject range;
    EXPECT_TRUE(sheet.GetObject(L"Range", &range, {CVariant(address)})) << address;
    return range;
  }
  ExcelObject Pane(LONG index) const {
    ExcelObject panes;
    ExcelObject pane;
    EXPECT_TRUE(window_.GetObject(L"Panes", &panes));
    EXPECT_TRUE(panes.GetObject(L"Item", &pane, {CVariant(index)}));
    return pane;
  }
  void ActivatePane(LONG index) const {
    CVariant ignored;
    ASSERT_TRUE(Pane(index).CallMethod(L"Activate", &ignored));
  }
  // The chosen pane's index and the part of the range it shows, "none" when no pane shows any.
  std::wstring Choose(const wchar_t* address) const {
    const auto chosen = ChoosePane(application_, window_, Range(address));
    if (!chosen) return L"none";
    const auto seen = SeeRange(chosen->visiblePart.Get());
    if (!seen) return L"unreadable part";
    return std::to_wstring(chosen->index) + L" R" + std::to_wstring(seen->range.first.row) +
           L"C" + std::to_wstring(seen->range.first.column) + L":R" +
           std::to_wstring(seen->range.last.row) + L"C" + std::to_wstring(seen->range.last.column);
  }

  test_support::CSpreadsheetSession session_;
  ExcelObject application_;
  ExcelObject window_;
};

TEST_F(CellScreenRect, ChoosesThePaneShowingMostOfTheRange) {
  EXPECT_EQ(L"1 R1C1:R2C2", Choose(L"A1:B2"));
  EXPECT_EQ(L"none", Choose(L"A1000:B1001"));
  // Split below row 3: the top pane shows rows 1-3, the bottom one rows 4 on.
  ASSERT_TRUE(window_.PutLong(L"SplitRow", 3));
  ASSERT_TRUE(window_.PutLong(L"ScrollRow", 1));
  ActivatePane(2);
  EXPECT_EQ(L"1 R1C1:R3C1", Choose(L"A1:A5"));
  EXPECT_EQ(L"2 R4C1:R6C1", Choose(L"A3:A6"));
  // Ties go to the active pane, whichever it is.
  EXPECT_EQ(L"2 R4C1:R5C1", Choose(L"A2:A5"));
  ActivatePane(1);
  EXPECT_EQ(L"1 R2C1:R3C1", Choose(L"A2:A5"));
  EXPECT_EQ(L"none", Choose(L"A1000"));
}

TEST_F(CellScreenRect, SumsEachColumnAndRowBeforeTheRangeInWholePixels) {
  spreadsheet::CWorksheet& sheet = session_.book->Sheet(1);
  sheet.SetColumnWidth(2, 20.0);
  sheet.SetRowHeight(2, 20.25);
  sheet.SetRowHeight(3, 10.3);
  // Twice the points: 4/3 pixels a point at 150 percent.
  const PixelScale scale{4.0 / 3.0, 4.0 / 3.0, 150.0};
  const auto columnB = static_cast<int32_t>(spreadsheet::ColumnWidthInPoints(20.0) * 2.0);
  const ExcelObject range = Range(L"C4:D5");

  // Rows 1-3 make 30 + 40 (not 40.5) + 20 (not 20.6) pixels; summed before truncating they
  // would make 91. Columns C and D are 48 points each, rows 4 and 5 15 points.
  const std::wstring b = std::to_wstring(columnB);
  EXPECT_EQ(std::to_wstring(96 + columnB) + L",90," + std::to_wstring(288 + columnB) + L",150",
            RectText(RangeRectInPane(Pane(1), range, scale)));
  // Measured from the pane's first visible cell, B3.
  ASSERT_TRUE(window_.PutLong(L"ScrollRow", 3));
  ASSERT_TRUE(window_.PutLong(L"ScrollColumn", 2));
  EXPECT_EQ(b + L",20," + std::to_wstring(192 + columnB) + L",80",
            RectText(RangeRectInPane(Pane(1), range, scale)));
  // At the pane's first cell, and with a pane that cannot be read, only the range's own size.
  EXPECT_EQ(L"0,0," + b + L",20", RectText(RangeRectInPane(Pane(1), Range(L"B3"), scale)));
  EXPECT_EQ(L"0,0,192,60", RectText(RangeRectInPane(ExcelObject(), range, scale)));
}

}  // namespace
