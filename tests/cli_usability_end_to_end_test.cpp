// The trelvane command as a user meets it: hidden sheets, names as cells, raw values in
// JSON, repeated subtrees, error filters, dynamic references and messages.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temporary_folder.h"
#include "tests/support/trelvane_run.h"
#include "tests/support/xlsx_package_builder.h"

namespace {

using nlohmann::json;
using test_support::AllItems;
using test_support::RunJson;
using test_support::RunResult;
using test_support::RunTrelvane;

// <c> elements as a sheet part stores them.
std::string Number(const std::string& cell, const std::string& value, int style = 0) {
  const std::string s = style == 0 ? "" : " s=\"" + std::to_string(style) + "\"";
  return "<c r=\"" + cell + "\"" + s + "><v>" + value + "</v></c>";
}
std::string Text(const std::string& cell, const std::string& text) {
  return "<c r=\"" + cell + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}
// A formula with its cached value; `type` "" for a number, else "e", "b" or "str".
std::string Formula(const std::string& cell, const std::string& formula, const std::string& value,
                    const std::string& type = "", int style = 0) {
  std::string escaped;
  for (const char c : formula)
    escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
  const std::string t = type.empty() ? "" : " t=\"" + type + "\"";
  const std::string s = style == 0 ? "" : " s=\"" + std::to_string(style) + "\"";
  return "<c r=\"" + cell + "\"" + t + s + "><f>" + escaped + "</f><v>" + value + "</v></c>";
}

int RowOf(const std::string& element) {
  const size_t start = element.find("r=\"") + 3;
  size_t digits = start;
  while (element[digits] >= 'A' && element[digits] <= 'Z') ++digits;
  return std::stoi(element.substr(digits));
}

// <sheetData> of the cells, given in row-major order within each row.
std::string SheetData(const std::vector<std::string>& cells) {
  std::map<int, std::string> rows;
  for (const std::string& cell : cells) rows[RowOf(cell)] += cell;
  std::string xml = "<sheetData>";
  for (const auto& [row, content] : rows) {
    xml += "<row r=\"" + std::to_string(row) + "\">" + content + "</row>";
  }
  return xml + "</sheetData>";
}

json At(int sheet, int column, int row) {
  return json::array({sheet, column, row});
}

// The items of a trace document in print order: depth first, each item before its children.
std::vector<const json*> PrintOrder(const json& document) {
  std::vector<const json*> items;
  std::vector<const json*> pending;
  const json& top = document.at("items");
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.push_back(&*it);
  while (!pending.empty()) {
    const json* item = pending.back();
    pending.pop_back();
    items.push_back(item);
    const json& children = item->at("children");
    if (!children.is_array()) continue;
    for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(&*it);
  }
  return items;
}

// The same, each item with its depth below the top.
std::vector<std::pair<const json*, size_t>> PrintOrderWithDepth(const json& document) {
  std::vector<std::pair<const json*, size_t>> items;
  std::vector<std::pair<const json*, size_t>> pending;
  const json& top = document.at("items");
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(&*it, 0);
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    items.emplace_back(item, depth);
    const json& children = item->at("children");
    if (!children.is_array()) continue;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.emplace_back(&*it, depth + 1);
    }
  }
  return items;
}

const json* ChildAt(const json& item, const json& first) {
  for (const json& child : item.at("children")) {
    if (child.contains("ref") && child.at("ref").at("first") == first) return &child;
  }
  return nullptr;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class CliUsability : public testing::Test {
 protected:
  std::string Write(const test_support::CXlsxPackageBuilder& builder) {
    const std::filesystem::path path = folder_ / ("book" + std::to_string(++books_) + ".xlsx");
    builder.Write(path);
    return path.string();
  }

  test_support::CTemporaryFolder folder_;
  int books_ = 0;
};

TEST_F(CliUsability, OffsetAndIndirectTargetsAreDynamicPrecedents) {
  const std::string book = Write(test_support::CXlsxPackageBuilder().Sheet(
      "Sheet1",
      SheetData({Number("A1", "1"), Number("B2", "4"), Number("B3", "6"),
                 Formula("A20", "OFFSET(A1,1,1)", "4"), Formula("A21", "INDIRECT(\"B3\")", "6"),
                 Formula("A22", "SUM(INDIRECT(\"B2:B3\"))", "10")})));
  const struct {
    const char* cell;
    json first;
    json last;
    int image;  // 6 a dynamic cell, 7 a dynamic range
  } cases[] = {
      {"Sheet1!A21", At(1, 2, 3), At(1, 2, 3), 6},
      {"Sheet1!A20", At(1, 2, 2), At(1, 2, 2), 6},
      {"Sheet1!A22", At(1, 2, 2), At(1, 2, 3), 7},
  };
  for (const auto& c : cases) {
    const json trace = RunJson({"precedents", book, c.cell, "--depth", "1"});
    const json& top = trace.at("items").at(0);
    const json* target = ChildAt(top, c.first);
    ASSERT_NE(nullptr, target) << c.cell << " " << top.dump();
    EXPECT_EQ(c.last, target->at("ref").at("last")) << c.cell;
    EXPECT_TRUE(target->at("dynamic").get<bool>()) << c.cell;
    EXPECT_EQ(1, target->at("ref").at("flags").get<int>() & 1) << c.cell;
    EXPECT_EQ(c.image, target->at("image").get<int>()) << c.cell;
  }
  // OFFSET's own argument stays a plain precedent beside the target.
  const json offset = RunJson({"precedents", book, "Sheet1!A20", "--depth", "1"});
  const json* argument = ChildAt(offset.at("items").at(0), At(1, 1, 1));
  ASSERT_NE(nullptr, argument);
  EXPECT_FALSE(argument->at("dynamic").get<bool>());

  // Evaluate shows the call's target and opens it.
  const json evaluate = RunJson({"evaluate", book, "Sheet1!A21"});
  bool resolved = false;
  bool targetCell = false;
  for (const json* item : AllItems(evaluate)) {
    resolved = resolved || item->at("text")[1] == "'Sheet1'!$B$3";
    targetCell =
        targetCell || (item->contains("ref") && item->at("ref").at("first") == At(1, 2, 3) &&
                       item->at("text")[1] == "6");
  }
  EXPECT_TRUE(resolved) << evaluate.dump();
  EXPECT_TRUE(targetCell) << evaluate.dump();
}

TEST_F(CliUsability, HiddenSheetsAreAddressableAndBareAddressesMeanTheFirstVisibleSheet) {
  const std::string book =
      Write(test_support::CXlsxPackageBuilder()
                .Sheet("Setup", SheetData({Number("A1", "7")}), "hidden")
                .Sheet("Main", SheetData({Number("A1", "5"), Formula("A2", "A1*2", "10")}))
                .Sheet("Others", SheetData({Formula("B6", "Main!A1+1", "6")}), "hidden")
                .Sheet("Vault", SheetData({Formula("C1", "Others!B6*2", "12")}), "veryHidden"));

  const json others = RunJson({"precedents", book, "'Others'!B6"});
  const json& top = others.at("items").at(0);
  EXPECT_EQ(json::array({"B6", "Others", "6", "=Main!A1+1"}), top.at("text"));
  EXPECT_NE(nullptr, ChildAt(top, At(2, 1, 1)));
  const json vault = RunJson({"precedents", book, "Vault!C1"});
  EXPECT_NE(nullptr, ChildAt(vault.at("items").at(0), At(3, 2, 6)));

  const json bare = RunJson({"dependents", book, "A1"});
  const json& main = bare.at("items").at(0);
  EXPECT_EQ("Main", main.at("text")[1]);
  EXPECT_NE(nullptr, ChildAt(main, At(2, 1, 2)));
  EXPECT_NE(nullptr, ChildAt(main, At(3, 2, 6)));

  EXPECT_EQ("'Others'!$B$6\n", RunTrelvane({"copy-address", book, "Others!B6"}).out);

  const json sheets = RunJson({"sheets", book});
  const json expected = json::parse(R"([
      {"index": 1, "name": "Setup", "state": "hidden", "usedRange": "A1", "formulas": 0},
      {"index": 2, "name": "Main", "state": "visible", "usedRange": "A1:A2", "formulas": 1},
      {"index": 3, "name": "Others", "state": "hidden", "usedRange": "B6", "formulas": 1},
      {"index": 4, "name": "Vault", "state": "veryHidden", "usedRange": "C1", "formulas": 1}])");
  EXPECT_EQ(expected, sheets.at("sheets"));
  const RunResult table = RunTrelvane({"sheets", book});
  ASSERT_EQ(0, table.exitCode);
  const std::vector<std::string> lines = Lines(table.out);
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(0u, lines[0].find("Sheet"));
  EXPECT_EQ(0u, lines[3].find("Others"));
  EXPECT_EQ(lines[0].find("State"), lines[3].find("hidden"));

  const RunResult missing = RunTrelvane({"precedents", book, "Nowhere!A1"});
  EXPECT_EQ(2, missing.exitCode);
  for (const char* named : {"Setup (hidden)", "Main", "Others (hidden)", "Vault (veryHidden)"}) {
    EXPECT_NE(std::string::npos, missing.err.find(named)) << missing.err;
  }
}

TEST_F(CliUsability, FilterErrorsKeepsErrorCellsAndHighlightingShowsInEachFormat) {
  const std::string book = Write(test_support::CXlsxPackageBuilder().Sheet(
      "Sheet1",
      SheetData({Formula("A1", "1/0", "#DIV/0!", "e"), Number("B1", "3"),
                 Formula("A2", "A1+1", "#DIV/0!", "e"), Formula("A3", "A2+B1", "#DIV/0!", "e")})));
  const auto cells = [](const json& document) {
    std::map<std::string, bool> highlighted;
    for (const json* item : AllItems(document)) {
      highlighted[item->at("text")[0].get<std::string>()] = item->at("highlighted").get<bool>();
    }
    return highlighted;
  };
  const std::map<std::string, bool> filtered =
      cells(RunJson({"precedents", book, "A3", "--filter-errors"}));
  EXPECT_EQ((std::map<std::string, bool>{{"A1", true}, {"A2", true}, {"A3", true}}), filtered);
  const std::map<std::string, bool> highlighted =
      cells(RunJson({"precedents", book, "A3", "--highlight-errors"}));
  EXPECT_EQ((std::map<std::string, bool>{{"A1", true}, {"A2", true}, {"A3", true}, {"B1", false}}),
            highlighted);
  const std::map<std::string, bool> plain = cells(RunJson({"precedents", book, "A3"}));
  EXPECT_EQ(
      (std::map<std::string, bool>{{"A1", false}, {"A2", false}, {"A3", false}, {"B1", false}}),
      plain);
  // The error trace turns highlighting on as its window does.
  const json trace = RunJson({"trace-error", book, "A3"});
  EXPECT_TRUE(trace.at("items").at(0).at("highlighted").get<bool>());

  // Tree: a gutter marks the error lines; no terminal, so no colour codes.
  const RunResult tree = RunTrelvane({"precedents", book, "A3", "--highlight-errors"});
  ASSERT_EQ(0, tree.exitCode) << tree.err;
  EXPECT_EQ(std::string::npos, tree.out.find('\x1b'));
  const std::vector<std::string> lines = Lines(tree.out);
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ(0u, lines[1].find("  Cell"));
  for (size_t i = 2; i < lines.size(); ++i) {
    const bool error = lines[i].find("#DIV/0!") != std::string::npos;
    EXPECT_EQ(error ? "! " : "  ", lines[i].substr(0, 2)) << lines[i];
  }
  EXPECT_EQ(0u, Lines(RunTrelvane({"precedents", book, "A3"}).out)[2].find("A3"));

  // Branch: the saved file knows no highlighting and stays as the window saves it.
  const RunResult branch = RunTrelvane({"precedents", book, "A3", "--format", "branch"});
  ASSERT_EQ(0, branch.exitCode);
  EXPECT_FALSE(branch.out.empty());
  EXPECT_EQ(
      branch.out,
      RunTrelvane({"precedents", book, "A3", "--format", "branch", "--highlight-errors"}).out);
}

TEST_F(CliUsability, SharedBranchesArePrintedOnceSoALatticeStaysSmall) {
  // Thirty layers, each cell reading both cells of the layer above: 2^30 paths from A1. C1 and
  // D1 read each other.
  constexpr int kLayers = 30;
  std::vector<std::string> cells{Number("A1", "1"), Number("B1", "2"), Formula("C1", "D1+1", "0"),
                                 Formula("D1", "C1+1", "0")};
  for (int row = 2; row <= kLayers + 1; ++row) {
    const std::string above = std::to_string(row - 1);
    cells.push_back(Formula("A" + std::to_string(row), "A" + above + "+B" + above, "0"));
    cells.push_back(Formula("B" + std::to_string(row), "A" + above + "-B" + above, "0"));
  }
  const std::string book =
      Write(test_support::CXlsxPackageBuilder().Sheet("Sheet1", SheetData(cells)));

  const auto started = std::chrono::steady_clock::now();
  const json dependents = RunJson({"dependents", book, "A1"});
  // About 0.1 s; the bound leaves room for sanitizer builds.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));

  // Each branch is opened once, and every other occurrence points back at one printed earlier.
  // The last layer opens nothing and is simply listed under both cells above it.
  std::set<json> opened;
  size_t repeats = 0;
  size_t leaves = 0;
  const std::vector<const json*> items = PrintOrder(dependents);
  for (const json* item : items) {
    const json& first = item->at("ref").at("first");
    if (item->at("expandedAbove").get<bool>()) {
      ++repeats;
      EXPECT_TRUE(item->at("children").is_null());
      EXPECT_EQ(1u, opened.count(first)) << item->dump();
    } else if (!opened.insert(first).second) {
      ++leaves;
      EXPECT_TRUE(item->at("children").empty()) << item->dump();
    }
  }
  EXPECT_EQ(static_cast<size_t>(2 * kLayers + 1), opened.size());  // A1 and both of each layer
  EXPECT_EQ(static_cast<size_t>(2 * (kLayers - 2)), repeats);
  EXPECT_EQ(2u, leaves);
  EXPECT_EQ(opened.size() + repeats + leaves, items.size());

  const RunResult tree = RunTrelvane({"precedents", book, "A31"});
  ASSERT_EQ(0, tree.exitCode);
  EXPECT_NE(std::string::npos, tree.out.find("\n    B29 (expanded above)  "));
  EXPECT_LT(Lines(tree.out).size(), 200u);

  // A circle ends where its first cell comes round again.
  const json circle = RunJson({"precedents", book, "C1"});
  const std::vector<const json*> round = PrintOrder(circle);
  ASSERT_EQ(3u, round.size());
  EXPECT_EQ(At(1, 3, 1), round[2]->at("ref").at("first"));
  EXPECT_TRUE(round[2]->at("expandedAbove").get<bool>());

  // --depth still shows every level it asks for: a cell met deeper first opens again higher up.
  const json shallow = RunJson({"dependents", book, "A1", "--depth", "3"});
  size_t deepest = 0;
  std::vector<std::pair<const json*, size_t>> pending{{&shallow.at("items")[0], 0}};
  while (!pending.empty()) {
    const auto [item, level] = pending.back();
    pending.pop_back();
    deepest = std::max(deepest, level);
    if (level == 3) {
      EXPECT_TRUE(item->at("children").is_null()) << item->dump();
    }
    if (!item->at("children").is_array()) continue;
    for (const json& child : item->at("children")) pending.emplace_back(&child, level + 1);
  }
  EXPECT_EQ(3u, deepest);

  // The saved branch keeps to the same rule: the printed tree's lines in the same order at the
  // same depths, the same items marked, written at once.
  const auto saving = std::chrono::steady_clock::now();
  const RunResult branch = RunTrelvane({"dependents", book, "A1", "--format", "branch"});
  EXPECT_LT(std::chrono::steady_clock::now() - saving, std::chrono::seconds(3));
  ASSERT_EQ(0, branch.exitCode) << branch.err;
  EXPECT_LT(branch.out.size(), 8000u);
  const std::vector<std::string> saved = Lines(branch.out);
  const std::vector<std::pair<const json*, size_t>> printed = PrintOrderWithDepth(dependents);
  ASSERT_EQ(printed.size(), saved.size());
  for (size_t i = 0; i < saved.size(); ++i) {
    const auto [item, depth] = printed[i];
    std::string label = "Sheet1!" + item->at("text")[0].get<std::string>();
    if (item->at("expandedAbove").get<bool>()) label += " (expanded above)";
    EXPECT_EQ(std::string(depth, ' ') + label + " ", saved[i].substr(0, depth + label.size() + 1))
        << i;
  }
  // A circle is the one place where the two differ: the saved branch writes the cell that comes
  // round again plainly, once round, as the window's save always has.
  const std::vector<std::string> round2 =
      Lines(RunTrelvane({"precedents", book, "C1", "--format", "branch"}).out);
  ASSERT_EQ(3u, round2.size());
  EXPECT_EQ("  Sheet1!C1 =D1+1", round2[2].substr(0, 17));
}

TEST_F(CliUsability, FormulaNamesAnd3DReferencesAreNamedInTreesPathsAndSavedBranches) {
  const std::string book =
      Write(test_support::CXlsxPackageBuilder()
                .Sheet("Sheet1", SheetData({Number("A1", "1"), Number("B1", "2"), Number("A2", "3"),
                                            Number("B2", "4"), Number("H1", "5"),
                                            Formula("A7", "Rate+i", "27"),
                                            Formula("A9", "SUM(Sheet1:Sheet3!A1)", "6")}))
                .Sheet("Sheet2", SheetData({Number("A1", "2")}))
                .Sheet("Sheet3", SheetData({Number("A1", "3")}))
                .WorkbookTail("<definedNames><definedName name=\"h\">Sheet1!$H$1</definedName>"
                              "<definedName name=\"i\">SUM(Sheet1!$A$1:$B$2,h)</definedName>"
                              "<definedName name=\"j\">Sheet2!$A$1*2</definedName>"
                              "<definedName name=\"Rate\">j*3</definedName></definedNames>"));

  // Every formula name has the same empty corners; each still opens, once.
  const json names = RunJson({"precedents", book, "Sheet1!A7"});
  const json& top = names.at("items").at(0);
  ASSERT_EQ(2u, top.at("children").size());
  const json& rate = top.at("children")[0];
  const json& i = top.at("children")[1];
  EXPECT_EQ("Rate", rate.at("text")[0]);
  EXPECT_EQ("i", i.at("text")[0]);
  for (const json* name : {&rate, &rate.at("children").at(0), &i}) {
    EXPECT_FALSE(name->at("expandedAbove").get<bool>()) << name->dump();
    EXPECT_FALSE(name->at("children").empty()) << name->dump();
  }
  EXPECT_EQ("j", rate.at("children")[0].at("text")[0]);

  // Paths and saved branches name them as the tree does, and a 3-D reference by its sheets.
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> lines;
  } cases[] = {
      {{"path", book, "Sheet1!A7", "Sheet1!H1"}, {"Sheet1!A7", "i", "h (Sheet1!H1)"}},
      {{"path", book, "Sheet1!A9", "Sheet3!A1"}, {"Sheet1!A9", "Sheet1:Sheet3!A1", "Sheet3!A1"}},
      {{"path", book, "Sheet1!A7", "Sheet1!H1", "--format", "branch"},
       {"Sheet1!A7 =Rate+i 27\r", "i =SUM(Sheet1!$A$1:$B$2,h)\r", "h (Sheet1!H1) 5\r"}},
      {{"precedents", book, "Sheet1!A9", "--format", "branch"},
       {"Sheet1!A9 =SUM(Sheet1:Sheet3!A1) 6\r", " Sheet1:Sheet3!A1\r", "  Sheet1!A1 1\r",
        "  Sheet2!A1 2\r", "  Sheet3!A1 3\r"}},
  };
  for (const auto& c : cases) {
    const RunResult result = RunTrelvane(c.arguments);
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(c.lines, Lines(result.out)) << c.arguments[3];
  }
  const std::vector<std::string> saved =
      Lines(RunTrelvane({"precedents", book, "Sheet1!A7", "--format", "branch"}).out);
  ASSERT_EQ(11u, saved.size());
  EXPECT_EQ(" Rate =j*3\r", saved[1]);
  EXPECT_EQ("  j =Sheet2!$A$1*2\r", saved[2]);
  EXPECT_EQ(" i =SUM(Sheet1!$A$1:$B$2,h)\r", saved[4]);
  EXPECT_EQ("  h (Sheet1!H1) 5\r", saved[10]);
}

TEST_F(CliUsability, JsonItemsCarryTheRawValueAndFormulaOfEachCell) {
  const std::string book = Write(
      test_support::CXlsxPackageBuilder()
          .Styles(
              "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.00E+00\"/>"
              "</numFmts><fonts count=\"1\"><font/></fonts><fills count=\"1\"><fill/></fills>"
              "<borders count=\"1\"><border/></borders><cellXfs count=\"2\"><xf numFmtId=\"0\"/>"
              "<xf numFmtId=\"164\" applyNumberFormat=\"1\"/></cellXfs>")
          .Sheet("Sheet1",
                 SheetData({Number("A1", "1234567.891", 1), Text("A2", "hello"),
                            Formula("A3", "1=1", "1", "b"), Formula("A4", "1/0", "#DIV/0!", "e"),
                            Formula("A5", "\"x\"&\"y\"", "xy", "str"), Number("B1", "1"),
                            Number("B2", "2"),
                            Formula("A9", "A1+A2+A3+A4+A5+SUM(B1:B2)", "#VALUE!", "e")})));
  const json trace = RunJson({"precedents", book, "A9", "--depth", "1"});
  const json& top = trace.at("items").at(0);
  EXPECT_EQ("#VALUE!", top.at("value"));
  EXPECT_EQ("error", top.at("valueType"));
  EXPECT_EQ("=A1+A2+A3+A4+A5+SUM(B1:B2)", top.at("formula"));
  const struct {
    json first;
    const char* shown;
    json value;
    const char* type;
    json formula;
  } cases[] = {
      {At(1, 1, 1), "1.23E+06", 1234567.891, "number", nullptr},
      {At(1, 1, 2), "hello", "hello", "text", nullptr},
      {At(1, 1, 3), "TRUE", true, "boolean", "=1=1"},
      {At(1, 1, 4), "#DIV/0!", "#DIV/0!", "error", "=1/0"},
      {At(1, 1, 5), "xy", "xy", "text", "=\"x\"&\"y\""},
  };
  for (const auto& c : cases) {
    const json* item = ChildAt(top, c.first);
    ASSERT_NE(nullptr, item) << c.first;
    EXPECT_EQ(c.shown, item->at("text")[2]) << c.first;
    EXPECT_EQ(c.value, item->at("value")) << c.first;
    EXPECT_EQ(c.type, item->at("valueType")) << c.first;
    EXPECT_EQ(c.formula, item->at("formula")) << c.first;
  }
  const json* range = ChildAt(top, At(1, 2, 1));
  ASSERT_NE(nullptr, range);
  EXPECT_FALSE(range->contains("value"));
  EXPECT_FALSE(range->contains("formula"));
  for (const char* key : {"text", "image", "ref", "error", "dynamic", "children"}) {
    EXPECT_TRUE(range->contains(key)) << key;
  }
}

TEST_F(CliUsability, DefinedNamesAndTablesNameTheirCells) {
  const std::string relationships =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string book = Write(
      test_support::CXlsxPackageBuilder()
          .Sheet("Inputs", SheetData({Number("B3", "0.2")}))
          .Sheet("Sales", SheetData({Text("A1", "Region"), Text("B1", "Amount"),
                                     Text("C1", "Total"), Text("A2", "North"), Number("B2", "10"),
                                     Formula("C2", "B2*(1-TaxRate)", "8"), Text("A3", "South"),
                                     Number("B3", "20"), Formula("C3", "B3*(1-TaxRate)", "16"),
                                     Text("A4", "East"), Number("B4", "30"),
                                     Formula("C4", "B4*(1-TaxRate)", "24")}) +
                              "<tableParts count=\"1\"><tablePart r:id=\"rT1\"/></tableParts>")
          .WorkbookTail("<definedNames><definedName name=\"TaxRate\">Inputs!$B$3</definedName>"
                        "<definedName name=\"Regions\" localSheetId=\"1\">Sales!$A$2:$A$4"
                        "</definedName></definedNames>")
          .Part("xl/worksheets/_rels/sheet2.xml.rels",
                "<Relationships "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rT1\" Type=\"" +
                    relationships + "/table\" Target=\"../tables/table1.xml\"/></Relationships>")
          .Part("xl/tables/table1.xml",
                "<table xmlns=\"" + std::string(test_support::kMainNamespace) +
                    "\" id=\"1\" name=\"SalesTable\" displayName=\"SalesTable\" ref=\"A1:C4\">"
                    "<autoFilter ref=\"A1:C4\"/><tableColumns count=\"3\">"
                    "<tableColumn id=\"1\" name=\"Region\"/><tableColumn id=\"2\" name=\"Amount\"/>"
                    "<tableColumn id=\"3\" name=\"Total\"/></tableColumns></table>"));
  const struct {
    const char* named;
    const char* address;
  } cases[] = {
      {"TaxRate", "'Inputs'!$B$3"},
      {"SalesTable", "'Sales'!$A$2:$C$4"},
      {"SalesTable[Amount]", "'Sales'!$B$2:$B$4"},
      {"salestable[[Total]]", "'Sales'!$C$2:$C$4"},
      {"SalesTable[#All]", "'Sales'!$A$1:$C$4"},
      {"SalesTable[#Headers]", "'Sales'!$A$1:$C$1"},
      {"Sales!Regions", "'Sales'!$A$2:$A$4"},
  };
  for (const auto& c : cases) {
    const RunResult copied = RunTrelvane({"copy-address", book, c.named});
    EXPECT_EQ(0, copied.exitCode) << c.named << ": " << copied.err;
    EXPECT_EQ(std::string(c.address) + "\n", copied.out) << c.named;
  }
  const json dependents = RunJson({"dependents", book, "TaxRate"});
  const json& top = dependents.at("items").at(0);
  EXPECT_EQ(At(1, 2, 3), top.at("ref").at("first"));
  EXPECT_EQ(3u, top.at("children").size());

  const RunResult local = RunTrelvane({"precedents", book, "Regions"});
  EXPECT_EQ(2, local.exitCode);
  EXPECT_NE(std::string::npos, local.err.find("Sales!Regions")) << local.err;
  EXPECT_EQ(2, RunTrelvane({"precedents", book, "SalesTable[Nope]"}).exitCode);
}

TEST_F(CliUsability, UsageErrorsReadAsSentences) {
  const std::string book = test_support::ExampleWorkbook();
  const struct {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{"precedents", book, "B3", "--depth", "0"},
       "--depth takes a number of levels from 1 up, not 0"},
      {{"precedents", book, "B3", "--depth", "two"}, "--depth takes a number of levels"},
      {{"precedents", book, "B3", "--format", "xml"},
       "--format takes tree, json, jsonl or branch, not xml"},
      {{"precedents", book}, "missing CELL"},
      {{"fill-color", book, "0"}, "INDEX takes a colour index from 1 up, not 0"},
      {{"path", book, "B3", "B4", "--kind", "sideways"},
       "--kind takes precedents, dependents or inputs"},
      {{"sheets", book, "--format", "branch"}, "--format takes tree or json"},
      {{"sheets", book, "--depth", "2"}, "does not take --depth 2"},
      {{"frobnicate", book}, "no command frobnicate"},
  };
  for (const auto& c : cases) {
    const RunResult result = RunTrelvane(c.arguments);
    EXPECT_EQ(2, result.exitCode) << c.says;
    EXPECT_NE(std::string::npos, result.err.find(c.says)) << result.err;
    EXPECT_EQ(std::string::npos, result.err.find("not in range")) << result.err;
  }
}

TEST_F(CliUsability, CopyAddressPrintsJsonAndAMissingFolderIsNamed) {
  const std::string book = test_support::ExampleWorkbook();
  const json address = RunJson({"copy-address", book, "Summary!B3:C4"});
  EXPECT_EQ(json({{"address", "'Summary'!$B$3:$C$4"}}), address);

  const std::filesystem::path target = folder_ / "no such folder" / "out.txt";
  const RunResult result =
      RunTrelvane({"precedents", book, "Summary!B5", "--output", target.string()});
  EXPECT_EQ(1, result.exitCode);
  EXPECT_EQ("trelvane: cannot write " + target.string() + ": the folder " +
                target.parent_path().string() + " does not exist\n",
            result.err);
  EXPECT_FALSE(std::filesystem::exists(target.parent_path()));
}

}  // namespace
