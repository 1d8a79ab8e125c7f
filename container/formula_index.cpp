// The formula index's entries and array ranges.
#include "container/formula_index.h"

#include <algorithm>
#include <utility>

const SharedReferenceList* CFormulaIndex::Find(const CellPos& cell) const {
  const auto found = entries_.find(cell);
  return found == entries_.end() ? nullptr : &found->second;
}

void CFormulaIndex::Add(const CellPos& origin, SharedReferenceList references) {
  if (!references) return;
  entries_.emplace(origin, std::move(references));
}

void CFormulaIndex::AddArray(const CellRect& array) {
  // The first cell met again (on demand, then by the walk) must not record its array twice.
  if (std::find(arrays_.begin(), arrays_.end(), array) == arrays_.end()) arrays_.push_back(array);
}

void CFormulaIndex::OnRefresh() {
  entries_.clear();
  allCollected_ = false;
}
