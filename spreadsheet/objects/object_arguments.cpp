// Argument and result conventions of the workbook-level objects.
#include "spreadsheet/objects/object_arguments.h"

#include "spreadsheet/model/error_code.h"

namespace spreadsheet {
namespace {

HRESULT ConvertPut(const CArguments& args, VARTYPE type, CVariant* converted) {
  const VARIANT* value = args.PutValue();
  if (value == nullptr) return DISP_E_PARAMNOTOPTIONAL;
  if (value->vt == VT_NULL || value->vt == VT_ERROR || value->vt == VT_DISPATCH ||
      (value->vt & VT_ARRAY) != 0) {
    return DISP_E_TYPEMISMATCH;
  }
  return FAILED(CVariant(*value).ChangeType(type, converted)) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace

HRESULT CheckArguments(const CArguments& args, std::size_t required, std::size_t allowed) {
  if (args.Count() > allowed) return DISP_E_BADPARAMCOUNT;
  for (std::size_t i = 0; i < required; ++i) {
    if (args.IsMissing(i)) return DISP_E_PARAMNOTFOUND;
  }
  return S_OK;
}

HRESULT ReadItemPosition(const CArguments& args, std::size_t index, std::int32_t count,
                         const ItemFinder& find, std::int32_t* position) {
  const VARIANT* value = args.At(index);
  if (value == nullptr) return DISP_E_PARAMNOTFOUND;
  if (value->vt == VT_BSTR && find) {
    const BSTR text = value->bstrVal;
    const auto found = find(std::wstring_view(text == nullptr ? L"" : text, SysStringLen(text)));
    if (!found) return DISP_E_BADINDEX;
    *position = *found;
    return S_OK;
  }
  // Excel reads Item(Null), Item(Nothing) and arrays as mismatches, not as position 0.
  if (value->vt == VT_NULL || value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN ||
      value->vt == VT_ERROR || (value->vt & VT_ARRAY) != 0) {
    return DISP_E_TYPEMISMATCH;
  }
  std::int32_t number = 0;
  if (FAILED(args.GetLong(index, &number))) return DISP_E_TYPEMISMATCH;
  if (number < 1 || number > count) return DISP_E_BADINDEX;
  *position = number;
  return S_OK;
}

HRESULT ReadPutLong(const CArguments& args, std::int32_t* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_I4, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->lVal;
  return hr;
}

HRESULT ReadPutDouble(const CArguments& args, double* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_R8, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->dblVal;
  return hr;
}

HRESULT ReadPutBool(const CArguments& args, bool* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_BOOL, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->boolVal != VARIANT_FALSE;
  return hr;
}

HRESULT ReadPutText(const CArguments& args, std::wstring* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_BSTR, &converted);
  if (SUCCEEDED(hr)) {
    const BSTR text = converted.Get()->bstrVal;
    value->assign(text == nullptr ? L"" : text, SysStringLen(text));
  }
  return hr;
}

CVariant ObjectValue(const CComPtr<IDispatch>& object) {
  return CVariant(object.Get());
}

CVariant CellValueToVariant(const CellValue& value) {
  switch (value.Kind()) {
    case ValueKind::Number:
      return CVariant(value.AsNumber());
    case ValueKind::Text:
      return CVariant(std::wstring_view(value.AsText()));
    case ValueKind::Boolean:
      return CVariant(value.AsBoolean());
    case ValueKind::Error:
      return CVariant::Error(ErrorScode(value.AsError()));
    case ValueKind::Empty:
      break;
  }
  return CVariant();
}

}  // namespace spreadsheet
