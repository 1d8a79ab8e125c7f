// A1 references as the attributes of spreadsheet XML write them: "B7" (a cell's r), "A1:C9"
// (ref, mergeCell, table ranges). Dollar signs are allowed and ignored.
#pragma once

#include <string>
#include <string_view>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

enum class ReferenceStatus {
  Ok,
  OffSheet,   // Well formed, but past row 1,048,576 or column XFD (or row or column 0).
  Malformed,  // Not an A1 reference.
};

struct ParsedCell {
  ReferenceStatus status = ReferenceStatus::Malformed;
  CellCoord cell;
};
struct ParsedRange {
  ReferenceStatus status = ReferenceStatus::Malformed;
  CellRect range;  // Corners ordered: first is the top-left one.
};

ParsedCell ParseCellReference(std::string_view text);
// "A1:B2", or one cell "A1" for a range of one.
ParsedRange ParseRangeReference(std::string_view text);

// "XFD1048576" for messages.
std::string CellText(CellCoord cell);
std::string RangeText(const CellRect& range);

}  // namespace spreadsheet
