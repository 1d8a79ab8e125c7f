// CValueObject: the smallest automation object, answering its default property (DISPID_VALUE)
// with a fixed value and counting its references, for tests of conversion and ownership.
#pragma once

#include "platform/automation.h"
#include "platform/variant.h"

namespace test_support {

// The VT_NULL value, which Excel answers for a property of a range whose cells differ.
inline CVariant NullVariant() {
  CVariant null;
  null.Receive()->vt = VT_NULL;
  return null;
}

class CValueObject final : public IDispatch {
 public:
  explicit CValueObject(const CVariant& value) : value_(value) {}
  virtual ~CValueObject() = default;

  ULONG References() const { return references_; }
  int Invocations() const { return invocations_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lifetime stays with the test, which checks the count; zero never deletes.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    ++invocations_;
    if (member != DISPID_VALUE || (flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr) return S_OK;
    VariantInit(result);
    return VariantCopy(result, value_.GetSource());
  }

 private:
  CVariant value_;
  ULONG references_ = 1;
  int invocations_ = 0;
};

}  // namespace test_support
