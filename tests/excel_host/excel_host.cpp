// The test host's Excel: start and exit of the add-in, ribbon callbacks, and the user's actions
// on workbooks with the events they raise.
#include "tests/excel_host/excel_host.h"

#include <objbase.h>

#include <optional>

using test_support::Arg;
using test_support::GetObjectOf;

bool EnterExcelApartment() {
  static const bool entered = [] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr);
  }();
  return entered;
}

CExcelHost::CExcelHost()
    : apartment_(EnterExcelApartment()),
      application_(CHostApplication::Create(
          std::make_shared<spreadsheet::CSpreadsheetApplication>(), window_.Frame())),
      entry_(application_->ComAddIns().Add(kAddInProgIdText, L"Trelvane")),
      ribbon_(CHostRibbonUi::Create()) {}

CExcelHost::~CExcelHost() {
  UnloadAddIn();
}

HRESULT CExcelHost::StartAddIn(bool startupComplete) {
  if (const HRESULT hr = addIn_.Create(kAddInProgIdText); FAILED(hr)) return hr;
  if (const HRESULT hr = addIn_.OnConnection(ApplicationDispatch(), entry_.Get()); FAILED(hr)) {
    return hr;
  }
  // Excel before 12 (2003 and older) has no ribbon to ask for.
  const std::optional<int> major = application_->VersionMajor();
  if (!major || *major >= 12) {
    std::wstring document;
    if (const HRESULT hr = addIn_.GetCustomUi(kExcelWorkbookRibbonId, &document); FAILED(hr)) {
      return hr;
    }
    // Office hands the loaded ribbon to the onLoad callback the document names.
    if (const HRESULT hr =
            addIn_.CallByName(L"OnLoadCustomUI", {CVariant(static_cast<IDispatch*>(ribbon_.Get()))})
                .hr;
        FAILED(hr)) {
      return hr;
    }
  }
  return startupComplete ? addIn_.OnStartupComplete() : S_OK;
}

void CExcelHost::UnloadAddIn() {
  if (!addIn_.IsCreated()) return;
  addIn_.OnBeginShutdown();
  addIn_.OnDisconnection();
  entry_->DropPublishedObject();
  addIn_.Release();
}

test_support::DispatchAnswer CExcelHost::ClickRibbonControl(std::wstring_view controlId) {
  return RibbonCallback(L"ButtonClicked", controlId);
}

test_support::DispatchAnswer CExcelHost::RibbonCallback(std::wstring_view callback,
                                                        std::wstring_view controlId) {
  const CComPtr<CHostRibbonControl> control =
      CHostRibbonControl::Create(std::wstring(controlId), std::wstring(controlId));
  return addIn_.CallByName(callback, {CVariant(static_cast<IDispatch*>(control.Get()))});
}

std::shared_ptr<spreadsheet::CWorkbook> CExcelHost::OpenWorkbook(const std::wstring& name) {
  auto workbook = std::make_shared<spreadsheet::CWorkbook>(name);
  workbook->AddSheet(L"Sheet1");
  OpenWorkbook(workbook);
  return workbook;
}

void CExcelHost::OpenWorkbook(const std::shared_ptr<spreadsheet::CWorkbook>& workbook) {
  Spreadsheet().AddWorkbook(workbook);
  application_->RaiseEvent(kAppEventWorkbookOpen, {CVariant(ActiveWorkbook().Get())});
}

bool CExcelHost::CloseWorkbook(std::wstring_view name) {
  const CComPtr<IDispatch> workbooks = GetObjectOf(application_->Embedded(), L"Workbooks");
  const CComPtr<IDispatch> workbook = GetObjectOf(workbooks.Get(), L"Item", {CVariant(name)});
  if (!workbook) return false;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancelArgument;
  VariantInit(&cancelArgument);
  cancelArgument.vt = VT_BYREF | VT_BOOL;
  cancelArgument.pboolVal = &cancel;
  application_->RaiseEvent(kAppEventWorkbookBeforeClose,
                           {CVariant(workbook.Get()), CVariant(cancelArgument)});
  if (cancel != VARIANT_FALSE) return false;
  for (const std::shared_ptr<spreadsheet::CWorkbook>& open : Spreadsheet().Workbooks()) {
    if (open->Name() == name) {
      const std::shared_ptr<spreadsheet::CWorkbook> closing = open;
      Spreadsheet().CloseWorkbook(*closing);
      return true;
    }
  }
  return false;
}

bool CExcelHost::WriteCell(int sheet, std::wstring_view address, std::wstring_view formula) {
  return test_support::Put(Range(sheet, address).Get(), L"Formula", CVariant(formula)).Succeeded();
}

bool CExcelHost::ChangeCell(int sheet, std::wstring_view address, std::wstring_view formula) {
  const CComPtr<IDispatch> target = Range(sheet, address);
  if (!test_support::Put(target.Get(), L"Formula", CVariant(formula)).Succeeded()) return false;
  application_->RaiseEvent(kAppEventSheetChange,
                           {CVariant(Sheet(sheet).Get()), CVariant(target.Get())});
  return true;
}

void CExcelHost::Recalculate() {
  test_support::Call(application_->Embedded(), L"Calculate");
  const CComPtr<IDispatch> sheets = GetObjectOf(ActiveWorkbook().Get(), L"Worksheets");
  const LONG count = test_support::Get(sheets.Get(), L"Count").Long();
  for (LONG index = 1; index <= count; ++index) {
    application_->RaiseEvent(kAppEventSheetCalculate,
                             {CVariant(Sheet(static_cast<int>(index)).Get())});
  }
}

bool CExcelHost::Select(int sheet, std::wstring_view address) {
  return test_support::Call(Sheet(sheet).Get(), L"Activate").Succeeded() &&
         test_support::Call(Range(sheet, address).Get(), L"Select").Succeeded();
}

CComPtr<IDispatch> CExcelHost::ActiveWorkbook() const {
  return GetObjectOf(application_->Embedded(), L"ActiveWorkbook");
}

CComPtr<IDispatch> CExcelHost::Sheet(int index) const {
  const CComPtr<IDispatch> sheets = GetObjectOf(ActiveWorkbook().Get(), L"Worksheets");
  return GetObjectOf(sheets.Get(), L"Item", {Arg(index)});
}

CComPtr<IDispatch> CExcelHost::Range(int sheet, std::wstring_view address) const {
  return GetObjectOf(Sheet(sheet).Get(), L"Range", {CVariant(address)});
}
