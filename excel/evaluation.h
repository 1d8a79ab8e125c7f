// Evaluation in Excel: expressions on a sheet, cell values, and an expression evaluated as if it
// were a cell's formula. The dependency container's IEvalProvider forwards to these, which is
// why they live in a namespace: inside the container the bare names are its own members.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "excel/excel_object.h"
#include "formula/cell_pos.h"

namespace excel {

// Worksheets.Item(sheet).Evaluate(expression), handed back as Excel answers it; empty when a
// call fails.
CVariant EvaluateOnSheet(const ExcelObject& worksheets, std::wstring_view expression,
                         int32_t sheet);

// EvaluateOnSheet as text (ResultText): how the parser turns OFFSET and INDIRECT calls into the
// address of the range they return.
std::wstring EvaluateToText(const ExcelObject& worksheets, std::wstring_view expression,
                            int32_t sheet);

// An evaluation result as text: a range reads as its sheet's name in apostrophes, "!" and its
// absolute address ("'Data'!$B$2"), or the address alone when the sheet's name cannot be read;
// a union's address names the sheet once, as Excel writes it ("'Data'!$A$1:$A$2,$C$1");
// anything else by EvaluationText.
std::wstring ResultText(const CVariant& value);

// The cell's Value; false when the range cannot be had or the read fails.
bool CellValue(const ExcelObject& worksheets, int32_t sheet, int32_t column, int32_t row,
               CVariant& value);

// The value, as text (EvaluationText), that `expression` has when it stands in `cell` as its
// formula, or in the whole array when the cell belongs to one. The formula is put back whatever
// happens, under a RecalcPauseGuard on `application`. Empty text whenever a step fails.
std::wstring EvaluateInCell(const ExcelObject& application, const ExcelObject& worksheets,
                            std::wstring_view expression, const CellPos& cell);

}  // namespace excel
