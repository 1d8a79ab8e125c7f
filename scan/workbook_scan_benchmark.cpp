// Cells per second of the whole-workbook walk through the object model, on a generated workbook
// of 500,000 formula cells filled down as shared formulas: the walk alone, and the walk that
// collects every formula into a fresh container.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/dependency_container.h"
#include "scan/scan_strategies.h"
#include "scan/workbook_scan.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;
using spreadsheet::FormulaRecord;

constexpr std::int32_t kRows = 100000;
// Formula columns B to F, each filled down from row 1; column A holds the numbers.
const wchar_t* const kFormulas[] = {L"A1*2", L"B1+A1", L"IF(C1>10,C1,0)", L"ROUND(D1/3,2)",
                                    L"SUM(A1:E1)"};
constexpr std::int32_t kFormulaColumns = 5;
constexpr std::int64_t kFormulaCells = std::int64_t{kRows} * kFormulaColumns;
constexpr std::int64_t kCells = std::int64_t{kRows} * (kFormulaColumns + 1);

test_support::CSpreadsheetSession& Session() {
  static test_support::CSpreadsheetSession* session = [] {
    auto* made = new test_support::CSpreadsheetSession;
    spreadsheet::CWorksheet& sheet = made->book->Sheet(1);
    for (std::int32_t row = 1; row <= kRows; ++row) {
      sheet.SetValue({row, 1}, CellValue::Number(row % 97));
    }
    for (std::int32_t column = 2; column <= kFormulaColumns + 1; ++column) {
      const std::uint32_t record = sheet.AddFormulaRecord({FormulaRecord::Kind::Shared,
                                                           kFormulas[column - 2],
                                                           {1, column},
                                                           {{1, column}, {kRows, column}}});
      for (std::int32_t row = 1; row <= kRows; ++row) sheet.AttachFormula({row, column}, record);
    }
    made->app->Calculator().InvalidateAll(*made->book);
    made->app->Calculator().Calculate(false);
    return made;
  }();
  return *session;
}

std::unique_ptr<CDependencyContainer> AttachedContainer() {
  auto& session = Session();
  auto container = std::make_unique<CDependencyContainer>();
  container->SetWorkbookName(session.book->Name());
  container->AttachWorkbook(ExcelObject(session.application.Get()),
                            ExcelObject(session.Workbook().Get()));
  return container;
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
    if (static_cast<std::int64_t>(container->formulaIndex_.size()) != kFormulaCells) {
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
