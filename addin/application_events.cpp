// CEventHandlerApp: Excel's application events to the manager's reactions.
#include "addin/application_events.h"

#include <exception>
#include <new>
#include <string>

#include "addin/addin_manager.h"
#include "excel/excel_object.h"

namespace {

// Event arguments arrive last first: argument `index` (from 0, in the event's own order) of
// `count` is rgvarg[count - 1 - index]. Null unless it is an object.
IDispatch* ObjectArgument(const DISPPARAMS& params, UINT count, UINT index) {
  if (params.cArgs != count || params.rgvarg == nullptr) return nullptr;
  const VARIANT& argument = params.rgvarg[count - 1 - index];
  return argument.vt == VT_DISPATCH ? argument.pdispVal : nullptr;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CEventHandlerApp::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CEventHandlerApp::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CEventHandlerApp::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CEventHandlerApp::Invoke(DISPID member, REFIID, LCID, WORD,
                                                   DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                                   UINT*) {
  if (manager_ == nullptr || params == nullptr) return S_OK;
  const wchar_t* context = L"Error occured:";
  // Nothing may escape into Excel: what a reaction throws is reported here.
  try {
    switch (member) {
      case kSheetCalculateEvent:
        if (IDispatch* sheet = ObjectArgument(*params, 1, 0)) {
          manager_->OnSheetCalculate(ExcelObject(sheet));
        }
        break;
      case kSheetChangeEvent:
        if (IDispatch* sheet = ObjectArgument(*params, 2, 0)) {
          manager_->OnSheetChange(ExcelObject(sheet));
        }
        break;
      case kWorkbookOpenEvent:
        context = L"Error occured when opening workbook:";
        if (ObjectArgument(*params, 1, 0) != nullptr) manager_->OnWorkbookOpen();
        break;
      case kWorkbookBeforeCloseEvent:
        context = L"Error occured when closing workbook:";
        // The cancel argument is Excel's to keep; it is never changed.
        if (IDispatch* workbook = ObjectArgument(*params, 2, 0)) {
          std::wstring name;
          if (ExcelObject(workbook).GetText(L"Name", &name)) {
            manager_->OnWorkbookBeforeClose(name);
          }
        }
        break;
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    Report(E_OUTOFMEMORY, context);
  } catch (...) {
    Report(E_UNEXPECTED, context);
  }
  return S_OK;
}

void CEventHandlerApp::Report(HRESULT error, const wchar_t* context) const noexcept {
  if (!report_) return;
  try {
    report_(error, context);
  } catch (...) {
    // Out of memory while saying so: nothing more can be shown.
  }
}
