// Reading the line of a cell or of a name for a saved branch.
#include "export/branch_cell_line.h"

#include "excel/cell_range.h"

std::wstring RectangleName(const CDependencyContainer& container, const CellPos& first,
                           const CellPos& last) {
  return container.Structure().RectangleName(first, last);
}

bool WriteCellLine(CBranchStorage& storage, CDependencyContainer& container, const CellPos& cell,
                   std::uint32_t depth, bool expandedAbove) {
  ExcelObject range;
  if (!GetCellRange(container.Worksheets(), cell, &range)) return false;
  WriteCellLine(storage, container, range, cell, depth, expandedAbove);
  return true;
}

void WriteCellLine(CBranchStorage& storage, const CDependencyContainer& container,
                   const ExcelObject& range, const CellPos& cell, std::uint32_t depth,
                   bool expandedAbove) {
  bool hasFormula = false;
  range.GetBool(L"HasFormula", &hasFormula);
  std::wstring formula;
  if (hasFormula) range.GetText(L"FormulaLocal", &formula);
  std::wstring value;
  range.GetText(L"Text", &value);
  storage.WriteCell(cell, RectangleName(container, cell, cell), formula, value, depth,
                    expandedAbove);
}

bool WriteNameLine(CBranchStorage& storage, const CDependencyContainer& container, int32_t nameId,
                   std::uint32_t depth, bool expandedAbove) {
  const NameRecord* record = container.Structure().FindName(nameId);
  if (record == nullptr) return false;
  storage.WriteName(record->name, record->refersTo, depth, expandedAbove);
  return true;
}

bool IsNameEntry(const CellReference& entry) {
  return entry.externalId == 0 && entry.nameId > 0 && (entry.flags & RefNameNotRange) != 0;
}
