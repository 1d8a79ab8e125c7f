// Cells per second of the whole-workbook walk through the object model, on a generated workbook
// of 500,000 formula cells filled down as shared formulas: the walk alone, and the walk that
// collects every formula into a fresh container.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "container/dependency_container.h"
#include "scan/scan_strategies.h"
#include "scan/workbook_scan.h"
#include "tests/support/filled_down_workbook.h"

namespace {

using test_support::FilledDownWorkbook;
constexpr std::int64_t kFormulaCells = FilledDownWorkbook::kFormulaCells;
constexpr std::int64_t kCells = FilledDownWorkbook::kCells;

std::unique_ptr<CDependencyContainer> AttachedContainer() {
  return FilledDownWorkbook::AttachedContainer();
}

class CCountingStrategy final : public IScanWorkbook {
 public:
  void ProcessCell(const ExcelObject&, const CellPos&) override { ++cells; }
  std::int64_t cells = 0;
};

void BM_ScanWalkOnly(benchmark::State& state) {
  auto container = AttachedContainer();
  for (auto _ : state) {
    CCountingStrategy strategy;
    ScanWorkbook(*container, strategy);
    if (strategy.cells != kCells) state.SkipWithError("the walk missed cells");
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_ScanWalkOnly)->Unit(benchmark::kMillisecond);

void BM_ScanCollectData(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto container = AttachedContainer();
    state.ResumeTiming();
    CScanWorkbook_CollectData strategy(container.get());
    ScanWorkbook(*container, strategy);
    state.PauseTiming();
    if (static_cast<std::int64_t>(container->Formulas().Size()) != kFormulaCells) {
      state.SkipWithError("formulas were missed");
    }
    container.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.counters["formula_cells_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kFormulaCells), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanCollectData)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
