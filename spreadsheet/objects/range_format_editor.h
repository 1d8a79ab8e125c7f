// CRangeFormatEditor: reads the formats of a rectangle's cells as one (or as mixed) and changes
// them through the workbook's format table, the way every format property of the object model
// (Font, Interior, Borders, Style, NumberFormat, ClearFormats) reads and writes them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/formats.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

// The sheet model has no row or column formats, so a format write that must reach cells not yet
// stored stores each one; larger writes (a whole sheet) are refused instead of exhausting memory.
constexpr std::int64_t kMaxFormattedCells = std::int64_t{1} << 22;

// Invariant: never changes a format in the table. A changed cell gets the interned format of its
// new combination, computed once per distinct old format, so cells that end alike share one.
class CRangeFormatEditor {
 public:
  CRangeFormatEditor(CWorksheet& sheet, const CellRect& range);

  // The distinct formats of the rectangle's cells, in no particular order; 0 (the default) is
  // among them when a cell without a stored format is.
  std::vector<std::uint32_t> DistinctFormats() const;

  // What `read` gives for every cell's format, or nothing when the cells differ (Excel's null).
  template <class T, class Read>
  std::optional<T> Uniform(Read read) const {
    std::optional<T> common;
    for (const std::uint32_t format : DistinctFormats()) {
      T value = read(formats_.FormatAt(format));
      if (!common) {
        common = std::move(value);
      } else if (!(*common == value)) {
        return std::nullopt;
      }
    }
    return common;
  }

  // Rewrites each cell's format with `change` (which may intern fonts, fills and borders in the
  // table it is given). False, with nothing changed, when the write would have to store more than
  // kMaxFormattedCells new cells.
  using Change = std::function<void(CellFormat& format, CFormatTable& table)>;
  bool Apply(const Change& change);

  const CFormatTable& Formats() const { return formats_; }

 private:
  CWorksheet& sheet_;
  CFormatTable& formats_;
  CellRect range_;
};

}  // namespace spreadsheet
