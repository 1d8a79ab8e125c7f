// Calls to automation objects by member name, as the system's object-model layer makes them
// (a name lookup, then Invoke in English with positional arguments last first and a property
// write's value as the named argument DISPID_PROPERTYPUT), returning what came back whole: the
// result code, the value and a run-time error's description.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"

namespace test_support {

struct DispatchAnswer {
  HRESULT hr = E_FAIL;
  CVariant value;
  std::wstring error;  // The exception's description, for DISP_E_EXCEPTION.

  bool Succeeded() const { return SUCCEEDED(hr); }
  // The object answered; null for anything else (Nothing included).
  CComPtr<IDispatch> Object() const {
    CComPtr<IDispatch> object;
    if (Succeeded() && value.Kind() == VT_DISPATCH) object.Reset(value.Get()->pdispVal);
    return object;
  }
  LONG Long() const { return value.Kind() == VT_I4 ? value.Get()->lVal : LONG{-999999}; }
  double Double() const { return value.Kind() == VT_R8 ? value.Get()->dblVal : -999999.0; }
  // Distinguishes FALSE from "not a Boolean at all".
  int Bool() const {
    if (value.Kind() != VT_BOOL) return -1;
    return value.Get()->boolVal == VARIANT_TRUE ? 1 : 0;
  }
  std::wstring Text() const {
    if (value.Kind() != VT_BSTR || value.Get()->bstrVal == nullptr) return L"<not text>";
    return std::wstring(value.Get()->bstrVal, SysStringLen(value.Get()->bstrVal));
  }
};

inline DispatchAnswer InvokeByName(IDispatch* object, std::wstring_view member, WORD flags,
                                   const std::vector<CVariant>& args,
                                   const CVariant* put = nullptr) {
  DispatchAnswer answer;
  if (object == nullptr) return answer;
  std::wstring name(member);
  LPOLESTR names[1] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  answer.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(answer.hr)) return answer;
  std::vector<VARIANT> raw;
  DISPID named = DISPID_PROPERTYPUT;
  if (put != nullptr) raw.push_back(*put->Get());
  for (auto it = args.rbegin(); it != args.rend(); ++it) raw.push_back(*it->Get());
  DISPPARAMS params{raw.empty() ? nullptr : raw.data(), put != nullptr ? &named : nullptr,
                    static_cast<UINT>(raw.size()), put != nullptr ? 1u : 0u};
  EXCEPINFO exception{};
  answer.hr = object->Invoke(id, IID_NULL, kLocaleEnglishUS, flags, &params, answer.value.Receive(),
                             &exception, nullptr);
  if (exception.bstrDescription != nullptr) answer.error = exception.bstrDescription;
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return answer;
}

inline DispatchAnswer Get(IDispatch* object, std::wstring_view member,
                          const std::vector<CVariant>& args = {}) {
  return InvokeByName(object, member, DISPATCH_PROPERTYGET, args);
}
inline DispatchAnswer Call(IDispatch* object, std::wstring_view member,
                           const std::vector<CVariant>& args = {}) {
  return InvokeByName(object, member, DISPATCH_METHOD, args);
}
inline DispatchAnswer Put(IDispatch* object, std::wstring_view member, const CVariant& value,
                          const std::vector<CVariant>& args = {}) {
  return InvokeByName(object, member, DISPATCH_PROPERTYPUT, args, &value);
}
// Reads a chain of object members ("Workbooks", "Item"...) from `object`; null when any fails.
inline CComPtr<IDispatch> GetObjectOf(IDispatch* object, std::wstring_view member,
                                      const std::vector<CVariant>& args = {}) {
  return Get(object, member, args).Object();
}

// Argument values, short to write in tables of cases.
inline CVariant Arg(int number) {
  return CVariant(static_cast<LONG>(number));
}
inline CVariant Arg(double number) {
  return CVariant(number);
}
inline CVariant Arg(const wchar_t* text) {
  return CVariant(text);
}
inline CVariant Arg(bool truth) {
  return CVariant(truth);
}
inline CVariant Arg(IDispatch* object) {
  return CVariant(object);
}
inline CVariant Arg(const CComPtr<IDispatch>& object) {
  return CVariant(object.Get());
}

}  // namespace test_support
