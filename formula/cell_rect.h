// CellRect: a rectangle of cells given by its two corners, as tables and names store them.
#pragma once

#include "formula/cell_pos.h"

// A rectangle that could not be read stays all zero; it then contains no cell.
struct CellRect {
  CellPos first;
  CellPos last;

  friend bool operator==(const CellRect&, const CellRect&) = default;
};
