// Between cell positions and Range objects. A position is {sheet index in Worksheets, column,
// row}; the no-cell positions (0,0,0) and (-1,-1,-1) never reach Excel.
#pragma once

#include <string>

#include "excel/excel_object.h"
#include "formula/address_parser.h"
#include "formula/cell_pos.h"

// Worksheets.Item(index).
bool GetSheet(const ExcelObject& worksheets, int32_t sheet, ExcelObject* worksheet);

// The relative A1 text of a cell ("B3") or of the rectangle between two corners ("B3:D7"),
// without a sheet; one cell when the corners are the same.
std::wstring RelativeA1Text(const CellPos& first, const CellPos& last);

// Worksheets.Item(sheet).Range(text) for one cell, or for the rectangle between two corners on
// the same sheet. Fails for a no-cell corner and for corners on different sheets.
bool GetCellRange(const ExcelObject& worksheets, const CellPos& cell, ExcelObject* range);
bool GetRectangleRange(const ExcelObject& worksheets, const CellPos& first, const CellPos& last,
                       ExcelObject* range);
// The same on a sheet the caller already holds; `first.sheet` is then not used.
bool GetRangeOnSheet(const ExcelObject& worksheet, const CellPos& first, const CellPos& last,
                     ExcelObject* range);

// The corners of a range: the sheet from Parent.Index, the cells from Address read by `parser`
// (the container's, for its sheet map and names). The parser's current cell is changed. On
// failure the corners are left as they were.
bool GetRangePosition(const ExcelObject& range, CAddressParser& parser, CellPos* first,
                      CellPos* last);
