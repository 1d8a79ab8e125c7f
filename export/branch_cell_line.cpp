// Reading a cell's line for a saved branch.
#include "export/branch_cell_line.h"

#include "excel/cell_range.h"
#include "formula/cell_reference.h"

std::wstring RectangleName(const CDependencyContainer& container, const CellPos& first,
                           const CellPos& last) {
  CellReference key;
  key.first = first;
  key.last = last;
  const auto found = container.rectangleNames_.find(key);
  return found == container.rectangleNames_.end() ? std::wstring() : found->second;
}

bool WriteCellLine(CBranchStorage& storage, CDependencyContainer& container, const CellPos& cell,
                   std::uint32_t depth) {
  ExcelObject range;
  if (!GetCellRange(container.Worksheets(), cell, &range)) return false;
  WriteCellLine(storage, container, range, cell, depth);
  return true;
}

void WriteCellLine(CBranchStorage& storage, const CDependencyContainer& container,
                   const ExcelObject& range, const CellPos& cell, std::uint32_t depth) {
  bool hasFormula = false;
  range.GetBool(L"HasFormula", &hasFormula);
  std::wstring formula;
  if (hasFormula) range.GetText(L"FormulaLocal", &formula);
  std::wstring value;
  range.GetText(L"Text", &value);
  storage.WriteCell(cell, RectangleName(container, cell, cell), formula, value, depth);
}
