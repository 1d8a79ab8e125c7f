// Colour arithmetic of the progress window's gradient.
#include "views/progress_colors.h"

#include <algorithm>
#include <cmath>

namespace {

struct Hls {
  double hue = 0;  // in turns, [0, 1)
  double lightness = 0;
  double saturation = 0;
};

double Channel(std::uint8_t value) {
  return value / 255.0;
}

std::uint8_t ToChannel(double value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

Hls ToHls(RgbColor color) {
  const double r = Channel(color.red);
  const double g = Channel(color.green);
  const double b = Channel(color.blue);
  const double high = std::max({r, g, b});
  const double low = std::min({r, g, b});
  Hls hls;
  hls.lightness = (high + low) / 2;
  const double range = high - low;
  if (range == 0) return hls;  // A grey: no hue, no saturation.
  hls.saturation = hls.lightness <= 0.5 ? range / (high + low) : range / (2 - high - low);
  double sixths = 0;
  if (high == r) {
    sixths = (g - b) / range;
  } else if (high == g) {
    sixths = 2 + (b - r) / range;
  } else {
    sixths = 4 + (r - g) / range;
  }
  hls.hue = sixths / 6;
  if (hls.hue < 0) hls.hue += 1;
  return hls;
}

double HueToChannel(double low, double high, double hue) {
  if (hue < 0) hue += 1;
  if (hue > 1) hue -= 1;
  if (hue < 1.0 / 6) return low + (high - low) * hue * 6;
  if (hue < 1.0 / 2) return high;
  if (hue < 2.0 / 3) return low + (high - low) * (2.0 / 3 - hue) * 6;
  return low;
}

RgbColor FromHls(const Hls& hls) {
  if (hls.saturation == 0) {
    const std::uint8_t grey = ToChannel(hls.lightness);
    return {grey, grey, grey};
  }
  const double high = hls.lightness <= 0.5
                          ? hls.lightness * (1 + hls.saturation)
                          : hls.lightness + hls.saturation - hls.lightness * hls.saturation;
  const double low = 2 * hls.lightness - high;
  return {ToChannel(HueToChannel(low, high, hls.hue + 1.0 / 3)),
          ToChannel(HueToChannel(low, high, hls.hue)),
          ToChannel(HueToChannel(low, high, hls.hue - 1.0 / 3))};
}

std::uint8_t MixChannel(std::uint8_t a, int weightA, std::uint8_t b, int weightB) {
  const int total = weightA + weightB;
  return static_cast<std::uint8_t>((a * weightA + b * weightB + total / 2) / total);
}

std::uint8_t BandChannel(std::uint8_t first, std::uint8_t second, int band) {
  return static_cast<std::uint8_t>((band * second + (kProgressGradientBands - band) * first) /
                                   kProgressGradientBands);
}

}  // namespace

RgbColor RgbColor::FromColorRef(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
          static_cast<std::uint8_t>((value >> 16) & 0xFF)};
}

std::uint32_t RgbColor::ToColorRef() const {
  return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue) << 16;
}

RgbColor MixColors(RgbColor a, int weightA, RgbColor b, int weightB) {
  return {MixChannel(a.red, weightA, b.red, weightB),
          MixChannel(a.green, weightA, b.green, weightB),
          MixChannel(a.blue, weightA, b.blue, weightB)};
}

RgbColor ScaleLightness(RgbColor color, double factor) {
  Hls hls = ToHls(color);
  hls.lightness = std::min(1.0, hls.lightness * factor);
  return FromHls(hls);
}

ProgressGradientColors GradientColorsFrom(RgbColor base, RgbColor light3d, RgbColor window) {
  return {ScaleLightness(MixColors(base, 2, light3d, 1), 0.99),
          ScaleLightness(MixColors(base, 1, window, 1), 1.03)};
}

RgbColor GradientBandColor(const ProgressGradientColors& colors, int band) {
  return {BandChannel(colors.first.red, colors.second.red, band),
          BandChannel(colors.first.green, colors.second.green, band),
          BandChannel(colors.first.blue, colors.second.blue, band)};
}

BandRows GradientBandRows(int areaTop, int areaBottom, int band) {
  // From the bottom up, so that band 0 ends exactly at the area's bottom.
  const long long height = std::max(0, areaBottom - areaTop);
  const auto edge = [&](int index) {
    return areaBottom - static_cast<int>(height * index / kProgressGradientBands);
  };
  return {edge(band + 1), edge(band)};
}
