// Saving large workbooks: 500,000 formula cells, written one formula per cell and as shared
// groups, and 500,000 constants.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_writer.h"

namespace spreadsheet {
namespace {

constexpr std::int32_t kRows = 50'000;
constexpr std::int32_t kColumns = 10;

std::filesystem::path Target() {
  return std::filesystem::temp_directory_path() / "trelvane-writer-benchmark.xlsx";
}

void Save(benchmark::State& state, const CWorkbook& book) {
  const auto target = Target();
  for (auto _ : state) {
    const XlsxWriteResult result = WriteXlsxFile(book, target);
    if (!result.ok) state.SkipWithError("the save failed");
  }
  state.counters["cells"] = static_cast<double>(book.Sheet(1).CellCount());
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
  std::filesystem::remove(target);
}

void SingleFormulas(benchmark::State& state) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Sheet1");
  for (std::int32_t row = 1; row <= kRows; ++row) {
    for (std::int32_t column = 1; column <= kColumns; ++column) {
      sheet.SetFormula({row, column}, L"=A" + std::to_wstring(row) + L"*2+IFNA(B1,0)",
                       CellValue::Number(row * 0.5 + column));
    }
  }
  Save(state, book);
}
BENCHMARK(SingleFormulas)->Unit(benchmark::kMillisecond);

void SharedFormulas(benchmark::State& state) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Sheet1");
  for (std::int32_t column = 1; column <= kColumns; ++column) {
    const std::uint32_t record = sheet.AddFormulaRecord({FormulaRecord::Kind::Shared,
                                                         L"A1*2+IFNA(B1,0)",
                                                         {1, column},
                                                         {{1, column}, {kRows, column}}});
    for (std::int32_t row = 1; row <= kRows; ++row) {
      sheet.AttachFormula({row, column}, record);
      sheet.SetCachedValue({row, column}, CellValue::Number(row * 0.5 + column));
    }
  }
  Save(state, book);
}
BENCHMARK(SharedFormulas)->Unit(benchmark::kMillisecond);

void Constants(benchmark::State& state) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Sheet1");
  for (std::int32_t row = 1; row <= kRows; ++row) {
    for (std::int32_t column = 1; column <= kColumns; ++column) {
      if (column % 2 == 0) {
        sheet.SetValue({row, column}, CellValue::Text(L"text " + std::to_wstring(row % 1000)));
      } else {
        sheet.SetValue({row, column}, CellValue::Number(row / 7.0));
      }
    }
  }
  Save(state, book);
}
BENCHMARK(Constants)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace spreadsheet

BENCHMARK_MAIN();
