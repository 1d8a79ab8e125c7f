// CellPos: one cell of the workbook as {sheet index, column, row}; the only cell identity inside
// the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// The sheet index is the 1-based position of the worksheet in the workbook's Worksheets
// collection. (0,0,0) and (-1,-1,-1) mean "no cell": no range is ever made for them and no
// reference contains them.
struct CellPos {
  int32_t sheet = 0;
  int32_t column = 0;
  int32_t row = 0;

  friend bool operator==(const CellPos&, const CellPos&) = default;

  bool IsNoCell() const {
    return (sheet == 0 && column == 0 && row == 0) || (sheet == -1 && column == -1 && row == -1);
  }
};

// Cells as keys of hash tables. Tables with open addressing take the low bits, so every bit of
// the position is mixed into them.
template <>
struct std::hash<CellPos> {
  size_t operator()(const CellPos& cell) const noexcept {
    uint64_t h = static_cast<uint32_t>(cell.sheet);
    h = h * 0x9E3779B97F4A7C15ULL + static_cast<uint32_t>(cell.column);
    h = h * 0x9E3779B97F4A7C15ULL + static_cast<uint32_t>(cell.row);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 32;
    return static_cast<size_t>(h);
  }
};
