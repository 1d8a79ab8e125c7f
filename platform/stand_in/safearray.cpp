// SAFEARRAY of VARIANT elements. Elements are laid out as on Windows: the first dimension varies
// fastest, rgsabound lists the dimensions last first, and index vectors list them first first.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/stand_in/oleauto.h"

namespace {

// Far above any range the object model hands over; guards the size arithmetic.
constexpr ULONGLONG kMaxElements = ULONGLONG{1} << 31;
constexpr UINT kMaxDims = 60;

SAFEARRAYBOUND* Bounds(SAFEARRAY* array) { return array->rgsabound; }

// The bound of dimension `dim`, counted from 1 as callers count them.
SAFEARRAYBOUND& BoundOf(SAFEARRAY* array, UINT dim) {
  return Bounds(array)[array->cDims - dim];
}

ULONGLONG ElementCount(SAFEARRAY* array) {
  ULONGLONG count = 1;
  for (UINT i = 0; i < array->cDims; ++i) count *= Bounds(array)[i].cElements;
  return count;
}

VARIANT* Elements(SAFEARRAY* array) { return static_cast<VARIANT*>(array->pvData); }

SAFEARRAY* AllocateDescriptor(UINT dims) {
  const std::size_t bytes = sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
  auto* array = static_cast<SAFEARRAY*>(std::calloc(1, bytes));
  if (array == nullptr) return nullptr;
  array->cDims = static_cast<USHORT>(dims);
  array->fFeatures = FADF_VARIANT | FADF_HAVEVARTYPE;
  array->cbElements = sizeof(VARIANT);
  return array;
}

HRESULT OffsetOf(SAFEARRAY* array, const LONG* indices, ULONGLONG* offset) {
  ULONGLONG cell = 0;
  ULONGLONG stride = 1;
  for (UINT dim = 1; dim <= array->cDims; ++dim) {
    const SAFEARRAYBOUND& bound = BoundOf(array, dim);
    const LONGLONG index = LONGLONG{indices[dim - 1]} - bound.lLbound;
    if (index < 0 || index >= LONGLONG{bound.cElements}) return DISP_E_BADINDEX;
    cell += static_cast<ULONGLONG>(index) * stride;
    stride *= bound.cElements;
  }
  *offset = cell;
  return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds) {
  if (type != VT_VARIANT || dims == 0 || dims > kMaxDims || bounds == nullptr) return nullptr;
  ULONGLONG count = 1;
  for (UINT i = 0; i < dims; ++i) {
    count *= bounds[i].cElements;
    if (count > kMaxElements) return nullptr;
  }
  SAFEARRAY* array = AllocateDescriptor(dims);
  if (array == nullptr) return nullptr;
  for (UINT i = 0; i < dims; ++i) Bounds(array)[dims - 1 - i] = bounds[i];
  // All-zero bytes are VT_EMPTY elements.
  array->pvData = std::calloc(count == 0 ? 1 : count, sizeof(VARIANT));
  if (array->pvData == nullptr) {
    std::free(array);
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG count) {
  SAFEARRAYBOUND bound{count, lowerBound};
  return SafeArrayCreate(type, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  const ULONGLONG count = ElementCount(array);
  for (ULONGLONG i = 0; i < count; ++i) VariantClear(&Elements(array)[i]);
  std::free(array->pvData);
  std::free(array);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (source == nullptr) return S_OK;
  SAFEARRAYBOUND bounds[kMaxDims];
  for (UINT dim = 1; dim <= source->cDims; ++dim) bounds[dim - 1] = BoundOf(source, dim);
  SAFEARRAY* result = SafeArrayCreate(VT_VARIANT, source->cDims, bounds);
  if (result == nullptr) return E_OUTOFMEMORY;
  const ULONGLONG count = ElementCount(source);
  for (ULONGLONG i = 0; i < count; ++i) {
    const HRESULT copied = VariantCopy(&Elements(result)[i], &Elements(source)[i]);
    if (FAILED(copied)) {
      SafeArrayDestroy(result);
      return copied;
    }
  }
  *copy = result;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array == nullptr ? 0 : array->cDims; }

UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array == nullptr ? 0 : array->cbElements; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type) {
  if (array == nullptr || type == nullptr) return E_INVALIDARG;
  *type = VT_VARIANT;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  *bound = BoundOf(array, dim).lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = BoundOf(array, dim);
  *bound = static_cast<LONG>(LONGLONG{b.lLbound} + LONGLONG{b.cElements} - 1);
  return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  ULONGLONG offset = 0;
  if (const HRESULT found = OffsetOf(array, indices, &offset); FAILED(found)) return found;
  *element = &Elements(array)[offset];
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* element) {
  if (element == nullptr) return E_INVALIDARG;
  void* slot = nullptr;
  if (const HRESULT found = SafeArrayPtrOfIndex(array, indices, &slot); FAILED(found)) return found;
  // The caller's VARIANT is taken as uninitialised, as on Windows.
  auto* out = static_cast<VARIANT*>(element);
  VariantInit(out);
  return VariantCopy(out, static_cast<VARIANT*>(slot));
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* element) {
  if (element == nullptr) return E_INVALIDARG;
  void* slot = nullptr;
  if (const HRESULT found = SafeArrayPtrOfIndex(array, indices, &slot); FAILED(found)) return found;
  return VariantCopy(static_cast<VARIANT*>(slot), static_cast<VARIANT*>(element));
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == std::numeric_limits<ULONG>::max()) return E_UNEXPECTED;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  const HRESULT locked = SafeArrayLock(array);
  if (SUCCEEDED(locked)) *data = array->pvData;
  return locked;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }
