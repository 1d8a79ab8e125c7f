#include "addin/win32/addin_object.h"

#include <new>
#include <string>

#include "addin/addin_manager.h"
#include "addin/ribbon_ui.h"
#include "addin/trace_item.h"
#include "addin/win32/addin_ids.h"
#include "addin/win32/addin_session.h"
#include "addin/win32/icon_picture.h"
#include "excel/excel_object.h"
#include "platform/bstr.h"
#include "platform/text_case.h"
#include "platform/variant.h"

namespace {

enum ConnectMember : DISPID {
  kButtonClicked = 1,
  kLoadImage,
  kGetDescription,
  kGetScreentip,
  kGetSupertip,
  kGetKeytip,
  kGetButtonVisible,
  kGetButtonLabel,
  kOnLoadCustomUI,
  kTest,
  kTrace
};

constexpr std::wstring_view kExtensibilityMembers[] = {
    L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate", L"OnStartupComplete",
    L"OnBeginShutdown"};

// Binds the first name against a member table whose ids count from 1; members take no named
// arguments.
template <size_t N>
HRESULT IdsOfNames(const std::wstring_view (&members)[N], LPOLESTR* names, UINT count,
                   DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (size_t i = 0; i < N; ++i) {
    if (names[0] != nullptr && EqualsNoCase(names[0], members[i])) {
      ids[0] = static_cast<DISPID>(i + 1);
    }
  }
  for (UINT i = 0; i < count; ++i) {
    if (ids[i] == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
  }
  return S_OK;
}

// Argument `index` (from 0, in the member's own order) of a call: automation passes them last
// first. Converted to `type`; false when missing or of another kind.
bool Argument(const DISPPARAMS& params, UINT index, VARTYPE type, CVariant* value) {
  if (index >= params.cArgs || params.rgvarg == nullptr) return false;
  return SUCCEEDED(CVariant(params.rgvarg[params.cArgs - 1 - index]).ChangeType(type, value));
}

// An object argument; null for a missing, empty or null one.
CComPtr<IDispatch> ObjectArgument(const DISPPARAMS& params, UINT index) {
  CVariant value;
  if (!Argument(params, index, VT_DISPATCH, &value)) return {};
  return CComPtr<IDispatch>(value.Get()->pdispVal);
}

std::wstring TextArgument(const DISPPARAMS& params, UINT index) {
  CVariant value;
  if (!Argument(params, index, VT_BSTR, &value)) return {};
  const BSTR text = value.Get()->bstrVal;
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// The ribbon control's id, read by name as from any IRibbonControl.
std::wstring ControlId(const DISPPARAMS& params) {
  std::wstring id;
  if (CComPtr<IDispatch> control = ObjectArgument(params, 0)) {
    ExcelObject(control.Get()).GetText(L"Id", &id);
  }
  return id;
}

void ReturnText(std::wstring_view text, VARIANT* result) {
  if (result != nullptr) CVariant(text).Detach(result);
}

}  // namespace

// An interface of the add-in object implemented beside it: its identity, count and type
// information are the object's.
template <class Interface>
class CAddInNestedInterface : public Interface {
 public:
  explicit CAddInNestedInterface(CAddIn& owner) : owner_(owner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return owner_.QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return owner_.GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return owner_.GetTypeInfo(index, locale, info);
  }
 protected:
  CAddIn& owner_;
};

class CAddIn::XDTExtensibility2 final : public CAddInNestedInterface<IDTExtensibility2> {
 public:
  using CAddInNestedInterface::CAddInNestedInterface;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    return IdsOfNames(kExtensibilityMembers, names, count, ids);
  }
  // For hosts that connect late-bound.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (result != nullptr) VariantInit(result);
    const DISPPARAMS none{};
    const DISPPARAMS& arguments = params != nullptr ? *params : none;
    switch (member) {
      case kOnConnectionId:
        return owner_.Connect(ObjectArgument(arguments, 0).Get(),
                              ObjectArgument(arguments, 2).Get());
      case kOnDisconnectionId:
      case kOnAddInsUpdateId:
        return S_OK;
      case kOnStartupCompleteId:
        return owner_.StartupComplete();
      case kOnBeginShutdownId:
        return owner_.BeginShutdown();
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode,
                                         IDispatch* addInInst, SAFEARRAY**) override {
    return owner_.Connect(application, addInInst);
  }
  // The manager lives until Excel releases the add-in object.
  HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override {
    return owner_.StartupComplete();
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override {
    return owner_.BeginShutdown();
  }
};

class CAddIn::XRibbonExtensibility final : public CAddInNestedInterface<IRibbonExtensibility> {
 public:
  using CAddInNestedInterface::CAddInNestedInterface;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    static constexpr std::wstring_view kMembers[] = {L"GetCustomUI"};
    return IdsOfNames(kMembers, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (member != kGetCustomUiId) return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr) return S_OK;
    VariantInit(result);
    BSTR xml = nullptr;
    const HRESULT answer = owner_.GetCustomUi(&xml);
    if (SUCCEEDED(answer)) {
      result->vt = VT_BSTR;
      result->bstrVal = xml;
    }
    return answer;
  }

  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR, BSTR* xml) override {
    return owner_.GetCustomUi(xml);
  }
};

CAddIn::CAddIn()
    : extensibility_(std::make_unique<XDTExtensibility2>(*this)),
      ribbon_(std::make_unique<XRibbonExtensibility>(*this)) {}

// The manager goes before the Application it holds a reference to.
CAddIn::~CAddIn() {
  session_.reset();
  application_.Reset();
}

HRESULT STDMETHODCALLTYPE CAddIn::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, DIID_IConnect)) {
    *object = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(iid, IID_IDTExtensibility2)) {
    *object = static_cast<IDTExtensibility2*>(extensibility_.get());
  } else if (IsEqualIID(iid, IID_IRibbonExtensibility)) {
    *object = static_cast<IRibbonExtensibility*>(ribbon_.get());
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE CAddIn::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE CAddIn::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE CAddIn::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CAddIn::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAddIn::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                DISPID* ids) {
  return IdsOfNames(kConnectMembers, names, count, ids);
}

HRESULT STDMETHODCALLTYPE CAddIn::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO*, UINT* argumentError) {
  if (result != nullptr) VariantInit(result);
  const DISPPARAMS none{};
  try {
    return InvokeMember(member, params != nullptr ? *params : none, result, argumentError);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT CAddIn::InvokeMember(DISPID member, const DISPPARAMS& params, VARIANT* result,
                             UINT* argumentError) {
  switch (member) {
    case kButtonClicked:
      if (session_) session_->ButtonClicked(ControlId(params));
      return S_OK;
    case kLoadImage: {
      CComPtr<IDispatch> picture = LoadImagePicture(TextArgument(params, 0));
      if (result != nullptr) CVariant(picture.Get()).Detach(result);
      return S_OK;
    }
    case kGetDescription:
    case kGetKeytip:
      ReturnText(L"", result);
      return S_OK;
    case kGetScreentip:
      ReturnText(ScreentipOf(ControlId(params)), result);
      return S_OK;
    case kGetSupertip:
      ReturnText(SupertipOf(ControlId(params)), result);
      return S_OK;
    case kGetButtonVisible: {
      const std::wstring id = ControlId(params);
      const bool visible = session_ ? session_->ButtonVisible(id) : RecentItemButtonVisible(id, 0);
      if (result != nullptr) CVariant(visible).Detach(result);
      return S_OK;
    }
    case kGetButtonLabel:
      ReturnText(session_ ? session_->ButtonLabel(ControlId(params)) : std::wstring(), result);
      return S_OK;
    case kOnLoadCustomUI:
      if (session_) session_->OnLoadCustomUi(ObjectArgument(params, 0).Get());
      return S_OK;
    case kTest:
      return S_OK;
    case kTrace: {
      if (params.cArgs != 2) return DISP_E_BADPARAMCOUNT;
      CVariant kind;
      if (!Argument(params, 1, VT_BSTR, &kind)) {
        if (argumentError != nullptr) *argumentError = 0;  // the last first: kind is rgvarg[0]
        return DISP_E_TYPEMISMATCH;
      }
      CComPtr<IDispatch> item;
      if (session_) {
        const BSTR text = kind.Get()->bstrVal;
        item = CTraceItem::Trace(session_->Manager(), ObjectArgument(params, 0).Get(),
                                 text == nullptr ? std::wstring_view()
                                                 : std::wstring_view(text, SysStringLen(text)));
      }
      if (result != nullptr) CVariant(item.Get()).Detach(result);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CAddIn::Connect(IDispatch* application, IDispatch* addInInst) {
  if (application == nullptr) return S_OK;
  try {
    application_.Reset(application);
    session_.reset();
    session_ = std::make_unique<CAddInSession>(ExcelObject(application));
    // Scripts reach IConnect as Application.COMAddIns("NUV.Connect").Object.
    if (addInInst != nullptr) {
      ExcelObject(addInInst).PutValue(L"Object", CVariant(static_cast<IDispatch*>(this)));
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT CAddIn::StartupComplete() {
  if (!application_ || !session_) return S_OK;
  try {
    session_->Start();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT CAddIn::BeginShutdown() {
  if (!session_) return S_OK;
  try {
    session_->Shutdown();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT CAddIn::GetCustomUi(BSTR* xml) {
  if (xml == nullptr) return E_POINTER;
  *xml = nullptr;
  try {
    const std::wstring document = session_ ? BuildCustomUi() : std::wstring();
    *xml = SysAllocStringLen(document.data(), static_cast<UINT>(document.size()));
    return *xml != nullptr ? S_OK : E_OUTOFMEMORY;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
