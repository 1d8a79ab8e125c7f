// Colours as the object model exchanges them: Excel's long (red in the low byte), colour indexes
// into the standard palette, and the model's 0xRRGGBB.
#pragma once

#include <cstdint>
#include <optional>

#include "spreadsheet/model/formats.h"

namespace spreadsheet {

// Excel's colour longs run from 0 to this (white); anything else is refused as Excel refuses it.
constexpr std::int32_t kMaxExcelColor = 0xFFFFFF;

// Excel's long (R + G*256 + B*65536) of a model colour, and back. The two differ only in the
// order of the red and blue bytes.
std::int32_t ExcelColorFromRgb(std::uint32_t rgb);
std::uint32_t RgbFromExcelColor(std::int32_t color);

// The palette entry Excel reports for a colour: -4105 (automatic) for automatic, -4142 (none)
// for no colour, else the nearest entry.
std::int32_t ColorIndexOf(const Color& color);
// The colour a ColorIndex write gives: 1-56 are palette entries, -4105 automatic, -4142 none.
// Nothing for other numbers, which Excel refuses.
std::optional<Color> ColorOfIndex(std::int32_t colorIndex);

}  // namespace spreadsheet
