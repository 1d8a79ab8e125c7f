// CScriptedDispatch: an automation object whose members answer what a test scripts, and which
// records every call (names looked up, locales, flags, arguments as passed), so that tests can
// check how the object-model layer calls and how it treats odd answers.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/variant.h"
#include "tests/support/test_owned_dispatch.h"

namespace test_support {

class CScriptedDispatch final : public CTestOwnedDispatch {
 public:
  struct Call {
    std::wstring member;
    LCID lookupLocale = 0;
    LCID invokeLocale = 0;
    WORD flags = 0;
    std::vector<CVariant> rgvarg;  // As passed: named arguments first, then last argument first.
    std::vector<DISPID> named;
    bool wantedResult = false;
    bool wantedException = false;
  };
  using Answer = std::function<HRESULT(const Call& call, CVariant* result)>;

  virtual ~CScriptedDispatch() = default;

  // A member answering with a fixed value (or a failure when `hr` fails).
  void Script(const std::wstring& member, CVariant value, HRESULT hr = S_OK) {
    answers_[member] = [value, hr](const Call&, CVariant* result) {
      if (SUCCEEDED(hr)) *result = value;
      return hr;
    };
  }
  void Script(const std::wstring& member, Answer answer) { answers_[member] = std::move(answer); }

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<std::wstring> LookedUp() const { return lookups_; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID locale,
                                          DISPID* ids) override {
    lookups_.emplace_back(names[0]);
    lastLookupLocale_ = locale;
    const auto found = answers_.find(names[0]);
    if (found == answers_.end()) return DISP_E_UNKNOWNNAME;
    ids[0] = static_cast<DISPID>(std::distance(answers_.begin(), found)) + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    auto entry = answers_.begin();
    std::advance(entry, id - 1);
    Call call;
    call.member = entry->first;
    call.lookupLocale = lastLookupLocale_;
    call.invokeLocale = locale;
    call.flags = flags;
    for (UINT i = 0; i < params->cArgs; ++i) call.rgvarg.emplace_back(params->rgvarg[i]);
    for (UINT i = 0; i < params->cNamedArgs; ++i) call.named.push_back(params->rgdispidNamedArgs[i]);
    call.wantedResult = result != nullptr;
    call.wantedException = exception != nullptr;
    calls_.push_back(call);
    CVariant answer;
    const HRESULT hr = entry->second(call, &answer);
    if (exception != nullptr && hr == DISP_E_EXCEPTION) {
      *exception = EXCEPINFO{};
      exception->bstrDescription = SysAllocString(L"scripted failure");
    }
    if (SUCCEEDED(hr) && result != nullptr) answer.Detach(result);
    return hr;
  }

 private:
  std::map<std::wstring, Answer> answers_;
  std::vector<Call> calls_;
  std::vector<std::wstring> lookups_;
  LCID lastLookupLocale_ = 0;
};

}  // namespace test_support
