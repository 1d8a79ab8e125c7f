#include "cli/trace_view.h"

#include "excel/cell_range.h"
#include "views/item_fields.h"
#include "views/trace_filler.h"

namespace {
// Long enough for any formula Excel keeps (8192 characters) in every column.
constexpr size_t kTextBuffer = 4 * 8192 + 1024;
}  // namespace

bool ChildrenNotReady(const TraceView& view, TreeItem item) {
  static const std::wstring notReady(kNotReadyText);
  const TreeItem first = view.tree->FirstChild(item);
  return first != kNoItem && view.referenceOf(first) == nullptr &&
         view.tree->TextIs(first, notReady);
}

std::vector<std::wstring> ColumnTexts(const TraceView& view, TreeItem item) {
  const size_t count = view.columns.size();
  // Items without an entry (placeholders, the evaluate tree's sub-expressions) carry their
  // texts themselves.
  const std::wstring text = view.referenceOf(item) == nullptr && view.tree->HasText(item)
                                ? *view.tree->Text(item)
                                : view.itemText(item, kTextBuffer);
  return ItemFields(text, count);
}

namespace {

// Sheets past this index are fetched for each cell rather than kept.
constexpr int32_t kMostKeptSheets = 4096;

bool CellRangeOf(const TraceView& view, const CellPos& cell, ExcelObject* range) {
  if (cell.sheet < 1 || cell.sheet > kMostKeptSheets) {
    return GetCellRange(view.container->Worksheets(), cell, range);
  }
  const auto index = static_cast<size_t>(cell.sheet);
  if (view.sheets.size() <= index) view.sheets.resize(index + 1);
  ExcelObject& sheet = view.sheets[index];
  if (sheet.IsEmpty() && !GetSheet(view.container->Worksheets(), cell.sheet, &sheet)) return false;
  return GetRangeOnSheet(sheet, cell, cell, range);
}

// The reference of an item that stands for one cell of this workbook, else null.
const CellReference* SingleCellOf(const TraceView& view, TreeItem item) {
  const CellReference* reference = view.referenceOf(item);
  if (reference == nullptr || !reference->IsSingleCell() || reference->externalId != 0 ||
      (reference->flags & RefNameNotRange) != 0 || reference->first.IsNoCell()) {
    return nullptr;
  }
  return reference;
}

}  // namespace

bool ItemHasError(const TraceView& view, TreeItem item, const CellContent* content) {
  const CellReference* reference = view.referenceOf(item);
  if (reference == nullptr || reference->nameId != 0 || reference->externalId != 0) return false;
  const CellReference* cell = SingleCellOf(view, item);
  if (cell == nullptr || view.container == nullptr) return view.isError(item);
  // The cell's value is what evaluating ISERROR of it tests, without a formula parsed for each
  // item; a test the container made already stays the answer, as it would for the evaluation.
  if (const std::optional<bool> tested = view.container->Answers().ErrorTest(cell->first)) {
    return *tested;
  }
  if (content != nullptr) return content->value.Kind() == VT_ERROR;
  ExcelObject range;
  CVariant value;
  if (!CellRangeOf(view, cell->first, &range) ||
      !range.GetValue(L"Value2", &value)) {
    return view.isError(item);
  }
  return value.Kind() == VT_ERROR;
}

bool IsHighlighted(const TraceView& view, TreeItem item) {
  return view.highlightErrors && view.referenceOf(item) != nullptr && ItemHasError(view, item);
}

std::optional<CellContent> ReadCellContent(const TraceView& view, TreeItem item) {
  const CellReference* reference = SingleCellOf(view, item);
  if (reference == nullptr || view.container == nullptr) return std::nullopt;
  ExcelObject range;
  if (!CellRangeOf(view, reference->first, &range)) return std::nullopt;
  CellContent content;
  if (!range.GetValue(L"Value2", &content.value)) return std::nullopt;
  const bool hasFormula = range.IsTrue(L"HasFormula");
  if (hasFormula) {
    std::wstring formula;
    if (range.GetText(L"Formula", &formula)) content.formula = formula;
  }
  if (view.wantsCellTexts && view.wantsCellTexts(reference->first)) {
    view.keepCellTexts(reference->first, ReadRangeTexts(range, hasFormula));
  }
  return content;
}
