// Fuzzes the number-format engine: any format code applied to numbers of every kind (dates,
// fractions, huge, tiny, negative, not finite), to text, and as a cell shows it in a column.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz/fuzz_text.h"
#include "spreadsheet/calc/number_format.h"
#include "spreadsheet/model/cell_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr double kValues[] = {0.0,     -0.0,   1.0,     -1.5,    0.333333333333,
                                       45678.75, 2958465.9999, 1e15,  -1e-300, 123456789.0,
                                       1e308,   std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::infinity()};
  const std::wstring code = fuzz_support::WideText(fuzz_support::Bytes(data, size));
  const spreadsheet::CNumberFormat format(code);
  for (const double value : kValues) {
    for (const bool date1904 : {false, true}) {
      format.Format(value, date1904, 11);
      format.Format(value, date1904, spreadsheet::kUnlimitedChars);
      spreadsheet::FormatNumber(value, code, date1904);
    }
    spreadsheet::FormatCellText(spreadsheet::CellValue::Number(value), code, false, 8.43);
  }
  format.FormatText(L"text");
  spreadsheet::FormatCellText(spreadsheet::CellValue::Text(L"abc"), code, false, 3.0);
  return 0;
}
