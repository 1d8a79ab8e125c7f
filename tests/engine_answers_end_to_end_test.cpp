// The engine's answers on workbooks the tests write: formulas below merged cells, 3-D
// references, sheet-level and formula names, array blocks in the calculation chain.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/trelvane_run.h"
#include "tests/support/xlsx_package_builder.h"

namespace {

using nlohmann::json;
using test_support::CTemporaryFolder;
using test_support::CXlsxPackageBuilder;
using test_support::RunJson;

// Cells of a sheet by address, written row by row as <sheetData>.
class CSheetCells {
 public:
  CSheetCells& Number(const std::string& cell, double value) {
    return Put(cell, "<v>" + Shortest(value) + "</v>", "");
  }
  CSheetCells& Text(const std::string& cell, const std::string& text) {
    return Put(cell, "<is><t>" + text + "</t></is>", " t=\"inlineStr\"");
  }
  // A formula with the value Excel saved for it; text values are written as t="str".
  CSheetCells& Formula(const std::string& cell, const std::string& formula, double value) {
    return Put(cell, "<f>" + formula + "</f><v>" + Shortest(value) + "</v>", "");
  }
  CSheetCells& TextFormula(const std::string& cell, const std::string& formula,
                           const std::string& value) {
    return Put(cell, "<f>" + formula + "</f><v>" + value + "</v>", " t=\"str\"");
  }
  CSheetCells& ErrorFormula(const std::string& cell, const std::string& formula) {
    return Put(cell, "<f>" + formula + "</f><v>#DIV/0!</v>", " t=\"e\"");
  }
  // The first cell of an array formula over `area`; the other cells hold only values.
  CSheetCells& ArrayFormula(const std::string& cell, const std::string& area,
                            const std::string& formula, double value) {
    return Put(cell,
               "<f t=\"array\" ref=\"" + area + "\">" + formula + "</f><v>" + Shortest(value) +
                   "</v>",
               "");
  }
  // <sheetData>, then whatever follows it (mergeCells).
  std::string Body(const std::string& after = "") const {
    std::string xml = "<sheetData>";
    for (const auto& [row, cells] : rows_) {
      xml += "<row r=\"" + std::to_string(row) + "\">";
      for (const auto& [column, cell] : cells) xml += cell;
      xml += "</row>";
    }
    return xml + "</sheetData>" + after;
  }

 private:
  static std::string Shortest(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
  }
  CSheetCells& Put(const std::string& cell, const std::string& content, const std::string& type) {
    size_t digits = 0;
    while (digits < cell.size() && !std::isdigit(static_cast<unsigned char>(cell[digits]))) {
      ++digits;
    }
    int column = 0;
    for (size_t i = 0; i < digits; ++i) column = column * 26 + (cell[i] - 'A' + 1);
    rows_[std::stoi(cell.substr(digits))][column] =
        "<c r=\"" + cell + "\"" + type + ">" + content + "</c>";
    return *this;
  }
  std::map<int, std::map<int, std::string>> rows_;
};

std::string DefinedNames(const std::vector<std::pair<std::string, std::string>>& workbookNames,
                         const std::vector<std::pair<std::string, std::string>>& localNames = {},
                         int localSheetId = 0) {
  std::string xml = "<definedNames>";
  for (const auto& [name, definition] : workbookNames) {
    xml += "<definedName name=\"" + name + "\">" + definition + "</definedName>";
  }
  for (const auto& [name, definition] : localNames) {
    xml += "<definedName name=\"" + name + "\" localSheetId=\"" + std::to_string(localSheetId) +
           "\">" + definition + "</definedName>";
  }
  return xml + "</definedNames>";
}

// "Sheet!A1" for an item, from its Sheet and Cell columns.
std::string Place(const json& item) {
  return item.at("text")[1].get<std::string>() + "!" + item.at("text")[0].get<std::string>();
}

std::vector<std::string> PlacesOf(const json& items) {
  std::vector<std::string> places;
  for (const json& item : items) places.push_back(Place(item));
  return places;
}

class EngineAnswers : public testing::Test {
 protected:
  std::string Write(const CXlsxPackageBuilder& builder) {
    const std::string path = (folder_ / "book.xlsx").string();
    builder.Write(path);
    return path;
  }

  CTemporaryFolder folder_;
};

TEST_F(EngineAnswers, AMergedTitleHidesNoFormulaBelowItFromTheWholeWorkbookScan) {
  // The used range starts on the title's row; the title's own cells in H:K are blank, the
  // hidden H42 still holds a number from before the merge, and the formulas start right below
  // the title, some of them showing empty text.
  CSheetCells report;
  report.Text("G42", "Quarter").Number("H42", 7);
  std::vector<std::string> formulas;
  for (const std::string& column : std::vector<std::string>{"H", "I", "J", "K"}) {
    for (int row = 43; row <= 48; ++row) {
      const std::string cell = column + std::to_string(row);
      if (row == 45) {
        report.TextFormula(cell, "IF(1,\"\",0)", "");
      } else if (row == 47 && column == "K") {
        report.ErrorFormula(cell, "1/0");
      } else {
        report.Formula(cell, "Data!A1*" + std::to_string(row), 5.0 * row);
      }
      formulas.push_back("Report!" + cell);
    }
  }
  CXlsxPackageBuilder builder;
  builder.Sheet("Report", report.Body("<mergeCells count=\"1\"><mergeCell ref=\"G42:K42\"/>"
                                      "</mergeCells>"))
      .Sheet("Data", CSheetCells().Number("A1", 5).Body());
  const std::string book = Write(builder);

  std::vector<std::string> chain = PlacesOf(RunJson({"chain", book}).at("items"));
  std::sort(chain.begin(), chain.end());
  std::sort(formulas.begin(), formulas.end());
  EXPECT_EQ(formulas, chain);
  EXPECT_EQ(std::vector<std::string>{"Report!K47"},
            PlacesOf(RunJson({"errors", book}).at("items")));
  const json dependents = RunJson({"dependents", book, "Data!A1", "--depth", "1"});
  // Every formula but the four showing empty text and the error reads Data!A1.
  EXPECT_EQ(19u, dependents.at("items")[0].at("children").size());
}

TEST_F(EngineAnswers, A3DReferenceReachesEverySheetFromTheFirstToTheLast) {
  CXlsxPackageBuilder builder;
  builder
      .Sheet("Sheet1", CSheetCells()
                           .Number("A1", 1)
                           .Number("B1", 11)
                           .Number("A2", 21)
                           .Number("B2", 31)
                           .Formula("D1", "SUM(Sheet1:Sheet3!A1)", 6)
                           .Formula("D2", "SUM(Sheet1:Sheet3!A1:B2)", 0)
                           .Body())
      .Sheet("Sheet2", CSheetCells().Number("A1", 2).Number("B1", 12).Number("A2", 22).Number(
                                                                                   "B2", 32)
                           .Body())
      .Sheet("Sheet3", CSheetCells().Number("A1", 3).Number("B1", 13).Number("A2", 23).Number(
                                                                                   "B2", 33)
                           .Body());
  const std::string book = Write(builder);

  const json inputs = RunJson({"inputs", book, "Sheet1!D1"}).at("items")[0].at("children");
  EXPECT_EQ((std::vector<std::string>{"Sheet1!A1", "Sheet2!A1", "Sheet3!A1"}), PlacesOf(inputs));
  const json path = RunJson({"path", book, "Sheet1!D1", "Sheet3!A1", "--kind", "inputs"});
  EXPECT_TRUE(path.at("found").get<bool>());
  EXPECT_EQ((std::vector<int>{3, 1, 1}), path.at("path").back().at("first").get<std::vector<int>>());

  const json range = RunJson({"precedents", book, "Sheet1!D2"}).at("items")[0].at("children")[0];
  EXPECT_EQ("A1:B2", range.at("text")[0]);
  EXPECT_EQ("Sheet1:Sheet3", range.at("text")[1]);
  std::vector<std::string> cells;
  for (const json& cell : range.at("children")) {
    cells.push_back(Place(cell) + "=" + cell.at("text")[2].get<std::string>());
  }
  EXPECT_EQ((std::vector<std::string>{"Sheet1!A1=1", "Sheet1!B1=11", "Sheet1!A2=21",
                                      "Sheet1!B2=31", "Sheet2!A1=2", "Sheet2!B1=12",
                                      "Sheet2!A2=22", "Sheet2!B2=32", "Sheet3!A1=3",
                                      "Sheet3!B1=13", "Sheet3!A2=23", "Sheet3!B2=33"}),
            cells);
}

TEST_F(EngineAnswers, ASheetLevelNameResolvesOnItsSheetAndByItsQualifiedText) {
  CXlsxPackageBuilder builder;
  builder
      .Sheet("Other", CSheetCells()
                          .Number("A1", 3)
                          .Formula("B1", "ReportMonth", 3)
                          .Formula("B2", "Summary!ReportMonth", 5)
                          .Body())
      .Sheet("Summary",
             CSheetCells().Number("B1", 5).Formula("C1", "ReportMonth*2", 10).Body())
      .WorkbookTail(DefinedNames({{"ReportMonth", "Other!$A$1"}},
                                 {{"ReportMonth", "Summary!$B$1"}}, 1));
  const std::string book = Write(builder);

  const json name =
      RunJson({"precedents", book, "Summary!C1", "--depth", "1"}).at("items")[0].at("children");
  ASSERT_EQ(1u, name.size());
  EXPECT_EQ((std::vector<int>{2, 2, 1}), name[0].at("ref").at("first").get<std::vector<int>>());
  EXPECT_NE(std::string::npos, name[0].at("text")[0].get<std::string>().find("ReportMonth (B1)"));
  EXPECT_EQ("Summary", name[0].at("text")[1]);

  const json dependents = RunJson({"dependents", book, "Summary!B1"}).at("items")[0];
  EXPECT_EQ((std::vector<std::string>{"Other!B2", "Summary!C1"}),
            PlacesOf(dependents.at("children")));
  const json shadowed = RunJson({"dependents", book, "Other!A1"}).at("items")[0];
  EXPECT_EQ(std::vector<std::string>{"Other!B1"}, PlacesOf(shadowed.at("children")));
}

TEST_F(EngineAnswers, AFormulaNameIsSeenThroughByEveryQuestion) {
  CXlsxPackageBuilder builder;
  builder
      .Sheet("Calc", CSheetCells()
                         .Number("B1", 2)
                         .Formula("A1", "B1*Rate", 144)
                         .ErrorFormula("A2", "Bad*2")
                         .Formula("A3", "c*2", 0.4)
                         .Body())
      .Sheet("Inputs", CSheetCells()
                           .Number("B3", 5)
                           .Formula("B2", "B3+1", 6)
                           .ErrorFormula("C1", "1/0")
                           .Body())
      .WorkbookTail(DefinedNames(
          {{"Rate", "Inputs!$B$2*12"}, {"Bad", "Inputs!$C$1+1"}, {"c", "0.2"}}));
  const std::string book = Write(builder);

  // The name opens into what its definition reads; a constant stays a leaf.
  const json rate = RunJson({"precedents", book, "Calc!A1"}).at("items")[0].at("children")[1];
  EXPECT_EQ("Rate", rate.at("text")[0]);
  ASSERT_EQ(1u, rate.at("children").size());
  EXPECT_EQ("Inputs!B2", Place(rate.at("children")[0]));
  const json constant = RunJson({"precedents", book, "Calc!A3"}).at("items")[0].at("children")[0];
  EXPECT_EQ("c", constant.at("text")[0]);
  EXPECT_TRUE(constant.at("children").is_null() || constant.at("children").empty());

  EXPECT_EQ(std::vector<std::string>{"Calc!A1"},
            PlacesOf(RunJson({"dependents", book, "Inputs!B2"}).at("items")[0].at("children")));
  EXPECT_EQ((std::vector<std::string>{"Calc!B1", "Inputs!B3"}),
            PlacesOf(RunJson({"inputs", book, "Calc!A1"}).at("items")[0].at("children")));
  EXPECT_EQ(std::vector<std::string>{"Inputs!C1"},
            PlacesOf(RunJson({"trace-error", book, "Calc!A2"}).at("items")[0].at("children")));
  EXPECT_TRUE(RunJson({"path", book, "Calc!A1", "Inputs!B3"}).at("found").get<bool>());

  // Calc!A1 comes after the formula its name reads, though its sheet comes first.
  std::vector<std::string> chain = PlacesOf(RunJson({"chain", book}).at("items"));
  const auto position = [&chain](const std::string& place) {
    return std::find(chain.begin(), chain.end(), place) - chain.begin();
  };
  EXPECT_LT(position("Inputs!B2"), position("Calc!A1"));
  EXPECT_LT(position("Inputs!C1"), position("Calc!A2"));
}

TEST_F(EngineAnswers, TheChainListsEveryCellOfAnArrayFormula) {
  CXlsxPackageBuilder builder;
  builder.Sheet("Sheet1", CSheetCells()
                              .Number("A1", 1)
                              .Number("A2", 2)
                              .Number("A3", 3)
                              .ArrayFormula("E1", "E1:E3", "A1:A3*2", 2)
                              .Number("E2", 4)
                              .Number("E3", 6)
                              .Formula("F1", "E3+1", 7)
                              .Body());
  const std::string book = Write(builder);

  const json items = RunJson({"chain", book}).at("items");
  EXPECT_EQ((std::vector<std::string>{"Sheet1!E1", "Sheet1!E2", "Sheet1!E3", "Sheet1!F1"}),
            PlacesOf(items));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ("{=A1:A3*2}", items[i].at("text")[3]) << i;
  EXPECT_EQ("6", items[2].at("text")[2]);
}

}  // namespace
