// CValueObject: the smallest automation object, answering its default property (DISPID_VALUE)
// with a fixed value and counting its references, for tests of conversion and ownership.
#pragma once

#include "platform/automation.h"
#include "platform/variant.h"
#include "tests/support/test_owned_dispatch.h"

namespace test_support {

// The VT_NULL value, which Excel answers for a property of a range whose cells differ.
inline CVariant NullVariant() {
  CVariant null;
  null.Receive()->vt = VT_NULL;
  return null;
}

class CValueObject final : public CTestOwnedDispatch {
 public:
  explicit CValueObject(const CVariant& value) : value_(value) {}
  virtual ~CValueObject() = default;

  int Invocations() const { return invocations_; }

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
  int invocations_ = 0;
};

}  // namespace test_support
