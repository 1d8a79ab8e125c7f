// Cell coordinates of the embedded spreadsheet: 1-based rows and columns, and rectangles.
#pragma once

#include <algorithm>
#include <cstdint>

namespace spreadsheet {

// The sheet size of the workbooks this spreadsheet reads and writes (.xlsx).
constexpr std::int32_t kMaxRows = 1048576;
constexpr std::int32_t kMaxColumns = 16384;

struct CellCoord {
  std::int32_t row = 0;
  std::int32_t column = 0;

  friend bool operator==(const CellCoord&, const CellCoord&) = default;
  // Row-major: the order in which cells are stored in a sheet part.
  friend bool operator<(const CellCoord& a, const CellCoord& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  }
};

inline bool IsOnSheet(CellCoord c) {
  return c.row >= 1 && c.row <= kMaxRows && c.column >= 1 && c.column <= kMaxColumns;
}

// Inclusive rectangle; `first` is the top-left corner.
struct CellRect {
  CellCoord first;
  CellCoord last;

  static CellRect Of(CellCoord cell) { return {cell, cell}; }
  friend bool operator==(const CellRect&, const CellRect&) = default;

  std::int32_t Rows() const { return last.row - first.row + 1; }
  std::int32_t Columns() const { return last.column - first.column + 1; }
  std::int64_t CellCount() const { return std::int64_t{Rows()} * Columns(); }
  bool IsSingleCell() const { return first == last; }
  bool Contains(CellCoord c) const {
    return c.row >= first.row && c.row <= last.row && c.column >= first.column &&
           c.column <= last.column;
  }
  bool Intersects(const CellRect& other) const {
    return first.row <= other.last.row && other.first.row <= last.row &&
           first.column <= other.last.column && other.first.column <= last.column;
  }
  CellRect Intersection(const CellRect& other) const {
    return {{std::max(first.row, other.first.row), std::max(first.column, other.first.column)},
            {std::min(last.row, other.last.row), std::min(last.column, other.last.column)}};
  }
  CellRect Union(const CellRect& other) const {
    return {{std::min(first.row, other.first.row), std::min(first.column, other.first.column)},
            {std::max(last.row, other.last.row), std::max(last.column, other.last.column)}};
  }
};

inline bool IsOnSheet(const CellRect& r) {
  return IsOnSheet(r.first) && IsOnSheet(r.last) && r.first.row <= r.last.row &&
         r.first.column <= r.last.column;
}

}  // namespace spreadsheet
