// Loading speed and memory of the .xlsx reader: the shared corpus, and a generated workbook of
// 500,000 formula cells (tests/support/generated_workbook.h). Reports cells per second, file and
// XML megabytes per second, and memory per million cells: the peak resident growth while
// loading, and the heap the loaded workbook keeps.
//
// The generated file stays at $TRELVANE_BENCH_XLSX (default: the temp folder) so that other
// readers can be timed on the same bytes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/generated_workbook.h"

namespace spreadsheet {
namespace {

namespace fs = std::filesystem;

std::uint64_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::strtoull(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return 0;
}

std::uint64_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::uint64_t CellsOf(const CWorkbook& workbook) {
  std::uint64_t cells = 0;
  for (std::int32_t i = 1; i <= workbook.SheetCount(); ++i) cells += workbook.Sheet(i).CellCount();
  return cells;
}

// Loads `files` once, outside the timed loop, for the memory figures.
void MeasureMemory(benchmark::State& state, const std::vector<fs::path>& files) {
  malloc_trim(0);
  { std::ofstream("/proc/self/clear_refs") << "5"; }  // Resets the peak resident size.
  const std::uint64_t residentBefore = StatusKilobytes("VmRSS:");
  const std::uint64_t heapBefore = HeapInUse();
  std::vector<std::unique_ptr<CWorkbook>> loaded;
  std::uint64_t cells = 0;
  for (const fs::path& file : files) {
    XlsxReadResult result = ReadXlsxFile(file);
    if (!result.Ok()) {
      state.SkipWithError("a workbook did not load");
      return;
    }
    cells += CellsOf(*result.workbook);
    loaded.push_back(std::move(result.workbook));
  }
  const double millions = static_cast<double>(cells) / 1e6;
  const std::uint64_t peak = StatusKilobytes("VmHWM:");
  state.counters["peak_MB_per_Mcell"] =
      static_cast<double>(peak > residentBefore ? peak - residentBefore : 0) / 1024.0 / millions;
  state.counters["kept_MB_per_Mcell"] =
      static_cast<double>(HeapInUse() - heapBefore) / (1024.0 * 1024.0) / millions;
}

void Load(benchmark::State& state, const std::vector<fs::path>& files, std::uint64_t xmlBytes) {
  std::uint64_t fileBytes = 0;
  for (const fs::path& file : files) fileBytes += fs::file_size(file);
  std::uint64_t cells = 0;
  for (auto _ : state) {
    cells = 0;
    for (const fs::path& file : files) {
      XlsxReadResult result = ReadXlsxFile(file);
      if (!result.Ok()) {
        state.SkipWithError("a workbook did not load");
        return;
      }
      cells += CellsOf(*result.workbook);
      benchmark::DoNotOptimize(result.workbook);
    }
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["cells"] = static_cast<double>(cells);
  state.counters["cells_per_s"] =
      benchmark::Counter(static_cast<double>(cells) * iterations, benchmark::Counter::kIsRate);
  state.counters["file_MB_per_s"] = benchmark::Counter(
      static_cast<double>(fileBytes) * iterations / 1e6, benchmark::Counter::kIsRate);
  if (xmlBytes != 0) {
    state.counters["xml_MB_per_s"] = benchmark::Counter(
        static_cast<double>(xmlBytes) * iterations / 1e6, benchmark::Counter::kIsRate);
  }
  MeasureMemory(state, files);
}

void BM_LoadCorpus(benchmark::State& state) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry :
       fs::directory_iterator(fs::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus", error)) {
    if (entry.path().extension() == ".xlsx") files.push_back(entry.path());
  }
  if (files.empty()) {
    state.SkipWithError("no corpus");
    return;
  }
  Load(state, files, 0);
}
BENCHMARK(BM_LoadCorpus)->Unit(benchmark::kMillisecond);

void BM_LoadGeneratedFormulas(benchmark::State& state) {
  const char* chosen = std::getenv("TRELVANE_BENCH_XLSX");
  const fs::path path = chosen != nullptr ? fs::path(chosen)
                                          : fs::temp_directory_path() / "trelvane_formulas_500k.xlsx";
  const auto made = test_support::WriteFormulaWorkbook(path, static_cast<std::int32_t>(state.range(0)));
  state.counters["formula_cells"] = static_cast<double>(made.formulaCells);
  Load(state, {path}, made.xmlBytes);
}
BENCHMARK(BM_LoadGeneratedFormulas)->Arg(100'000)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
}  // namespace spreadsheet

BENCHMARK_MAIN();
