#include "cli/window_view.h"

#include <utility>
#include <vector>

#include "cli/tree_expansion.h"
#include "scan/error_test.h"

namespace {

// An item shows an error when its cells hold one, whatever the filler.
template <class Filler>
TraceView MakeView(std::wstring title, const std::vector<std::wstring>& columns, CTraceTree& tree,
                   CDependencyContainer& container, Filler& filler,
                   const std::set<TreeItem>& repeated) {
  TraceView view;
  view.title = std::move(title);
  view.columns = columns;
  view.tree = &tree;
  view.container = &container;
  view.cells = CCellBlocks(container.Worksheets());
  view.referenceOf = [&filler](TreeItem item) { return filler.ReferenceOf(item); };
  view.itemText = [&filler](TreeItem item, size_t size) { return filler.ItemText(item, size); };
  view.isError = [&filler, &container](TreeItem item) {
    const CellReference* reference = filler.ReferenceOf(item);
    return reference != nullptr && reference->nameId == 0 && reference->externalId == 0 &&
           RangeHasError(container, reference->first, reference->last);
  };
  view.isRepeated = [&repeated](TreeItem item) { return repeated.contains(item); };
  return view;
}

}  // namespace

CTraceWindowView::CTraceWindowView(const WindowRequest& request, const WindowSwitches& switches)
    : request_(request) {
  CDependencyContainer& container = *request_.container;
  filler_ = std::make_unique<CTraceFiller>(container, tree_);
  CTraceFiller& filler = *filler_;
  tree_.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  logic_ = std::make_unique<CTraceWindowLogic>(container, tree_, filler);
  // Setting the root turns both switches on for a trace of an error, as its window does.
  logic_->SetRoot(request_.root, request_.kind, request_.colorIndex);
  // The window keeps only error cells when both switches are on; asking for the filter alone
  // means that.
  filler.Switches().highlightErrors |= switches.highlightErrors || switches.filterErrors;
  filler.Switches().filterHighlighted |= switches.filterErrors;
  logic_->Fill();
  view_ = MakeView(logic_->Title(), kTraceColumns, tree_, container, filler, repeated_);
  view_.highlightErrors = filler.Switches().highlightErrors;
  view_.wantsCellTexts = [&filler](const CellPos& cell) { return !filler.CellTextsKept(cell); };
  view_.keepCellTexts = [&filler](const CellPos& cell, const CellTexts& texts) {
    filler.KeepCellTexts(cell, texts);
  };
}

void CTraceWindowView::Expand(std::optional<int> depth) {
  if (IsFlatListKind(request_.kind)) return;
  repeated_ = ExpandEachBranchOnce(tree_, view_, depth);
}

CEvaluateWindowView::CEvaluateWindowView(const WindowRequest& request) : request_(request) {
  CDependencyContainer& container = *request_.container;
  filler_ = std::make_unique<CEvaluateFiller>(container, tree_);
  CEvaluateFiller& filler = *filler_;
  tree_.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(request_.root);
  filler.Fill();
  view_ = MakeView(EvaluateWindowTitle(container, request_.root), kEvaluateColumns, tree_,
                   container, filler, repeated_);
}

void CEvaluateWindowView::Expand(std::optional<int> depth) {
  repeated_ = ExpandEachBranchOnce(tree_, view_, depth);
}

std::unique_ptr<IOpenedWindow> OpenWindowFor(const WindowRequest& request,
                                             const WindowSwitches& switches) {
  if (request.kind == TraceKind::kEvaluateFormula) {
    return std::make_unique<CEvaluateWindowView>(request);
  }
  return std::make_unique<CTraceWindowView>(request, switches);
}
