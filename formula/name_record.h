// NameRecord: what is known about one defined name of the workbook.
#pragma once

#include <cstdint>
#include <string>

#include "formula/cell_pos.h"

struct NameRecord {
  int32_t notRange = 0;   // 0: the name refers to a range; 1: a constant or a formula
  std::wstring refersTo;  // Name.RefersTo, as Excel gives it (beginning with "=")
  std::wstring name;      // Name.Name
  CellPos first;          // the range's corners; zero when not a range
  CellPos last;
};
