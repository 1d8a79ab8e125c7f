// Theme colours and Excel's tint.
#include "spreadsheet/xlsx/theme_colors.h"

#include <algorithm>
#include <cmath>

namespace spreadsheet {
namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;

struct Hls {
  int hue;
  int luminance;
  int saturation;
};

// RGB to HLS in integer steps, rounding as the classic Windows conversion does.
Hls ToHls(int red, int green, int blue) {
  const int high = std::max({red, green, blue});
  const int low = std::min({red, green, blue});
  const int sum = high + low;
  const int span = high - low;
  const int luminance = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (span == 0) return {0, luminance, 0};
  const int saturation = luminance <= kHlsMax / 2
                             ? (span * kHlsMax + sum / 2) / sum
                             : (span * kHlsMax + (2 * kRgbMax - sum) / 2) / (2 * kRgbMax - sum);
  const auto distance = [&](int channel) {
    return ((high - channel) * (kHlsMax / 6) + span / 2) / span;
  };
  int hue = 0;
  if (red == high) {
    hue = distance(blue) - distance(green);
  } else if (green == high) {
    hue = kHlsMax / 3 + distance(red) - distance(blue);
  } else {
    hue = 2 * kHlsMax / 3 + distance(green) - distance(red);
  }
  hue = ((hue % kHlsMax) + kHlsMax) % kHlsMax;
  return {hue, luminance, saturation};
}

int HueLevel(int lower, int upper, int hue) {
  hue = ((hue % kHlsMax) + kHlsMax) % kHlsMax;
  constexpr int kSixth = kHlsMax / 6;
  if (hue < kSixth) return lower + ((upper - lower) * hue + kHlsMax / 12) / kSixth;
  if (hue < kHlsMax / 2) return upper;
  if (hue < 2 * kHlsMax / 3) {
    return lower + ((upper - lower) * (2 * kHlsMax / 3 - hue) + kHlsMax / 12) / kSixth;
  }
  return lower;
}

std::uint32_t ToRgb(const Hls& hls) {
  const int upper = hls.luminance <= kHlsMax / 2
                        ? (hls.luminance * (kHlsMax + hls.saturation) + kHlsMax / 2) / kHlsMax
                        : hls.luminance + hls.saturation -
                              (hls.luminance * hls.saturation + kHlsMax / 2) / kHlsMax;
  const int lower = 2 * hls.luminance - upper;
  const auto channel = [&](int offset) {
    const int level = HueLevel(lower, upper, hls.hue + offset);
    return static_cast<std::uint32_t>(
        std::clamp((level * kRgbMax + kHlsMax / 2) / kHlsMax, 0, kRgbMax));
  };
  return (channel(kHlsMax / 3) << 16) | (channel(0) << 8) | channel(-kHlsMax / 3);
}

// Excel stores a tint picked as a whole percent on a grid of 1/32767 (80% is written
// 0.79998168889431442) and computes with the percent itself.
double NominalTint(double tint) {
  const double whole = std::round(tint * 100.0) / 100.0;
  return std::fabs(tint - whole) <= 1.0 / 32767.0 ? whole : tint;
}

}  // namespace

CThemeColors::CThemeColors()
    : colors_{0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
              0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72} {}

std::uint32_t ApplyTint(std::uint32_t rgb, double tint) {
  if (tint == 0.0 || !std::isfinite(tint)) return rgb;
  tint = NominalTint(std::clamp(tint, -1.0, 1.0));
  Hls hls = ToHls(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
  const double luminance = hls.luminance;
  const double moved = tint < 0.0 ? luminance * (1.0 + tint)
                                  : luminance * (1.0 - tint) + kHlsMax * tint;
  hls.luminance = std::clamp(static_cast<int>(moved), 0, kHlsMax);
  return ToRgb(hls);
}

}  // namespace spreadsheet
