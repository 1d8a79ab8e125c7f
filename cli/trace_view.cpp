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

// The reference of an item that stands for one cell of this workbook, else null.
const CellReference* SingleCellOf(const TraceView& view, TreeItem item) {
  const CellReference* reference = view.referenceOf(item);
  if (reference == nullptr || !reference->IsSingleCell() || reference->externalId != 0 ||
      (reference->flags & RefNameNotRange) != 0 || reference->first.IsNoCell()) {
    return nullptr;
  }
  return reference;
}

// How many cells, from the item's down, stand one below another as it and its next siblings:
// the run one block read can serve.
int32_t RunFrom(const TraceView& view, TreeItem item, const CellPos& cell) {
  int32_t rows = 1;
  CellPos expected{cell.sheet, cell.column, cell.row + 1};
  for (TreeItem next = view.tree->NextSibling(item);
       next != kNoItem && rows < CCellBlocks::kLongestRun; next = view.tree->NextSibling(next)) {
    const CellReference* reference = SingleCellOf(view, next);
    if (reference == nullptr || !(reference->first == expected)) break;
    ++rows;
    ++expected.row;
  }
  return rows;
}

// The cell as its run's block reads gave it, reading the run when the item starts one; null
// when it is read cell by cell.
const CCellBlocks::Cell* RunCell(const TraceView& view, TreeItem item, const CellPos& cell) {
  if (const CCellBlocks::Cell* read = view.cells.Find(cell)) return read;
  if (!view.cells.MayReadRunAt(cell)) return nullptr;
  view.cells.ReadRun(cell, RunFrom(view, item, cell));
  return view.cells.Find(cell);
}

// The shown texts of a cell from what its run gave, with its Range read for the rest.
CellTexts RunCellTexts(const ExcelObject& range, const CCellBlocks::Cell& read,
                       bool hasFormula) {
  return ReadRangeTexts(range, {hasFormula, &read.formulaLocal, read.hasArray});
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
  if (const CCellBlocks::Cell* read = view.cells.Find(cell->first)) {
    return read->value.Kind() == VT_ERROR;
  }
  ExcelObject range;
  CVariant value;
  if (!view.cells.CellRange(cell->first, &range) ||
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
  const CellPos& cell = reference->first;
  const bool wantsTexts = view.wantsCellTexts && view.wantsCellTexts(cell);
  CellContent content;
  ExcelObject range;
  if (const CCellBlocks::Cell* read = RunCell(view, item, cell)) {
    content.value = read->value;
    // The Range is read only for what the run could not tell: mixed formulas, the shown text.
    if ((!read->hasFormula || wantsTexts) && !view.cells.CellRange(cell, &range)) {
      return std::nullopt;
    }
    const bool hasFormula = read->hasFormula ? *read->hasFormula : range.IsTrue(L"HasFormula");
    if (hasFormula) content.formula = read->formula;
    if (wantsTexts) view.keepCellTexts(cell, RunCellTexts(range, *read, hasFormula));
    return content;
  }
  if (!view.cells.CellRange(cell, &range)) return std::nullopt;
  if (!range.GetValue(L"Value2", &content.value)) return std::nullopt;
  const bool hasFormula = range.IsTrue(L"HasFormula");
  if (hasFormula) {
    std::wstring formula;
    if (range.GetText(L"Formula", &formula)) content.formula = formula;
  }
  if (wantsTexts) {
    view.keepCellTexts(cell, ReadRangeTexts(range, {hasFormula, nullptr, std::nullopt}));
  }
  return content;
}

void KeepRunCellTexts(const TraceView& view, TreeItem item) {
  const CellReference* reference = SingleCellOf(view, item);
  if (reference == nullptr || view.container == nullptr || !view.wantsCellTexts ||
      !view.wantsCellTexts(reference->first)) {
    return;
  }
  const CellPos& cell = reference->first;
  const CCellBlocks::Cell* read = RunCell(view, item, cell);
  ExcelObject range;
  if (read == nullptr || !view.cells.CellRange(cell, &range)) return;
  const bool hasFormula = read->hasFormula ? *read->hasFormula : range.IsTrue(L"HasFormula");
  view.keepCellTexts(cell, RunCellTexts(range, *read, hasFormula));
}
