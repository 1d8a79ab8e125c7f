// Creating the add-in by ProgID and calling its entry points as Excel does.
#include "tests/excel_host/loaded_addin.h"

#include "platform/bstr.h"

namespace {

// Excel's custom argument: an empty array of variants, which the add-in may not rely on.
CVariant EmptyCustomArray() {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_ARRAY | VT_VARIANT;
  value.parray = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  if (value.parray == nullptr) value.vt = VT_EMPTY;
  return CVariant::Adopt(&value);
}

}  // namespace

HRESULT CLoadedAddIn::Create(const wchar_t* progId) {
  Release();
  CLSID classId{};
  if (const HRESULT hr = CLSIDFromProgID(progId, &classId); FAILED(hr)) return hr;
  if (const HRESULT hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(object_.Receive()));
      FAILED(hr)) {
    return hr;
  }
  object_.QueryInterface(IID_IDTExtensibility2, &extensibility_);
  object_.QueryInterface(IID_IRibbonExtensibility, &ribbon_);
  object_.QueryInterface(IID_IDispatch, &dispatch_);
  return S_OK;
}

HRESULT CLoadedAddIn::OnConnection(IDispatch* application, IDispatch* addInInst,
                                   ext_ConnectMode mode) {
  if (!extensibility_) return E_NOINTERFACE;
  CVariant custom = EmptyCustomArray();
  return extensibility_->OnConnection(application, mode, addInInst, &custom.GetMutable()->parray);
}

HRESULT CLoadedAddIn::OnStartupComplete() {
  if (!extensibility_) return E_NOINTERFACE;
  CVariant custom = EmptyCustomArray();
  return extensibility_->OnStartupComplete(&custom.GetMutable()->parray);
}

HRESULT CLoadedAddIn::OnBeginShutdown() {
  if (!extensibility_) return E_NOINTERFACE;
  CVariant custom = EmptyCustomArray();
  return extensibility_->OnBeginShutdown(&custom.GetMutable()->parray);
}

HRESULT CLoadedAddIn::OnDisconnection(ext_DisconnectMode mode) {
  if (!extensibility_) return E_NOINTERFACE;
  CVariant custom = EmptyCustomArray();
  return extensibility_->OnDisconnection(mode, &custom.GetMutable()->parray);
}

HRESULT CLoadedAddIn::GetCustomUi(std::wstring_view ribbonId, std::wstring* xml) {
  if (!ribbon_) return E_NOINTERFACE;
  const CBstr id(ribbonId);
  CBstr answer;
  const HRESULT hr = ribbon_->GetCustomUI(id.Get(), answer.Receive());
  if (xml != nullptr) *xml = answer.ToWString();
  return hr;
}

test_support::DispatchAnswer CLoadedAddIn::CallByName(std::wstring_view member,
                                                      const std::vector<CVariant>& args) const {
  return test_support::Call(dispatch_.Get(), member, args);
}

void CLoadedAddIn::Release() {
  dispatch_.Reset();
  ribbon_.Reset();
  extensibility_.Reset();
  object_.Reset();
}
