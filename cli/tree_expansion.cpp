// Opening a window's tree for printing, each branch once, on a work list.
#include "cli/tree_expansion.h"

#include <climits>
#include <map>
#include <vector>

#include "views/population_tree_progress.h"
#include "views/trace_filler.h"

namespace {

// What an item's children depend on, so that items with equal keys have equal branches: a name
// that is no range opens into its definition, so it is known by its id (every such name has the
// same empty corners); another workbook's reference by its id; anything else by its cells,
// whatever name or text it shows.
CellReference BranchKey(const CellReference& reference) {
  CellReference key;
  if (reference.externalId != 0) {
    key.externalId = reference.externalId;
  } else if ((reference.flags & RefNameNotRange) != 0) {
    key.nameId = reference.nameId;
  } else {
    key.first = reference.first;
    key.last = reference.last;
  }
  return key;
}

}  // namespace

std::set<TreeItem> ExpandEachBranchOnce(CTraceTree& tree, const TraceView& view,
                                        std::optional<int> depth) {
  std::set<TreeItem> repeated;
  // The levels left below each branch when it was opened; a later item with more levels left
  // is opened again, so --depth never shows less than it asks for. Without a depth each branch
  // opens once.
  std::map<CellReference, int> opened;
  // The next sibling to visit on each level, so no level's children are copied.
  struct Pending {
    TreeItem next;
    int level;  // 0 for the top items
  };
  std::vector<Pending> stack{{tree.FirstChild(tree.Root()), 0}};

  CPopulationTreeProgress progress;
  progress.SetTitle(L"Trelvane - expanding tree");
  if (view.container != nullptr) progress.Begin(view.container->Progress());
  while (!stack.empty() && progress.MayContinue()) {
    const Pending at = stack.back();
    if (at.next == kNoItem) {
      stack.pop_back();
      continue;
    }
    // Opening an item changes only what is under it, never its siblings.
    stack.back().next = tree.NextSibling(at.next);
    const TreeItem item = at.next;
    progress.Tick();
    if (tree.FirstChild(item) == kNoItem) continue;
    const CellReference* reference = view.referenceOf(item);
    if (reference != nullptr) {
      const int left = depth ? *depth - at.level : INT_MAX;
      const CellReference key = BranchKey(*reference);
      const auto before = opened.find(key);
      if (before != opened.end() && before->second >= left) {
        repeated.insert(item);
        continue;
      }
      if (ChildrenNotReady(view, item)) {
        if (left <= 0) continue;
        tree.Expand(item);
        if (ChildrenNotReady(view, item)) continue;  // nothing came of it
      }
      opened.insert_or_assign(key, left);
    }
    stack.push_back({tree.FirstChild(item), at.level + 1});
  }
  progress.End();
  return repeated;
}
