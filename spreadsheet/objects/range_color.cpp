// Colour conversions between the object model and the workbook model.
#include "spreadsheet/objects/range_color.h"

#include "spreadsheet/model/palette.h"

namespace spreadsheet {

std::int32_t ExcelColorFromRgb(std::uint32_t rgb) {
  const std::uint32_t swapped = ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
  return static_cast<std::int32_t>(swapped);
}

std::uint32_t RgbFromExcelColor(std::int32_t color) {
  return static_cast<std::uint32_t>(ExcelColorFromRgb(static_cast<std::uint32_t>(color)));
}

std::int32_t ColorIndexOf(const Color& color) {
  switch (color.kind) {
    case Color::Kind::None:
      return kColorIndexNone;
    case Color::Kind::Automatic:
      return kColorIndexAutomatic;
    case Color::Kind::Rgb:
      return NearestColorIndex(color.rgb);
  }
  return kColorIndexNone;
}

std::optional<Color> ColorOfIndex(std::int32_t colorIndex) {
  if (colorIndex == kColorIndexNone) return Color{};
  if (colorIndex == kColorIndexAutomatic) return Color::Automatic();
  if (colorIndex >= 1 && colorIndex <= 56) return Color::Rgb(PaletteColor(colorIndex));
  return std::nullopt;
}

}  // namespace spreadsheet
