// Block reads of Range.Value through IDispatch: 100,000 cells of numbers and text, as the
// workbook scan and the exports read them.
#include <benchmark/benchmark.h>

#include <memory>

#include "spreadsheet/objects/object_factory.h"
#include "tests/support/workbook_dispatch.h"

namespace spreadsheet {
namespace {

constexpr std::int32_t kRows = 1000;
constexpr std::int32_t kColumns = 100;

void BM_ReadBlockValue(benchmark::State& state) {
  auto app = std::make_shared<CSpreadsheetApplication>();
  auto book = std::make_shared<CWorkbook>();
  CWorksheet& sheet = book->AddSheet(L"Sheet1");
  app->AddWorkbook(book);
  const bool withText = state.range(0) != 0;
  for (std::int32_t row = 1; row <= kRows; ++row) {
    for (std::int32_t column = 1; column <= kColumns; ++column) {
      if (withText && column % 2 == 0) {
        sheet.SetValue({row, column}, CellValue::Text(L"item " + std::to_wstring(row % 50)));
      } else {
        sheet.SetValue({row, column}, CellValue::Number(row * 0.5 + column));
      }
    }
  }
  auto range = CreateRangeObject({app, book, &sheet}, {{1, 1}, {kRows, kColumns}});
  for (auto _ : state) {
    auto answer = test_support::Get(range.Get(), L"Value");
    benchmark::DoNotOptimize(answer.value.Get()->parray);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_ReadBlockValue)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace spreadsheet

BENCHMARK_MAIN();
