// Evaluation through Worksheet.Evaluate, and in a cell's context.
#include "excel/evaluation.h"

#include "excel/cell_range.h"
#include "excel/scope_guards.h"
#include "excel/value_text.h"

namespace excel {

CVariant EvaluateOnSheet(const ExcelObject& worksheets, std::wstring_view expression,
                         int32_t sheet) {
  ExcelObject worksheet;
  CVariant result;
  if (!GetSheet(worksheets, sheet, &worksheet) ||
      !worksheet.CallMethod(L"Evaluate", &result, {CVariant(expression)})) {
    result.Clear();
  }
  return result;
}

std::wstring EvaluateToText(const ExcelObject& worksheets, std::wstring_view expression,
                            int32_t sheet) {
  return ResultText(EvaluateOnSheet(worksheets, expression, sheet));
}

std::wstring ResultText(const CVariant& value) {
  if (value.Kind() == VT_DISPATCH && value.Get()->pdispVal != nullptr) {
    const ExcelObject range(value.Get()->pdispVal);
    std::wstring address;
    if (range.GetText(L"Address", &address)) {
      ExcelObject sheet;
      std::wstring name;
      if (range.GetObject(L"Parent", &sheet) && sheet.GetText(L"Name", &name)) {
        return L'\'' + name + L"'!" + address;
      }
      return address;
    }
  }
  return EvaluationText(value);
}

bool CellValue(const ExcelObject& worksheets, int32_t sheet, int32_t column, int32_t row,
               CVariant& value) {
  ExcelObject range;
  return GetCellRange(worksheets, {sheet, column, row}, &range) && range.GetValue(L"Value", &value);
}

std::wstring EvaluateInCell(const ExcelObject& application, const ExcelObject& worksheets,
                            std::wstring_view expression, const CellPos& cell) {
  ExcelObject sheet;
  ExcelObject range;
  if (cell.IsNoCell() || !GetSheet(worksheets, cell.sheet, &sheet) ||
      !GetRangeOnSheet(sheet, cell, cell, &range)) {
    return {};
  }
  bool inArray = false;
  if (!range.GetBool(L"HasArray", &inArray)) return {};
  ExcelObject target = range;
  if (inArray && !range.GetObject(L"CurrentArray", &target)) return {};
  const wchar_t* const member = inArray ? L"FormulaArray" : L"Formula";
  std::wstring saved;
  if (!target.GetText(member, &saved)) return {};

  CVariant value;
  bool valueRead = false;
  {
    const RecalcPauseGuard pause(application);
    if (!target.PutText(member, L"=" + std::wstring(expression))) return {};
    std::wstring address;
    if (target.GetText(L"Address", &address)) {
      // With recalculation paused, evaluating the address is what makes Excel calculate it.
      CVariant ignored;
      sheet.CallMethod(L"Evaluate", &ignored, {CVariant(address)});
      valueRead = range.GetValue(L"Value", &value);
    }
    target.PutText(member, saved);
  }
  return valueRead ? EvaluationText(value) : std::wstring();
}

}  // namespace excel
