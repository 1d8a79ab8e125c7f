#include "cli/trace_view.h"

#include <cstddef>

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
  return first != kNoItem && view.filler->ReferenceOf(first) == nullptr &&
         view.tree->Text(first) == std::wstring(kNotReadyText);
}

std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item) {
  std::vector<std::wstring> fields(1);
  for (const wchar_t c : view.filler->ItemText(item, kTextBuffer)) {
    if (c == L'\t' && fields.size() < kTraceColumns.size()) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  fields.resize(kTraceColumns.size());
  return fields;
}
