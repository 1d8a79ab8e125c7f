// What the system's walks cost through IDispatch: sheets by position, every defined name with
// its range (the attach walk), a window's visible cells on a sheet of many row heights, and
// Evaluate of address text.
#include <benchmark/benchmark.h>

#include "tests/support/spreadsheet_session.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Call;
using test_support::Get;
using test_support::GetObjectOf;

std::wstring NewName(std::int64_t i) {
  return L"S" + std::to_wstring(i);
}

void WorksheetsItemName(benchmark::State& state) {
  test_support::CSpreadsheetSession session;
  for (std::int64_t i = 1; i < state.range(0); ++i) session.book->AddSheet(NewName(i));
  const CComPtr<IDispatch> sheets = session.Sheets();
  const auto count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 1; i <= count; ++i) {
      benchmark::DoNotOptimize(Get(GetObjectOf(sheets.Get(), L"Item", {Arg(i)}).Get(), L"Name"));
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void DefinedNamesWalk(benchmark::State& state) {
  test_support::CSpreadsheetSession session;
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    session.book->AddName(
        {L"Name" + std::to_wstring(i), L"=Sheet1!$A$1:$B$" + std::to_wstring(i + 1), 0, false});
  }
  const CComPtr<IDispatch> names = GetObjectOf(session.Workbook().Get(), L"Names");
  for (auto _ : state) {
    const LONG count = Get(names.Get(), L"Count").Long();
    for (LONG k = 1; k <= count; ++k) {
      const CComPtr<IDispatch> name =
          Call(names.Get(), L"Item", {Arg(static_cast<int>(k))}).Object();
      benchmark::DoNotOptimize(Get(name.Get(), L"Name"));
      benchmark::DoNotOptimize(Get(name.Get(), L"RefersTo"));
      benchmark::DoNotOptimize(Get(name.Get(), L"RefersToRange"));
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void WindowVisibleRange(benchmark::State& state) {
  test_support::CSpreadsheetSession session;
  CWorksheet& sheet = session.book->Sheet(1);
  for (std::int32_t row = 1; row <= state.range(0); ++row) sheet.SetRowHeight(row * 2, 20.0);
  const CComPtr<IDispatch> window = GetObjectOf(session.application.Get(), L"ActiveWindow");
  test_support::Put(window.Get(), L"ScrollRow", Arg(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(Get(window.Get(), L"VisibleRange"));
}

void EvaluateAddress(benchmark::State& state) {
  test_support::CSpreadsheetSession session;
  session.book->AddSheet(L"My Data");
  const CComPtr<IDispatch> sheet = session.Sheet(1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Call(sheet.Get(), L"Evaluate", {Arg(L"'My Data'!$B$2:$C$9")}));
  }
}

}  // namespace

BENCHMARK(WorksheetsItemName)->Arg(10)->Arg(200);
BENCHMARK(DefinedNamesWalk)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(WindowVisibleRange)->Arg(1000)->Arg(100000);
BENCHMARK(EvaluateAddress);

}  // namespace spreadsheet

BENCHMARK_MAIN();
