// The ribbon's commands through the trelvane command, on the example workbook: messages and
// exit codes, colour filters, Copy Address, Transpose and saved branches, read back from the
// files the command wrote.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/trelvane_run.h"

namespace {

using nlohmann::json;
using test_support::ExampleWorkbook;
using test_support::ReadFileBytes;
using test_support::RunResult;
using test_support::RunTrelvane;

json RunJson(std::vector<std::string> arguments) {
  arguments.push_back("--format");
  arguments.push_back("json");
  const RunResult result = RunTrelvane(arguments);
  EXPECT_EQ(0, result.exitCode) << result.err;
  return json::parse(result.out);
}

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

}  // namespace
