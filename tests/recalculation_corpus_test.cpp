// Real workbooks recalculated from scratch: every formula cell's value is removed, the
// calculator computes them all again, and the result must be what Excel cached in the file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calculator.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader.h"

namespace spreadsheet {
namespace {

const std::filesystem::path kRecalculationCorpus =
    std::filesystem::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";

// The share of formula cells that must come out as Excel computed them.
constexpr double kRequiredRate = 0.997;

bool SameValue(const CellValue& expected, const CellValue& actual) {
  if (expected.Kind() == ValueKind::Number && actual.Kind() == ValueKind::Number) {
    const double a = expected.AsNumber();
    const double b = actual.AsNumber();
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
  }
  return expected == actual;
}

std::string Show(const CellValue& value) {
  switch (value.Kind()) {
    case ValueKind::Empty:
      return "(empty)";
    case ValueKind::Number: {
      std::ostringstream out;
      out.precision(15);
      out << value.AsNumber();
      return out.str();
    }
    case ValueKind::Text:
      return "\"" + WideToUtf8(value.AsText()) + "\"";
    case ValueKind::Boolean:
      return value.AsBoolean() ? "TRUE" : "FALSE";
    case ValueKind::Error:
      return WideToUtf8(std::wstring(ErrorText(value.AsError())));
  }
  return "?";
}

struct FileResult {
  std::size_t cells = 0;
  std::size_t matched = 0;
  std::vector<std::string> misses;
};

FileResult Recalculate(const std::filesystem::path& path) {
  FileResult result;
  XlsxReadResult read = ReadXlsxFile(path.wstring());
  EXPECT_TRUE(read.Ok()) << path;
  if (!read.Ok()) return result;
  CWorkbook& book = *read.workbook;
  struct Expected {
    std::int32_t sheet;
    CellCoord cell;
    CellValue value;
  };
  std::vector<Expected> expected;
  for (std::int32_t sheet = 1; sheet <= book.SheetCount(); ++sheet) {
    book.Sheet(sheet).ForEachCell([&](CellCoord cell, const Cell& stored) {
      if (stored.HasFormula()) expected.push_back({sheet, cell, book.Sheet(sheet).Value(cell)});
    });
  }
  for (const Expected& e : expected) book.Sheet(e.sheet).SetCachedValue(e.cell, CellValue());
  CCalculator calculator;
  calculator.Attach(book);
  calculator.Calculate(false);
  for (const Expected& e : expected) {
    if (e.value.IsEmpty()) continue;  // Excel left no value to compare with.
    ++result.cells;
    const CellValue actual = book.Sheet(e.sheet).Value(e.cell);
    if (SameValue(e.value, actual)) {
      ++result.matched;
      continue;
    }
    std::ostringstream miss;
    miss << WideToUtf8(book.Sheet(e.sheet).Name()) << "!R" << e.cell.row << "C" << e.cell.column
         << " " << WideToUtf8(book.Sheet(e.sheet).Formula(e.cell).value_or(L"")) << "  Excel "
         << Show(e.value) << ", here " << Show(actual);
    result.misses.push_back(miss.str());
  }
  return result;
}

TEST(RecalculationCorpus, RecalculatesWhatExcelCached) {
  if (!std::filesystem::is_directory(kRecalculationCorpus))
    GTEST_SKIP() << "no corpus at " << kRecalculationCorpus;
  std::map<std::string, FileResult> results;
  for (const auto& entry : std::filesystem::directory_iterator(kRecalculationCorpus)) {
    if (entry.path().extension() == ".xlsx") {
      results[entry.path().filename().string()] = Recalculate(entry.path());
    }
  }
  std::size_t cells = 0;
  std::size_t matched = 0;
  for (const auto& [file, result] : results) {
    cells += result.cells;
    matched += result.matched;
    std::cout << file << ": " << result.matched << " of " << result.cells << "\n";
    for (const std::string& miss : result.misses) std::cout << "  " << miss << "\n";
  }
  ASSERT_GT(cells, 0u);
  const double rate = static_cast<double>(matched) / static_cast<double>(cells);
  std::cout << "recalculated " << matched << " of " << cells << " formula cells as Excel did ("
            << rate * 100.0 << "%)\n";
  EXPECT_GE(rate, kRequiredRate);
}

TEST(RecalculationCorpus, TheExampleWorkbookHoldsWhatItComputes) {
  // Made by tools/make_example_workbook.py, which computes the values it caches itself.
  const std::filesystem::path example =
      std::filesystem::path(TRELVANE_SOURCE_DIR) / "examples" / "budget.xlsx";
  ASSERT_TRUE(std::filesystem::exists(example)) << example;
  const FileResult result = Recalculate(example);
  EXPECT_GT(result.cells, 20u);
  EXPECT_EQ(result.cells, result.matched);
  for (const std::string& miss : result.misses) ADD_FAILURE() << miss;
}

}  // namespace
}  // namespace spreadsheet
