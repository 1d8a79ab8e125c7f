// The area lists of ranges that hold several rectangles: what Application.Union and
// Application.Intersect make of them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// Intersect of ranges of many areas makes one area per overlapping pair; past this many pairs
// the call fails rather than spend time and memory on a list no caller could use.
constexpr std::size_t kMaxIntersectPairs = std::size_t{1} << 20;

// Union's areas in order, where an area that makes one rectangle with an earlier one (inside
// it, around it, or beside it across the same rows or columns) joins it: A1 and A2 give
// A1:A2. Other overlapping areas stay apart, so Count counts their shared cells twice, as in
// Excel.
std::vector<CellRect> JoinAreas(std::span<const CellRect> areas);

// The overlaps of every area of `a` with every area of `b`, in order; empty when none overlap.
// Nothing when there are more than kMaxIntersectPairs pairs.
std::optional<std::vector<CellRect>> IntersectAreas(std::span<const CellRect> a,
                                                    std::span<const CellRect> b);

}  // namespace spreadsheet
