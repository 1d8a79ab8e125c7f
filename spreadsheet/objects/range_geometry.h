// Sizes and positions of ranges in points, from the sheet's column widths (characters of the
// default font) and row heights (points), as Range.Width, Height, Left and Top report them.
#pragma once

#include <cstdint>
#include <optional>

#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {

// Excel's limits on ColumnWidth (characters) and RowHeight (points).
constexpr double kMaxColumnWidthCharacters = 255.0;
constexpr double kMaxRowHeightPoints = 409.0;

// Excel draws a column of the default font (Calibri 11) at 7 pixels per character plus 5 pixels
// of padding, at 96 dpi: 0.75 points per pixel, so the standard 8.43 characters are 64 pixels,
// 48 points. Widths under one character shrink the padding with them (12 pixels per character).
double ColumnWidthInPoints(double characters);

// Points covered by columns first..last, or rows first..last; what lies before a column or row.
double ColumnsWidth(const CWorksheet& sheet, std::int32_t first, std::int32_t last);
double RowsHeight(const CWorksheet& sheet, std::int32_t first, std::int32_t last);

// The width (characters) or height (points) all the columns or rows share, or nothing when they
// differ.
std::optional<double> UniformColumnWidth(const CWorksheet& sheet, std::int32_t first,
                                         std::int32_t last);
std::optional<double> UniformRowHeight(const CWorksheet& sheet, std::int32_t first,
                                       std::int32_t last);

}  // namespace spreadsheet
