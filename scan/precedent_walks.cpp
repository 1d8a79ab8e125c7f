// Input cells and error sources: a cached answer, or a walk with the matching scanner.
#include "scan/precedent_walks.h"

#include <memory>
#include <vector>

#include "scan/argument_list_scaners.h"
#include "scan/cell_collection.h"
#include "scan/precedent_walk.h"
#include "scan/sort_unique.h"

namespace {

// The formula's own cell for the position, collected; nothing when it has no formula.
bool FormulaOrigin(CDependencyContainer& container, const CellPos& position, CellPos* origin) {
  if (position.IsNoCell()) return false;
  *origin = ArrayOriginOf(container, position);
  EnsureCellCollected(container, *origin);
  // Collecting a cell of an array not yet recorded records it, and with it the real origin.
  *origin = ArrayOriginOf(container, *origin);
  return container.Formulas().Contains(*origin);
}

// Cached before the walk, so that an answer cut short by Stop is the answer until refresh.
template <typename MakeScanner>
SharedReferenceList CachedWalk(CDependencyContainer& container, CCellAnswers& cache,
                               const CellPos& position, const wchar_t* title,
                               MakeScanner makeScanner) {
  CellPos origin;
  if (!FormulaOrigin(container, position, &origin)) return CDependencyContainer::EmptyList();
  if (SharedReferenceList cached = cache.Find(origin)) return cached;
  const auto found = std::make_shared<std::vector<CellReference>>();
  cache.Store(origin, found);
  auto scanner = makeScanner(origin, found.get());
  WalkPrecedents(container, origin, scanner, title);
  SortUnique(*found);
  if (!found->empty()) return found;
  cache.Store(origin, CDependencyContainer::EmptyList());
  return CDependencyContainer::EmptyList();
}

}  // namespace

SharedReferenceList InputsOf(CDependencyContainer& container, const CellPos& position) {
  return CachedWalk(
      container, container.Answers().Inputs(), position, L"looking for input cells",
      [](const CellPos&, std::vector<CellReference>* list) { return CInputCellScaner(list); });
}

SharedReferenceList ErrorSourcesOf(CDependencyContainer& container, const CellPos& position) {
  return CachedWalk(container, container.Answers().ErrorSources(), position, L"looking for input errors",
                    [&container](const CellPos& origin, std::vector<CellReference>* list) {
                      return CErrorListScaner(origin, list, &container);
                    });
}
