// The dispatch by kind, precedents from the formula index, dependents through its reverse.
#include "engine/related.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/calculation_chain.h"
#include "container/count_message.h"
#include "container/dependents_index.h"
#include "container/name_definitions.h"
#include "container/progress_relay.h"
#include "excel/cell_range.h"
#include "scan/cell_collection.h"
#include "scan/precedent_walks.h"
#include "scan/workbook_cell_lists.h"
#include "scan/workbook_lists.h"

namespace {

// How often the dependents search reports and looks at Stop, in references tested.
constexpr long kDependentsReportEvery = 50;

// The formula index's list for the cell, or the empty list.
const SharedReferenceList& IndexedList(const CDependencyContainer& container, const CellPos& cell) {
  const SharedReferenceList* found = container.Formulas().Find(cell);
  return found != nullptr ? *found : CDependencyContainer::EmptyList();
}

// Normalises the cell to its array's origin and collects its formula when that is still to do.
// The origin is asked again afterwards: collecting a cell of an unrecorded array records it.
CellPos CollectedOrigin(CDependencyContainer& container, const CellPos& cell) {
  const CellPos origin = ArrayOriginOf(container, cell);
  EnsureCellCollected(container, origin);
  return ArrayOriginOf(container, origin);
}

// The reference that names a dependent formula: its whole array range when it has one.
CellReference DependentReference(const CDependencyContainer& container, const CellPos& cell,
                                 const CellReference& matched) {
  CellReference dependent;
  dependent.first = cell;
  dependent.last = cell;
  if (const CellRect* array = container.Formulas().ArrayHolding(cell)) {
    dependent.first = array->first;
    dependent.last = array->last;
    dependent.flags = RefArrayRange;
  }
  dependent.flags |= matched.flags & RefDynamic;
  return dependent;
}

}  // namespace

SharedReferenceList PrecedentsOf(CDependencyContainer& container, const CellPos& cell) {
  if (cell.IsNoCell()) return CDependencyContainer::EmptyList();
  // Trees ask again and again for cells collected long ago: one lookup answers those.
  if (const SharedReferenceList* known = container.Formulas().Find(ArrayOriginOf(container, cell))) {
    return *known;
  }
  return IndexedList(container, CollectedOrigin(container, cell));
}

SharedReferenceList DependentsOf(CDependencyContainer& container, const CellPos& cell) {
  if (!container.Formulas().AllCollected()) CollectAllFormulas(container);
  CCellAnswers& cache = container.Answers().Dependents();
  if (SharedReferenceList cached = cache.Find(cell)) return cached;

  // Cached before the search, so that an answer cut short by Stop is the answer until refresh.
  const auto found = std::make_shared<std::vector<CellReference>>();
  cache.Store(cell, found);

  CProgressScope progress(container.Progress(), L"Trelvane - processing dependents", L"", true);
  const std::wstring format = L"Cells processed: %ld";
  long counted = 0;
  bool stopped = false;
  CAnswerCaches& answers = container.Answers();
  if (!answers.DependentsIndex() ||
      answers.DependentsIndex()->IndexedFormulas() != container.Formulas().Size()) {
    answers.SetDependentsIndex(std::make_shared<CDependentsIndex>(container));
  }
  for (const CellPos& formulaCell : answers.DependentsIndex()->Candidates(cell)) {
    const SharedReferenceList* entry = container.Formulas().Find(formulaCell);
    if (entry == nullptr) continue;
    // A formula name used by the formula stands for what its definition refers to.
    const SharedReferenceList references = WithNamesFollowed(container, *entry);
    for (const CellReference& reference : *references) {
      if (++counted % kDependentsReportEvery == 0) {
        progress.SetMessage(FormatCount(format, counted));
        stopped = progress.StopRequested();
      }
      if (reference.Contains(cell)) {
        found->push_back(DependentReference(container, formulaCell, reference));
        break;
      }
      if (stopped) break;
    }
    if (stopped) break;
  }
  return found;
}

SharedReferenceList ListRelated(CDependencyContainer& container, const CellPos& cell,
                                TraceKind kind) {
  switch (kind) {
    case TraceKind::kDependents:
      return DependentsOf(container, cell);
    case TraceKind::kInputs:
      return InputsOf(container, cell);
    case TraceKind::kTraceError:
      return ErrorSourcesOf(container, cell);
    case TraceKind::kErrorCells:
      return ErrorCells(container, cell);
    case TraceKind::kFillColor:
      return FillColorCells(container, cell);
    case TraceKind::kFontColor:
      return FontColorCells(container, cell);
    case TraceKind::kCalculationChain:
      // The chain belongs to the workbook, asked for at (0,0,0); computed once and kept.
      if (cell.sheet != 0 || cell.column != 0 || cell.row != 0) {
        return CDependencyContainer::EmptyList();
      }
      if (const SharedReferenceList& chain = container.Answers().CalculationChain();
          chain && !chain->empty()) {
        return chain;
      }
      return BuildCalculationChain(container);
    case TraceKind::kPrecedents:
    case TraceKind::kEvaluateFormula:
    default:
      return PrecedentsOf(container, cell);
  }
}

bool HasRelated(CDependencyContainer& container, const CellPos& cell, TraceKind kind) {
  switch (kind) {
    case TraceKind::kDependents:
      return !DependentsOf(container, cell)->empty();
    case TraceKind::kErrorCells:
    case TraceKind::kFillColor:
    case TraceKind::kFontColor:
      return false;
    case TraceKind::kPrecedents:
    case TraceKind::kInputs: {
      if (const SharedReferenceList* found = container.Formulas().Find(cell)) {
        return !(*found)->empty();
      }
      ExcelObject range;
      // Without a range the node offers children; expanding it finds out.
      if (!GetCellRange(container.Worksheets(), cell, &range)) return true;
      return range.HasAnyFormula();
    }
    case TraceKind::kTraceError:
    case TraceKind::kEvaluateFormula:
    case TraceKind::kCalculationChain:
    default:
      return true;
  }
}
