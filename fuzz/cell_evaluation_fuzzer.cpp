// Fuzzes the embedded spreadsheet's expression parser and evaluator: any formula text stands in
// a cell of a small workbook (numbers, text, an error, names, a table), is calculated, and is
// evaluated again as Worksheet.Evaluate and as an array formula. A slow formula is a finding
// through libFuzzer's time limit.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_text.h"
#include "spreadsheet/calc/calculator.h"
#include "spreadsheet/calc/expression_parser.h"
#include "spreadsheet/model/workbook.h"

namespace {

std::unique_ptr<spreadsheet::CWorkbook> SmallWorkbook() {
  using spreadsheet::CellValue;
  auto book = std::make_unique<spreadsheet::CWorkbook>();
  spreadsheet::CWorksheet& sheet = book->AddSheet(L"Sheet1");
  book->AddSheet(L"Other Sheet");
  for (int32_t row = 1; row <= 6; ++row) {
    sheet.SetValue({row, 1}, CellValue::Number(row * 1.5 - 2));
    sheet.SetValue({row, 2}, CellValue::Text(row % 2 == 0 ? L"apple" : L"12"));
  }
  sheet.SetValue({7, 1}, CellValue::Error(spreadsheet::ErrorCode::Div0));
  sheet.SetValue({7, 2}, CellValue::Boolean(true));
  sheet.SetFormula({1, 3}, L"SUM(A1:A6)");
  sheet.SetFormula({2, 3}, L"C1*2");
  book->Sheet(2).SetValue({1, 1}, CellValue::Number(42));
  book->AddName({L"Block", L"=Sheet1!$A$1:$B$6", 0, false});
  book->AddName({L"Rate", L"=0.25", 0, false});
  book->AddName({L"Loop", L"=Loop+1", 0, false});
  spreadsheet::Table table;
  table.name = L"Fruit";
  table.range = {{10, 1}, {13, 2}};
  table.columns = {L"Name", L"Price"};
  sheet.SetValue({10, 1}, CellValue::Text(L"Name"));
  sheet.SetValue({10, 2}, CellValue::Text(L"Price"));
  for (int32_t row = 11; row <= 13; ++row) {
    sheet.SetValue({row, 1}, CellValue::Text(L"pear"));
    sheet.SetValue({row, 2}, CellValue::Number(row));
  }
  sheet.Tables().push_back(table);
  return book;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text = fuzz_support::WideText(fuzz_support::Bytes(data, size));
  spreadsheet::ParseExpression(text);
  if (!text.empty() && text.front() == L'=') text.erase(0, 1);

  auto book = SmallWorkbook();
  book->Sheet(1).SetFormula({4, 4}, text);
  spreadsheet::CCalculator calculator;
  // Arithmetic over whole columns is millions of cells of linear work, seconds under the
  // sanitizers; a sixteenth of the usual budget leaves the time limit to blow-ups.
  calculator.SetArrayCellBudget(spreadsheet::kMaxArrayCellsPerEvaluation / 16);
  calculator.Attach(*book);
  calculator.Calculate(true);
  calculator.Evaluate(*book, 1, text, false);
  calculator.EvaluateAsCell(*book, 1, {5, 5}, text, true);
  return 0;
}
