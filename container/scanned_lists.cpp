// The error-cell list and the colour tables.
#include "container/scanned_lists.h"

#include <utility>

int32_t CColorTable::ColorOf(int32_t index) const {
  const auto found = colors_.find(index);
  return found == colors_.end() ? 0 : found->second;
}

const std::vector<CellReference>* CColorTable::CellsOf(int32_t index) const {
  const auto found = cells_.find(index);
  return found == cells_.end() ? nullptr : &found->second;
}

void CColorTable::Clear() {
  cells_.clear();
  colors_.clear();
}

void CScannedLists::FinishErrorList(std::vector<CellReference> sorted) {
  errorCells_ = std::move(sorted);
  errorListBuilt_ = true;
}

void CScannedLists::OnRefresh() {
  fillColors_.Clear();
  fontColors_.Clear();
  colorsAnalyzed_ = false;
  errorListBuilt_ = false;
}
