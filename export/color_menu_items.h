// The items of the colour menu the filter commands show: one per colour index that has cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "container/dependency_container.h"

struct ColorMenuItem {
  int32_t id = 0;  // the colour index, which is also the command the menu answers
  std::wstring text;
  int32_t color = 0;  // the RGB recorded for the index, 0x00BBGGRR
};

// Analyses the workbook's colours once, then lists the fill (or font) colour groups in ascending
// index order with the text "%ld cell(s)".
std::vector<ColorMenuItem> ColorMenuItems(CDependencyContainer& container, bool fill);
