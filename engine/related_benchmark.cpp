// Precedents and dependents on a workbook of 500,000 formula cells filled down as shared
// formulas: one cell's dependents after the workbook was collected (one pass over all stored
// references), and the precedents of every formula cell, from the index and on demand.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/related.h"
#include "scan/workbook_lists.h"
#include "tests/support/filled_down_workbook.h"

namespace {

using test_support::FilledDownWorkbook;
constexpr std::int32_t kRows = FilledDownWorkbook::kRows;
constexpr std::int32_t kFormulaColumns = FilledDownWorkbook::kFormulaColumns;
constexpr std::int64_t kFormulaCells = FilledDownWorkbook::kFormulaCells;

std::unique_ptr<CDependencyContainer> AttachedContainer() {
  return FilledDownWorkbook::AttachedContainer();
}

std::vector<CellPos> FormulaCells() {
  std::vector<CellPos> cells;
  cells.reserve(static_cast<size_t>(kFormulaCells));
  for (std::int32_t column = 2; column <= kFormulaColumns + 1; ++column) {
    for (std::int32_t row = 1; row <= kRows; ++row) cells.push_back({1, column, row});
  }
  return cells;
}

void BM_DependentsOfOneCell(benchmark::State& state) {
  auto container = AttachedContainer();
  CollectAllFormulas(*container);
  if (static_cast<std::int64_t>(container->Formulas().Size()) != kFormulaCells) {
    state.SkipWithError("the collection missed formulas");
    return;
  }
  const CellPos cell{1, 1, kRows / 2};
  for (auto _ : state) {
    container->Answers().Dependents().Clear();
    const SharedReferenceList dependents = DependentsOf(*container, cell);
    // B, C and F of the row refer to A directly.
    if (dependents->size() != 3) state.SkipWithError("wrong dependents");
  }
}
BENCHMARK(BM_DependentsOfOneCell)->Unit(benchmark::kMillisecond);

void BM_PrecedentsOfAllFormulaCellsCollected(benchmark::State& state) {
  auto container = AttachedContainer();
  CollectAllFormulas(*container);
  const std::vector<CellPos> cells = FormulaCells();
  for (auto _ : state) {
    size_t references = 0;
    for (const CellPos& cell : cells) references += PrecedentsOf(*container, cell)->size();
    benchmark::DoNotOptimize(references);
  }
  state.SetItemsProcessed(state.iterations() * kFormulaCells);
}
BENCHMARK(BM_PrecedentsOfAllFormulaCellsCollected)->Unit(benchmark::kMillisecond);

// Every cell read and parsed on first demand, as expanding precedent trees does.
void BM_PrecedentsOfAllFormulaCellsOnDemand(benchmark::State& state) {
  const std::vector<CellPos> cells = FormulaCells();
  for (auto _ : state) {
    state.PauseTiming();
    auto container = AttachedContainer();
    state.ResumeTiming();
    size_t references = 0;
    for (const CellPos& cell : cells) references += PrecedentsOf(*container, cell)->size();
    benchmark::DoNotOptimize(references);
    if (static_cast<std::int64_t>(container->Formulas().Size()) != kFormulaCells) {
      state.SkipWithError("formulas were missed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kFormulaCells);
}
BENCHMARK(BM_PrecedentsOfAllFormulaCellsOnDemand)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
