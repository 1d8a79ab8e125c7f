// Traces on real workbooks: every cell or area a formula names, as the embedded spreadsheet's own
// evaluator resolves it (names, tables and 3-D spans included), lies inside one of the formula's
// depth-1 precedents; and the formula's cell is among the dependents of each precedent's corners.
// Run on every workbook of the corpus that Excel saved, and on one written here with the
// functions and reference forms of current Excel.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "excel/excel_object.h"
#include "platform/com_ptr.h"
#include "platform/text_encoding.h"
#include "spreadsheet/calc/expression_parser.h"
#include "spreadsheet/calc/formula_evaluator.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/corpus_workbooks.h"
#include "tests/support/test_name.h"
#include "tests/support/xlsx_package_builder.h"

namespace {

namespace fs = std::filesystem;

// Whole columns and rows stand for rows 1 to 65536 and columns 1 to 256 in the engine, whatever
// the sheet's size, so areas that reach further are left out of the comparison.
constexpr int32_t kEngineRows = 65536;
constexpr int32_t kEngineColumns = 256;

struct Area {
  CellPos first;
  CellPos last;
};

bool Contains(const Area& outer, const CellPos& cell) {
  return cell.sheet >= outer.first.sheet && cell.sheet <= outer.last.sheet &&
         cell.column >= outer.first.column && cell.column <= outer.last.column &&
         cell.row >= outer.first.row && cell.row <= outer.last.row;
}

// The spreadsheet's side: formulas are parsed by its own reader, and values are never needed to
// find the areas a formula names.
class CNoValues final : public spreadsheet::ICellReader {
 public:
  spreadsheet::EvalValue Read(spreadsheet::CWorkbook&, int32_t, spreadsheet::CellCoord) override {
    return {};
  }
  spreadsheet::CWorkbook* FindOpenWorkbook(std::wstring_view) override { return nullptr; }
  spreadsheet::ExpressionPtr Parse(std::wstring_view text) override {
    return spreadsheet::ParseExpression(text).expression;
  }
};

// The areas a formula names in its own workbook, as the spreadsheet resolves them.
std::vector<Area> WrittenAreas(spreadsheet::CWorkbook& book, int32_t sheet,
                               spreadsheet::CellCoord cell, const std::wstring& formula) {
  std::vector<Area> areas;
  const spreadsheet::ParseOutcome parsed = spreadsheet::ParseExpression(formula.substr(1));
  if (!parsed.expression) return areas;
  CNoValues reader;
  spreadsheet::CFormulaEvaluator evaluator(reader, {&book, sheet, cell, cell, false});
  bool complete = true;
  for (const spreadsheet::Area& area : evaluator.ReferencedAreas(*parsed.expression, complete)) {
    if (area.workbook != &book || area.rect.last.row > kEngineRows ||
        area.rect.last.column > kEngineColumns) {
      continue;
    }
    areas.push_back({CellPos{area.sheet, area.rect.first.column, area.rect.first.row},
                     CellPos{area.sheet, area.rect.last.column, area.rect.last.row}});
  }
  return areas;
}

struct CheckResult {
  size_t formulas = 0;
  size_t dependentsChecked = 0;
  std::vector<std::string> failures;
};

std::string Where(const spreadsheet::CWorkbook& book, int32_t sheet, int32_t row, int32_t column) {
  std::ostringstream text;
  text << WideToUtf8(book.Sheet(sheet).Name()) << "!R" << row << "C" << column;
  return text.str();
}

// Every formula cell of the workbook at `path`: its written areas against its precedents, and
// the dependents of its precedents' corners against the cell.
CheckResult CheckWorkbook(const fs::path& path) {
  CheckResult result;
  spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(path);
  if (!read.Ok()) {
    result.failures.push_back("unreadable: " + WideToUtf8(read.error));
    return result;
  }
  auto app = std::make_shared<spreadsheet::CSpreadsheetApplication>();
  std::shared_ptr<spreadsheet::CWorkbook> book(std::move(read.workbook));
  app->AddWorkbook(book);
  CComPtr<IDispatch> application = spreadsheet::CreateApplicationObject(app);
  const ExcelObject excel(application.Get());
  ExcelObject workbook;
  if (!excel.GetObject(L"ActiveWorkbook", &workbook)) {
    result.failures.push_back("no active workbook");
    return result;
  }
  CDependencyContainer container;
  container.SetWorkbookName(book->Name());
  container.AttachWorkbook(excel, workbook);

  for (int32_t sheet = 1; sheet <= book->SheetCount(); ++sheet) {
    std::vector<std::pair<spreadsheet::CellCoord, std::wstring>> cells;
    book->Sheet(sheet).ForEachCell([&](spreadsheet::CellCoord cell, const spreadsheet::Cell&) {
      if (auto formula = book->Sheet(sheet).Formula(cell)) cells.emplace_back(cell, *formula);
    });
    for (const auto& [coord, formula] : cells) {
      ++result.formulas;
      const CellPos cell{sheet, coord.column, coord.row};
      const std::string here =
          Where(*book, sheet, coord.row, coord.column) + " " + WideToUtf8(formula);
      const SharedReferenceList precedents =
          ListRelated(container, cell, TraceKind::kPrecedents);
      std::vector<Area> listed;
      for (const CellReference& reference : *precedents) {
        if (reference.externalId == 0) listed.push_back({reference.first, reference.last});
      }
      for (const Area& written : WrittenAreas(*book, sheet, coord, formula)) {
        const bool found = std::any_of(listed.begin(), listed.end(), [&](const Area& area) {
          return Contains(area, written.first) && Contains(area, written.last);
        });
        if (!found) {
          result.failures.push_back(here + ": no precedent holds " +
                                    Where(*book, written.first.sheet, written.first.row,
                                          written.first.column) +
                                    ":R" + std::to_string(written.last.row) + "C" +
                                    std::to_string(written.last.column));
        }
      }
      // Dependents of the precedents' corners only, so that large areas stay cheap.
      for (const CellReference& reference : *precedents) {
        // Other workbooks, constant names and references without a place (#REF!) have no cells.
        if (reference.externalId != 0 || (reference.flags & RefNameNotRange) != 0 ||
            reference.first.sheet <= 0) {
          continue;
        }
        for (const CellPos& corner : {reference.first, reference.last}) {
          const SharedReferenceList dependents =
              ListRelated(container, corner, TraceKind::kDependents);
          ++result.dependentsChecked;
          const bool back = std::any_of(
              dependents->begin(), dependents->end(), [&](const CellReference& dependent) {
                return Contains({dependent.first, dependent.last}, cell);
              });
          if (!back) {
            result.failures.push_back(
                here + ": not among the dependents of " +
                Where(*book, corner.sheet, corner.row, corner.column));
          }
        }
      }
    }
  }
  return result;
}

void ExpectNoFailures(const CheckResult& result, const std::string& label) {
  for (const std::string& failure : result.failures) ADD_FAILURE() << label << " " << failure;
  testing::Test::RecordProperty("formulas", static_cast<int>(result.formulas));
  testing::Test::RecordProperty("dependentsChecked", static_cast<int>(result.dependentsChecked));
}

class CorpusTrace : public testing::TestWithParam<fs::path> {};

TEST_P(CorpusTrace, PrecedentsHoldTheWrittenReferencesAndDependentsPointBack) {
  ExpectNoFailures(CheckWorkbook(GetParam()), GetParam().filename().string());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTrace, testing::ValuesIn(test_support::CorpusWorkbooks()),
                         [](const testing::TestParamInfo<fs::path>& param) {
                           return test_support::TestNameOf(param.param.filename().string());
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTrace);

TEST(CorpusTraceFiles, CorpusIsThere) {
  if (test_support::CorpusWorkbooks().empty()) {
    GTEST_SKIP() << "no corpus at " << test_support::CorpusFolder();
  }
}

// One cell of a sheet part: a number, or a formula as the file stores it (with the prefixes of
// functions newer than 2007) and its cached value.
std::string NumberCell(const std::string& ref, double value) {
  std::ostringstream text;
  text << "<c r=\"" << ref << "\"><v>" << value << "</v></c>";
  return text.str();
}
std::string FormulaCell(const std::string& ref, const std::string& formula,
                        const std::string& attributes = "") {
  std::string escaped;
  for (const char c : formula) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c == '"') {
      escaped += "&quot;";
    } else {
      escaped += c;
    }
  }
  return "<c r=\"" + ref + "\"><f" + attributes + ">" + escaped + "</f><v>0</v></c>";
}
std::string Row(int row, const std::string& cells) {
  return "<row r=\"" + std::to_string(row) + "\">" + cells + "</row>";
}

// Formulas as current Excel saves them: dotted and prefixed function names, structured
// references with item specifiers, 3-D ranges, names of sheet scope, error literals, unions and
// intersections, dynamic arrays and LET.
void WriteCurrentFunctionsWorkbook(const fs::path& path) {
  std::string data;
  for (int row = 1; row <= 6; ++row) {
    std::string cells;
    for (const char* column : {"A", "B", "C", "D"}) {
      cells += NumberCell(column + std::to_string(row), row * 2 + (column[0] - 'A'));
    }
    data += Row(row, cells);
  }
  // Table Sales on F1:H5: a header row, three data rows, a totals row; I2:I4 use This Row.
  data += Row(8, FormulaCell("A8", "_xlfn.CHISQ.TEST(A1:A3,B1:B3)") +
                     FormulaCell("B8", "_xlfn.CEILING.MATH(C2,3)") +
                     FormulaCell("C8", "_xlfn.STDEV.S(A1:A5)") +
                     FormulaCell("D8", "_xlfn.NORM.INV(0.5,A1,B1)"));
  data += Row(9, FormulaCell("A9", "SUM(Sales[Amount])") +
                     FormulaCell("B9", "SUM(Sales[[#Totals],[Qty]])") +
                     FormulaCell("C9", "SUM(Sales[[#Data],[Amount]:[Qty]])") +
                     FormulaCell("D9", "COUNTA(Sales[[#Headers],[Item]])"));
  data += Row(10, FormulaCell("A10", "SUM(Data:Other!A1)") +
                      FormulaCell("B10", "SUM(Data:Other!A1:B2)") +
                      FormulaCell("C10", "IF(ISNA(A1),#N/A,A2)") +
                      FormulaCell("D10", "CHOOSE(2,#DIV/0!,B3,#NULL!)"));
  data += Row(11, FormulaCell("A11", "SUM((A1,B2:C3))") +
                      FormulaCell("B11", "AREAS((A1:A2,C1:C2,D4:D5))") +
                      FormulaCell("C11", "SUM(A1:C3 B2:B5)") +
                      FormulaCell("D11", "SUM((A1:B2,B2:C3) B1:B6)"));
  data += Row(12, FormulaCell("A12", "_xlfn._xlws.SORT(A1:A5)") +
                      FormulaCell("B12", "_xlfn.XLOOKUP(C1,A1:A5,B1:B5)") +
                      FormulaCell("C12", "_xlfn.LET(_xlpm.x,A1,_xlpm.x*B1)") +
                      FormulaCell("D12", "SUM(C1:C3*2)", " t=\"array\" ref=\"D12\""));
  data += Row(13, FormulaCell("A13", "A1:A3*2", " t=\"array\" ref=\"A13:A15\"") +
                      FormulaCell("B13", "_xlfn.IFS(A1>1,B1,TRUE,C1)") +
                      FormulaCell("C13", "1E+3*A2+1.5E-2*B2") +
                      FormulaCell("D13", "_xlfn.CONCAT(A1:B2)&\"x\""));
  std::string sales;
  sales += Row(1, "<c r=\"F1\" t=\"inlineStr\"><is><t>Item</t></is></c>"
                  "<c r=\"G1\" t=\"inlineStr\"><is><t>Amount</t></is></c>"
                  "<c r=\"H1\" t=\"inlineStr\"><is><t>Qty</t></is></c>");
  for (int row = 2; row <= 4; ++row) {
    const std::string r = std::to_string(row);
    sales += Row(row, "<c r=\"F" + r + "\" t=\"inlineStr\"><is><t>P" + r + "</t></is></c>" +
                          NumberCell("G" + r, row * 10) + NumberCell("H" + r, row) +
                          FormulaCell("I" + r, "Sales[[#This Row],[Amount]]*Sales[[#This Row],[Qty]]"));
  }
  sales += Row(5, "<c r=\"F5\" t=\"inlineStr\"><is><t>Total</t></is></c>" +
                      FormulaCell("G5", "SUBTOTAL(109,Sales[Amount])") +
                      FormulaCell("H5", "SUBTOTAL(109,Sales[Qty])"));
  // Rows of the two parts merged in row order.
  std::string rows = "<sheetData>";
  for (int row = 1; row <= 13; ++row) {
    const std::string key = "<row r=\"" + std::to_string(row) + "\">";
    std::string cells;
    for (const std::string* part : {&data, &sales}) {
      const size_t at = part->find(key);
      if (at == std::string::npos) continue;
      const size_t end = part->find("</row>", at);
      cells += part->substr(at + key.size(), end - at - key.size());
    }
    if (!cells.empty()) rows += key + cells + "</row>";
  }
  rows += "</sheetData>";

  std::string other = "<sheetData>" + Row(1, NumberCell("A1", 7) + NumberCell("B1", 0.5)) +
                      Row(2, NumberCell("A2", 8) + NumberCell("B2", 9)) +
                      Row(3, FormulaCell("A3", "Rate*A1") + FormulaCell("B3", "Data!A1+Rate")) +
                      "</sheetData>";

  test_support::CXlsxPackageBuilder()
      .Sheet("Data", rows + "<tableParts count=\"1\"><tablePart r:id=\"rIdT\"/></tableParts>")
      .Sheet("Middle", "<sheetData>" + Row(1, NumberCell("A1", 3) + NumberCell("B1", 4)) +
                           "</sheetData>")
      .Sheet("Other", other)
      .WorkbookTail("<definedNames><definedName name=\"Rate\" localSheetId=\"2\">Other!$B$1"
                    "</definedName></definedNames>")
      .Part("xl/worksheets/_rels/sheet1.xml.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rIdT\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
            "2006/relationships/table\" Target=\"../tables/table1.xml\"/></Relationships>")
      .Part("xl/tables/table1.xml",
            "<table xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" id=\"1\" "
            "name=\"Sales\" displayName=\"Sales\" ref=\"F1:H5\" totalsRowCount=\"1\">"
            "<tableColumns count=\"3\"><tableColumn id=\"1\" name=\"Item\"/>"
            "<tableColumn id=\"2\" name=\"Amount\"/><tableColumn id=\"3\" name=\"Qty\"/>"
            "</tableColumns></table>")
      .Write(path);
}

TEST(CurrentExcelTrace, PrecedentsHoldTheWrittenReferencesAndDependentsPointBack) {
  test_support::CTemporaryFolder folder;
  const fs::path path = folder / "current-functions.xlsx";
  WriteCurrentFunctionsWorkbook(path);
  const CheckResult result = CheckWorkbook(path);
  // Every formula written above (the array block A13:A15 counts three cells), so that a reader
  // that drops some cannot pass quietly.
  EXPECT_EQ(33u, result.formulas);
  ExpectNoFailures(result, "current-functions.xlsx");
}

}  // namespace
