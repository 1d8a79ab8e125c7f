// Reading and writing the column trees' widths through the windows' settings.
#include "views/win32/column_width_settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "views/win32/column_tree_ctrl.h"
#include "views/win32/settings_registry.h"

int ReadSavedWidths(const std::vector<std::wstring>& names, std::vector<int>& widths) {
  int replaced = 0;
  const size_t count = std::min(names.size(), widths.size());
  for (size_t i = 0; i < count; ++i) {
    int32_t saved = 0;
    if (ReadWindowSetting(names[i], &saved)) {
      widths[i] = saved;
      ++replaced;
    }
  }
  return replaced;
}

bool SaveColumnWidths(const CColumnTreeCtrl& tree, const std::vector<std::wstring>& names) {
  bool written = true;
  const int count = tree.ColumnCount();
  for (size_t i = 0; i < names.size() && static_cast<int>(i) < count; ++i) {
    written = WriteWindowSetting(names[i], tree.ColumnWidth(static_cast<int>(i))) && written;
  }
  return written;
}

std::vector<int> ProportionalWidths(int clientWidth, int units, const std::vector<int>& shares) {
  const int unit = units > 0 ? (clientWidth - ::GetSystemMetrics(SM_CXVSCROLL)) / units : 0;
  std::vector<int> widths;
  widths.reserve(shares.size());
  for (const int share : shares) widths.push_back(share * unit - share);
  return widths;
}
