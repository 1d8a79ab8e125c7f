// The formula parser on the corpus formulas: distinct formulas parsed from text (memo emptied
// before every pass) and memo hits (every formula already known); and on 500,000 filled-down
// cells, the case the memo by form is for, with the cost of the form itself.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formula/formula_form.h"
#include "formula/formula_parser.h"
#include "formula/reference_functions.h"
#include "platform/text_encoding.h"
#include "tests/support/formula_workbook.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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
      // The same text in the same place of the next sheet: one form.
      benchmark::DoNotOptimize(
          fixture.book.parser.Parse(f.text, {f.cell.sheet + 1, f.cell.column, f.cell.row}));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fixture.formulas.size()));
}
BENCHMARK(BM_MemoHits)->Unit(benchmark::kMillisecond);

// Four columns of filled-down formulas, 125,000 rows each, as a model workbook has them.
constexpr int32_t kFilledRows = 125000;

struct FilledFixture {
  FilledFixture() {
    book.AddSheet(L"Model");
    book.AddSheet(L"Rates");
    const CellPos h1{1, 8, 1};
    book.AddName(L"Rate", L"=Model!$H$1", 0, &h1);
    for (int32_t row = 2; row < kFilledRows + 2; ++row) {
      const std::wstring r = std::to_wstring(row);
      const std::wstring above = std::to_wstring(row - 1);
      cells.push_back({L"=A" + r + L"*$H$1", {1, 2, row}});
      cells.push_back({L"=SUM($B$2:B" + r + L")+C" + above + L"/D" + r, {1, 3, row}});
      cells.push_back({L"=IF(A" + r + L">0,B" + r + L"*Rate,C" + above + L")", {1, 4, row}});
      cells.push_back({L"=VLOOKUP(A" + r + L",Rates!$A$1:$D$100,2,FALSE)+Rates!B" + r,
                       {1, 5, row}});
    }
  }
  test_support::CFormulaWorkbook book;
  std::vector<CorpusFormula> cells;
};

FilledFixture& Filled() {
  static FilledFixture fixture;
  return fixture;
}

size_t AllocatedBytes() {
#if defined(__GLIBC__)
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

// Every cell through the parser, memo emptied first; "memo_bytes" is what the heap holds more
// after the pass (the memo, give or take the parser's scratch), 0 where it cannot be read.
void BM_ParseFilledDownCells(benchmark::State& state) {
  FilledFixture& fixture = Filled();
  size_t references = 0;
  double memoBytes = 0;
  for (auto _ : state) {
    fixture.book.parser.ClearMemo();
    const size_t before = AllocatedBytes();
    for (const CorpusFormula& f : fixture.cells) {
      fixture.book.parser.Parse(f.text, f.cell);
      references += fixture.book.parser.GetReferences().size();
    }
    memoBytes = static_cast<double>(AllocatedBytes() - before);
  }
  benchmark::DoNotOptimize(references);
  state.counters["memo_entries"] = static_cast<double>(fixture.book.parser.MemoSize());
  state.counters["memo_bytes"] = memoBytes;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fixture.cells.size()));
}
BENCHMARK(BM_ParseFilledDownCells)->Unit(benchmark::kMillisecond);

// The memo key alone: the form of every cell.
void BM_FormOfFilledDownCells(benchmark::State& state) {
  FilledFixture& fixture = Filled();
  std::wstring form;
  std::vector<FormAddress> addresses;
  for (auto _ : state) {
    for (const CorpusFormula& f : fixture.cells) {
      BuildFormulaForm(f.text, f.cell, form, addresses);
      benchmark::DoNotOptimize(form.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fixture.cells.size()));
}
BENCHMARK(BM_FormOfFilledDownCells)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
