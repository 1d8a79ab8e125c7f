// Sorting result lists.
#include "scan/sort_unique.h"

#include <algorithm>

void SortUnique(std::vector<CellReference>& list) {
  if (list.size() < 2) return;
  // Stable, so the first of equal entries is the one kept.
  std::stable_sort(list.begin(), list.end());
  const auto same = [](const CellReference& a, const CellReference& b) {
    return !(a < b) && !(b < a);
  };
  list.erase(std::unique(list.begin(), list.end(), same), list.end());
}
