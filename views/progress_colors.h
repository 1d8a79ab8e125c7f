// The progress window's background gradient: its two colours, worked out from the base colour
// and two system colours in hue-lightness-saturation terms, and its 64 bands.
#pragma once

#include <cstdint>

struct RgbColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend bool operator==(const RgbColor&, const RgbColor&) = default;

  // The 0x00BBGGRR layout of a Win32 COLORREF.
  static RgbColor FromColorRef(std::uint32_t value);
  std::uint32_t ToColorRef() const;
};

// Band 0 (the bottom) has the first colour; towards the top the bands approach the second.
struct ProgressGradientColors {
  RgbColor first;
  RgbColor second;

  friend bool operator==(const ProgressGradientColors&, const ProgressGradientColors&) = default;
};

// Channel by channel, (weightA * a + weightB * b) / (weightA + weightB), rounded.
RgbColor MixColors(RgbColor a, int weightA, RgbColor b, int weightB);

// The colour with its lightness multiplied by `factor` and capped at full lightness; hue and
// saturation are kept.
RgbColor ScaleLightness(RgbColor color, double factor);

// `base` is the window theme's colour 29 (the button face without a theme); `light3d` and
// `window` are the system colours 22 and 5. The first colour is base and light3d mixed 2 to 1,
// a shade darker; the second base and window mixed 1 to 1, a shade lighter.
ProgressGradientColors GradientColorsFrom(RgbColor base, RgbColor light3d, RgbColor window);

inline constexpr int kProgressGradientBands = 64;

// Band `band` (0 at the bottom, 63 at the top): each channel is
// (band * second + (64 - band) * first) / 64.
RgbColor GradientBandColor(const ProgressGradientColors& colors, int band);

// The rows [top, bottom) that band `band` covers in the rows [areaTop, areaBottom): the bands
// have equal shares, tile the area without gaps, and a band of an area lower than 64 rows may be
// empty (top == bottom), in which case it is not drawn.
struct BandRows {
  int top = 0;
  int bottom = 0;
};
BandRows GradientBandRows(int areaTop, int areaBottom, int band);
