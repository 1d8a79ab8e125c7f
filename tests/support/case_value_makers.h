// Short makers for the values that tables of worksheet-function cases are written in: the cells
// a test fills (N, T) and the results it expects (Num, Txt, Err). Short on purpose, so that a
// row of a table stays one line.
#pragma once

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/error_code.h"

namespace test_support {

inline spreadsheet::CellValue N(double number) {
  return spreadsheet::CellValue::Number(number);
}
inline spreadsheet::CellValue T(const wchar_t* text) {
  return spreadsheet::CellValue::Text(text);
}

inline spreadsheet::EvalValue Num(double number) {
  return spreadsheet::EvalValue::Number(number);
}
inline spreadsheet::EvalValue Txt(const wchar_t* text) {
  return spreadsheet::EvalValue::Text(text);
}
inline spreadsheet::EvalValue Err(spreadsheet::ErrorCode code) {
  return spreadsheet::EvalValue::Error(code);
}

}  // namespace test_support
