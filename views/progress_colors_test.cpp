// The progress gradient: its two colours from the system colours, lightness scaling, the bands.
#include "views/progress_colors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr RgbColor kBlackRgb{0, 0, 0};
constexpr RgbColor kWhiteRgb{255, 255, 255};

TEST(ProgressColors, GradientColorsDarkenTheFirstAndLightenTheSecond) {
  struct Case {
    RgbColor base, light3d, window;
    ProgressGradientColors expected;
  };
  const Case cases[] = {
      // Greys: lightness is the channel value; 255 * 0.99 = 252.45, and 1.03 is capped.
      {kWhiteRgb, kWhiteRgb, kWhiteRgb, {{252, 252, 252}, kWhiteRgb}},
      // (2 * 128 + 0) / 3 = 85.3, * 0.99 = 84.2; (128 + 255) / 2 = 191.5, * 1.03 = 197.8.
      {{128, 128, 128}, kBlackRgb, kWhiteRgb, {{84, 84, 84}, {198, 198, 198}}},
      // The classic button face, light 3-D and window colours.
      {{240, 240, 240}, {227, 227, 227}, kWhiteRgb, {{234, 234, 234}, kWhiteRgb}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, GradientColorsFrom(c.base, c.light3d, c.window));
  }
}

TEST(ProgressColors, ScalingLightnessKeepsHueAndSaturation) {
  EXPECT_EQ((RgbColor{128, 0, 0}), ScaleLightness({255, 0, 0}, 0.5));
  EXPECT_EQ(kWhiteRgb, ScaleLightness({255, 0, 0}, 2.0));  // Capped at full lightness.
  EXPECT_EQ(kBlackRgb, ScaleLightness(kBlackRgb, 1.03));
  // A factor of 1 gives every colour back, whichever channel is the largest.
  for (int r = 0; r < 256; r += 17) {
    for (int g = 0; g < 256; g += 51) {
      for (int b = 0; b < 256; b += 85) {
        const RgbColor color{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                             static_cast<std::uint8_t>(b)};
        ASSERT_EQ(color, ScaleLightness(color, 1.0)) << r << "," << g << "," << b;
      }
    }
  }
}

TEST(ProgressColors, BandsRunFromTheFirstColourAtTheBottomToTheSecond) {
  const ProgressGradientColors colors{kBlackRgb, {255, 128, 64}};
  EXPECT_EQ(kBlackRgb, GradientBandColor(colors, 0));
  EXPECT_EQ((RgbColor{127, 64, 32}), GradientBandColor(colors, 32));
  EXPECT_EQ((RgbColor{251, 126, 63}), GradientBandColor(colors, 63));
  const ProgressGradientColors reversed{colors.second, colors.first};
  EXPECT_EQ(colors.second, GradientBandColor(reversed, 0));
  EXPECT_EQ(0x00402080u, (RgbColor{0x80, 0x20, 0x40}.ToColorRef()));
  EXPECT_EQ((RgbColor{0x80, 0x20, 0x40}), RgbColor::FromColorRef(0x00402080u));
}

TEST(ProgressColors, BandsTileTheAreaFromTheBottomUp) {
  constexpr int kTop = 5;
  for (int height : {0, 1, 10, 63, 64, 65, 75, 200}) {
    SCOPED_TRACE(height);
    const int bottom = kTop + height;
    EXPECT_EQ(bottom, GradientBandRows(kTop, bottom, 0).bottom);
    EXPECT_EQ(kTop, GradientBandRows(kTop, bottom, kProgressGradientBands - 1).top);
    int drawn = 0;
    for (int band = 0; band < kProgressGradientBands; ++band) {
      const BandRows rows = GradientBandRows(kTop, bottom, band);
      ASSERT_LE(rows.top, rows.bottom);
      EXPECT_LE(rows.bottom - rows.top, (height + kProgressGradientBands - 1) / 64);
      if (band + 1 < kProgressGradientBands) {
        EXPECT_EQ(rows.top, GradientBandRows(kTop, bottom, band + 1).bottom);
      }
      if (rows.top != rows.bottom) ++drawn;
    }
    EXPECT_EQ(std::min(height, kProgressGradientBands), drawn);
  }
}

}  // namespace
