// The trace window's column tree: colouring through the owner, widths kept when it goes.
#include "views/win32/cell_tree_ctrl.h"

#include "views/win32/column_width_settings.h"

const std::vector<std::wstring>& CCellTreeCtrl::WidthNames() {
  static const std::vector<std::wstring> names{L"Tree_CellWidth", L"Tree_SheetWidth",
                                               L"Tree_ValueWidth", L"Tree_FormulaWidth"};
  return names;
}

std::vector<int> CCellTreeCtrl::DefaultWidths(int clientWidth) {
  return ProportionalWidths(clientWidth, 20, {7, 3, 3, 8});
}

int CCellTreeCtrl::ReadSavedWidths(const std::vector<std::wstring>& names,
                                   std::vector<int>& widths) {
  return ::ReadSavedWidths(names, widths);
}

LRESULT CCellTreeCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  // The children still exist while the static hears of its destruction.
  if (message == WM_DESTROY) SaveColumnWidths(*this, WidthNames());
  return CColumnTreeCtrl::OnMessage(message, wParam, lParam, handled);
}

HFONT CCellTreeCtrl::ItemColorHook(HTREEITEM item, bool highlighted, HDC dc, HFONT font) {
  return manager_ != nullptr ? manager_->ItemColor(item, highlighted, dc, font) : font;
}
