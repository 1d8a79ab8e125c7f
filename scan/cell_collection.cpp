// Collecting one cell's formula.
#include "scan/cell_collection.h"

#include <string>

#include "excel/cell_range.h"

namespace {

bool Holds(const CellRect& rect, const CellPos& cell) {
  return cell.sheet == rect.first.sheet && cell.column >= rect.first.column &&
         cell.column <= rect.last.column && cell.row >= rect.first.row && cell.row <= rect.last.row;
}

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

}  // namespace

CellPos ArrayOriginOf(const CDependencyContainer& container, const CellPos& cell) {
  for (const CellRect& rect : container.Formulas().Arrays()) {
    if (Holds(rect, cell)) return rect.first;
  }
  return cell;
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

void EnsureCellCollected(CDependencyContainer& container, const CellPos& cell) {
  if (container.Formulas().AllCollected() || container.Formulas().Contains(cell)) return;
  ExcelObject range;
  if (GetCellRange(container.Worksheets(), cell, &range)) {
    CollectCellFormula(container, range, cell);
  }
}
