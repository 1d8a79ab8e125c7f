// VariantInit, VariantClear, VariantCopy and VariantCopyInd.
#include <cstring>

#include "platform/stand_in/dispatch.h"
#include "platform/stand_in/oleauto.h"
#include "platform/stand_in/variant_kinds.h"

void VariantInit(VARIANT* value) {
  if (value == nullptr) return;
  std::memset(value, 0, sizeof *value);
  value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  if (!stand_in::IsStorableKind(value->vt)) return DISP_E_BADVARTYPE;
  HRESULT result = S_OK;
  if ((value->vt & VT_BYREF) == 0) {
    if ((value->vt & VT_ARRAY) != 0) {
      result = value->parray != nullptr ? SafeArrayDestroy(value->parray) : S_OK;
      if (FAILED(result)) return result;  // A locked array stays where it is.
    } else if (value->vt == VT_BSTR) {
      SysFreeString(value->bstrVal);
    } else if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) {
      if (value->punkVal != nullptr) value->punkVal->Release();
    }
  }
  VariantInit(value);
  return result;
}

HRESULT VariantCopy(VARIANT* destination, VARIANT* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (destination == source) return S_OK;
  if (!stand_in::IsStorableKind(source->vt)) return DISP_E_BADVARTYPE;
  if (const HRESULT cleared = VariantClear(destination); FAILED(cleared)) return cleared;

  VARIANT copy = *source;
  if ((source->vt & VT_BYREF) == 0) {
    if ((source->vt & VT_ARRAY) != 0) {
      copy.parray = nullptr;
      if (source->parray != nullptr) {
        if (const HRESULT copied = SafeArrayCopy(source->parray, &copy.parray); FAILED(copied)) {
          return copied;
        }
      }
    } else if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
      copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) &&
               source->punkVal != nullptr) {
      source->punkVal->AddRef();
    }
  }
  *destination = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* destination, VARIANT* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if ((source->vt & VT_BYREF) == 0) return VariantCopy(destination, source);
  if (!stand_in::IsStorableKind(source->vt)) return DISP_E_BADVARTYPE;

  const VARTYPE target = static_cast<VARTYPE>(source->vt & ~VT_BYREF);
  VARIANT direct;
  VariantInit(&direct);
  if (target == VT_VARIANT) {
    if (source->pvarVal == nullptr || (source->pvarVal->vt & VT_BYREF) != 0) return E_INVALIDARG;
    direct = *source->pvarVal;
  } else if ((target & VT_ARRAY) != 0) {
    direct.vt = target;
    direct.parray = *static_cast<SAFEARRAY**>(source->byref);
  } else {
    const std::size_t size = stand_in::ScalarSize(target);
    if (size == 0 || source->byref == nullptr) return E_INVALIDARG;
    direct.vt = target;
    std::memcpy(&direct.llVal, source->byref, size);
  }
  if (destination == source) {
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT result = VariantCopy(&copy, &direct);
    if (SUCCEEDED(result)) *destination = copy;
    return result;
  }
  return VariantCopy(destination, &direct);
}
