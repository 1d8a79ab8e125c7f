// Cells and references as tests write them.
#pragma once

#include <cstdint>

#include "formula/cell_pos.h"
#include "formula/cell_reference.h"

namespace test_support {

// Sheet, column and row, each from 1.
inline CellPos At(std::int32_t sheet, std::int32_t column, std::int32_t row) {
  return CellPos{sheet, column, row};
}

inline CellReference Rect(const CellPos& first, const CellPos& last) {
  CellReference reference;
  reference.first = first;
  reference.last = last;
  return reference;
}

inline CellReference Single(const CellPos& cell) {
  return Rect(cell, cell);
}

// A cell of the first sheet unless another is named.
inline CellReference CellRef(std::int32_t column, std::int32_t row, std::int32_t sheet = 1) {
  return Single(CellPos{sheet, column, row});
}

}  // namespace test_support
