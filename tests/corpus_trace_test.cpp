// Traces on the corpus of workbooks Excel saved: every plain cell or area a formula names, as
// the spreadsheet's own formula reader sees it, is a precedent of the formula's cell one level
// down; and each cell of every precedent has the formula's cell among its dependents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/dependency_container.h"
#include "engine/related.h"
#include "excel/excel_object.h"
#include "platform/com_ptr.h"
#include "platform/text_encoding.h"
#include "spreadsheet/calc/expression_parser.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "spreadsheet/xlsx/xlsx_reader.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";

struct Area {
  CellPos first;
  CellPos last;
  friend bool operator<(const Area& a, const Area& b) {
    CellPosOrder order;
    if (order(a.first, b.first)) return true;
    if (order(b.first, a.first)) return false;
    return order(a.last, b.last);
  }
};

bool Contains(const Area& outer, const CellPos& cell) {
  return cell.sheet >= outer.first.sheet && cell.sheet <= outer.last.sheet &&
         cell.column >= outer.first.column && cell.column <= outer.last.column &&
         cell.row >= outer.first.row && cell.row <= outer.last.row;
}

// The plain single-sheet cells and areas written in a formula, bounded ones only (whole
// columns and rows are cut to the used range by the engine, so they are left out).
std::vector<Area> WrittenAreas(const spreadsheet::CWorkbook& book, int32_t sheet,
                               const std::wstring& formula) {
  std::vector<Area> areas;
  const spreadsheet::ParseOutcome parsed = spreadsheet::ParseExpression(formula.substr(1));
  if (!parsed.expression) return areas;
  const spreadsheet::Expression& expression = *parsed.expression;
  for (const spreadsheet::ExpressionNode& node : expression.nodes) {
    if (node.kind != spreadsheet::NodeKind::Cell && node.kind != spreadsheet::NodeKind::Area) {
      continue;
    }
    int32_t target = sheet;
    if (node.sheet >= 0) {
      const spreadsheet::SheetPrefix& prefix =
          expression.sheets[static_cast<size_t>(node.sheet)];
      if (prefix.external != 0 || !prefix.last.empty()) continue;
      const std::optional<int32_t> found = book.FindSheet(prefix.first);
      if (!found) continue;
      target = *found;
    }
    const spreadsheet::CellCoord first = node.first.cell;
    const spreadsheet::CellCoord last =
        node.kind == spreadsheet::NodeKind::Cell ? first : node.last.cell;
    if (first.row == 0 || first.column == 0 || last.row == 0 || last.column == 0) continue;
    areas.push_back({CellPos{target, std::min(first.column, last.column),
                             std::min(first.row, last.row)},
                     CellPos{target, std::max(first.column, last.column),
                             std::max(first.row, last.row)}});
  }
  return areas;
}

class CorpusTrace : public testing::TestWithParam<std::string> {};

TEST_P(CorpusTrace, PrecedentsHoldTheWrittenReferencesAndDependentsPointBack) {
  const fs::path path = kCorpus / GetParam();
  spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(path);
  ASSERT_TRUE(read.Ok()) << path;
  auto app = std::make_shared<spreadsheet::CSpreadsheetApplication>();
  std::shared_ptr<spreadsheet::CWorkbook> book(std::move(read.workbook));
  app->AddWorkbook(book);
  CComPtr<IDispatch> application = spreadsheet::CreateApplicationObject(app);
  const ExcelObject excel(application.Get());
  ExcelObject workbook;
  ASSERT_TRUE(excel.GetObject(L"ActiveWorkbook", &workbook));
  CDependencyContainer container;
  container.SetWorkbookName(book->Name());
  container.AttachWorkbook(excel, workbook);

  size_t formulas = 0;
  size_t checkedDependents = 0;
  for (int32_t sheet = 1; sheet <= book->SheetCount(); ++sheet) {
    std::vector<std::pair<spreadsheet::CellCoord, std::wstring>> cells;
    book->Sheet(sheet).ForEachCell([&](spreadsheet::CellCoord cell, const spreadsheet::Cell&) {
      if (auto formula = book->Sheet(sheet).Formula(cell)) cells.emplace_back(cell, *formula);
    });
    for (const auto& [coord, formula] : cells) {
      ++formulas;
      const CellPos cell{sheet, coord.column, coord.row};
      const SharedReferenceList precedents =
          ListRelated(container, cell, TraceKind::kPrecedents);
      std::vector<Area> listed;
      for (const CellReference& reference : *precedents) {
        if (reference.externalId == 0) listed.push_back({reference.first, reference.last});
      }
      for (const Area& written : WrittenAreas(*book, sheet, formula)) {
        bool found = false;
        for (const Area& area : listed) {
          found = found || (Contains(area, written.first) && Contains(area, written.last));
        }
        EXPECT_TRUE(found) << GetParam() << " " << WideToUtf8(book->Sheet(sheet).Name())
                           << " R" << coord.row << "C" << coord.column << " "
                           << WideToUtf8(formula);
      }
      // Dependents of the precedents' cells, a few per area so that large areas stay cheap.
      for (const CellReference& reference : *precedents) {
        // Names, other workbooks and references without a place (#REF!) have no cells.
        if (reference.externalId != 0 || reference.nameId != 0 || reference.first.sheet == 0) {
          continue;
        }
        const CellPos corners[] = {reference.first, reference.last};
        for (const CellPos& precedent : corners) {
          const SharedReferenceList dependents =
              ListRelated(container, precedent, TraceKind::kDependents);
          bool back = false;
          for (const CellReference& dependent : *dependents) {
            back = back || Contains({dependent.first, dependent.last}, cell);
          }
          ++checkedDependents;
          EXPECT_TRUE(back) << GetParam() << " dependents of sheet " << precedent.sheet << " R"
                            << precedent.row << "C" << precedent.column << " miss R"
                            << coord.row << "C" << coord.column;
        }
      }
    }
  }
  RecordProperty("formulas", static_cast<int>(formulas));
  RecordProperty("dependentsChecked", static_cast<int>(checkedDependents));
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code error;
  if (!fs::is_directory(kCorpus, error)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus, error)) {
    if (entry.path().extension() == ".xlsx") files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTrace, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           std::string name;
                           for (const char c : param.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTrace);

TEST(CorpusTraceFiles, CorpusIsThere) {
  if (CorpusFiles().empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
}

}  // namespace
