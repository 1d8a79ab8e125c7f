// The formula parser on the corpus formulas: distinct formulas parsed from text (memo emptied
// before every pass) and memo hits (every formula already known).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formula/formula_parser.h"
#include "formula/reference_functions.h"
#include "platform/text_encoding.h"
#include "tests/support/formula_workbook.h"

namespace {

namespace fs = std::filesystem;

struct CorpusFormula {
  std::wstring text;
  CellPos cell;
};

std::vector<CorpusFormula> LoadCorpus(test_support::CFormulaWorkbook& book) {
  const fs::path extracts = TRELVANE_FORMULA_EXTRACT_DIR;
  if (!fs::is_directory(extracts) || fs::is_empty(extracts)) {
    const std::string command =
        std::string(TRELVANE_PYTHON) +
        " \"" TRELVANE_SOURCE_DIR "/tools/extract_formulas.py\" --out-dir \"" + extracts.string() +
        "\" \"" TRELVANE_SOURCE_DIR "/../shared/corpus\"";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "extraction failed\n");
  }
  std::vector<CorpusFormula> formulas;
  if (!fs::is_directory(extracts)) return formulas;
  for (const auto& entry : fs::directory_iterator(extracts)) {
    if (entry.path().extension() != ".tsv") continue;
    std::ifstream stream(entry.path(), std::ios::binary);
    std::string line;
    while (std::getline(stream, line)) {
      const std::wstring wide = Utf8ToWide(line);
      const size_t tab1 = wide.find(L'\t');
      const size_t tab2 = wide.find(L'\t', tab1 + 1);
      if (wide.starts_with(L"[") || tab2 == std::wstring::npos) continue;
      const std::wstring sheet = wide.substr(0, tab1);
      if (!book.sheetIndex.Contains(sheet)) book.AddSheet(sheet);
      book.addressParser.SetCurrentCell({book.sheetIndex.Find(sheet), 1, 1});
      if (!book.addressParser.Parse(wide.substr(tab1 + 1, tab2 - tab1 - 1))) continue;
      formulas.push_back({wide.substr(tab2 + 1), book.addressParser.First()});
    }
  }
  return formulas;
}

class ParserFixture {
 public:
  ParserFixture() {
    ReferenceFunctions::Add(L"OFFSET");
    ReferenceFunctions::Add(L"INDIRECT");
    formulas = LoadCorpus(book);
    // Distinct texts only, so that the parse pass never hits the memo.
    std::vector<CorpusFormula> distinct;
    for (const CorpusFormula& f : formulas) {
      if (book.parser.Parse(f.text, f.cell) && book.parser.MemoSize() > distinct.size()) {
        distinct.push_back(f);
      }
    }
    formulas = std::move(distinct);
  }
  test_support::CFormulaWorkbook book;
  std::vector<CorpusFormula> formulas;
};

ParserFixture& Fixture() {
  static ParserFixture fixture;
  return fixture;
}

void BM_ParseDistinctFormulas(benchmark::State& state) {
  ParserFixture& fixture = Fixture();
  if (fixture.formulas.empty()) return state.SkipWithError("no corpus formulas");
  for (auto _ : state) {
    fixture.book.parser.ClearMemo();
    for (const CorpusFormula& f : fixture.formulas) {
      benchmark::DoNotOptimize(fixture.book.parser.Parse(f.text, f.cell));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fixture.formulas.size()));
}
BENCHMARK(BM_ParseDistinctFormulas)->Unit(benchmark::kMillisecond);

void BM_MemoHits(benchmark::State& state) {
  ParserFixture& fixture = Fixture();
  if (fixture.formulas.empty()) return state.SkipWithError("no corpus formulas");
  for (const CorpusFormula& f : fixture.formulas) fixture.book.parser.Parse(f.text, f.cell);
  for (auto _ : state) {
    for (const CorpusFormula& f : fixture.formulas) {
      // The same text in the next row: a filled-down formula with absolute references.
      benchmark::DoNotOptimize(
          fixture.book.parser.Parse(f.text, {f.cell.sheet, f.cell.column, f.cell.row + 1}));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fixture.formulas.size()));
}
BENCHMARK(BM_MemoHits)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
