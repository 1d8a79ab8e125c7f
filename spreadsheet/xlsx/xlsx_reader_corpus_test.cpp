// The reader on the shared corpus of real workbooks: every file loads, and every formula cell
// holds the formula and cached value its file holds, read independently by
// tests/support/xlsx_formula_dump.py. Shared formulas, which the file writes once per group,
// are checked cell by cell against the same workbook re-saved by LibreOffice, which writes each
// formula in full. Skips without the corpus, python3 or soffice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/xlsx/reader_cell_reference.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/corpus_workbooks.h"
#include "tests/support/xlsx_package_builder.h"

namespace spreadsheet {
namespace {

namespace fs = std::filesystem;

const fs::path kDumpScript = fs::path(TRELVANE_SOURCE_DIR) / "tests" / "support" / "xlsx_formula_dump.py";

// One formula cell as the file holds it.
struct FileCell {
  std::wstring sheet;
  std::string ref;
  std::string kind;
  std::wstring formula;
  std::string valueType;
  std::wstring value;
};

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

bool HaveCommand(const std::string& command) {
  return std::system(("command -v " + command + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<FileCell> DumpFormulas(const fs::path& workbook) {
  std::vector<FileCell> cells;
  const std::string command = "python3 '" + kDumpScript.string() + "' '" + workbook.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return cells;
  std::string line;
  for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
      fields.push_back(Unhex(line.substr(start, tab - start)));
      start = tab + 1;
    }
    fields.push_back(Unhex(line.substr(start)));
    line.clear();
    if (fields.size() != 6) continue;
    cells.push_back({WideFromUtf8(fields[0]), fields[1], fields[2], WideFromUtf8(fields[3]),
                     fields[4], WideFromUtf8(fields[5])});
  }
  pclose(pipe);
  return cells;
}

std::vector<fs::path> CorpusFiles() {
  return test_support::CorpusWorkbooks(true);
}

// The value a file writes, as the model should hold it.
void ExpectValue(const FileCell& file, const CellValue& held, const std::string& where) {
  if (file.valueType == "none") {
    EXPECT_TRUE(held.IsEmpty()) << where;
  } else if (file.valueType == "n") {
    ASSERT_EQ(ValueKind::Number, held.Kind()) << where;
    EXPECT_EQ(std::strtod(WideToUtf8(file.value).c_str(), nullptr), held.AsNumber()) << where;
  } else if (file.valueType == "s" || file.valueType == "str" || file.valueType == "inlineStr") {
    ASSERT_EQ(ValueKind::Text, held.Kind()) << where;
    EXPECT_EQ(file.value, held.AsText()) << where;
  } else if (file.valueType == "b") {
    ASSERT_EQ(ValueKind::Boolean, held.Kind()) << where;
    EXPECT_EQ(file.value == L"1" || file.value == L"true", held.AsBoolean()) << where;
  } else if (file.valueType == "e") {
    ASSERT_EQ(ValueKind::Error, held.Kind()) << where;
    if (ParseErrorText(file.value)) {
      EXPECT_EQ(file.value, ErrorText(held.AsError())) << where;
    }
  }
}

class XlsxReaderCorpus : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(test_support::CorpusFolder())) {
      GTEST_SKIP() << "no corpus at " << test_support::CorpusFolder();
    }
  }
};

TEST_F(XlsxReaderCorpus, LoadsEveryWorkbook) {
  const auto files = CorpusFiles();
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    const XlsxReadResult result = ReadXlsxFile(file);
    ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
    EXPECT_GT(result.workbook->SheetCount(), 0) << file;
    EXPECT_EQ(file.filename().wstring(), result.workbook->Name());
    EXPECT_EQ(fs::absolute(file).wstring(), result.workbook->FullName());
    EXPECT_EQ(kFileFormatXlsx, result.workbook->FileFormat());
    // Files as Excel saves them have nothing to read around.
    for (const std::wstring& warning : result.warnings) {
      ADD_FAILURE() << file << ": " << WideToUtf8(warning);
    }
  }
}

TEST_F(XlsxReaderCorpus, HoldsEveryFormulaAndCachedValueOfTheFile) {
  if (!HaveCommand("python3")) GTEST_SKIP() << "python3 is not installed";
  std::size_t checked = 0;
  for (const fs::path& file : CorpusFiles()) {
    const XlsxReadResult result = ReadXlsxFile(file);
    ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
    const CWorkbook& workbook = *result.workbook;
    const auto cells = DumpFormulas(file);
    for (const FileCell& cell : cells) {
      const std::string where = file.filename().string() + " " + WideToUtf8(cell.sheet) + "!" +
                                cell.ref + " (" + cell.kind + ")";
      const auto sheetIndex = workbook.FindSheet(cell.sheet);
      ASSERT_TRUE(sheetIndex) << where;
      const CWorksheet& sheet = workbook.Sheet(*sheetIndex);
      const CellCoord at = ParseCellReference(cell.ref).cell;
      const auto formula = sheet.Formula(at);
      ASSERT_TRUE(formula.has_value()) << where;
      if (cell.kind == "normal" || cell.kind == "shared-master" || cell.kind == "array") {
        EXPECT_EQ(L"=" + cell.formula, *formula) << where;
      }
      if (cell.kind == "array") {
        ASSERT_NE(nullptr, sheet.FormulaOf(at));
        EXPECT_EQ(FormulaRecord::Kind::Array, sheet.FormulaOf(at)->kind) << where;
      }
      if (cell.kind == "array-member") {
        const FormulaRecord* record = sheet.FormulaOf(at);
        ASSERT_NE(nullptr, record) << where;
        EXPECT_EQ(FormulaRecord::Kind::Array, record->kind) << where;
        EXPECT_TRUE(record->range.Contains(at)) << where;
      }
      ExpectValue(cell, sheet.Value(at), where);
      ++checked;
    }
  }
  EXPECT_GT(checked, 3000u);
}

TEST_F(XlsxReaderCorpus, ReadsNamesTablesAndExternalLinksOfExcelcompiler) {
  const XlsxReadResult result = ReadXlsxFile(test_support::CorpusFolder() / "excelcompiler.xlsx");
  ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
  const CWorkbook& workbook = *result.workbook;
  ASSERT_EQ(8, workbook.SheetCount());
  EXPECT_EQ(L"sref", workbook.Sheet(5).Name());
  EXPECT_EQ(5, workbook.ActiveSheet());
  ASSERT_EQ(1u, workbook.ExternalLinks().size());
  EXPECT_EQ(L"excelcompiler 2.xlsx", workbook.ExternalLinks()[0]);
  const DefinedName* missing = workbook.FindName(L"Missing", 0);
  ASSERT_NE(nullptr, missing);
  EXPECT_EQ(L"='[excelcompiler 2.xlsx]trim-range'!#REF!", missing->refersTo);
  const DefinedName* sinus = workbook.FindName(L"SINUS", 0);
  ASSERT_NE(nullptr, sinus);
  EXPECT_EQ(L"=Sheet1!$C$1:$C$18", sinus->refersTo);
  const auto& tables = workbook.Sheet(5).Tables();
  ASSERT_EQ(1u, tables.size());
  EXPECT_EQ(L"Table1", tables[0].name);
  EXPECT_EQ((CellRect{{1, 4}, {4, 6}}), tables[0].range);
  EXPECT_TRUE(tables[0].hasHeaderRow);
  EXPECT_TRUE(tables[0].hasTotalsRow);
  EXPECT_EQ((std::vector<std::wstring>{L"col1", L"col2", L"col3"}), tables[0].columns);
  EXPECT_EQ(L"TableStyleLight1", tables[0].styleName);
  EXPECT_EQ(L"=CONCAT(Table1[#Headers])", workbook.Sheet(5).Formula({6, 2}));
  EXPECT_NEAR(24.43, workbook.Sheet(5).ColumnWidth(1), 1e-9);
}

// The same workbook re-saved by LibreOffice, which writes every formula explicitly.
class XlsxReaderLibreOffice : public XlsxReaderCorpus {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(test_support::CorpusFolder()) || !HaveCommand("soffice") || !HaveCommand("python3")) return;
    folder_ = new test_support::CTemporaryFolder();
    const std::string out = (folder_->Path() / "out").string();
    const std::string profile = (folder_->Path() / "profile").string();
    std::string command = "soffice --headless -env:UserInstallation=file://" + profile +
                          " --convert-to xlsx --outdir '" + out + "'";
    for (const fs::path& file : CorpusFiles()) command += " '" + file.string() + "'";
    converted_ = std::system((command + " >/dev/null 2>&1").c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    XlsxReaderCorpus::SetUp();
    if (IsSkipped()) return;
    if (folder_ == nullptr) GTEST_SKIP() << "soffice or python3 is not installed";
    if (!converted_) GTEST_SKIP() << "soffice could not convert the corpus";
  }

  static inline test_support::CTemporaryFolder* folder_ = nullptr;
  static inline bool converted_ = false;
};

// LibreOffice writes TRUE and FALSE as TRUE() and FALSE(), and table keywords and #REF! in its
// own case; those differences are not the reader's.
std::wstring Comparable(std::wstring text) {
  for (const std::wstring word : {L"TRUE()", L"FALSE()"}) {
    for (std::size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at)) {
      text.erase(at + word.size() - 2, 2);
    }
  }
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return text;
}

TEST_F(XlsxReaderLibreOffice, MovesSharedFormulasAsLibreOfficeWritesThem) {
  std::size_t checked = 0;
  for (const fs::path& file : CorpusFiles()) {
    const fs::path saved = folder_->Path() / "out" / file.filename();
    ASSERT_TRUE(fs::exists(saved)) << saved;
    std::map<std::pair<std::wstring, std::string>, std::wstring> explicitText;
    for (const FileCell& cell : DumpFormulas(saved)) {
      explicitText[{cell.sheet, cell.ref}] = cell.formula;
    }
    const XlsxReadResult result = ReadXlsxFile(file);
    ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
    for (const FileCell& cell : DumpFormulas(file)) {
      if (cell.kind != "shared-member" && cell.kind != "shared-master") continue;
      const std::string where = file.filename().string() + " " + WideToUtf8(cell.sheet) + "!" +
                                cell.ref;
      const auto resaved = explicitText.find({cell.sheet, cell.ref});
      ASSERT_NE(explicitText.end(), resaved) << where;
      const CWorksheet& sheet = result.workbook->Sheet(*result.workbook->FindSheet(cell.sheet));
      const auto formula = sheet.Formula(ParseCellReference(cell.ref).cell);
      ASSERT_TRUE(formula.has_value()) << where;
      EXPECT_EQ(Comparable(L"=" + resaved->second), Comparable(*formula)) << where;
      ++checked;
    }
  }
  EXPECT_GT(checked, 1000u);
}

}  // namespace
}  // namespace spreadsheet
