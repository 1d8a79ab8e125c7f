// The dispatch by kind, precedents from the formula index, dependents through its reverse.
#include "engine/related.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/calculation_chain.h"
#include "engine/dependents_index.h"
#include "engine/name_definitions.h"
#include "excel/cell_range.h"
#include "scan/cell_collection.h"
#include "scan/precedent_walks.h"
#include "scan/workbook_cell_lists.h"
#include "scan/workbook_lists.h"
#include "views/population_tree_progress.h"
#include "views/progress_window.h"

namespace {

// How often the dependents search reports and looks at Stop, in references tested.
constexpr long kDependentsReportEvery = 50;

bool InRect(const CellRect& rect, const CellPos& cell) {
  return rect.first.sheet <= cell.sheet && cell.sheet <= rect.last.sheet &&
         rect.first.column <= cell.column && cell.column <= rect.last.column &&
         rect.first.row <= cell.row && cell.row <= rect.last.row;
}

// The formula index's list for the cell, or the empty list.
const SharedReferenceList& IndexedList(const CDependencyContainer& container, const CellPos& cell) {
  const auto found = container.formulaIndex_.find(cell);
  if (found == container.formulaIndex_.end() || !found->second) {
    return CDependencyContainer::EmptyList();
  }
  return found->second;
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
  for (const CellRect& array : container.arrayList_) {
    if (InRect(array, cell)) {
      dependent.first = array.first;
      dependent.last = array.last;
      dependent.flags = RefArrayRange;
      break;
    }
  }
  dependent.flags |= matched.flags & RefDynamic;
  return dependent;
}

}  // namespace

SharedReferenceList PrecedentsOf(CDependencyContainer& container, const CellPos& cell) {
  if (cell.IsNoCell()) return CDependencyContainer::EmptyList();
  // Trees ask again and again for cells collected long ago: one lookup answers those.
  const auto known = container.formulaIndex_.find(ArrayOriginOf(container, cell));
  if (known != container.formulaIndex_.end() && known->second) return known->second;
  return IndexedList(container, CollectedOrigin(container, cell));
}

SharedReferenceList DependentsOf(CDependencyContainer& container, const CellPos& cell) {
  if (!container.formulasCollected_) CollectAllFormulas(container);
  const auto cached = container.dependentsCache_.find(cell);
  if (cached != container.dependentsCache_.end() && cached->second) return cached->second;

  // Cached before the search, so that an answer cut short by Stop is the answer until refresh.
  const auto found = std::make_shared<std::vector<CellReference>>();
  container.dependentsCache_.insert_or_assign(cell, found);

  ProgressWindow progress;
  progress.SetTitle(L"Trelvane - processing dependents");
  progress.SetShowStop(true);
  progress.Start();
  const std::wstring format = L"Cells processed: %ld";
  long counted = 0;
  bool stopped = false;
  if (!container.dependentsIndex_ ||
      container.dependentsIndex_->IndexedFormulas() != container.formulaIndex_.size()) {
    container.dependentsIndex_ = std::make_shared<CDependentsIndex>(container);
  }
  for (const CellPos& formulaCell : container.dependentsIndex_->Candidates(cell)) {
    const auto entry = container.formulaIndex_.find(formulaCell);
    if (entry == container.formulaIndex_.end() || !entry->second) continue;
    // A formula name used by the formula stands for what its definition refers to.
    const SharedReferenceList references = WithNamesFollowed(container, entry->second);
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
  progress.Close();
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
      if (!container.calculationChain_ || container.calculationChain_->empty()) {
        return BuildCalculationChain(container);
      }
      return container.calculationChain_;
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
      const auto found = container.formulaIndex_.find(cell);
      if (found != container.formulaIndex_.end()) return found->second && !found->second->empty();
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
