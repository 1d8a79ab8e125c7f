// Value-to-text rules.
#include "excel/value_text.h"

#include <new>

namespace {

std::wstring TextOf(const CVariant& value) {
  const BSTR text = value.Get()->bstrVal;
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

}  // namespace

bool PropertyText(const CVariant& value, std::wstring* text) {
  const VARTYPE kind = value.Kind();
  if (kind == VT_ERROR) {
    *text = kErrorText;
  } else if (kind == VT_NULL || (kind & VT_ARRAY) != 0) {
    text->clear();
  } else if (kind == VT_BSTR) {
    *text = TextOf(value);
  } else {
    CVariant converted;
    if (FAILED(value.ChangeType(VT_BSTR, &converted))) return false;
    *text = TextOf(converted);
  }
  return true;
}

std::wstring EvaluationText(const CVariant& value) {
  switch (value.Kind()) {
    case VT_ERROR:
      return std::wstring(kErrorText);
    case VT_BOOL:
      return value.Get()->boolVal != VARIANT_FALSE ? L"TRUE" : L"FALSE";
    case VT_BSTR:
      return TextOf(value);
    default:
      break;
  }
  // Shown to the user as a value, so in the user's conventions rather than Excel's English.
  CVariant converted;
  const HRESULT hr =
      VariantChangeTypeEx(converted.Receive(), value.GetSource(), LOCALE_USER_DEFAULT, 0, VT_BSTR);
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(hr) || converted.Kind() != VT_BSTR) return std::wstring(kErrorText);
  return TextOf(converted);
}
