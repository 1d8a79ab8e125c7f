// The standard palette.
#include "spreadsheet/model/palette.h"

#include <array>
#include <limits>

namespace spreadsheet {
namespace {

constexpr std::array<std::uint32_t, 56> kPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

int Channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

}  // namespace

std::uint32_t PaletteColor(std::int32_t colorIndex) {
  if (colorIndex < 1 || colorIndex > 56) return 0;
  return kPalette[static_cast<std::size_t>(colorIndex - 1)];
}

std::int32_t NearestColorIndex(std::uint32_t rgb) {
  std::int32_t best = 1;
  long bestDistance = std::numeric_limits<long>::max();
  for (std::size_t i = 0; i < kPalette.size(); ++i) {
    long distance = 0;
    for (int shift : {16, 8, 0}) {
      const long d = Channel(rgb, shift) - Channel(kPalette[i], shift);
      distance += d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<std::int32_t>(i + 1);
    }
  }
  return best;
}

std::optional<std::uint32_t> IndexedColor(std::int32_t indexed) {
  if (indexed >= 0 && indexed < 8) return kPalette[static_cast<std::size_t>(indexed)];
  if (indexed >= 8 && indexed < 64) return kPalette[static_cast<std::size_t>(indexed - 8)];
  return std::nullopt;
}

}  // namespace spreadsheet
