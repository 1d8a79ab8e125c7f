// What the printers read of a filled window tree: its title, columns and items, each with its
// texts. Trace and evaluate windows fill the same tree; the view reaches their fillers through
// two functions.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/dependency_container.h"
#include "formula/cell_reference.h"
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
  // Whether an item is drawn in the error colour; the highlight switch decides it.
  std::function<bool(TreeItem)> isError;
};

std::vector<TreeItem> ChildItems(const CTraceTree& tree, TreeItem item);
// Whether the item's children are still behind a "not ready" placeholder.
bool ChildrenNotReady(const TraceView& view, TreeItem item);
// The column texts of an item, from its filler or, for an item without an entry, its own text.
std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item);
