// Collecting one cell's formula.
#include "scan/cell_collection.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "excel/column_block.h"
#include "excel/value_text.h"

#include "excel/cell_range.h"

namespace {

// The rectangle of the array formula the cell belongs to, from CurrentArray.
bool ReadArrayRect(const ExcelObject& cell, int32_t sheet, CellRect* rect) {
  ExcelObject array;
  ExcelObject columns;
  ExcelObject rows;
  LONG column = 0;
  LONG row = 0;
  LONG width = 0;
  LONG height = 0;
  if (!cell.GetObject(L"CurrentArray", &array) || !array.GetLong(L"Column", &column) ||
      !array.GetLong(L"Row", &row) || !array.GetObject(L"Columns", &columns) ||
      !columns.GetLong(L"Count", &width) || !array.GetObject(L"Rows", &rows) ||
      !rows.GetLong(L"Count", &height)) {
    return false;
  }
  rect->first = {sheet, static_cast<int32_t>(column), static_cast<int32_t>(row)};
  rect->last = {sheet, static_cast<int32_t>(column + width - 1),
                static_cast<int32_t>(row + height - 1)};
  return true;
}

void CollectCellByCell(CDependencyContainer& container, const CCellRun& run, int32_t begin,
                       int32_t end) {
  for (int32_t index = begin; index < end; ++index) {
    ExcelObject cell;
    if (run.Cell(index, &cell)) CollectCellFormula(container, cell, run.Position(index));
  }
}

}  // namespace

CellPos ArrayOriginOf(const CDependencyContainer& container, const CellPos& cell) {
  const CellRect* array = container.Formulas().ArrayHolding(cell);
  return array != nullptr ? array->first : cell;
}

void CollectCellFormula(CDependencyContainer& container, const ExcelObject& cell,
                        const CellPos& position) {
  bool hasFormula = false;
  cell.GetBool(L"HasFormula", &hasFormula);
  if (!hasFormula) return;
  CellPos origin = ArrayOriginOf(container, position);
  bool hasArray = false;
  cell.GetBool(L"HasArray", &hasArray);
  if (hasArray) {
    // A later cell of an array already recorded: its formula is the first cell's.
    if (origin != position) return;
    CellRect rect;
    if (!ReadArrayRect(cell, position.sheet, &rect)) return;
    container.Formulas().AddArray(rect);
    origin = rect.first;
  }
  if (container.Formulas().Contains(origin)) return;
  std::wstring formula;
  if (!cell.GetText(L"Formula", &formula) || formula.empty()) return;
  container.Formulas().Add(origin, container.ParseFormula(formula, origin));
}

void CollectRunFormulas(CDependencyContainer& container, const CCellRun& run) {
  // A stretch this short costs fewer calls cell by cell.
  constexpr int32_t kCellByCell = 2;
  std::vector<std::pair<int32_t, int32_t>> pending{{0, run.Size()}};  // [begin, end)
  while (!pending.empty()) {
    auto [begin, end] = pending.back();
    pending.pop_back();
    // Cells collected already (on demand, before the walk) are not read again.
    while (begin < end && container.Formulas().Contains(run.Position(begin))) ++begin;
    while (end > begin && container.Formulas().Contains(run.Position(end - 1))) --end;
    if (begin == end) continue;
    ExcelObject range;
    CVariant hasFormula;
    CVariant hasArray;
    CVariant formulas;
    CColumnBlock texts;
    if (end - begin <= kCellByCell || !run.Range(begin, end - begin, &range) ||
        !range.GetValue(L"HasFormula", &hasFormula)) {
      CollectCellByCell(container, run, begin, end);
      continue;
    }
    if (hasFormula.Kind() == VT_NULL) {
      const int32_t middle = begin + (end - begin) / 2;
      pending.emplace_back(middle, end);
      pending.emplace_back(begin, middle);
      continue;
    }
    if (hasFormula.Kind() == VT_BOOL && hasFormula.Get()->boolVal == VARIANT_FALSE) continue;
    // Cells of array formulas take the cell-by-cell way, which records their ranges.
    if (!range.GetValue(L"HasArray", &hasArray) || hasArray.Kind() != VT_BOOL ||
        hasArray.Get()->boolVal != VARIANT_FALSE || !range.GetValue(L"Formula", &formulas) ||
        !texts.Assign(std::move(formulas), end - begin)) {
      CollectCellByCell(container, run, begin, end);
      continue;
    }
    for (int32_t index = begin; index < end; ++index) {
      const CellPos position = run.Position(index);
      if (container.Formulas().Contains(position)) continue;
      const VARIANT& text = texts[index - begin];
      std::wstring converted;
      std::wstring_view formula;
      if (text.vt == VT_BSTR && text.bstrVal != nullptr) {
        formula = std::wstring_view(text.bstrVal, SysStringLen(text.bstrVal));
      } else if (PropertyText(CVariant(text), &converted)) {
        formula = converted;
      }
      if (!formula.empty()) container.Formulas().Add(position, container.ParseFormula(formula, position));
    }
  }
}

void EnsureCellCollected(CDependencyContainer& container, const CellPos& cell) {
  if (container.Formulas().AllCollected() || container.Formulas().Contains(cell)) return;
  ExcelObject range;
  if (GetCellRange(container.Worksheets(), cell, &range)) {
    CollectCellFormula(container, range, cell);
  }
}
