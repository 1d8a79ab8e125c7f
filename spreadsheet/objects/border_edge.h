// The cell edges behind Excel's Border objects (xlEdgeLeft of a range is the left edge of the
// cells of its first column, xlInsideVertical the edges between its columns), and reading and
// writing LineStyle, Weight, Color and ColorIndex over them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/formats.h"
#include "spreadsheet/model/worksheet.h"
#include "spreadsheet/objects/range_outcome.h"

namespace spreadsheet {

// Excel's XlBordersIndex numbers.
enum class BorderIndex : std::int32_t {
  DiagonalDown = 5,
  DiagonalUp = 6,
  EdgeLeft = 7,
  EdgeTop = 8,
  EdgeBottom = 9,
  EdgeRight = 10,
  InsideVertical = 11,
  InsideHorizontal = 12,
};

enum class CellSide : std::uint8_t { Left, Top, Bottom, Right };

// One side of every cell of a rectangle.
struct EdgePart {
  CellRect cells;
  CellSide side;
};

// The parts behind one border of a range: what a read looks at, or what a write changes (an
// inside edge is both the right side of one cell and the left side of the next).
std::vector<EdgePart> BorderEdgeParts(const CellRect& range, BorderIndex index, bool forWriting);
// All four sides of every cell: what the Borders collection's own properties read and write.
std::vector<EdgePart> AllEdgeParts(const CellRect& range);

enum class BorderProperty : std::uint8_t { LineStyle, Weight, Color, ColorIndex };

// The property's value shared by all the parts' edges, or nothing when they differ (null).
std::optional<std::int32_t> ReadBorderProperty(CWorksheet& sheet,
                                               const std::vector<EdgePart>& parts,
                                               BorderProperty property);
// Sets the property on every edge of the parts. Setting a weight or a colour on an edge
// without a line draws a continuous one, as Excel does. A run-time error for a value Excel
// refuses, or on a protected sheet.
RangeOutcome WriteBorderProperty(CWorksheet& sheet, const std::vector<EdgePart>& parts,
                                 BorderProperty property, std::int32_t value);

}  // namespace spreadsheet
