#include "cli/trace_view.h"

#include "views/item_fields.h"
#include "views/trace_filler.h"

namespace {
// Long enough for any formula Excel keeps (8192 characters) in every column.
constexpr size_t kTextBuffer = 4 * 8192 + 1024;
}  // namespace

std::vector<TreeItem> ChildItems(const CTraceTree& tree, TreeItem item) {
  std::vector<TreeItem> children;
  for (TreeItem child = tree.FirstChild(item); child != kNoItem; child = tree.NextSibling(child)) {
    children.push_back(child);
  }
  return children;
}

bool ChildrenNotReady(const TraceView& view, TreeItem item) {
  const TreeItem first = view.tree->FirstChild(item);
  return first != kNoItem && view.referenceOf(first) == nullptr &&
         view.tree->Text(first) == std::wstring(kNotReadyText);
}

std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item) {
  const size_t count = view.columns.size();
  // Items without an entry (placeholders, the evaluate tree's sub-expressions) carry their
  // texts themselves.
  const std::wstring text = view.referenceOf(item) == nullptr && view.tree->Text(item)
                                ? *view.tree->Text(item)
                                : view.itemText(item, kTextBuffer);
  return ItemFields(text, count);
}
