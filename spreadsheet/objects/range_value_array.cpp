// Reading the elements of an automation array.
#include "spreadsheet/objects/range_value_array.h"

#include <cstring>

namespace spreadsheet {
namespace {

// The element kinds a cell can take and their sizes in the array.
bool IsCellElement(VARTYPE type, std::uint32_t size) {
  switch (type) {
    case VT_VARIANT:
      return size == sizeof(VARIANT);
    case VT_I1:
    case VT_UI1:
      return size == 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return size == 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return size == 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
      return size == 8;
    case VT_BSTR:
      return size == sizeof(BSTR);
    default:
      return false;
  }
}

}  // namespace

CValueArray::CValueArray(SAFEARRAY* array) : array_(array) {
  if (array == nullptr) return;
  const UINT dims = SafeArrayGetDim(array);
  if (dims < 1 || dims > 2) return;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &type))) return;
  const std::uint32_t size = SafeArrayGetElemsize(array);
  if (!IsCellElement(type, size)) return;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return;
  }
  const std::int64_t first = std::int64_t{upper} - lower + 1;
  std::int64_t second = 1;
  if (dims == 2) {
    if (FAILED(SafeArrayGetLBound(array, 2, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 2, &upper))) {
      return;
    }
    second = std::int64_t{upper} - lower + 1;
  }
  if (first <= 0 || second <= 0) return;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data)) || data == nullptr) return;
  data_ = data;
  type_ = type;
  elementSize_ = size;
  // The first dimension varies fastest in memory. One dimension is a row of columns.
  rows_ = dims == 2 ? first : 1;
  columns_ = dims == 2 ? second : first;
}

CValueArray::~CValueArray() {
  if (data_ != nullptr) SafeArrayUnaccessData(array_);
}

VARIANT CValueArray::At(std::int64_t row, std::int64_t column) const {
  const std::int64_t offset = row + column * rows_;
  const auto* bytes =
      static_cast<const unsigned char*>(data_) + static_cast<std::size_t>(offset) * elementSize_;
  VARIANT element;
  VariantInit(&element);
  if (type_ == VT_VARIANT) {
    std::memcpy(&element, bytes, sizeof(VARIANT));
    // A by-reference element is read through, as Excel reads it.
    if (element.vt == (VT_BYREF | VT_VARIANT) && element.pvarVal != nullptr) {
      element = *element.pvarVal;
    }
    return element;
  }
  element.vt = type_;
  std::memcpy(&element.llVal, bytes, elementSize_);
  return element;
}

}  // namespace spreadsheet
