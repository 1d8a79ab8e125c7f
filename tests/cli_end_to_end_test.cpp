// The trelvane command run as a user runs it, on the example workbook: JSON and tree output,
// depth, output files and exit codes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temporary_folder.h"
#include "tests/support/trelvane_run.h"

namespace {

using nlohmann::json;

using test_support::AllItems;
using test_support::RunJson;
using test_support::RunResult;
using test_support::RunTrelvane;

std::string Budget() { return test_support::ExampleWorkbook(); }

// "Sheet!Cell" of each child of the item.
std::set<std::string> ChildCells(const json& item) {
  std::set<std::string> cells;
  for (const json& child : item.at("children")) {
    cells.insert(child.at("text")[1].get<std::string>() + "!" +
                 child.at("text")[0].get<std::string>());
  }
  return cells;
}

TEST(CliEndToEnd, PrecedentsExpandEveryLevelWithReferencesOnEachItem) {
  const json document = RunJson({"precedents", Budget(), "Summary!B5"});
  EXPECT_EQ(json::array({"Cell", "Sheet", "Value", "Formula"}), document.at("columns"));
  ASSERT_EQ(1u, document.at("items").size());
  const json& top = document.at("items")[0];
  EXPECT_EQ(json::array({3, 2, 5}), top.at("ref").at("first"));
  EXPECT_EQ("Summary", top.at("text")[1]);
  EXPECT_EQ('=', top.at("text")[3].get<std::string>().front());
  const std::set<std::string> children = ChildCells(top);
  EXPECT_TRUE(children.count("Summary!B3") == 1 && children.count("Summary!B4") == 1);

  bool sawLeafInput = false;
  for (const json* item : AllItems(document)) {
    // Summary!B3 comes again under B4; its branch is printed once, where it came first.
    EXPECT_NE(item->at("expandedAbove").get<bool>(), item->at("children").is_array())
        << item->dump();
    EXPECT_EQ(4u, item->at("text").size());
    EXPECT_FALSE(item->at("error").get<bool>());
    ASSERT_TRUE(item->contains("ref")) << item->dump();
    if (item->at("text")[0] == "C4" && item->at("text")[1] == "Sales") {
      sawLeafInput = item->at("children").empty() && item->at("text")[3] == "";
    }
  }
  EXPECT_TRUE(sawLeafInput);
}

TEST(CliEndToEnd, QuotedAndUnqualifiedCellsNameTheSameTrees) {
  const json plain = RunJson({"precedents", Budget(), "Summary!B5"});
  const json quoted = RunJson({"precedents", Budget(), "'Summary'!B5"});
  EXPECT_EQ(plain.at("items"), quoted.at("items"));
  // Unqualified means the first sheet, Inputs.
  const json first = RunJson({"dependents", Budget(), "B3"});
  const json inputs = RunJson({"dependents", Budget(), "Inputs!B3"});
  EXPECT_EQ(first.at("items"), inputs.at("items"));
}

TEST(CliEndToEnd, DependentsAndDepthLeaveDeeperLevelsNotReady) {
  const json full = RunJson({"dependents", Budget(), "Inputs!B3"});
  const json& top = full.at("items")[0];
  const std::set<std::string> children = ChildCells(top);
  for (const char* cell : {"Sales!F2", "Sales!F6", "Summary!B4"}) {
    EXPECT_EQ(1u, children.count(cell)) << cell;
  }
  for (const json* item : AllItems(full)) EXPECT_TRUE(item->at("children").is_array());

  const json shallow = RunJson({"dependents", Budget(), "Inputs!B3", "--depth", "1"});
  const json& shallowTop = shallow.at("items")[0];
  EXPECT_EQ(children, ChildCells(shallowTop));
  bool anyNotReady = false;
  for (const json& child : shallowTop.at("children")) {
    anyNotReady = anyNotReady || child.at("children").is_null();
  }
  EXPECT_TRUE(anyNotReady);
}

TEST(CliEndToEnd, ErrorTraceAndErrorListMarkErrorCells) {
  const json trace = RunJson({"trace-error", Budget(), "Summary!B12"});
  const json& top = trace.at("items")[0];
  EXPECT_TRUE(top.at("error").get<bool>());
  EXPECT_EQ('#', top.at("text")[2].get<std::string>().front());
  ASSERT_FALSE(top.at("children").empty());
  EXPECT_TRUE(top.at("children")[0].at("error").get<bool>());

  const json errors = RunJson({"errors", Budget()});
  std::set<std::string> cells;
  for (const json& item : errors.at("items")) {
    EXPECT_TRUE(item.at("error").get<bool>());
    cells.insert(item.at("text")[1].get<std::string>() + "!" +
                 item.at("text")[0].get<std::string>());
  }
  EXPECT_EQ(1u, cells.count("Summary!B12"));
  EXPECT_EQ(1u, cells.count("Summary!B11"));

  const json chain = RunJson({"chain", Budget()});
  EXPECT_GT(chain.at("items").size(), cells.size());
}

TEST(CliEndToEnd, TreeIsATitleAndAnAlignedTable) {
  const RunResult result = RunTrelvane({"precedents", Budget(), "Summary!B5", "--depth", "1"});
  ASSERT_EQ(0, result.exitCode);
  std::istringstream lines(result.out);
  std::string title;
  std::string header;
  std::string first;
  std::string second;
  std::getline(lines, title);
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_NE(std::string::npos, title.find("Summary!B5"));
  EXPECT_EQ(0u, header.find("Cell"));
  EXPECT_EQ(0u, first.find("B5"));
  EXPECT_EQ(0u, second.find("  B"));  // a child, indented
  EXPECT_EQ(header.find("Sheet"), first.find("Summary"));
  EXPECT_EQ(header.find("Sheet"), second.find("Summary"));
  EXPECT_EQ(header.find("Formula"), first.find("="));
}

TEST(CliEndToEnd, JsonLinesHoldTheNestedItemsInOrderWithTheirDepth) {
  const std::vector<std::string> arguments{"precedents", Budget(), "Summary!B5", "--depth", "2"};
  const json nested = RunJson(arguments);
  std::vector<std::string> withFormat = arguments;
  withFormat.insert(withFormat.end(), {"--format", "jsonl"});
  const RunResult lines = RunTrelvane(withFormat);
  ASSERT_EQ(0, lines.exitCode) << lines.err;
  std::istringstream in(lines.out);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ((json{{"title", nested.at("title")}, {"columns", nested.at("columns")}}),
            json::parse(line));

  // The nested document in its own order: parents first, siblings in order.
  std::vector<std::pair<const json*, size_t>> pending;
  const json& top = nested.at("items");
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(&*it, 0);
  size_t leftOut = 0;
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    ASSERT_TRUE(std::getline(in, line));
    json flat = json::parse(line);
    EXPECT_EQ(depth, flat.at("depth").get<size_t>());
    EXPECT_EQ(item->at("children").is_null(), flat.at("childrenLeftOut").get<bool>());
    leftOut += flat.at("childrenLeftOut").get<bool>() ? 1u : 0u;
    flat.erase("depth");
    flat.erase("childrenLeftOut");
    json members = *item;
    members.erase("children");
    EXPECT_EQ(members, flat);
    if (item->at("children").is_array()) {
      const json& children = item->at("children");
      for (auto it = children.rbegin(); it != children.rend(); ++it) {
        pending.emplace_back(&*it, depth + 1);
      }
    }
  }
  EXPECT_FALSE(std::getline(in, line));
  EXPECT_GT(leftOut, 0u);  // --depth 2 leaves the third level out
}

TEST(CliEndToEnd, OutputFileHoldsWhatStdoutWouldAndNothingIsLeftBeside) {
  test_support::CTemporaryFolder folder;
  const std::string target = (folder / "trace.json").string();
  const RunResult written =
      RunTrelvane({"precedents", Budget(), "Summary!B5", "--format", "json", "--output", target});
  ASSERT_EQ(0, written.exitCode);
  EXPECT_TRUE(written.out.empty());
  std::ifstream file(target, std::ios::binary);
  const std::string content{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(RunTrelvane({"precedents", Budget(), "Summary!B5", "--format", "json"}).out, content);
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.Path()),
                             std::filesystem::directory_iterator()));
}

TEST(CliEndToEnd, ExitCodes) {
  test_support::CTemporaryFolder folder;
  const std::string copy = (folder / "copy.xlsx").string();
  std::filesystem::copy_file(Budget(), copy);
  const auto size = std::filesystem::file_size(copy);
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
  } cases[] = {
      {{"precedents", (folder / "missing.xlsx").string(), "B3"}, 3},
      {{"errors", std::string(TRELVANE_SOURCE_DIR) + "/README.md"}, 3},
      {{"precedents", Budget(), "Nowhere!B3"}, 2},
      {{"precedents", Budget(), "B"}, 2},
      {{"precedents", Budget(), "Summary!B3:B"}, 2},
      {{"precedents", Budget()}, 2},
      {{"precedents", Budget(), "B3", "--format", "xml"}, 2},
      {{"precedents", Budget(), "B3", "--depth", "0"}, 2},
      {{"precedents", copy, "B3", "--output", copy}, 2},
      {{"unknown"}, 2},
      {{"precedents", Budget(), "B3"}, 0},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    EXPECT_EQ(c.exitCode, RunTrelvane(c.arguments).exitCode) << shown;
  }
  EXPECT_EQ(size, std::filesystem::file_size(copy));
}

}  // namespace
