// Value-to-text rules.
#include "excel/value_text.h"

#include <new>

namespace {

// An array's text stops growing here: no cell holds more, and no tree column shows it.
constexpr std::size_t kMaxArrayTextLength = 32767;

std::wstring TextOf(const CVariant& value) {
  const BSTR text = value.Get()->bstrVal;
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// A number, date or other simple value in the user's conventions; nothing when it does not
// convert.
bool ConvertedText(const CVariant& value, std::wstring& text) {
  CVariant converted;
  const HRESULT hr =
      VariantChangeTypeEx(converted.Receive(), value.GetSource(), LOCALE_USER_DEFAULT, 0, VT_BSTR);
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(hr) || converted.Kind() != VT_BSTR) return false;
  text = TextOf(converted);
  return true;
}

// One element as an array constant writes it: text in quotes (inner quotes doubled).
bool ElementText(const CVariant& element, std::wstring& out) {
  switch (element.Kind()) {
    case VT_ERROR:
      out += kErrorText;
      return true;
    case VT_BOOL:
      out += element.Get()->boolVal != VARIANT_FALSE ? L"TRUE" : L"FALSE";
      return true;
    case VT_EMPTY:
      return true;
    case VT_BSTR:
      out += L'"';
      for (const wchar_t c : TextOf(element)) {
        out += c;
        if (c == L'"') out += L'"';
      }
      out += L'"';
      return true;
    default: {
      std::wstring text;
      if (!ConvertedText(element, text)) return false;
      out += text;
      return true;
    }
  }
}

// A one- or two-dimensional array of values as Excel's Evaluate Formula shows it: "{1,2;3,4}",
// columns apart by commas and rows by semicolons. Nothing when an element does not convert.
bool ArrayText(const CVariant& value, std::wstring& out) {
  SAFEARRAY* array = value.Get()->parray;
  if (array == nullptr) return false;
  const UINT dimensions = SafeArrayGetDim(array);
  if (dimensions < 1 || dimensions > 2) return false;
  LONG bounds[2][2] = {{1, 1}, {1, 1}};  // Lower and upper bound of rows, then of columns.
  for (UINT d = 0; d < dimensions; ++d) {
    if (FAILED(SafeArrayGetLBound(array, d + 1, &bounds[d][0])) ||
        FAILED(SafeArrayGetUBound(array, d + 1, &bounds[d][1]))) {
      return false;
    }
  }
  if (dimensions == 1) {  // A single row.
    bounds[1][0] = bounds[0][0];
    bounds[1][1] = bounds[0][1];
    bounds[0][0] = bounds[0][1] = 0;
  }
  out = L"{";
  for (LONG row = bounds[0][0]; row <= bounds[0][1]; ++row) {
    if (row > bounds[0][0]) out += L';';
    for (LONG column = bounds[1][0]; column <= bounds[1][1]; ++column) {
      if (column > bounds[1][0]) out += L',';
      if (out.size() > kMaxArrayTextLength) {
        out += L"...}";
        return true;
      }
      LONG indices[2] = {row, column};
      CVariant element;
      LONG* at = dimensions == 1 ? &indices[1] : indices;
      const HRESULT hr = SafeArrayGetElement(array, at, element.Receive());
      if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
      if (FAILED(hr) || !ElementText(element, out)) return false;
    }
  }
  out += L'}';
  return true;
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
    case VT_ARRAY | VT_VARIANT: {
      std::wstring text;
      if (!ArrayText(value, text)) return std::wstring(kErrorText);
      return text;
    }
    default:
      break;
  }
  // Shown to the user as a value, so in the user's conventions rather than Excel's English.
  std::wstring text;
  if (!ConvertedText(value, text)) return std::wstring(kErrorText);
  return text;
}
