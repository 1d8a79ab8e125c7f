// CExcelMainWindow: the windows the add-in finds where Excel runs: a top-level frame of class
// "XLMAIN" and, inside it, the sheet window of class "EXCEL7", made on the thread that plays
// Excel's main thread.
#pragma once

#include <windows.h>

#include "views/win32/window_base.h"

inline constexpr wchar_t kExcelMainWindowClass[] = L"XLMAIN";
inline constexpr wchar_t kExcelSheetWindowClass[] = L"EXCEL7";

// Invariant: both windows belong to the thread that created the object and are destroyed with
// it. The frame stays hidden: the add-in only finds and owns by it, and under Wine each shown
// top-level window costs seconds to map and unmap.
class CExcelMainWindow {
 public:
  CExcelMainWindow();
  CExcelMainWindow(const CExcelMainWindow&) = delete;
  CExcelMainWindow& operator=(const CExcelMainWindow&) = delete;

  bool IsValid() const { return frame_.Hwnd() != nullptr && sheet_.Hwnd() != nullptr; }
  HWND Frame() const { return frame_.Hwnd(); }
  HWND Sheet() const { return sheet_.Hwnd(); }

 private:
  // Plain windows: every message goes to the default procedure.
  class CPlainWindow final : public CWindowBase {};

  CPlainWindow frame_;
  CPlainWindow sheet_;
};
