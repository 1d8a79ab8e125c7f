// CellPos: one cell of the workbook as {sheet index, column, row}; the only cell identity inside
// the system.
#pragma once

#include <cstdint>

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
