// Ordering, identity and containment of references.
#include "formula/cell_reference.h"

#include <tuple>

bool CellReference::Contains(const CellPos& pos) const {
  if ((nameId != 0 && (flags & RefNameNotRange) != 0) || externalId != 0) return false;
  if (pos.IsNoCell()) return false;
  if (pos == first || pos == last) return true;
  return first.sheet <= pos.sheet && pos.sheet <= last.sheet && first.column <= pos.column &&
         pos.column <= last.column && first.row <= pos.row && pos.row <= last.row;
}

bool CellReference::IsIdenticalTo(const CellReference& other) const {
  return first == other.first && last == other.last && nameId == other.nameId &&
         externalId == other.externalId && text == other.text;
}

namespace {

// Non-zero ids sort before zero ones; two non-zero ids by value.
bool IdLess(int32_t a, int32_t b) {
  if (a != 0 && b != 0) return a < b;
  return a != 0 && b == 0;
}

}  // namespace

bool operator<(const CellReference& a, const CellReference& b) {
  if (a.externalId != 0 || b.externalId != 0) return IdLess(a.externalId, b.externalId);
  if (a.nameId != 0 || b.nameId != 0) return IdLess(a.nameId, b.nameId);
  return std::tie(a.first.sheet, a.first.column, a.first.row, a.last.sheet, a.last.column,
                  a.last.row) < std::tie(b.first.sheet, b.first.column, b.first.row, b.last.sheet,
                                         b.last.column, b.last.row);
}
