// Shared plumbing of the range-bound objects.
#include "spreadsheet/objects/range_bound_object.h"

#include <new>
#include <stdexcept>

#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {
namespace {

HRESULT ConvertPut(const CArguments& args, VARTYPE type, CVariant* converted) {
  const VARIANT* value = args.PutValue();
  if (value == nullptr) return DISP_E_PARAMNOTOPTIONAL;
  CVariant source(*value);
  // A VT_DISPATCH converts through its default property, as Excel reads Range("A1") in a write.
  if (FAILED(source.ChangeType(type, converted))) return DISP_E_TYPEMISMATCH;
  return S_OK;
}

}  // namespace

HRESULT CRangeBoundObject::Call(const Member& member, bool put, const CArguments& args,
                                CVariant* result) {
  try {
    return CallMember(member, put, args, result);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // Only a model whose invariants a damaged file broke gets here; the call fails cleanly.
    return RuntimeError(kApplicationDefinedError);
  }
}

HRESULT CRangeBoundObject::Report(RangeOutcome outcome) {
  if (!outcome.runtimeError.empty()) return RuntimeError(std::move(outcome.runtimeError));
  return outcome.hr;
}

HRESULT CRangeBoundObject::ObjectResult(const CComPtr<IDispatch>& object, CVariant* result) {
  if (!object) return RuntimeError(kApplicationDefinedError);
  *result = CVariant(object.Get());
  return S_OK;
}

HRESULT CRangeBoundObject::RangeResult(const CellRect& range, CVariant* result) {
  if (!IsOnSheet(range)) return RuntimeError(kApplicationDefinedError);
  return ObjectResult(CreateRangeObject(context_, range), result);
}

HRESULT CRangeBoundObject::ApplicationResult(CVariant* result) {
  if (!context_.application) return RuntimeError(kApplicationDefinedError);
  return ObjectResult(CreateApplicationObject(context_.application), result);
}

HRESULT CRangeBoundObject::WorksheetResult(CVariant* result) {
  return ObjectResult(CreateWorksheetObject(context_), result);
}

void CRangeBoundObject::SetNull(CVariant* result) {
  result->Clear();
  result->GetMutable()->vt = VT_NULL;
}

HRESULT CRangeBoundObject::AllowArguments(const CArguments& args, std::size_t allowed) {
  return args.Count() > allowed ? DISP_E_BADPARAMCOUNT : S_OK;
}

HRESULT CRangeBoundObject::PutLong(const CArguments& args, std::int32_t* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_I4, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->lVal;
  return hr;
}

HRESULT CRangeBoundObject::PutDouble(const CArguments& args, double* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_R8, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->dblVal;
  return hr;
}

HRESULT CRangeBoundObject::PutBool(const CArguments& args, bool* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_BOOL, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->boolVal != VARIANT_FALSE;
  return hr;
}

HRESULT CRangeBoundObject::PutText(const CArguments& args, std::wstring* value) {
  CVariant converted;
  const HRESULT hr = ConvertPut(args, VT_BSTR, &converted);
  if (SUCCEEDED(hr)) {
    const BSTR text = converted.Get()->bstrVal;
    value->assign(text == nullptr ? L"" : text, SysStringLen(text));
  }
  return hr;
}

}  // namespace spreadsheet
