// The ribbon's commands through the trelvane command, on the example workbook: messages and
// exit codes, colour filters, Copy Address, Transpose and saved branches, read back from the
// files the command wrote.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/xlsx_writer.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/trelvane_run.h"

namespace {

using nlohmann::json;
using test_support::ExampleWorkbook;
using test_support::ReadFileBytes;
using test_support::RunJson;
using test_support::RunResult;
using test_support::RunTrelvane;

std::wstring TextAt(const spreadsheet::CWorksheet& sheet, int32_t row, int32_t column) {
  return sheet.Value({row, column}).AsText();
}

TEST(CliCommands, SystemMessagesGoToStandardErrorWithExitOne) {
  const RunResult noError = RunTrelvane({"trace-error", ExampleWorkbook(), "Summary!B3"});
  EXPECT_EQ(1, noError.exitCode);
  EXPECT_TRUE(noError.out.empty());
  EXPECT_EQ("Trace Error command could be applied to cell, which contains error value.\n",
            noError.err);
}

TEST(CliCommands, ColourMenuListsIndexesAndAnIndexListsItsCells) {
  const RunResult menu = RunTrelvane({"fill-color", ExampleWorkbook(), "--format", "json"});
  ASSERT_EQ(0, menu.exitCode) << menu.err;
  const json items = json::parse(menu.out);
  ASSERT_FALSE(items.empty());
  int previous = 0;
  for (const json& item : items) {
    EXPECT_LT(previous, item.at("index").get<int>());
    previous = item.at("index").get<int>();
    const std::string text = item.at("text");
    EXPECT_EQ(" cell(s)", text.substr(text.find(' ')));
    EXPECT_EQ(7u, item.at("rgb").get<std::string>().size());
  }
  // Yellow input cells.
  const auto yellow = std::find_if(items.begin(), items.end(),
                                   [](const json& item) { return item.at("rgb") == "#FFFF00"; });
  ASSERT_NE(items.end(), yellow);
  const int index = yellow->at("index");
  const json cells =
      RunJson({"fill-color", ExampleWorkbook(), std::to_string(index)});
  EXPECT_EQ("Filter cells by background color", cells.at("title"));
  const std::string count = yellow->at("text");
  EXPECT_EQ(std::to_string(cells.at("items").size()) + " cell(s)", count);
  bool taxRate = false;
  for (const json& item : cells.at("items")) {
    taxRate = taxRate || (item.at("text")[1] == "Inputs" && item.at("text")[0] == "B3");
  }
  EXPECT_TRUE(taxRate);

  const RunResult none = RunTrelvane({"font-color", ExampleWorkbook(), "55"});
  EXPECT_EQ(1, none.exitCode);
}

TEST(CliCommands, CopyAddressQuotesTheSheetAndKeepsTheAddressAbsolute) {
  const RunResult result = RunTrelvane({"copy-address", ExampleWorkbook(), "Summary!B3:C4"});
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ("'Summary'!$B$3:$C$4\n", result.out);
}

TEST(CliCommands, TransposeWritesACopyAndLeavesTheInputAlone) {
  test_support::CTemporaryFolder folder;
  const std::string before = ReadFileBytes(ExampleWorkbook());
  const std::filesystem::path out = folder / "turned.xlsx";
  const RunResult result = RunTrelvane(
      {"transpose", ExampleWorkbook(), "Inputs!A3:B4", "--output", out.string()});
  ASSERT_EQ(0, result.exitCode) << result.err;
  EXPECT_EQ(before, ReadFileBytes(ExampleWorkbook()));
  const spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(out);
  ASSERT_TRUE(read.Ok()) << std::string(read.error.begin(), read.error.end());
  const spreadsheet::CWorksheet& inputs = read.workbook->Sheet(1);
  EXPECT_EQ(L"Tax rate", TextAt(inputs, 3, 1));
  EXPECT_EQ(L"Growth next quarter", TextAt(inputs, 3, 2));  // was A4

  // An array formula is left where it is, and said so.
  const RunResult array = RunTrelvane(
      {"transpose", ExampleWorkbook(), "Sales!F2:G3", "--output", (folder / "a.xlsx").string()});
  EXPECT_EQ(1, array.exitCode);
  EXPECT_EQ("Selected range contains array formulas which was not processed.\n", array.err);
  EXPECT_EQ(2, RunTrelvane({"transpose", ExampleWorkbook(), "Inputs!A3:B4"}).exitCode);
}

TEST(CliCommands, EvaluateShowsFormulaAndValueColumns) {
  const json document = RunJson({"evaluate", ExampleWorkbook(), "Summary!B5"});
  EXPECT_EQ(json::array({"Formula", "Value"}), document.at("columns"));
  ASSERT_EQ(1u, document.at("items").size());
  const json& top = document.at("items")[0];
  EXPECT_FALSE(top.at("children").empty());
}

// A workbook the test writes: a chain over a sheet whose name Windows-1252 holds but ASCII
// does not, and a circle.
std::filesystem::path WriteChainWorkbook(const std::filesystem::path& folder) {
  spreadsheet::CWorkbook book(L"chain.xlsx");
  spreadsheet::CWorksheet& sheet = book.AddSheet(L"Caf\u00e9 1");
  sheet.SetValue({1, 3}, spreadsheet::CellValue::Number(2));                    // C1
  sheet.SetFormula({1, 2}, L"C1*2", spreadsheet::CellValue::Number(4));         // B1
  sheet.SetFormula({1, 1}, L"B1+1", spreadsheet::CellValue::Number(5));         // A1
  sheet.SetFormula({3, 1}, L"B3+1", spreadsheet::CellValue::Number(0));         // A3
  sheet.SetFormula({3, 2}, L"A3+1", spreadsheet::CellValue::Number(0));         // B3
  const std::filesystem::path path = folder / "chain.xlsx";
  EXPECT_TRUE(spreadsheet::WriteXlsxFile(book, path).ok);
  return path;
}

TEST(CliCommands, DeepTreesAndLongTextsKeepTreeLinesNarrow) {
  // A1 = A2+1, ..., A200 = B200, and B200 a text of 500 characters: a chain 201 levels deep
  // with a long value in a middle column.
  test_support::CTemporaryFolder folder;
  spreadsheet::CWorkbook book(L"deep.xlsx");
  spreadsheet::CWorksheet& sheet = book.AddSheet(L"Deep");
  const std::wstring longText(500, L'x');
  sheet.SetValue({200, 2}, spreadsheet::CellValue::Text(longText));
  sheet.SetFormula({200, 1}, L"B200", spreadsheet::CellValue::Text(longText));
  for (int32_t row = 199; row >= 1; --row) {
    sheet.SetFormula({row, 1}, L"A" + std::to_wstring(row + 1) + L"+1",
                     spreadsheet::CellValue::Number(0));
  }
  const std::filesystem::path workbook = folder.Path() / "deep.xlsx";
  ASSERT_TRUE(spreadsheet::WriteXlsxFile(book, workbook).ok);

  const RunResult tree = RunTrelvane({"precedents", workbook.string(), "Deep!A1"});
  ASSERT_EQ(0, tree.exitCode) << tree.err;
  std::vector<std::string> lines;
  for (size_t from = 0, end; from < tree.out.size(); from = end + 1) {
    end = tree.out.find('\n', from);
    lines.push_back(tree.out.substr(from, end - from));
  }
  ASSERT_EQ(2u + 201u, lines.size());
  // Rows below 32 levels are indented as at 32 and name their depth; only the two rows that
  // hold the long text are wider than the aligned columns.
  EXPECT_EQ(0u, lines[2 + 31].find(std::string(62, ' ') + "A32 "));
  EXPECT_EQ(0u, lines[2 + 150].find(std::string(64, ' ') + "[150] A151 "));
  EXPECT_EQ(0u, lines[2 + 200].find(std::string(64, ' ') + "[200] B200 "));
  size_t wide = 0;
  for (const std::string& line : lines) wide += line.size() > 300 ? 1u : 0u;
  EXPECT_EQ(2u, wide);
  // The columns of the other rows stay aligned with the header.
  const size_t formulaColumn = lines[1].find("Formula");
  EXPECT_EQ(formulaColumn, lines[2].find("=A2+1"));
  EXPECT_EQ(formulaColumn, lines[2 + 150].find("=A152+1"));
}

TEST(CliCommands, CellsReadAsARunShowWhatEachShowsAlone) {
  // B1's precedents A1:A8 are one run of cells one below another, read in blocks: a number, a
  // formula, text, an error, the two cells of an array formula, a Boolean and an empty cell.
  test_support::CTemporaryFolder folder;
  spreadsheet::CWorkbook book(L"run.xlsx");
  spreadsheet::CWorksheet& sheet = book.AddSheet(L"Run");
  using spreadsheet::CellValue;
  sheet.SetValue({1, 1}, CellValue::Number(1.5));
  sheet.SetFormula({2, 1}, L"A1*2", CellValue::Number(3));
  sheet.SetValue({3, 1}, CellValue::Text(L"x"));
  sheet.SetFormula({4, 1}, L"1/0", CellValue::Error(spreadsheet::ErrorCode::Div0));
  sheet.SetArrayFormula({{5, 1}, {6, 1}}, L"A1:A2*10");
  sheet.SetCachedValue({5, 1}, CellValue::Number(15));
  sheet.SetCachedValue({6, 1}, CellValue::Number(30));
  sheet.SetValue({7, 1}, CellValue::Boolean(true));
  sheet.SetFormula({1, 2}, L"A1+A2+A3+A4+A5+A6+A7+A8",
                   CellValue::Error(spreadsheet::ErrorCode::Value));
  // C1 = A1, ..., C8 = A8: each cell again as an only precedent, read alone.
  for (int32_t row = 1; row <= 8; ++row) {
    sheet.SetFormula({row, 3}, L"A" + std::to_wstring(row), CellValue::Number(0));
  }
  const std::filesystem::path workbook = folder.Path() / "run.xlsx";
  ASSERT_TRUE(spreadsheet::WriteXlsxFile(book, workbook).ok);

  const json tree = RunJson({"precedents", workbook.string(), "Run!B1", "--depth", "1"});
  const json& children = tree.at("items")[0].at("children");
  ASSERT_EQ(8u, children.size());
  for (size_t row = 1; row <= 8; ++row) {
    const std::string cell = "Run!C" + std::to_string(row);
    const json only = RunJson({"precedents", workbook.string(), cell, "--depth", "1"});
    json alone = only.at("items")[0].at("children")[0];
    json inRun = children[row - 1];
    alone.erase("children");
    inRun.erase("children");
    EXPECT_EQ(alone, inRun) << cell;
  }
  EXPECT_EQ("=A1*2", children[1].at("formula"));
  EXPECT_EQ("error", children[3].at("valueType"));
  EXPECT_EQ("{=A1:A2*10}", children[4].at("text")[3]);
  EXPECT_EQ("empty", children[7].at("valueType"));
}

TEST(CliCommands, BranchFormatIsTheSavedTextFileByteForByte) {
  test_support::CTemporaryFolder folder;
  const std::filesystem::path workbook = WriteChainWorkbook(folder.Path());
  const RunResult chain =
      RunTrelvane({"precedents", workbook.string(), "'Caf\xc3\xa9 1'!A1", "--format", "branch"});
  ASSERT_EQ(0, chain.exitCode) << chain.err;
  EXPECT_EQ("'Caf\xe9 1'!A1 =B1+1 5\r\n 'Caf\xe9 1'!B1 =C1*2 4\r\n  'Caf\xe9 1'!C1 2\r\n",
            chain.out);
  // A circle is written once round and ends at the repeated cell.
  const RunResult circle =
      RunTrelvane({"precedents", workbook.string(), "'Caf\xc3\xa9 1'!A3", "--format", "branch"});
  ASSERT_EQ(0, circle.exitCode) << circle.err;
  EXPECT_EQ("'Caf\xe9 1'!A3 =B3+1 0\r\n 'Caf\xe9 1'!B3 =A3+1 0\r\n  'Caf\xe9 1'!A3 =B3+1 0\r\n",
            circle.out);

  const std::filesystem::path file = folder / "branch.txt";
  ASSERT_EQ(0, RunTrelvane({"precedents", workbook.string(), "'Caf\xc3\xa9 1'!A1", "--format",
                            "branch", "--output", file.string()})
                   .exitCode);
  EXPECT_EQ(chain.out, ReadFileBytes(file));
}

TEST(CliCommands, ErrorListSavesEveryErrorCellOneLevelDown) {
  const RunResult errors = RunTrelvane({"errors", ExampleWorkbook(), "--format", "branch"});
  ASSERT_EQ(0, errors.exitCode) << errors.err;
  EXPECT_EQ(" Summary!B11 =B5/Headcount #DIV/0!\r\n Summary!B12 =ROUND(B11*4,2) #DIV/0!\r\n",
            errors.out);
}

TEST(CliCommands, PathIsFoundThroughRangesAndNamesOrReportedMissing) {
  const json path = RunJson({"path", ExampleWorkbook(), "Summary!B5", "Inputs!B3"});
  EXPECT_TRUE(path.at("found").get<bool>());
  const json& steps = path.at("path");
  ASSERT_EQ(3u, steps.size());
  EXPECT_EQ(json::array({3, 2, 5}), steps[0].at("first"));   // Summary!B5
  EXPECT_EQ(json::array({3, 2, 4}), steps[1].at("first"));   // Summary!B4
  EXPECT_EQ("TaxRate", steps[2].at("text"));                // the name of Inputs!B3
  EXPECT_EQ(json::array({1, 2, 3}), steps[2].at("first"));

  const RunResult saved = RunTrelvane(
      {"path", ExampleWorkbook(), "Summary!B5", "Sales!C3", "--format", "branch"});
  ASSERT_EQ(0, saved.exitCode) << saved.err;
  EXPECT_EQ(
      "Summary!B5 =(B3-B4)*(1+Growth) 147,630.00\r\nSummary!B3 =SUM(SalesTable[Total]) "
      "175,750.00\r\nSales!E2:E6\r\nSales!E3 =SUM(B3:D3) 29,850.00\r\nSales!B3:D3\r\n"
      "Sales!C3 10,150.00\r\n",
      saved.out);

  const RunResult missing = RunTrelvane(
      {"path", ExampleWorkbook(), "Inputs!B5", "Summary!B3", "--format", "json"});
  EXPECT_EQ(1, missing.exitCode);
  EXPECT_EQ(json({{"found", false}, {"path", json::array()}}), json::parse(missing.out));
  EXPECT_EQ("Path between cells B5 and B3 was not found.\n", missing.err);
}

// The name of the cell style a cell of the written workbook has.
std::wstring StyleOf(const spreadsheet::CWorkbook& book, int32_t sheet, int32_t row,
                     int32_t column) {
  const spreadsheet::CFormatTable& formats = book.Formats();
  const uint32_t style = formats.FormatAt(book.Sheet(sheet).FormatOf({row, column})).namedStyle;
  return formats.NamedStyles().at(style).name;
}

TEST(CliCommands, StyleMarksTheBranchOrThePathInACopy) {
  test_support::CTemporaryFolder folder;
  const std::string before = ReadFileBytes(ExampleWorkbook());
  const std::filesystem::path branch = folder / "branch.xlsx";
  const RunResult styled = RunTrelvane(
      {"style", ExampleWorkbook(), "Summary!B4", "Good", "--output", branch.string()});
  ASSERT_EQ(0, styled.exitCode) << styled.err;
  const spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(branch);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(L"Good", StyleOf(*read.workbook, 3, 4, 2));  // Summary!B4, the root
  EXPECT_EQ(L"Good", StyleOf(*read.workbook, 2, 3, 3));  // Sales!C3, deep in the branch
  EXPECT_EQ(L"Good", StyleOf(*read.workbook, 1, 3, 2));  // Inputs!B3 through TaxRate
  EXPECT_EQ(L"Normal", StyleOf(*read.workbook, 3, 5, 2));  // Summary!B5 is no precedent

  const std::filesystem::path path = folder / "path.xlsx";
  ASSERT_EQ(0, RunTrelvane({"style", ExampleWorkbook(), "Summary!B4", "3", "--path-to",
                            "Sales!C3", "--output", path.string()})
                   .exitCode);
  const spreadsheet::XlsxReadResult onPath = spreadsheet::ReadXlsxFile(path);
  ASSERT_TRUE(onPath.Ok());
  EXPECT_EQ(L"Bad", StyleOf(*onPath.workbook, 2, 3, 3));     // Sales!C3
  EXPECT_EQ(L"Bad", StyleOf(*onPath.workbook, 2, 2, 5));     // Sales!E2:E6, a step as a whole
  EXPECT_EQ(L"Bad", StyleOf(*onPath.workbook, 2, 3, 2));     // Sales!B3:D3 likewise
  EXPECT_EQ(L"Normal", StyleOf(*onPath.workbook, 2, 2, 2));  // Sales!B2, off the path
  EXPECT_EQ(before, ReadFileBytes(ExampleWorkbook()));

  EXPECT_EQ(2, RunTrelvane({"style", ExampleWorkbook(), "Summary!B4", "Missing", "--output",
                            (folder / "x.xlsx").string()})
                   .exitCode);
}

TEST(CliCommands, SaveSheetAddsTheBranchAsALastWorksheetOfACopy) {
  test_support::CTemporaryFolder folder;
  const std::filesystem::path out = folder / "saved.xlsx";
  const RunResult saved = RunTrelvane(
      {"precedents", ExampleWorkbook(), "Summary!B4", "--save-sheet", out.string()});
  ASSERT_EQ(0, saved.exitCode) << saved.err;
  const spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(out);
  ASSERT_TRUE(read.Ok());
  ASSERT_EQ(4, read.workbook->SheetCount());
  const spreadsheet::CWorksheet& sheet = read.workbook->Sheet(4);
  EXPECT_EQ(L"Summary!B4", TextAt(sheet, 3, 3));           // depth 0 in column C, from row 3
  EXPECT_EQ(L"B3*TaxRate", TextAt(sheet, 3, 4));           // the formula without "="
  EXPECT_EQ(L"Summary!B3", TextAt(sheet, 4, 4));           // one level down, one column right
  EXPECT_FALSE(sheet.DisplayGridlines());
  const RunResult same = RunTrelvane(
      {"precedents", ExampleWorkbook(), "Summary!B4", "--save-sheet", ExampleWorkbook()});
  EXPECT_EQ(2, same.exitCode);
}

}  // namespace
