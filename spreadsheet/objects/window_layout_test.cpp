// Window panes: visible cells from sizes and zoom, splits, frozen panes and their scrolling.
#include "spreadsheet/objects/window_layout.h"

#include <gtest/gtest.h>

#include <limits>

#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

class WindowLayout : public testing::Test {
 protected:
  // 1000 x 600 points at 100%: 40 rows of 15 points, 21 columns of 48 (the last partly).
  CWorkbook workbook_;
  CWorksheet& sheet_ = workbook_.AddSheet(L"Sheet1");
  WindowState state_;
  CWindowLayout layout_{state_, sheet_};
};

TEST_F(WindowLayout, ShowsWhatFitsIncludingThePartlyVisibleCells) {
  EXPECT_EQ(1, layout_.PaneCount());
  EXPECT_EQ((CellRect{{1, 1}, {40, 21}}), layout_.PaneVisibleRange(1));
  state_.zoom = 200.0;
  EXPECT_EQ((CellRect{{1, 1}, {20, 11}}), layout_.PaneVisibleRange(1));
  state_.zoom = 100.0;
  sheet_.SetRowHeight(5, 150.0);  // Rows 1-4: 60, row 5: 150, rows 6-31: 390 points.
  sheet_.SetColumnWidth(1, 0.0);  // A hidden column takes no room.
  EXPECT_EQ((CellRect{{1, 1}, {31, 22}}), layout_.PaneVisibleRange(1));
  ASSERT_TRUE(layout_.SetScrollRow(kMaxRows - 2));
  EXPECT_EQ(kMaxRows, layout_.PaneVisibleRange(1).last.row);  // Never past the sheet.
}

TEST_F(WindowLayout, StepsOverManyHiddenRowsWithoutLosingTheRest) {
  for (std::int32_t row = 2; row <= 5000; ++row) sheet_.SetRowHeight(row, 0.0);
  EXPECT_EQ((CellRect{{1, 1}, {5039, 21}}), layout_.PaneVisibleRange(1));
}

TEST_F(WindowLayout, FreezesAboveAndLeftOfTheActiveCellAndScrollsOnlyTheRest) {
  layout_.SetFrozen(true, {4, 3});
  ASSERT_EQ(4, layout_.PaneCount());
  EXPECT_TRUE(layout_.IsFrozen());
  EXPECT_TRUE(layout_.IsSplit());
  EXPECT_EQ(3, layout_.SplitRow());
  EXPECT_EQ(2, layout_.SplitColumn());
  EXPECT_DOUBLE_EQ(45.0, layout_.SplitHorizontal());
  EXPECT_DOUBLE_EQ(96.0, layout_.SplitVertical());
  EXPECT_EQ(4, layout_.ActivePane());
  EXPECT_EQ((CellRect{{1, 1}, {3, 2}}), layout_.PaneVisibleRange(1));

  ASSERT_TRUE(layout_.SetScrollRow(50));
  EXPECT_EQ(50, layout_.ScrollRow());
  EXPECT_EQ((CellCoord{1, 3}), layout_.PaneOrigin(2));
  EXPECT_EQ((CellCoord{50, 1}), layout_.PaneOrigin(3));
  EXPECT_EQ((CellRect{{50, 3}, {86, 21}}), layout_.PaneVisibleRange(4));
  ASSERT_TRUE(layout_.SetScrollRow(2));  // Into the frozen rows: stops below them.
  EXPECT_EQ(4, layout_.ScrollRow());
  EXPECT_FALSE(layout_.SetPaneScrollRow(1, 10));    // Frozen rows do not scroll.
  EXPECT_FALSE(layout_.SetPaneScrollColumn(3, 9));  // Nor do frozen columns.
  EXPECT_TRUE(layout_.SetPaneScrollColumn(2, 9));
  EXPECT_EQ((CellCoord{4, 9}), layout_.PaneOrigin(4));

  layout_.SetFrozen(false, {4, 3});
  EXPECT_EQ(1, layout_.PaneCount());
  EXPECT_FALSE(layout_.IsSplit());
  EXPECT_EQ(1, layout_.ScrollRow());
  EXPECT_EQ(1, layout_.ActivePane());
}

TEST_F(WindowLayout, FreezesInTheMiddleWhenTheActiveCellIsTheFirstShown) {
  layout_.SetFrozen(true, {1, 1});
  EXPECT_EQ(20, layout_.SplitRow());
  EXPECT_EQ(10, layout_.SplitColumn());
}

TEST_F(WindowLayout, KeepsSplitCountsAndPositionsInStep) {
  ASSERT_TRUE(layout_.SetSplitRow(10));
  EXPECT_EQ(2, layout_.PaneCount());
  EXPECT_TRUE(layout_.IsSplit());
  EXPECT_FALSE(layout_.IsFrozen());
  EXPECT_DOUBLE_EQ(150.0, layout_.SplitHorizontal());
  EXPECT_EQ((CellCoord{11, 1}), layout_.PaneOrigin(2));
  EXPECT_EQ((CellRect{{11, 1}, {40, 21}}), layout_.PaneVisibleRange(2));

  ASSERT_TRUE(layout_.SetSplitHorizontal(75.5));  // Five whole rows above the bar.
  EXPECT_EQ(5, layout_.SplitRow());
  EXPECT_DOUBLE_EQ(75.5, layout_.SplitHorizontal());
  EXPECT_EQ((CellRect{{1, 1}, {6, 21}}), layout_.PaneVisibleRange(1));

  ASSERT_TRUE(layout_.SetSplitVertical(100.0));
  EXPECT_EQ(4, layout_.PaneCount());
  EXPECT_EQ(2, layout_.SplitColumn());

  // A split window freezes where it is split, and is still split when unfrozen.
  layout_.SetFrozen(true, {30, 30});
  EXPECT_EQ(5, layout_.SplitRow());
  EXPECT_DOUBLE_EQ(75.0, layout_.SplitHorizontal());
  layout_.SetFrozen(false, {30, 30});
  EXPECT_EQ(4, layout_.PaneCount());
  EXPECT_TRUE(layout_.IsSplit());

  layout_.SetSplit(false, {1, 1});
  EXPECT_EQ(1, layout_.PaneCount());
  EXPECT_EQ(0, layout_.SplitRow());
  EXPECT_DOUBLE_EQ(0.0, layout_.SplitHorizontal());
}

TEST_F(WindowLayout, RemovingTheLastSplitLeavesOnePane) {
  ASSERT_TRUE(layout_.SetSplitColumn(3));
  ASSERT_TRUE(layout_.SetActivePane(2));
  ASSERT_TRUE(layout_.SetSplitColumn(0));
  EXPECT_EQ(1, layout_.PaneCount());
  EXPECT_FALSE(layout_.IsSplit());
  EXPECT_EQ(1, layout_.ActivePane());
}

TEST_F(WindowLayout, RefusesWhatExcelRefusesAndChangesNothing) {
  const WindowState before = state_;
  EXPECT_FALSE(layout_.SetScrollRow(0));
  EXPECT_FALSE(layout_.SetScrollRow(kMaxRows + 1));
  EXPECT_FALSE(layout_.SetScrollColumn(kMaxColumns + 1));
  EXPECT_FALSE(layout_.SetSplitRow(-1));
  EXPECT_FALSE(layout_.SetSplitRow(kMaxRows));
  EXPECT_FALSE(layout_.SetSplitHorizontal(-1.0));
  EXPECT_FALSE(layout_.SetSplitHorizontal(601.0));
  EXPECT_FALSE(layout_.SetSplitVertical(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(layout_.SetActivePane(2));
  EXPECT_FALSE(layout_.SetPaneScrollRow(2, 5));
  EXPECT_EQ(before.scrollRow, state_.scrollRow);
  EXPECT_EQ(before.splitRow, state_.splitRow);
  EXPECT_EQ(before.split, state_.split);
  EXPECT_EQ(1, layout_.PaneCount());
}

}  // namespace
}  // namespace spreadsheet
