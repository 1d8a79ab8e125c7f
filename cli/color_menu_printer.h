// The colour menu as the command line prints it: one line per colour index, or JSON.
#pragma once

#include <string>
#include <vector>

#include "export/color_menu_items.h"

// "INDEX  N cell(s)  #RRGGBB" lines, or [{"index", "text", "rgb"}, ...].
std::string FormatColorMenu(const std::vector<ColorMenuItem>& items, bool json);
