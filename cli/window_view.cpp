#include "cli/window_view.h"

#include <utility>
#include <vector>

#include "scan/error_test.h"

namespace {

// Opens `levels` levels below the top, one level at a time.
void ExpandLevels(CTraceTree& tree, const TraceView& view, int levels) {
  std::vector<TreeItem> level = ChildItems(tree, tree.Root());
  for (int opened = 0; opened < levels && !level.empty(); ++opened) {
    std::vector<TreeItem> next;
    for (const TreeItem item : level) {
      if (ChildrenNotReady(view, item)) tree.Expand(item);
      for (const TreeItem child : ChildItems(tree, item)) next.push_back(child);
    }
    level = std::move(next);
  }
}

// An item shows an error when its cells hold one, whatever the filler.
template <class Filler>
TraceView MakeView(std::wstring title, const std::vector<std::wstring>& columns, CTraceTree& tree,
                   CDependencyContainer& container, Filler& filler) {
  TraceView view;
  view.title = std::move(title);
  view.columns = columns;
  view.tree = &tree;
  view.container = &container;
  view.referenceOf = [&filler](TreeItem item) { return filler.ReferenceOf(item); };
  view.itemText = [&filler](TreeItem item, size_t size) { return filler.ItemText(item, size); };
  view.isError = [&filler, &container](TreeItem item) {
    const CellReference* reference = filler.ReferenceOf(item);
    return reference != nullptr && reference->nameId == 0 && reference->externalId == 0 &&
           RangeHasError(container, reference->first, reference->last);
  };
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
  filler.Switches().highlightErrors |= switches.highlightErrors;
  filler.Switches().filterHighlighted |= switches.filterErrors;
  logic_->Fill();
  view_ = MakeView(logic_->Title(), kTraceColumns, tree_, container, filler);
}

void CTraceWindowView::Expand(std::optional<int> depth) {
  const TreeItem top = tree_.FirstChild(tree_.Root());
  if (IsFlatListKind(request_.kind) || top == kNoItem) return;
  if (depth) {
    ExpandLevels(tree_, view_, *depth);
  } else if (request_.kind != TraceKind::kTraceError) {  // filled whole already
    tree_.Select(top);
    filler_->ExpandAll();
  }
}

CEvaluateWindowView::CEvaluateWindowView(const WindowRequest& request) : request_(request) {
  CDependencyContainer& container = *request_.container;
  filler_ = std::make_unique<CEvaluateFiller>(container, tree_);
  CEvaluateFiller& filler = *filler_;
  tree_.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(request_.root);
  filler.Fill();
  view_ = MakeView(EvaluateWindowTitle(container, request_.root), kEvaluateColumns, tree_,
                   container, filler);
}

void CEvaluateWindowView::Expand(std::optional<int> depth) {
  const TreeItem top = tree_.FirstChild(tree_.Root());
  if (top == kNoItem) return;
  if (depth) {
    ExpandLevels(tree_, view_, *depth);
  } else {
    tree_.Select(top);
    filler_->ExpandAll();
  }
}

std::unique_ptr<IOpenedWindow> OpenWindowFor(const WindowRequest& request,
                                             const WindowSwitches& switches) {
  if (request.kind == TraceKind::kEvaluateFormula) {
    return std::make_unique<CEvaluateWindowView>(request);
  }
  return std::make_unique<CTraceWindowView>(request, switches);
}
