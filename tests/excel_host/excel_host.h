// CExcelHost: Excel as the add-in meets it, on the calling thread (which plays Excel's main
// thread): the main window, the Application over the embedded spreadsheet, the add-in's entry in
// COMAddIns, the loaded ribbon, and the add-in itself, loaded and unloaded in Excel's order. What
// a user does to workbooks (open, change a cell, recalculate, close) raises Excel's events.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "tests/excel_host/com_addins.h"
#include "tests/excel_host/excel_main_window.h"
#include "tests/excel_host/host_application.h"
#include "tests/excel_host/loaded_addin.h"
#include "tests/excel_host/ribbon_stand_ins.h"
#include "tests/support/workbook_dispatch.h"

inline constexpr wchar_t kAddInProgIdText[] = L"NUV.Connect";
// The ribbon id Excel passes to GetCustomUI for its workbook window.
inline constexpr wchar_t kExcelWorkbookRibbonId[] = L"Microsoft.Excel.Workbook";

// The thread's single-threaded apartment, entered once for the test process and never left:
// leaving the last one would unload the add-in's module under its UI thread.
bool EnterExcelApartment();

class CExcelHost {
 public:
  CExcelHost();
  // Unloads the add-in as Excel does at exit, then the windows go.
  ~CExcelHost();
  CExcelHost(const CExcelHost&) = delete;
  CExcelHost& operator=(const CExcelHost&) = delete;

  bool IsValid() const { return apartment_ && window_.IsValid() && application_; }
  const CExcelMainWindow& MainWindow() const { return window_; }
  CHostApplication& Application() const { return *application_.Get(); }
  IDispatch* ApplicationDispatch() const {
    return static_cast<IDispatch*>(static_cast<spreadsheet::CDispatchObject*>(application_.Get()));
  }
  spreadsheet::CSpreadsheetApplication& Spreadsheet() const { return *application_->Spreadsheet(); }
  CComAddInObject& AddInEntry() const { return *entry_.Get(); }
  CHostRibbonUi& Ribbon() const { return *ribbon_.Get(); }
  CLoadedAddIn& AddIn() { return addIn_; }

  // The add-in's start as Excel 2007 and later make it: created by ProgID, connected at start-up
  // with its COMAddIns entry, asked for its ribbon, handed the loaded ribbon, told that start-up
  // is complete; a chosen Version below 12 skips the ribbon. Stops at the first failure and
  // answers it.
  HRESULT StartAddIn(bool startupComplete = true);
  // Excel's exit: OnBeginShutdown, OnDisconnection, the published object dropped, the last
  // release. Nothing when no add-in is loaded.
  void UnloadAddIn();

  // A ribbon callback as Office makes it: by name, with a control of the host's.
  test_support::DispatchAnswer ClickRibbonControl(std::wstring_view controlId);
  test_support::DispatchAnswer RibbonCallback(std::wstring_view callback,
                                              std::wstring_view controlId);

  // Workbooks. A new blank one ("Book1.xlsx" with Sheet1) or a given one is opened and becomes
  // active; WorkbookOpen follows.
  std::shared_ptr<spreadsheet::CWorkbook> OpenWorkbook(const std::wstring& name = L"Book1.xlsx");
  void OpenWorkbook(const std::shared_ptr<spreadsheet::CWorkbook>& workbook);
  // WorkbookBeforeClose, then the workbook closes unless a sink cancelled; true when it closed.
  bool CloseWorkbook(std::wstring_view name);
  // Writes a cell as the workbook stood when opened: no event.
  bool WriteCell(int sheet, std::wstring_view address, std::wstring_view formula);
  // The user types into a cell: it is written, then SheetChange(sheet, target).
  bool ChangeCell(int sheet, std::wstring_view address, std::wstring_view formula);
  // Application.Calculate, then SheetCalculate for every sheet of the active workbook.
  void Recalculate();
  // Activates a sheet of the active workbook and selects a range on it.
  bool Select(int sheet, std::wstring_view address);

  // Objects of the active workbook, through the object model.
  CComPtr<IDispatch> ActiveWorkbook() const;
  CComPtr<IDispatch> Sheet(int index) const;
  CComPtr<IDispatch> Range(int sheet, std::wstring_view address) const;

 private:
  bool apartment_;
  CExcelMainWindow window_;
  CComPtr<CHostApplication> application_;
  CComPtr<CComAddInObject> entry_;
  CComPtr<CHostRibbonUi> ribbon_;
  CLoadedAddIn addIn_;
};
