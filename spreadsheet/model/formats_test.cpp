// Format interning, built-in number formats and the colour palette.
#include <gtest/gtest.h>

#include "spreadsheet/model/formats.h"
#include "spreadsheet/model/palette.h"

namespace spreadsheet {
namespace {

TEST(FormatTable, InternsEqualFormatsOnce) {
  CFormatTable table;
  Font bold;
  bold.bold = true;
  const std::uint32_t first = table.InternFont(bold);
  EXPECT_EQ(first, table.InternFont(bold));
  EXPECT_NE(0u, first);
  CellFormat format;
  format.font = first;
  EXPECT_EQ(table.InternFormat(format), table.InternFormat(format));
  format.font = 99;
  EXPECT_THROW(table.InternFormat(format), std::out_of_range);
}

TEST(FormatTable, NumbersCustomFormatsFrom164) {
  CFormatTable table;
  EXPECT_EQ(2u, table.InternNumberFormat(L"0.00"));
  const std::uint32_t custom = table.InternNumberFormat(L"0.000");
  EXPECT_EQ(164u, custom);
  EXPECT_EQ(custom, table.InternNumberFormat(L"0.000"));
  EXPECT_EQ(165u, table.InternNumberFormat(L"#,##0.0"));
  EXPECT_EQ(L"0.000", table.NumberFormatCode(custom));
  EXPECT_EQ(L"General", table.NumberFormatCode(7777));
}

TEST(FormatTable, ReplacesNamedStylesByName) {
  CFormatTable table;
  const std::uint32_t added = table.AddNamedStyle({L"Highlight", CellFormat{}, std::nullopt});
  EXPECT_EQ(added, table.AddNamedStyle({L"HIGHLIGHT", CellFormat{}, std::nullopt}));
  EXPECT_EQ(added, table.FindNamedStyle(L"highlight"));
  EXPECT_EQ(0u, table.FindNamedStyle(L"Normal"));
}

TEST(Palette, FindsTheNearestEntry) {
  EXPECT_EQ(3, NearestColorIndex(0xFF0000));
  EXPECT_EQ(1, NearestColorIndex(0x010101));
  EXPECT_EQ(2, NearestColorIndex(0xFEFEFE));
  EXPECT_EQ(6, NearestColorIndex(0xFFFF00));  // 27 is the same yellow; the lower index wins.
  EXPECT_EQ(0xFFFF99u, PaletteColor(36));
}

TEST(Palette, MapsIndexedColours) {
  EXPECT_EQ(0x000000u, IndexedColor(8));
  EXPECT_EQ(0xFF0000u, IndexedColor(2));
  EXPECT_EQ(0x333333u, IndexedColor(63));
  EXPECT_FALSE(IndexedColor(64).has_value());
}

}  // namespace
}  // namespace spreadsheet
