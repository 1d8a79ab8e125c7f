// Recalculation of a large filled-down workbook (see benchmark_workbook.h): a full recalculation,
// building and calculating from nothing, and a change to the input at the top of the chain.
// scripts/benchmark-recalculation.sh sets these beside HyperFormula on the same workbook.
// TRELVANE_RECALC_ROWS changes the number of rows (125,000 by default).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "spreadsheet/calc/benchmark_workbook.h"
#include "spreadsheet/calc/calculator.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {
namespace {

RecalculationWorkbookShape Shape() {
  RecalculationWorkbookShape shape;
  if (const char* rows = std::getenv("TRELVANE_RECALC_ROWS")) {
    shape.rows = static_cast<std::int32_t>(std::strtol(rows, nullptr, 10));
  }
  return shape;
}

// Values checked once per run, outside the timing; false after SkipWithError.
bool Verified(benchmark::State& state, const CWorkbook& workbook,
              const RecalculationWorkbookShape& shape) {
  const std::string problem = CheckRecalculationWorkbook(workbook, shape);
  if (problem.empty()) return true;
  state.SkipWithError(problem.c_str());
  return false;
}

// items_per_second counts formula cells calculated.
void Report(benchmark::State& state, std::int64_t cells, std::uint64_t evaluations) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * cells);
  state.counters["formula_cells"] = static_cast<double>(cells);
  state.counters["evaluations_per_iteration"] =
      benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kAvgIterations);
}

void BM_FullRecalculation(benchmark::State& state) {
  const RecalculationWorkbookShape shape = Shape();
  const auto workbook = BuildRecalculationWorkbook(shape);
  CCalculator calculator;
  calculator.Attach(*workbook);
  calculator.Calculate(false);
  if (!Verified(state, *workbook, shape)) return;
  const std::uint64_t before = calculator.Statistics().evaluations;
  for (auto _ : state) {
    calculator.InvalidateAll(*workbook);
    calculator.Calculate(false);
  }
  if (!Verified(state, *workbook, shape)) return;
  Report(state, FormulaCellCount(shape), calculator.Statistics().evaluations - before);
}

void BM_BuildAndCalculate(benchmark::State& state) {
  const RecalculationWorkbookShape shape = Shape();
  std::unique_ptr<CWorkbook> workbook;
  std::unique_ptr<CCalculator> calculator;
  std::uint64_t evaluations = 0;
  for (auto _ : state) {
    // Tearing the last one down is no part of building.
    state.PauseTiming();
    calculator.reset();
    workbook.reset();
    state.ResumeTiming();
    workbook = BuildRecalculationWorkbook(shape);
    calculator = std::make_unique<CCalculator>();
    calculator->Attach(*workbook);
    calculator->Calculate(false);
    evaluations += calculator->Statistics().evaluations;
  }
  if (!Verified(state, *workbook, shape)) return;
  Report(state, FormulaCellCount(shape), evaluations);
}

// A1 feeds B1 and the running total, so half the formula cells (C and E) calculate again. One
// change before the timing builds what the calculator keeps of the dependencies, which a
// first change pays for once.
void BM_InputChange(benchmark::State& state) {
  const RecalculationWorkbookShape shape = Shape();
  RecalculationWorkbookShape bumped = shape;
  bumped.firstInputBump = 1.0;
  const auto workbook = BuildRecalculationWorkbook(shape);
  CWorksheet& data = workbook->Sheet(1);
  CCalculator calculator;
  calculator.Attach(*workbook);
  calculator.Calculate(false);
  auto setInput = [&](const RecalculationWorkbookShape& to) {
    data.SetValue({1, 1}, CellValue::Number(FirstInput(to)));
    calculator.CellsChanged(*workbook, 1, CellRect::Of({1, 1}));
    calculator.Calculate(false);
  };
  setInput(bumped);
  if (!Verified(state, *workbook, bumped)) return;
  setInput(shape);
  if (!Verified(state, *workbook, shape)) return;

  const std::uint64_t before = calculator.Statistics().evaluations;
  bool isBumped = false;
  for (auto _ : state) {
    isBumped = !isBumped;
    setInput(isBumped ? bumped : shape);
  }
  const std::uint64_t evaluations = calculator.Statistics().evaluations - before;
  if (!Verified(state, *workbook, isBumped ? bumped : shape)) return;
  // B1, C and E.
  Report(state, 1 + 2 * std::int64_t{shape.rows}, evaluations);
}

BENCHMARK(BM_FullRecalculation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildAndCalculate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InputChange)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace spreadsheet

BENCHMARK_MAIN();
