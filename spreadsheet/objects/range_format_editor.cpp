// Reading and changing the formats of a rectangle's cells.
#include "spreadsheet/objects/range_format_editor.h"

#include <algorithm>
#include <limits>

#include "spreadsheet/objects/range_cell_scan.h"

namespace spreadsheet {
namespace {

constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();

}  // namespace

CRangeFormatEditor::CRangeFormatEditor(CWorksheet& sheet, const CellRect& range)
    : sheet_(sheet), formats_(sheet.Workbook().Formats()), range_(range) {}

std::vector<std::uint32_t> CRangeFormatEditor::DistinctFormats() const {
  // One flag per format of the table: the table is small, the rectangle may not be.
  std::vector<bool> seen(formats_.Formats().size(), false);
  std::vector<std::uint32_t> distinct;
  VisitRangeCells(sheet_, range_, [&](CellCoord, const Cell* cell) {
    const std::uint32_t format = cell == nullptr ? 0 : cell->format;
    if (format < seen.size() && !seen[format]) {
      seen[format] = true;
      distinct.push_back(format);
    }
    return true;
  });
  return distinct;
}

bool CRangeFormatEditor::Apply(const Change& change) {
  const std::vector<std::uint32_t> distinct = DistinctFormats();
  std::vector<std::uint32_t> replacement(formats_.Formats().size(), kUnset);
  for (const std::uint32_t format : distinct) {
    CellFormat changed = formats_.FormatAt(format);
    change(changed, formats_);
    replacement[format] = formats_.InternFormat(changed);
  }
  auto replace = [&](std::uint32_t format) {
    return format < replacement.size() && replacement[format] != kUnset ? replacement[format]
                                                                        : format;
  };
  const bool defaultChanges = replace(0) != 0 && std::find(distinct.begin(), distinct.end(),
                                                           std::uint32_t{0}) != distinct.end();
  if (defaultChanges) {
    if (range_.CellCount() > kMaxFormattedCells) return false;
    for (std::int32_t row = range_.first.row; row <= range_.last.row; ++row) {
      for (std::int32_t column = range_.first.column; column <= range_.last.column; ++column) {
        const CellCoord cell{row, column};
        const std::uint32_t old = sheet_.FormatOf(cell);
        if (replace(old) != old) sheet_.SetFormat(cell, replace(old));
      }
    }
    return true;
  }
  // Only stored cells change: collect them first, since a write may drop a cell from the store.
  std::vector<CellCoord> changing;
  VisitRangeCells(sheet_, range_, [&](CellCoord cell, const Cell* stored) {
    if (stored != nullptr && replace(stored->format) != stored->format) changing.push_back(cell);
    return true;
  });
  for (const CellCoord cell : changing) sheet_.SetFormat(cell, replace(sheet_.FormatOf(cell)));
  return true;
}

}  // namespace spreadsheet
