// A1 references of spreadsheet XML attributes.
#include "spreadsheet/xlsx/reader_cell_reference.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

TEST(ReaderCellReference, ReadsCellsAtTheCornersOfTheSheet) {
  EXPECT_EQ((CellCoord{1, 1}), ParseCellReference("A1").cell);
  EXPECT_EQ((CellCoord{1048576, 16384}), ParseCellReference("XFD1048576").cell);
  EXPECT_EQ((CellCoord{7, 28}), ParseCellReference("$AB$7").cell);
}

TEST(ReaderCellReference, TellsOffSheetFromMalformed) {
  EXPECT_EQ(ReferenceStatus::OffSheet, ParseCellReference("XFE1").status);
  EXPECT_EQ(ReferenceStatus::OffSheet, ParseCellReference("A1048577").status);
  EXPECT_EQ(ReferenceStatus::OffSheet, ParseCellReference("A0").status);
  EXPECT_EQ(ReferenceStatus::OffSheet, ParseCellReference("AAAAAAA1").status);
  EXPECT_EQ(ReferenceStatus::Malformed, ParseCellReference("1A").status);
  EXPECT_EQ(ReferenceStatus::Malformed, ParseCellReference("A").status);
  EXPECT_EQ(ReferenceStatus::Malformed, ParseCellReference("").status);
  EXPECT_EQ(ReferenceStatus::Malformed, ParseCellReference("A1 ").status);
}

TEST(ReaderCellReference, OrdersTheCornersOfRanges) {
  const ParsedRange range = ParseRangeReference("C9:A1");
  ASSERT_EQ(ReferenceStatus::Ok, range.status);
  EXPECT_EQ((CellRect{{1, 1}, {9, 3}}), range.range);
  EXPECT_EQ((CellRect{{2, 2}, {2, 2}}), ParseRangeReference("B2").range);
  EXPECT_EQ(ReferenceStatus::OffSheet, ParseRangeReference("A1:XFE2").status);
  EXPECT_EQ("A1:XFD1048576", RangeText({{1, 1}, {kMaxRows, kMaxColumns}}));
}

}  // namespace
}  // namespace spreadsheet
