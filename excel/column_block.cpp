#include "excel/column_block.h"

#include <utility>

bool CColumnBlock::Assign(CVariant answer, int32_t rows) {
  Release();
  if (rows < 1) return false;
  const VARIANT& raw = *answer.Get();
  if (rows == 1) {
    if ((raw.vt & VT_ARRAY) != 0) return false;
    answer_ = std::move(answer);
    size_ = 1;
    return true;
  }
  if (raw.vt != (VT_ARRAY | VT_VARIANT) || raw.parray == nullptr) return false;
  SAFEARRAY* array = raw.parray;
  LONG lower = 0;
  LONG upper = -1;
  if (SafeArrayGetDim(array) != 2 || FAILED(SafeArrayGetLBound(array, 2, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 2, &upper)) || upper != lower ||
      FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper - lower + 1 != rows) {
    return false;
  }
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return false;
  answer_ = std::move(answer);
  data_ = static_cast<VARIANT*>(data);
  size_ = rows;
  return true;
}

void CColumnBlock::Release() {
  if (data_ != nullptr) SafeArrayUnaccessData(answer_.Get()->parray);
  data_ = nullptr;
  answer_.Clear();
  size_ = 0;
}
