// Writing back what the user typed for a cell in a trace window.
#pragma once

#include <string_view>

#include "excel/excel_object.h"
#include "formula/cell_pos.h"

namespace excel {

// A constant cell takes the text as its Value; a formula cell as its FormulaLocal, in the user's
// own conventions; a cell of an array formula as the whole array's FormulaArray. Nothing happens
// when the cell or what it holds cannot be read; failed writes are not reported.
void WriteCellContent(const ExcelObject& worksheets, const CellPos& cell, std::wstring_view text);

}  // namespace excel
