// Moving a trace window off the cells it has just selected in Excel.
#pragma once

#include <windows.h>

#include "excel/excel_object.h"
#include "views/move_aside.h"

// The real window hierarchy as the workbook-window search walks it.
class CWin32WindowTree final : public IWindowTree {
 public:
  std::wstring Text(WindowNode window) const override;
  std::wstring ClassName(WindowNode window) const override;
  std::vector<WindowNode> Children(WindowNode window) const override;

  static HWND ToHwnd(WindowNode node) { return reinterpret_cast<HWND>(node); }
  static WindowNode ToNode(HWND window) { return reinterpret_cast<WindowNode>(window); }
};

// Finds the active window's "EXCEL7" window under Excel's main window, measures the selection
// there and moves `topLevel` (keeping its size) below, above, left or right of it, the first
// that fits in the work area. True when the window moved.
bool MoveAsideFrom(HWND topLevel, const ExcelObject& application);
