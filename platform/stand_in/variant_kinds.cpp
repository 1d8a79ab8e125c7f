// Which VARTYPEs the stand-in VARIANT can hold.
#include "platform/stand_in/variant_kinds.h"

namespace stand_in {

std::size_t ScalarSize(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    default:
      return 0;
  }
}

bool IsStorableKind(VARTYPE type) {
  const VARTYPE base = static_cast<VARTYPE>(type & VT_TYPEMASK);
  const bool byRef = (type & VT_BYREF) != 0;
  const bool array = (type & VT_ARRAY) != 0;
  if ((type & ~(VT_TYPEMASK | VT_BYREF | VT_ARRAY)) != 0) return false;
  if (array) return ScalarSize(base) != 0 || base == VT_BSTR || base == VT_VARIANT ||
                    base == VT_DISPATCH || base == VT_UNKNOWN;
  if (base == VT_EMPTY || base == VT_NULL) return !byRef;
  if (base == VT_VARIANT) return true;  // Alone it holds nothing, and clears as such.
  return ScalarSize(base) != 0 || base == VT_BSTR || base == VT_DISPATCH ||
         base == VT_UNKNOWN;
}

}  // namespace stand_in
