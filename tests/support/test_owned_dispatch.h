// CTestOwnedDispatch: what every automation object a test makes shares: IUnknown and IDispatch
// (and any further interface the object names) answered with the object itself, a reference
// count the test reads but that never deletes, and no type information.
#pragma once

#include "platform/automation.h"

namespace test_support {

class CTestOwnedDispatch : public IDispatch {
 public:
  virtual ~CTestOwnedDispatch() = default;

  ULONG References() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || AlsoAnswers(iid)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lifetime stays with the test; zero never deletes.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 protected:
  // An interface besides IUnknown and IDispatch that the object answers as itself.
  virtual bool AlsoAnswers(REFIID) const { return false; }

 private:
  ULONG references_ = 1;
};

}  // namespace test_support
