// What the printers read of a filled trace: its title, columns and items, each with its texts.
#pragma once

#include <string>
#include <vector>

#include "views/trace_filler.h"
#include "views/trace_tree.h"

inline const std::vector<std::wstring> kTraceColumns = {L"Cell", L"Sheet", L"Value", L"Formula"};

struct TraceView {
  std::wstring title;
  CTraceTree* tree = nullptr;
  CTraceFiller* filler = nullptr;
  CDependencyContainer* container = nullptr;
};

std::vector<TreeItem> ChildItems(const CTraceTree& tree, TreeItem item);
// Whether the item's children are still behind a "not ready" placeholder.
bool ChildrenNotReady(const TraceView& view, TreeItem item);
// The four column texts of an item.
std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item);
