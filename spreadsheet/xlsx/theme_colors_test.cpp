// Excel's tint: the colours Excel shows for theme colours lightened and darkened.
#include "spreadsheet/xlsx/theme_colors.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

struct TintCase {
  std::uint32_t base;
  double tint;
  std::uint32_t shown;
};

class ThemeTint : public testing::TestWithParam<TintCase> {};

TEST_P(ThemeTint, MatchesExcel) {
  const TintCase& c = GetParam();
  EXPECT_EQ(c.shown, ApplyTint(c.base, c.tint)) << std::hex << c.base << " " << c.tint;
}

// The colours of Excel's palette for the Office theme ("Blue, Accent 1, Lighter 80%" and so
// on), with the tints Excel writes for them.
INSTANTIATE_TEST_SUITE_P(
    OfficePalette, ThemeTint,
    testing::Values(TintCase{0x4472C4, 0.7999816888943144, 0xD9E1F2},
                    TintCase{0x4472C4, 0.5999938962981048, 0xB4C6E7},
                    TintCase{0x4472C4, 0.39997558519241921, 0x8EA9DB},
                    TintCase{0x4472C4, -0.249977111117893, 0x305496},
                    TintCase{0x4472C4, -0.499984740745262, 0x203764},
                    TintCase{0xFFFFFF, -0.0499893185216834, 0xF2F2F2},
                    TintCase{0xFFFFFF, -0.149998474074526, 0xD9D9D9},
                    TintCase{0xFFFFFF, -0.34998626667073579, 0xA6A6A6},
                    TintCase{0x000000, 0.499984740745262, 0x808080},
                    TintCase{0x000000, 0.14999847407452621, 0x262626},
                    TintCase{0xED7D31, 0.7999816888943144, 0xFCE4D6},
                    TintCase{0xED7D31, -0.249977111117893, 0xC65911},
                    TintCase{0x70AD47, 0.39997558519241921, 0xA9D08E},
                    TintCase{0x44546A, 0.7999816888943144, 0xD6DCE4},
                    TintCase{0xE7E6E6, -0.749992370372631, 0x3A3838},
                    TintCase{0x4F81BD, 0.8, 0xDCE6F1},
                    TintCase{0x5B9BD5, 0.8, 0xDDEBF7}));

TEST(ThemeColors, IndexesLightBeforeDark) {
  const CThemeColors colors;
  EXPECT_EQ(0xFFFFFFu, colors.At(0));  // lt1 (background 1)
  EXPECT_EQ(0x000000u, colors.At(1));  // dk1 (text 1)
  EXPECT_EQ(0x4472C4u, colors.At(4));  // accent1
  EXPECT_EQ(0u, colors.At(99));
  EXPECT_EQ(0x4472C4u, ApplyTint(0x4472C4, 0.0));
}

}  // namespace
}  // namespace spreadsheet
