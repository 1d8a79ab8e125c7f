// Joining and intersecting the areas of ranges.
#include "spreadsheet/objects/range_areas.h"

#include <algorithm>
#include <cstddef>

namespace spreadsheet {
namespace {

// The rectangle that covers exactly the cells of both, when there is one.
std::optional<CellRect> JoinedRectangle(const CellRect& a, const CellRect& b) {
  const CellRect around = a.Union(b);
  if (around == a || around == b) return around;
  const bool sameColumns = a.first.column == b.first.column && a.last.column == b.last.column;
  const bool sameRows = a.first.row == b.first.row && a.last.row == b.last.row;
  // Beside or overlapping along the one axis they differ on: no gap between them.
  if (sameColumns && a.first.row <= b.last.row + 1 && b.first.row <= a.last.row + 1) return around;
  if (sameRows && a.first.column <= b.last.column + 1 && b.first.column <= a.last.column + 1) {
    return around;
  }
  return std::nullopt;
}

}  // namespace

std::vector<CellRect> JoinAreas(std::span<const CellRect> areas) {
  std::vector<CellRect> joined;
  for (const CellRect& area : areas) {
    // Joining may make a rectangle that joins another earlier area in turn. Every join after the
    // first removes an area, so the whole stays quadratic in the number of areas.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t at = kNone;
    CellRect current = area;
    for (;;) {
      std::size_t found = kNone;
      std::optional<CellRect> both;
      for (std::size_t i = 0; i < joined.size() && found == kNone; ++i) {
        if (i != at && (both = JoinedRectangle(joined[i], current))) found = i;
      }
      if (found == kNone) break;
      current = *both;
      if (at == kNone) {
        at = found;
      } else {
        joined.erase(joined.begin() + static_cast<std::ptrdiff_t>(std::max(at, found)));
        at = std::min(at, found);
      }
      joined[at] = current;
    }
    if (at == kNone) joined.push_back(area);
  }
  return joined;
}

std::optional<std::vector<CellRect>> IntersectAreas(std::span<const CellRect> a,
                                                    std::span<const CellRect> b) {
  if (!a.empty() && b.size() > kMaxIntersectPairs / a.size()) return std::nullopt;
  std::vector<CellRect> overlaps;
  for (const CellRect& left : a) {
    for (const CellRect& right : b) {
      if (left.Intersects(right)) overlaps.push_back(left.Intersection(right));
    }
  }
  return overlaps;
}

}  // namespace spreadsheet
