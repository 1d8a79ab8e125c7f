// The primitive calls and the typed accessors.
#include "excel/excel_object.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/bstr.h"
#include "platform/invariant.h"

namespace {

// Frees what the callee put into the exception information; it is requested but never shown.
void ReleaseException(EXCEPINFO& exception) {
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

bool AssignObject(const CVariant& value, ExcelObject* target) {
  const VARIANT* v = value.Get();
  if (v->vt != VT_DISPATCH || v->pdispVal == nullptr) return false;
  if (target->Get() != v->pdispVal) target->Reset(v->pdispVal);
  return true;
}

bool IsBoolean(const CVariant& value, VARIANT_BOOL truth) {
  return value.Kind() == VT_BOOL && (value.Get()->boolVal != VARIANT_FALSE) == (truth != VARIANT_FALSE);
}

}  // namespace

#if TRELVANE_EXCEL_THREAD_CHECK
void ExcelObject::CheckThread() const {
  TRELVANE_CHECK_INVARIANT(owner_ == std::this_thread::get_id(),
                           "an Excel object is called off the thread it belongs to");
}
#endif

bool ExcelObject::Invoke(std::wstring_view member, WORD flags, const CVariant* put, Arguments args,
                         CVariant* result) const {
  if (IsEmpty()) return false;
  CheckThread();
  // Every read of a scan goes through here: the name and the arguments are laid out on the
  // stack unless they are unusually long.
  constexpr size_t kShortName = 64;
  wchar_t shortName[kShortName];
  std::wstring longName;
  LPOLESTR names[1] = {shortName};
  if (member.size() < kShortName) {
    std::copy(member.begin(), member.end(), shortName);
    shortName[member.size()] = L'\0';
  } else {
    longName.assign(member);
    names[0] = longName.data();
  }
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;

  // The callee only reads the arguments; the VARIANTs stay owned by the caller's CVariants.
  constexpr size_t kFewArguments = 8;
  VARIANT few[kFewArguments];
  std::vector<VARIANT> many;
  const size_t count = args.size() + (put != nullptr ? 1 : 0);
  VARIANT* raw = few;
  if (count > kFewArguments) {
    many.resize(count);
    raw = many.data();
  }
  size_t at = 0;
  if (put != nullptr) raw[at++] = *put->Get();
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) raw[at++] = *it->Get();
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{count == 0 ? nullptr : raw, put != nullptr ? &putId : nullptr,
                    static_cast<UINT>(count), put != nullptr ? 1u : 0u};

  EXCEPINFO exception{};
  CVariant answer;
  const HRESULT hr = object_->Invoke(id, IID_NULL, kLocaleEnglishUS, flags, &params,
                                     put != nullptr ? nullptr : answer.Receive(), &exception, nullptr);
  ReleaseException(exception);
  if (FAILED(hr)) return false;
  if (result != nullptr) *result = std::move(answer);
  return true;
}

bool ExcelObject::GetValue(std::wstring_view member, CVariant* result, Arguments args) const {
  return Invoke(member, DISPATCH_PROPERTYGET, nullptr, args, result);
}

bool ExcelObject::PutValue(std::wstring_view member, const CVariant& value) const {
  return Invoke(member, DISPATCH_PROPERTYPUT, &value, {}, nullptr);
}

bool ExcelObject::CallMethod(std::wstring_view member, CVariant* result, Arguments args) const {
  return Invoke(member, DISPATCH_METHOD, nullptr, args, result);
}

bool ExcelObject::GetLong(std::wstring_view member, LONG* value, Arguments args) const {
  CVariant read;
  if (!GetValue(member, &read, args)) return false;
  if (read.Kind() == VT_I4) {
    *value = read.Get()->lVal;
    return true;
  }
  CVariant converted;
  if (FAILED(read.ChangeType(VT_I4, &converted))) return false;
  *value = converted.Get()->lVal;
  return true;
}

bool ExcelObject::GetDouble(std::wstring_view member, double* value, Arguments args) const {
  CVariant read;
  if (!GetValue(member, &read, args)) return false;
  if (read.Kind() == VT_R8) {
    *value = read.Get()->dblVal;
    return true;
  }
  CVariant converted;
  if (FAILED(read.ChangeType(VT_R8, &converted))) return false;
  *value = converted.Get()->dblVal;
  return true;
}

bool ExcelObject::GetBool(std::wstring_view member, bool* value, Arguments args) const {
  CVariant read;
  if (!GetValue(member, &read, args)) return false;
  if (read.Kind() == VT_BOOL) *value = read.Get()->boolVal != VARIANT_FALSE;
  return true;
}

bool ExcelObject::IsTrue(std::wstring_view member, Arguments args) const {
  CVariant read;
  return GetValue(member, &read, args) && IsBoolean(read, VARIANT_TRUE);
}

bool ExcelObject::HasAnyFormula() const {
  CVariant read;
  return !(GetValue(L"HasFormula", &read) && IsBoolean(read, VARIANT_FALSE));
}

bool ExcelObject::GetText(std::wstring_view member, std::wstring* value, Arguments args) const {
  CVariant read;
  return GetValue(member, &read, args) && PropertyText(read, value);
}

bool ExcelObject::GetObject(std::wstring_view member, ExcelObject* target, Arguments args) const {
  CVariant read;
  return GetValue(member, &read, args) && AssignObject(read, target);
}

bool ExcelObject::PutText(std::wstring_view member, std::wstring_view text) const {
  return PutValue(member, CVariant(text));
}

bool ExcelObject::PutLong(std::wstring_view member, LONG value) const {
  return PutValue(member, CVariant(value));
}

bool ExcelObject::PutBool(std::wstring_view member, bool value) const {
  return PutValue(member, CVariant(value));
}

bool ExcelObject::CallForObject(std::wstring_view member, ExcelObject* target, Arguments args) const {
  CVariant read;
  return CallMethod(member, &read, args) && AssignObject(read, target);
}
