// What the printers read of a filled window tree: its title, columns and items, each with its
// texts. Trace and evaluate windows fill the same tree; the view reaches their fillers through
// two functions.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "cli/cell_blocks.h"
#include "formula/cell_reference.h"
#include "platform/variant.h"
#include "views/cell_text_cache.h"
#include "views/trace_tree.h"

inline const std::vector<std::wstring> kTraceColumns = {L"Cell", L"Sheet", L"Value", L"Formula"};
inline const std::vector<std::wstring> kEvaluateColumns = {L"Formula", L"Value"};

struct TraceView {
  std::wstring title;
  std::vector<std::wstring> columns;
  CTraceTree* tree = nullptr;
  CDependencyContainer* container = nullptr;
  // The node-map entry of an item, null for items without one.
  std::function<const CellReference*(TreeItem)> referenceOf;
  // The column texts joined by tabs, at most `size` less one characters.
  std::function<std::wstring(TreeItem, size_t)> itemText;
  // Whether the item's cells hold an error value, whatever the switches.
  std::function<bool(TreeItem)> isError;
  // The window's highlight switch: error items are then drawn in red.
  bool highlightErrors = false;
  // Whether an item was left closed because the same cells were opened earlier in the tree.
  std::function<bool(TreeItem)> isRepeated;
  // For a filler that shows cells' texts from a cache: whether the cell's are still to be read,
  // and keeping them when ReadCellContent has read them with the rest.
  std::function<bool(const CellPos&)> wantsCellTexts;
  std::function<void(const CellPos&, const CellTexts&)> keepCellTexts;
  // The cells' reads while the view is printed: worksheets fetched once, runs read as blocks.
  mutable CCellBlocks cells;
};

// What one cell holds, read from the workbook as scripts want it rather than as shown.
struct CellContent {
  CVariant value;                       // Range.Value2: number, text, Boolean, error or empty
  std::optional<std::wstring> formula;  // Range.Formula when the cell has one
};

// Calls `visit(item, depth, repeated)` for every item in display order, parents before their
// children; `visit` returns whether the item's children follow. An explicit stack of the next
// sibling on each level keeps deep chains safe and holds nothing per item.
template <class Visit>
void ForEachShownItem(const TraceView& view, Visit&& visit) {
  std::vector<TreeItem> next{view.tree->FirstChild(view.tree->Root())};
  while (!next.empty()) {
    const TreeItem item = next.back();
    if (item == kNoItem) {
      next.pop_back();
      continue;
    }
    next.back() = view.tree->NextSibling(item);
    const bool repeated = view.isRepeated && view.isRepeated(item);
    if (visit(item, next.size() - 1, repeated)) next.push_back(view.tree->FirstChild(item));
  }
}

// Whether the item's children are still behind a "not ready" placeholder.
bool ChildrenNotReady(const TraceView& view, TreeItem item);
// The column texts of an item, from its filler or, for an item without an entry, its own text.
std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item);
// Whether the item's cells hold an error value. For one cell of this workbook the cell's value
// answers, from `content` when the caller has read it (an error test the container already made
// for the cell comes first); anything else asks the view's isError.
bool ItemHasError(const TraceView& view, TreeItem item, const CellContent* content = nullptr);
// Whether the item is drawn highlighted: an error item while the switch is on.
bool IsHighlighted(const TraceView& view, TreeItem item);
// The content of an item that stands for one cell of this workbook; nothing for ranges, names
// that are no range, other workbooks and the evaluate tree's sub-expressions. The same read
// gives the view's filler the cell's shown texts when it still wants them.
std::optional<CellContent> ReadCellContent(const TraceView& view, TreeItem item);
// Gives the view's filler the item's cell texts when they are still wanted and the cell is one
// of a run read as a block; other cells are left to the filler's own reads.
void KeepRunCellTexts(const TraceView& view, TreeItem item);
