// CVariant.
#include "platform/variant.h"

#include <cstring>
#include <new>

#include "platform/bstr.h"

namespace {

void ThrowIfOutOfMemory(HRESULT result) {
  if (result == E_OUTOFMEMORY) throw std::bad_alloc();
}

}  // namespace

CVariant::CVariant(LONG number) : CVariant() {
  value_.vt = VT_I4;
  value_.lVal = number;
}

CVariant::CVariant(double number) : CVariant() {
  value_.vt = VT_R8;
  value_.dblVal = number;
}

CVariant::CVariant(bool truth) : CVariant() {
  value_.vt = VT_BOOL;
  value_.boolVal = truth ? VARIANT_TRUE : VARIANT_FALSE;
}

CVariant::CVariant(std::wstring_view text) : CVariant() {
  value_.bstrVal = CBstr(text).Detach();
  value_.vt = VT_BSTR;
}

CVariant::CVariant(IDispatch* object) : CVariant() {
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object;
  if (object != nullptr) object->AddRef();
}

CVariant::CVariant(const VARIANT& value) : CVariant() {
  ThrowIfOutOfMemory(VariantCopy(&value_, const_cast<VARIANT*>(&value)));
}

CVariant::CVariant(CVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

CVariant& CVariant::operator=(CVariant other) noexcept {
  VARIANT held = value_;
  value_ = other.value_;
  other.value_ = held;
  return *this;
}

CVariant CVariant::Missing() { return Error(DISP_E_PARAMNOTFOUND); }

CVariant CVariant::Error(SCODE code) {
  CVariant result;
  result.value_.vt = VT_ERROR;
  result.value_.scode = code;
  return result;
}

CVariant CVariant::Adopt(VARIANT* value) {
  CVariant result;
  result.value_ = *value;
  VariantInit(value);
  return result;
}

VARIANT* CVariant::Receive() {
  Clear();
  return &value_;
}

void CVariant::Detach(VARIANT* destination) {
  *destination = value_;
  VariantInit(&value_);
}

void CVariant::Clear() { VariantClear(&value_); }

HRESULT CVariant::ChangeType(VARTYPE type, CVariant* result, USHORT flags) const {
  const HRESULT changed = VariantChangeTypeEx(result->Receive(), GetSource(), kLocaleEnglishUS, flags, type);
  ThrowIfOutOfMemory(changed);
  return changed;
}
