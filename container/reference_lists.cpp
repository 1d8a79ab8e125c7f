// The shared empty list.
#include "container/reference_lists.h"

const SharedReferenceList& EmptyReferenceList() {
  static const SharedReferenceList empty = std::make_shared<const std::vector<CellReference>>();
  return empty;
}
