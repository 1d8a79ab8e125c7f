// CCountingDispatch: stands in front of an automation object and of every object reached from
// it, counting the calls made to each member name; for tests that prove how often the engine
// goes to the workbook.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/automation.h"
#include "platform/com_ptr.h"

namespace test_support {

using MemberCounts = std::map<std::wstring, int>;

class CCountingDispatch final : public IDispatch {
 public:
  // A new stand-in holding one reference, which the caller owns.
  static IDispatch* Wrap(IDispatch* inner, std::shared_ptr<MemberCounts> counts) {
    return new CCountingDispatch(inner, std::move(counts));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    const HRESULT hr = inner_->GetIDsOfNames(iid, names, count, locale, ids);
    if (SUCCEEDED(hr) && count > 0) members_[ids[0]] = names[0];
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument) override {
    ++(*counts_)[members_[id]];
    const HRESULT hr = inner_->Invoke(id, iid, locale, flags, params, result, exception, argument);
    // Whatever object comes back is counted too.
    if (SUCCEEDED(hr) && result != nullptr && result->vt == VT_DISPATCH &&
        result->pdispVal != nullptr) {
      IDispatch* answered = result->pdispVal;
      result->pdispVal = Wrap(answered, counts_);
      answered->Release();
    }
    return hr;
  }

 private:
  CCountingDispatch(IDispatch* inner, std::shared_ptr<MemberCounts> counts)
      : inner_(inner), counts_(std::move(counts)) {}
  ~CCountingDispatch() = default;

  CComPtr<IDispatch> inner_;
  std::shared_ptr<MemberCounts> counts_;
  std::map<DISPID, std::wstring> members_;
  ULONG references_ = 1;
};

}  // namespace test_support
