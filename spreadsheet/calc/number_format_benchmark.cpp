// Cost of a cell's text through the formats workbooks use most.
#include <benchmark/benchmark.h>

#include <string>

#include "spreadsheet/calc/number_format.h"
#include "spreadsheet/model/formats.h"

namespace spreadsheet {
namespace {

void FormatCells(benchmark::State& state, const std::wstring& code, double first, double step) {
  double value = first;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatCellText(CellValue::Number(value), code, false, 8.43));
    value += step;
  }
  state.SetItemsProcessed(state.iterations());
}

void General(benchmark::State& state) {
  FormatCells(state, L"General", 0.1, 1.37);
}
void Decimals(benchmark::State& state) {
  FormatCells(state, L"#,##0.00", 0.1, 13.7);
}
void Accounting(benchmark::State& state) {
  FormatCells(state, *BuiltinNumberFormat(44), -500, 1.37);
}
void Date(benchmark::State& state) {
  FormatCells(state, L"m/d/yyyy", 30000, 1);
}
void DateTime(benchmark::State& state) {
  FormatCells(state, L"m/d/yyyy h:mm:ss", 30000, 0.0137);
}
void Fraction(benchmark::State& state) {
  FormatCells(state, L"# ?\?/?\?", 0.1, 0.137);
}

// A new code on every call: the price of parsing.
void Parse(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    const CNumberFormat format(L"[>=1000000]0.0,,\"M\";[>=1000]0.0,\"K\";0" +
                               std::to_wstring(i++ % 4));
    benchmark::DoNotOptimize(format.IsValid());
  }
}

BENCHMARK(General);
BENCHMARK(Decimals);
BENCHMARK(Accounting);
BENCHMARK(Date);
BENCHMARK(DateTime);
BENCHMARK(Fraction);
BENCHMARK(Parse);

}  // namespace
}  // namespace spreadsheet

BENCHMARK_MAIN();
