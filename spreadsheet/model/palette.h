// The standard 56-colour palette behind ColorIndex, and the colours of a .xlsx "indexed" colour.
#pragma once

#include <cstdint>
#include <optional>

namespace spreadsheet {

constexpr std::int32_t kColorIndexNone = -4142;       // xlColorIndexNone
constexpr std::int32_t kColorIndexAutomatic = -4105;  // xlColorIndexAutomatic

// 0xRRGGBB of palette entry 1-56.
std::uint32_t PaletteColor(std::int32_t colorIndex);

// The entry nearest to a colour (squared distance in RGB; the lowest index on ties).
std::int32_t NearestColorIndex(std::uint32_t rgb);

// A .xlsx indexed colour: 0-7 and 8-63 are the palette; 64 and 65, the system's foreground and
// background, have no RGB of their own.
std::optional<std::uint32_t> IndexedColor(std::int32_t indexed);

}  // namespace spreadsheet
