// Column widths of the column trees kept between sessions among the windows' settings
// (HKEY_CURRENT_USER\SOFTWARE\NUV\Settings), one integer value per column.
#pragma once

#include <string>
#include <vector>

class CColumnTreeCtrl;

// Replaces each width whose name holds a saved value; answers how many were replaced. Widths
// without a name, and names without a width, are left alone.
int ReadSavedWidths(const std::vector<std::wstring>& names, std::vector<int>& widths);
// Writes the tree's current width of each named column that exists; false when one could not be
// written.
bool SaveColumnWidths(const CColumnTreeCtrl& tree, const std::vector<std::wstring>& names);
// The starting widths before saved ones apply: the usable width (client width less a vertical
// scroll bar) cut into `units` equal parts, column i getting shares[i] parts less shares[i] pixels.
std::vector<int> ProportionalWidths(int clientWidth, int units, const std::vector<int>& shares);
