// Test helpers for the calculation.
#include "spreadsheet/calc/calc_test_support.h"

#include <cmath>
#include <sstream>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calculator.h"
#include "spreadsheet/model/column_letters.h"

namespace spreadsheet::testing {

std::unique_ptr<CWorkbook> NewWorkbook() {
  auto workbook = std::make_unique<CWorkbook>();
  workbook->AddSheet(L"Sheet1");
  return workbook;
}

EvalValue Evaluate(CWorkbook& workbook, std::wstring_view formula, std::int32_t sheet, CellCoord at,
                   bool array) {
  CCalculator calculator;
  calculator.Attach(workbook);
  calculator.Calculate(false);
  return calculator.EvaluateAsCell(workbook, sheet, at, formula, array);
}

EvalValue Evaluate(std::wstring_view formula) {
  auto workbook = NewWorkbook();
  return Evaluate(*workbook, formula);
}

std::string Describe(const EvalValue& value) {
  std::ostringstream out;
  switch (value.GetKind()) {
    case EvalValue::Kind::Empty:
      out << "(empty)";
      break;
    case EvalValue::Kind::Number:
      out.precision(17);
      out << value.AsNumber();
      break;
    case EvalValue::Kind::Text:
      out << '"' << WideToUtf8(value.AsText()) << '"';
      break;
    case EvalValue::Kind::Boolean:
      out << (value.AsBoolean() ? "TRUE" : "FALSE");
      break;
    case EvalValue::Kind::Error:
      out << WideToUtf8(std::wstring(ErrorText(value.AsError())));
      break;
    case EvalValue::Kind::Reference: {
      const char* separator = "";
      for (const Area& area : value.AsAreas()) {
        out << separator << "sheet" << area.sheet << '!'
            << WideToUtf8(ColumnLetters(area.rect.first.column)) << area.rect.first.row << ':'
            << WideToUtf8(ColumnLetters(area.rect.last.column)) << area.rect.last.row;
        separator = ",";
      }
      break;
    }
    case EvalValue::Kind::Array: {
      const ValueArray& array = value.AsArray();
      out << '{';
      for (std::int32_t r = 0; r < array.rows; ++r) {
        for (std::int32_t c = 0; c < array.columns; ++c) {
          if (c > 0) out << ',';
          out << Describe(array.At(r, c));
        }
        if (r + 1 < array.rows) out << ';';
      }
      out << '}';
      break;
    }
  }
  return out.str();
}

::testing::AssertionResult IsNumber(const EvalValue& value, double expected, double tolerance) {
  if (!value.IsNumber()) {
    return ::testing::AssertionFailure() << "expected " << expected << ", got " << Describe(value);
  }
  const double scale = std::max(1.0, std::fabs(expected));
  if (std::fabs(value.AsNumber() - expected) <= tolerance * scale) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "expected " << expected << ", got " << Describe(value);
}

::testing::AssertionResult IsText(const EvalValue& value, std::wstring_view expected) {
  if (value.IsText() && value.AsText() == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected \"" << WideToUtf8(std::wstring(expected)) << "\", got " << Describe(value);
}

::testing::AssertionResult IsBoolean(const EvalValue& value, bool expected) {
  if (value.IsBoolean() && value.AsBoolean() == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << (expected ? "TRUE" : "FALSE") << ", got " << Describe(value);
}

::testing::AssertionResult IsError(const EvalValue& value, ErrorCode expected) {
  if (value.IsError() && value.AsError() == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << WideToUtf8(std::wstring(ErrorText(expected))) << ", got "
         << Describe(value);
}

}  // namespace spreadsheet::testing
