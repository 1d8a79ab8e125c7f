// Which VARTYPEs the stand-in VARIANT can hold, and the size of each scalar kind.
#pragma once

#include <cstddef>

#include "platform/stand_in/oleauto.h"

namespace stand_in {

// Kinds that may sit in a VARIANT: scalars, resource kinds, arrays and references of them.
bool IsStorableKind(VARTYPE type);

// Bytes of a scalar kind's value inside the VARIANT, or 0 for resource and invalid kinds.
std::size_t ScalarSize(VARTYPE type);

}  // namespace stand_in
