// Excel's main window and sheet window for the add-in to find and own its windows by.
#include "tests/excel_host/excel_main_window.h"

namespace {

// The sheet window's control id; Excel's own is of no consequence to the add-in.
constexpr UINT_PTR kSheetWindowId = 1;

}  // namespace

CExcelMainWindow::CExcelMainWindow() {
  CWindowBase::ClassLook frameLook;
  frameLook.background = CWindowBase::SystemColorBrush(COLOR_APPWORKSPACE);
  frameLook.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
  const RECT frameRect{40, 40, 840, 640};
  if (!frame_.Create(kExcelMainWindowClass, frameLook, 0, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                     L"Book1.xlsx - Excel test host", nullptr, 0, frameRect)) {
    return;
  }
  CWindowBase::ClassLook sheetLook;
  sheetLook.background = CWindowBase::SystemColorBrush(COLOR_WINDOW);
  sheetLook.cursor = frameLook.cursor;
  RECT client{};
  ::GetClientRect(frame_.Hwnd(), &client);
  if (!sheet_.Create(kExcelSheetWindowClass, sheetLook, 0, WS_CHILD | WS_VISIBLE, L"Book1.xlsx",
                     frame_.Hwnd(), kSheetWindowId, client)) {
    return;
  }
}
