// Column and row sizes in points. Only columns and rows with sizes of their own are visited, so
// a whole column or row costs what the sheet stores, not a million steps.
#include "spreadsheet/objects/range_geometry.h"

#include <cmath>
#include <map>

namespace spreadsheet {
namespace {

constexpr double kPixelsPerCharacter = 7.0;
constexpr double kPaddingPixels = 5.0;
constexpr double kNarrowPixelsPerCharacter = 12.0;
constexpr double kPointsPerPixel = 0.75;

template <class Convert>
double Sum(const std::map<std::int32_t, double>& sizes, std::int32_t first, std::int32_t last,
           double standard, Convert convert) {
  if (last < first) return 0.0;
  double total = 0.0;
  std::int64_t own = 0;
  for (auto it = sizes.lower_bound(first); it != sizes.end() && it->first <= last; ++it) {
    total += convert(it->second);
    ++own;
  }
  return total + static_cast<double>(std::int64_t{last} - first + 1 - own) * convert(standard);
}

std::optional<double> Uniform(const std::map<std::int32_t, double>& sizes, std::int32_t first,
                              std::int32_t last, double standard) {
  std::optional<double> common;
  std::int64_t own = 0;
  for (auto it = sizes.lower_bound(first); it != sizes.end() && it->first <= last; ++it) {
    if (common && *common != it->second) return std::nullopt;
    common = it->second;
    ++own;
  }
  if (own < std::int64_t{last} - first + 1) {
    if (common && *common != standard) return std::nullopt;
    common = standard;
  }
  return common;
}

}  // namespace

double ColumnWidthInPoints(double characters) {
  if (!(characters > 0.0)) return 0.0;
  const double pixels = characters < 1.0
                            ? std::round(characters * kNarrowPixelsPerCharacter)
                            : std::round(characters * kPixelsPerCharacter + kPaddingPixels);
  return pixels * kPointsPerPixel;
}

double ColumnsWidth(const CWorksheet& sheet, std::int32_t first, std::int32_t last) {
  return Sum(sheet.ColumnWidths(), first, last, CWorksheet::kDefaultColumnWidth,
             [](double characters) { return ColumnWidthInPoints(characters); });
}

double RowsHeight(const CWorksheet& sheet, std::int32_t first, std::int32_t last) {
  return Sum(sheet.RowHeights(), first, last, CWorksheet::kDefaultRowHeight,
             [](double points) { return points; });
}

std::optional<double> UniformColumnWidth(const CWorksheet& sheet, std::int32_t first,
                                         std::int32_t last) {
  return Uniform(sheet.ColumnWidths(), first, last, CWorksheet::kDefaultColumnWidth);
}

std::optional<double> UniformRowHeight(const CWorksheet& sheet, std::int32_t first,
                                       std::int32_t last) {
  return Uniform(sheet.RowHeights(), first, last, CWorksheet::kDefaultRowHeight);
}

}  // namespace spreadsheet
