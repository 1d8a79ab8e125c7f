// Cached answers and what a refresh drops of them.
#include "container/answer_caches.h"

std::optional<bool> CAnswerCaches::ErrorTest(const CellPos& cell) const {
  const auto found = errorTests_.find(cell);
  if (found == errorTests_.end()) return std::nullopt;
  return found->second;
}

void CAnswerCaches::StoreErrorTest(const CellPos& cell, bool isError) {
  errorTests_.emplace(cell, isError);
}

void CAnswerCaches::OnRefresh() {
  dependents_.Clear();
  inputs_.Clear();
  errorSources_.Clear();
  errorTests_.clear();
  nameReferences_.Clear();
  nameTargets_.Clear();
  dependentsIndex_.reset();
}

void CAnswerCaches::OnRecalculation() {
  errorSources_.Clear();
  errorTests_.clear();
}
