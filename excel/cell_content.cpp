// Write-back of an edited cell.
#include "excel/cell_content.h"

#include "excel/cell_range.h"

namespace excel {

void WriteCellContent(const ExcelObject& worksheets, const CellPos& cell, std::wstring_view text) {
  ExcelObject range;
  if (!GetCellRange(worksheets, cell, &range)) return;
  bool hasFormula = false;
  if (!range.GetBool(L"HasFormula", &hasFormula)) return;
  if (!hasFormula) {
    range.PutText(L"Value", text);
    return;
  }
  bool inArray = false;
  if (!range.GetBool(L"HasArray", &inArray)) return;
  if (!inArray) {
    range.PutText(L"FormulaLocal", text);
    return;
  }
  ExcelObject array;
  if (range.GetObject(L"CurrentArray", &array)) array.PutText(L"FormulaArray", text);
}

}  // namespace excel
