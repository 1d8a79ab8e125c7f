// The evaluate window's column tree: its widths are written back when it goes.
#include "views/win32/evaluation_tree_ctrl.h"

#include "views/win32/column_width_settings.h"

const std::vector<std::wstring>& CEvaluationTreeCtrl::WidthNames() {
  static const std::vector<std::wstring> names{L"Evaluate_FormulaWidth", L"Evaluate_ValueWidth"};
  return names;
}

std::vector<int> CEvaluationTreeCtrl::DefaultWidths(int clientWidth) {
  return ProportionalWidths(clientWidth, 10, {7, 3});
}

LRESULT CEvaluationTreeCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (message == WM_DESTROY) SaveColumnWidths(*this, WidthNames());
  return CColumnTreeCtrl::OnMessage(message, wParam, lParam, handled);
}
