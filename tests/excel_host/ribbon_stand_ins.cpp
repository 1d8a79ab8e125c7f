// The loaded ribbon and the ribbon control of the test host.
#include "tests/excel_host/ribbon_stand_ins.h"

#include <array>
#include <new>
#include <string_view>

#include "platform/bstr.h"
#include "platform/text_case.h"

namespace {

struct RibbonMemberName {
  std::wstring_view name;
  DISPID id;
};

// IRibbonUI's members after Invalidate, numbered in slot order.
constexpr DISPID kInvalidateControlId = 2;
constexpr DISPID kInvalidateControlMsoId = 3;

constexpr std::array kRibbonUiNames = {
    RibbonMemberName{L"Invalidate", kRibbonInvalidateId},
    RibbonMemberName{L"InvalidateControl", kInvalidateControlId},
    RibbonMemberName{L"InvalidateControlMso", kInvalidateControlMsoId},
};

constexpr std::array kRibbonControlNames = {
    RibbonMemberName{L"Id", kRibbonControlIdId},
    RibbonMemberName{L"Context", kRibbonControlContextId},
    RibbonMemberName{L"Tag", kRibbonControlTagId},
};

template <std::size_t N>
HRESULT LookUpRibbonNames(const std::array<RibbonMemberName, N>& table, LPOLESTR* names, UINT count,
                          DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (names[0] != nullptr) {
    const std::wstring wanted = UpperCase(names[0]);
    for (const RibbonMemberName& entry : table) {
      if (UpperCase(entry.name) == wanted) ids[0] = entry.id;
    }
  }
  return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT AnswerText(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  try {
    *out = CBstr(text).Detach();
  } catch (const std::bad_alloc&) {
    *out = nullptr;
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace

CComPtr<CHostRibbonUi> CHostRibbonUi::Create() {
  CComPtr<CHostRibbonUi> ribbon;
  ribbon.Attach(new CHostRibbonUi());
  return ribbon;
}

HRESULT CHostRibbonUi::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, IID_IRibbonUI)) {
    *object = static_cast<IRibbonUI*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CHostRibbonUi::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CHostRibbonUi::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CHostRibbonUi::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostRibbonUi::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return LookUpRibbonNames(kRibbonUiNames, names, count, ids);
}

HRESULT CHostRibbonUi::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                              UINT*) {
  switch (member) {
    case kRibbonInvalidateId:
      return Invalidate();
    case kInvalidateControlId:
    case kInvalidateControlMsoId:
      ++controlInvalidations_;
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CHostRibbonUi::Invalidate() {
  ++invalidations_;
  return S_OK;
}

HRESULT CHostRibbonUi::InvalidateControl(BSTR) {
  ++controlInvalidations_;
  return S_OK;
}

HRESULT CHostRibbonUi::InvalidateControlMso(BSTR) {
  ++controlInvalidations_;
  return S_OK;
}

HRESULT CHostRibbonUi::ActivateTab(BSTR) {
  return S_OK;
}

HRESULT CHostRibbonUi::ActivateTabMso(BSTR) {
  return S_OK;
}

HRESULT CHostRibbonUi::ActivateTabQ(BSTR, BSTR) {
  return S_OK;
}

CComPtr<CHostRibbonControl> CHostRibbonControl::Create(std::wstring id, std::wstring tag,
                                                       bool readable) {
  CComPtr<CHostRibbonControl> control;
  control.Attach(new CHostRibbonControl(std::move(id), std::move(tag), readable));
  return control;
}

HRESULT CHostRibbonControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, IID_IRibbonControl)) {
    *object = static_cast<IRibbonControl*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CHostRibbonControl::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CHostRibbonControl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CHostRibbonControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostRibbonControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return LookUpRibbonNames(kRibbonControlNames, names, count, ids);
}

HRESULT CHostRibbonControl::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) {
  if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  switch (member) {
    case kRibbonControlIdId:
    case kRibbonControlTagId: {
      BSTR text = nullptr;
      const HRESULT hr = member == kRibbonControlIdId ? get_Id(&text) : get_Tag(&text);
      if (SUCCEEDED(hr)) {
        result->vt = VT_BSTR;
        result->bstrVal = text;
      }
      return hr;
    }
    case kRibbonControlContextId: {
      IDispatch* context = nullptr;
      const HRESULT hr = get_Context(&context);
      if (SUCCEEDED(hr)) {
        result->vt = VT_DISPATCH;
        result->pdispVal = context;
      }
      return hr;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CHostRibbonControl::get_Id(BSTR* id) {
  if (!readable_) return E_FAIL;
  return AnswerText(id_, id);
}

HRESULT CHostRibbonControl::get_Context(IDispatch** context) {
  if (context == nullptr) return E_POINTER;
  *context = nullptr;  // The window a control sits in; the add-in never reads it.
  return readable_ ? S_OK : E_FAIL;
}

HRESULT CHostRibbonControl::get_Tag(BSTR* tag) {
  if (!readable_) return E_FAIL;
  return AnswerText(tag_, tag);
}
