// Ranges for positions and positions for ranges.
#include "excel/cell_range.h"

bool GetSheet(const ExcelObject& worksheets, int32_t sheet, ExcelObject* worksheet) {
  return worksheets.GetObject(L"Item", worksheet, {CVariant(static_cast<LONG>(sheet))});
}

std::wstring RelativeA1Text(const CellPos& first, const CellPos& last) {
  return CAddressParser::FormatRangeAddress(L"", L"", first.column, last.column, first.row,
                                            last.row);
}

bool GetCellRange(const ExcelObject& worksheets, const CellPos& cell, ExcelObject* range) {
  return GetRectangleRange(worksheets, cell, cell, range);
}

bool GetRectangleRange(const ExcelObject& worksheets, const CellPos& first, const CellPos& last,
                       ExcelObject* range) {
  if (first.IsNoCell() || last.IsNoCell() || first.sheet != last.sheet) return false;
  ExcelObject sheet;
  return GetSheet(worksheets, first.sheet, &sheet) && GetRangeOnSheet(sheet, first, last, range);
}

bool GetRangeOnSheet(const ExcelObject& worksheet, const CellPos& first, const CellPos& last,
                     ExcelObject* range) {
  if (first.IsNoCell() || last.IsNoCell()) return false;
  return worksheet.GetObject(L"Range", range, {CVariant(RelativeA1Text(first, last))});
}

bool GetRangePosition(const ExcelObject& range, CAddressParser& parser, CellPos* first,
                      CellPos* last) {
  ExcelObject sheet;
  LONG index = 0;
  std::wstring address;
  if (!range.GetObject(L"Parent", &sheet) || !sheet.GetLong(L"Index", &index) ||
      !range.GetText(L"Address", &address)) {
    return false;
  }
  parser.SetCurrentCell({static_cast<int32_t>(index), 1, 1});
  if (!parser.Parse(address) || parser.IsExternal()) return false;
  *first = parser.First();
  *last = parser.Last();
  return true;
}
