// Formulas as current Excel writes them, read right end to end: dotted function names,
// structured references with item specifiers, unions and intersections, error literals.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/trelvane_run.h"
#include "tests/support/xlsx_package_builder.h"

namespace {

using nlohmann::json;
using Areas = std::set<std::string>;

// One cell of a sheet part: a number, or a formula as the file stores it (after "=").
struct CellContent {
  std::string cell;
  std::string content;
};

std::pair<int, int> RowAndColumn(const std::string& cell) {
  int column = 0;
  size_t i = 0;
  for (; i < cell.size() && cell[i] >= 'A' && cell[i] <= 'Z'; ++i)
    column = column * 26 + cell[i] - 64;
  return {std::stoi(cell.substr(i)), column};
}

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (const char c : text) {
    out += c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : std::string(1, c);
  }
  return out;
}

std::string CellsSheetData(const std::vector<CellContent>& cells) {
  std::map<int, std::map<int, std::string>> rows;
  for (const CellContent& c : cells) {
    const auto [row, column] = RowAndColumn(c.cell);
    const bool formula = c.content.front() == '=';
    rows[row][column] =
        "<c r=\"" + c.cell + "\">" +
        (formula ? "<f>" + EscapeXml(c.content.substr(1)) + "</f>" : "<v>" + c.content + "</v>") +
        "</c>";
  }
  std::string xml = "<sheetData>";
  for (const auto& [row, columns] : rows) {
    xml += "<row r=\"" + std::to_string(row) + "\">";
    for (const auto& [column, cell] : columns) xml += cell;
    xml += "</row>";
  }
  return xml + "</sheetData>";
}

// The workbook the tests read. Sheet "Data" holds the formulas and, on J10:L14, the table Sales
// (header row 10, data 11 to 13, totals row 14; columns Item, Value, Rank); "O'Brien" and
// "Other Sheet" are there to be referred to.
class FormulaAnswers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new test_support::CTemporaryFolder();
    workbook_ = (*folder_ / "formulas.xlsx").string();
    std::vector<CellContent> data = {
        {"A1", "1"},   {"A2", "2"},  {"A3", "3"},  {"B2", "4"},  {"C2", "5"},  {"C3", "6"},
        {"E16", "10"}, {"E17", "1"}, {"F17", "2"}, {"G17", "3"}, {"H17", "4"}, {"G3", "1"},
        {"G5", "2"},   {"G6", "3"},  {"Z7", "9"},  {"C5", "8"},
    };
    for (char column = 'D'; column <= 'N'; ++column)
      data.push_back({std::string(1, column) + "4", "1"});
    const std::vector<CellContent> formulas = {
        {"B20", "=_xlfn.CHISQ.TEST(E17:F17,G17:H17)"},
        {"B21", "=_xlfn.CEILING.MATH(E16,3)"},
        {"B22", "=_xlfn.NORM.INV(0.5,E16,1)+_xlfn.STDEV.S(E17:H17)"},
        {"B23", "=AREAS((D4:G4,I4:J4,K4:N4))"},
        {"B24", "=SUM((A1,B2:C3))"},
        {"B25", "=SUM(((F4:G4,G4:I4) G3:G11))"},
        {"B26", "=SUM(A1:A3 A2:B2)"},
        {"B27", "=ISNA(#N/A)+E16"},
        {"B28", "=CHOOSE(2,#N/A,#NULL!,#DIV/0!,E17)"},
        {"B29", "=IFERROR(Data!#REF!,0)+E17"},
        {"B30", "=1E+3*A1"},
        {"B31", "=_xlfn.LET(_xlpm.x,A1,_xlpm.x*2)"},
        {"B32", "='O''Brien'!A1+'Other Sheet'!B2"},
        {"B33", "=SUM('O''Brien:Other Sheet'!C1)"},
        {"B34", "=SUM(Z:Z,7:7)"},
        {"B35", "=COLUMNS((D4:G4,I4:J4))"},
        {"B36", "=INDEX((A1:B2,D1:E2),1,1,2)"},
        {"B37", "=IF(A1=2,5,)+IF(A2=2,,7)"},
        {"B38", "=IF(TRUE(),A3,)+FALSE()"},
        {"M11", "=Sales[[#This Row],[Value]]*2"},
        {"M12", "=Sales[[#Totals],[Value]]"},
        {"M13", "=Sales[[#Headers],[Rank]]&Sales[[Item]:[Value]]"},
        {"M14", "=SUM(Sales[[#Data],[#Totals],[Value]])"},
        {"L11", "=Sales[[#This Row],[Value]]+1"},
        {"L12", "=Sales[[#This Row],[Value]]+1"},
        {"L13", "=Sales[[#This Row],[Value]]+1"},
        {"L14", "=SUBTOTAL(109,Sales[Rank])"},
    };
    data.insert(data.end(), formulas.begin(), formulas.end());
    for (int row = 11; row <= 13; ++row) {
      data.push_back({"J" + std::to_string(row), std::to_string(row)});
      data.push_back({"K" + std::to_string(row), std::to_string(row * 10)});
    }
    data.push_back({"K14", "=SUBTOTAL(109,Sales[Value])"});
    const std::string headers =
        "<c r=\"J10\" t=\"inlineStr\"><is><t>Item</t></is></c>"
        "<c r=\"K10\" t=\"inlineStr\"><is><t>Value</t></is></c>"
        "<c r=\"L10\" t=\"inlineStr\"><is><t>Rank</t></is></c>";
    std::string sheet = CellsSheetData(data);
    const std::string row10 = "<row r=\"10\">";
    const size_t before = sheet.find("<row r=\"11\">");
    sheet.insert(before, row10 + headers + "</row>");
    const std::string relationships =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    test_support::CXlsxPackageBuilder()
        .Sheet("Data", sheet + "<tableParts count=\"1\"><tablePart r:id=\"rT1\"/></tableParts>")
        .Sheet("O'Brien", CellsSheetData({{"A1", "7"}, {"C1", "1"}}))
        .Sheet("Other Sheet", CellsSheetData({{"B2", "8"}, {"C1", "2"}}))
        .Part("xl/worksheets/_rels/sheet1.xml.rels",
              "<Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rT1\" Type=\"" +
                  relationships + "/table\" Target=\"../tables/table1.xml\"/></Relationships>")
        .Part("xl/tables/table1.xml",
              "<table xmlns=\"" + std::string(test_support::kMainNamespace) +
                  "\" id=\"1\" name=\"Sales\" displayName=\"Sales\" ref=\"J10:L14\" "
                  "totalsRowCount=\"1\"><autoFilter ref=\"J10:L13\"/><tableColumns count=\"3\">"
                  "<tableColumn id=\"1\" name=\"Item\"/><tableColumn id=\"2\" name=\"Value\"/>"
                  "<tableColumn id=\"3\" name=\"Rank\"/></tableColumns></table>")
        .Write(workbook_);
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  // "Sheet!A1:B2" of a trace item's reference, from its numbers.
  static std::string Area(const json& item) {
    static const char* const kSheets[] = {"?", "Data", "O'Brien", "Other Sheet"};
    const json& ref = item.at("ref");
    const auto corner = [](const json& position) {
      std::string letters;
      for (int column = position[1]; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
      }
      return letters + std::to_string(position[2].get<int>());
    };
    const int firstSheet = ref.at("first")[0];
    const int lastSheet = ref.at("last")[0];
    std::string text = kSheets[firstSheet >= 1 && firstSheet <= 3 ? firstSheet : 0];
    if (lastSheet != firstSheet) text += std::string(":") + kSheets[lastSheet <= 3 ? lastSheet : 0];
    text += "!" + corner(ref.at("first"));
    if (corner(ref.at("first")) != corner(ref.at("last"))) text += ":" + corner(ref.at("last"));
    return text;
  }

  // The areas one level below the cell in a trace of the given kind.
  static Areas Related(const std::string& command, const std::string& cell) {
    const json document = test_support::RunJson({command, workbook_, cell, "--depth", "1"});
    Areas areas;
    if (!document.is_object() || document.at("items").size() != 1) {
      ADD_FAILURE() << command << " " << cell << ": " << document.dump();
      return areas;
    }
    for (const json& child : document.at("items")[0].at("children")) areas.insert(Area(child));
    return areas;
  }

  static test_support::CTemporaryFolder* folder_;
  static std::string workbook_;
};

test_support::CTemporaryFolder* FormulaAnswers::folder_ = nullptr;
std::string FormulaAnswers::workbook_;

TEST_F(FormulaAnswers, PrecedentsAreEveryAreaTheFormulaNames) {
  const std::pair<const char*, Areas> cases[] = {
      {"Data!B20", {"Data!E17:F17", "Data!G17:H17"}},
      {"Data!B21", {"Data!E16"}},
      {"Data!B22", {"Data!E16", "Data!E17:H17"}},
      {"Data!B23", {"Data!D4:G4", "Data!I4:J4", "Data!K4:N4"}},
      {"Data!B24", {"Data!A1", "Data!B2:C3"}},
      {"Data!B25", {"Data!F4:G4", "Data!G4:I4", "Data!G3:G11"}},
      {"Data!B26", {"Data!A1:A3", "Data!A2:B2"}},
      {"Data!B27", {"Data!E16"}},
      {"Data!B28", {"Data!E17"}},
      {"Data!B29", {"Data!E17"}},
      {"Data!B30", {"Data!A1"}},
      {"Data!B31", {"Data!A1"}},
      {"Data!B32", {"O'Brien!A1", "Other Sheet!B2"}},
      {"Data!B33", {"O'Brien:Other Sheet!C1"}},
      {"Data!B34", {"Data!Z1:Z65536", "Data!A7:IV7"}},
      {"Data!M11", {"Data!K11"}},
      {"Data!M12", {"Data!K14"}},
      {"Data!M13", {"Data!L10", "Data!J11:K13"}},
      {"Data!M14", {"Data!K11:K14"}},
      {"Data!L12", {"Data!K12"}},
  };
  for (const auto& [cell, areas] : cases) {
    EXPECT_EQ(Related("precedents", cell), areas) << cell;
  }
}

TEST_F(FormulaAnswers, DependentsOfEveryNamedAreaFindTheFormula) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Data!F17", {"Data!B20", "Data!B22"}},
      {"Data!H17", {"Data!B20", "Data!B22"}},
      {"Data!E16", {"Data!B21", "Data!B22", "Data!B27"}},
      {"Data!I4", {"Data!B23", "Data!B25"}},
      {"Data!M4", {"Data!B23"}},
      {"Data!C3", {"Data!B24"}},
      {"Data!G5", {"Data!B25"}},
      {"Data!B2", {"Data!B24", "Data!B26"}},
      {"Data!A1", {"Data!B24", "Data!B26", "Data!B30", "Data!B31"}},
      {"'Other Sheet'!C1", {"Data!B33"}},
      {"Data!Z7", {"Data!B34"}},
      {"Data!K12", {"Data!L12", "Data!M13", "Data!M14"}},
      {"Data!K14", {"Data!M12", "Data!M14"}},
  };
  for (const auto& [cell, formulas] : cases) {
    const Areas dependents = Related("dependents", cell);
    for (const std::string& formula : formulas) {
      EXPECT_EQ(dependents.count(formula), 1u) << formula << " among the dependents of " << cell;
    }
  }
}

TEST_F(FormulaAnswers, EvaluateTreeShowsEachPartOfAUnion) {
  const json document = test_support::RunJson({"evaluate", workbook_, "Data!B23"});
  std::vector<std::string> formulas;
  for (const json* item : test_support::AllItems(document)) {
    formulas.push_back(item->at("text")[0].get<std::string>());
  }
  for (const char* part :
       {"AREAS((D4:G4,I4:J4,K4:N4))", "(D4:G4,I4:J4,K4:N4)", "D4:G4", "I4:J4", "K4:N4"}) {
    EXPECT_NE(std::find(formulas.begin(), formulas.end(), part), formulas.end()) << part;
  }
}

// Each part shows what Excel gives for it: a union is a range of every area, an intersection
// applies to each area of a union, empty arguments keep their places, TRUE() is a call.
TEST_F(FormulaAnswers, EvaluateTreeValuesAreExcels) {
  const std::pair<const char*, std::vector<std::pair<std::string, std::string>>> cases[] = {
      {"Data!B23",
       {{"AREAS((D4:G4,I4:J4,K4:N4))", "3"},
        {"(D4:G4,I4:J4,K4:N4)", "'Data'!$D$4:$G$4,$I$4:$J$4,$K$4:$N$4"}}},
      {"Data!B25",
       {{"SUM(((F4:G4,G4:I4) G3:G11))", "2"},
        {"(F4:G4,G4:I4) G3:G11", "'Data'!$G$4,$G$4"},
        {"(F4:G4,G4:I4)", "'Data'!$F$4:$G$4,$G$4:$I$4"}}},
      {"Data!B35",
       {{"COLUMNS((D4:G4,I4:J4))", "#ERROR!"}, {"(D4:G4,I4:J4)", "'Data'!$D$4:$G$4,$I$4:$J$4"}}},
      {"Data!B36",
       {{"INDEX((A1:B2,D1:E2), 1, 1, 2)", "'Data'!$D$1"},
        {"(A1:B2,D1:E2)", "'Data'!$A$1:$B$2,$D$1:$E$2"}}},
      {"Data!B37",
       {{"IF(A1=2, 5,)+IF(A2=2,, 7)", "0"}, {"IF(A1=2, 5,)", "0"}, {"IF(A2=2,, 7)", "0"}}},
      {"Data!B38", {{"IF(TRUE(), A3,)+FALSE()", "3"}, {"TRUE()", "TRUE"}, {"FALSE()", "FALSE"}}},
  };
  for (const auto& [cell, parts] : cases) {
    const json document = test_support::RunJson({"evaluate", workbook_, cell});
    std::map<std::string, std::string> values;
    for (const json* item : test_support::AllItems(document)) {
      values[item->at("text")[0].get<std::string>()] = item->at("text")[1].get<std::string>();
    }
    for (const auto& [formula, value] : parts) {
      const auto found = values.find(formula);
      ASSERT_NE(found, values.end()) << cell << ": no part " << formula;
      EXPECT_EQ(found->second, value) << cell << ": " << formula;
    }
  }
  // The root cell shows the error Excel shows; the tree's values read every error alike.
  const json columns = test_support::RunJson({"evaluate", workbook_, "Data!B35"});
  EXPECT_EQ(columns.at("items")[0].at("text")[1].get<std::string>().rfind("#REF!", 0), 0u);
}

}  // namespace
