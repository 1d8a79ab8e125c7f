#include "cli/trace_view.h"

#include "excel/cell_range.h"
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

bool IsHighlighted(const TraceView& view, TreeItem item) {
  return view.highlightErrors && view.referenceOf(item) != nullptr && view.isError(item);
}

std::optional<CellContent> ReadCellContent(const TraceView& view, TreeItem item) {
  const CellReference* reference = view.referenceOf(item);
  if (reference == nullptr || !reference->IsSingleCell() || reference->externalId != 0 ||
      (reference->flags & RefNameNotRange) != 0 || reference->first.IsNoCell()) {
    return std::nullopt;
  }
  ExcelObject range;
  if (!GetCellRange(view.container->Worksheets(), reference->first, &range)) return std::nullopt;
  CellContent content;
  if (!range.GetValue(L"Value2", &content.value)) return std::nullopt;
  if (range.IsTrue(L"HasFormula")) {
    std::wstring formula;
    if (range.GetText(L"Formula", &formula)) content.formula = formula;
  }
  return content;
}
