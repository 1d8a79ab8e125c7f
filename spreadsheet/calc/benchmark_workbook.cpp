#include "spreadsheet/calc/benchmark_workbook.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "spreadsheet/model/cell.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {
namespace {

constexpr std::int32_t kColumnA = 1;
constexpr std::int32_t kColumnB = 2;
constexpr std::int32_t kColumnC = 3;
constexpr std::int32_t kColumnD = 4;
constexpr std::int32_t kColumnE = 5;

double InputAt(const RecalculationWorkbookShape& shape, std::int32_t row) {
  const double input = static_cast<double>((row * 37) % 1000) / 4.0;
  return row == 1 ? input + shape.firstInputBump : input;
}
double LookupValue(std::int32_t key) {
  return key * 0.5 + static_cast<double>(key % 7);
}
double CriteriaValue(std::int32_t row) {
  return 25.0 * row;
}

// One shared formula filled down a whole column from `firstRow`.
void FillDown(CWorksheet& sheet, std::int32_t column, std::int32_t firstRow, std::int32_t rows,
              const wchar_t* text) {
  const std::uint32_t record = sheet.AddFormulaRecord({FormulaRecord::Kind::Shared,
                                                       text,
                                                       {firstRow, column},
                                                       {{firstRow, column}, {rows, column}}});
  for (std::int32_t row = firstRow; row <= rows; ++row) sheet.AttachFormula({row, column}, record);
}

struct RowValues {
  double b;
  double c;
  double d;
  double e;
};

// Rows 1..rows in order, since C runs down the column.
std::vector<RowValues> ComputeRows(const RecalculationWorkbookShape& shape) {
  const std::int32_t rows = shape.rows;
  std::vector<RowValues> out;
  out.reserve(static_cast<std::size_t>(rows));
  double total = 0.0;
  for (std::int32_t row = 1; row <= rows; ++row) {
    const double a = InputAt(shape, row);
    // No A/3 here lies halfway between two hundredths, so plain rounding is Excel's ROUND.
    const double b = a * 1.07 + std::round(a / 3.0 * 100.0) / 100.0;
    total += b;
    const double d = LookupValue(row % kLookupRows + 1);
    double e = b - d;
    if (total - 100.0 * std::floor(total / 100.0) > 50.0) {
      e = 0.0;
      for (std::int32_t k = 1; k <= kCriteriaRows; ++k) {
        if (CriteriaValue(k) < a) e += CriteriaValue(k);
      }
    }
    out.push_back({b, total, d, e});
  }
  return out;
}

}  // namespace

double FirstInput(const RecalculationWorkbookShape& shape) {
  return InputAt(shape, 1);
}

std::unique_ptr<CWorkbook> BuildRecalculationWorkbook(const RecalculationWorkbookShape& shape) {
  auto workbook = std::make_unique<CWorkbook>(L"Recalculation.xlsx");
  CWorksheet& data = workbook->AddSheet(L"Data");
  CWorksheet& lookup = workbook->AddSheet(L"Lookup");
  for (std::int32_t key = 1; key <= kLookupRows; ++key) {
    lookup.SetValue({key, 1}, CellValue::Number(key));
    lookup.SetValue({key, 2}, CellValue::Number(LookupValue(key)));
  }
  for (std::int32_t row = 1; row <= kCriteriaRows; ++row) {
    lookup.SetValue({row, 3}, CellValue::Number(CriteriaValue(row)));
  }

  const std::int32_t rows = shape.rows;
  for (std::int32_t row = 1; row <= rows; ++row) {
    data.SetValue({row, kColumnA}, CellValue::Number(InputAt(shape, row)));
  }
  FillDown(data, kColumnB, 1, rows, L"A1*1.07+ROUND(A1/3,2)");
  data.SetFormula({1, kColumnC}, L"B1");
  if (rows > 1) FillDown(data, kColumnC, 2, rows, L"C1+B2");
  FillDown(data, kColumnD, 1, rows, L"VLOOKUP(MOD(ROW(),1000)+1,Lookup!$A$1:$B$1000,2,0)");
  FillDown(data, kColumnE, 1, rows, L"IF(MOD(C1,100)>50,SUMIF(Lookup!$C$1:$C$10,\"<\"&A1),B1-D1)");
  return workbook;
}

std::vector<ExpectedCell> ExpectedValues(const RecalculationWorkbookShape& shape) {
  const std::vector<RowValues> values = ComputeRows(shape);
  std::vector<std::int32_t> rows = {1, 2, 3, 999, 1000, shape.rows / 2, shape.rows};
  std::erase_if(rows, [&](std::int32_t row) { return row < 1 || row > shape.rows; });
  std::vector<ExpectedCell> out;
  for (const std::int32_t row : rows) {
    const RowValues& v = values[static_cast<std::size_t>(row - 1)];
    out.push_back({{row, kColumnB}, v.b});
    out.push_back({{row, kColumnC}, v.c});
    out.push_back({{row, kColumnD}, v.d});
    out.push_back({{row, kColumnE}, v.e});
  }
  return out;
}

std::string CheckRecalculationWorkbook(const CWorkbook& workbook,
                                       const RecalculationWorkbookShape& shape) {
  const CWorksheet& data = workbook.Sheet(1);
  for (const ExpectedCell& expected : ExpectedValues(shape)) {
    const CellValue actual = data.Value(expected.cell);
    const double tolerance = 1e-9 * std::max(1.0, std::abs(expected.value));
    if (actual.Kind() == ValueKind::Number &&
        std::abs(actual.AsNumber() - expected.value) <= tolerance) {
      continue;
    }
    std::ostringstream message;
    message.precision(17);
    message << "Data R" << expected.cell.row << "C" << expected.cell.column << ": expected "
            << expected.value << ", got ";
    if (actual.Kind() == ValueKind::Number) {
      message << actual.AsNumber();
    } else {
      message << "a value of kind " << static_cast<int>(actual.Kind());
    }
    return message.str();
  }
  return {};
}

}  // namespace spreadsheet
