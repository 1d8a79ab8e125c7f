// CThemeColors: the twelve colours of a workbook theme in the order styles index them, and the
// tint that lightens or darkens a colour, computed as Excel computes it.
#pragma once

#include <array>
#include <cstdint>

namespace spreadsheet {

// Theme index order of .xlsx styles: the scheme writes dk1, lt1, dk2, lt2, but index 0 is lt1
// (background 1) and index 1 dk1 (text 1); so 2 is lt2 and 3 dk2; then accent1-6, hlink,
// folHlink.
enum class ThemeSlot : std::uint8_t {
  Light1, Dark1, Light2, Dark2, Accent1, Accent2, Accent3, Accent4, Accent5, Accent6,
  Hyperlink, FollowedHyperlink,
};

class CThemeColors {
 public:
  static constexpr std::size_t kCount = 12;

  // Starts with the colours of the Office theme, which a workbook without a theme part shows.
  CThemeColors();

  void Set(ThemeSlot slot, std::uint32_t rgb) { colors_[static_cast<std::size_t>(slot)] = rgb; }
  // 0xRRGGBB of theme index `index` (0-11); black for an index past the scheme.
  std::uint32_t At(std::uint32_t index) const { return index < kCount ? colors_[index] : 0; }

 private:
  std::array<std::uint32_t, kCount> colors_;
};

// A colour lightened (tint > 0) or darkened (tint < 0) by a fraction of its luminance, as Excel
// resolves the tint attribute: in the integer HLS space of 240 steps that Windows uses, tints
// within one step of the 1/32767 grid Excel stores them on read as the whole percent they
// stand for, and the tinted luminance is truncated.
std::uint32_t ApplyTint(std::uint32_t rgb, double tint);

}  // namespace spreadsheet
