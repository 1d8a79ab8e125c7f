// Saved workbooks read by LibreOffice, an independent reader: values, formulas, names, tables,
// merged cells, styles and sheet settings come out as the model held them. One workbook and
// one conversion serve every test here, as each run of soffice costs seconds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/text_encoding.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_writer.h"
#include "spreadsheet/xlsx/xlsx_writer_test_workbook.h"
#include "tests/support/flat_ods_document.h"
#include "tests/support/libre_office.h"
#include "tests/support/temporary_folder.h"

namespace spreadsheet {
namespace {

using test_support::CFlatOdsDocument;
using test_support::OdsCell;

class LibreOfficeReadsSavedWorkbook : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test_support::CLibreOffice::Available()) {
      skip_ = "soffice is not installed";
      return;
    }
    folder_ = new test_support::CTemporaryFolder();
    CWorkbook book;
    BuildWriterTestWorkbook(book);
    const auto saved = *folder_ / "Saved.xlsx";
    const XlsxWriteResult result = WriteXlsxFile(book, saved);
    if (!result) {
      failure_ = WideToUtf8(result.error);
      return;
    }
    test_support::CLibreOffice office;
    const auto converted = office.Convert(saved, "fods", folder_->Path(), failure_);
    if (!converted) return;
    document_ = CFlatOdsDocument::Load(*converted, failure_).release();
  }
  static void TearDownTestSuite() {
    delete document_;
    delete folder_;
    document_ = nullptr;
    folder_ = nullptr;
  }
  void SetUp() override {
    if (!skip_.empty()) GTEST_SKIP() << skip_;
    ASSERT_NE(document_, nullptr) << failure_;
  }

  static const OdsCell& At(const char* sheet, int row, int column) {
    static const OdsCell kNone;
    const OdsCell* cell = document_->Cell(sheet, row, column);
    return cell != nullptr ? *cell : kNone;
  }

  static inline std::string skip_;
  static inline std::string failure_;
  static inline test_support::CTemporaryFolder* folder_ = nullptr;
  static inline CFlatOdsDocument* document_ = nullptr;
};

TEST_F(LibreOfficeReadsSavedWorkbook, SheetsKeepOrderVisibilityProtectionAndView) {
  EXPECT_EQ(document_->SheetNames().size(), 5u);  // The fifth holds the external book's cells.
  EXPECT_EQ(document_->SheetNames()[0], "Data");
  EXPECT_EQ(document_->SheetNames()[1], "Other Sheet");
  EXPECT_EQ(document_->SheetNames()[2], "Hidden");
  EXPECT_EQ(document_->SheetNames()[3], "Secret");
  EXPECT_FALSE(document_->SheetHidden("Data"));
  EXPECT_FALSE(document_->SheetHidden("Other Sheet"));
  EXPECT_TRUE(document_->SheetHidden("Hidden"));
  EXPECT_TRUE(document_->SheetHidden("Secret"));
  EXPECT_TRUE(document_->SheetProtected("Other Sheet"));
  EXPECT_FALSE(document_->SheetProtected("Data"));
  // Headless LibreOffice keeps no view settings (active sheet, grid lines); the sheet XML
  // tests cover them.
  const auto nullDates = document_->Root().Descendants("table:null-date");
  ASSERT_EQ(nullDates.size(), 1u);
  EXPECT_EQ(nullDates[0]->AttributeOr("table:date-value"), "1904-01-01");
}

TEST_F(LibreOfficeReadsSavedWorkbook, ConstantsKeepTheirKindAndText) {
  struct Case {
    int column;
    const char* valueType;  // Null where LibreOffice's kind is its own (booleans as TRUE()).
    const char* text;
  };
  const Case cases[] = {
      {2, "string", "hello <&> \"x\""},
      {3, nullptr, "TRUE"},
      {4, nullptr, "FALSE"},
      {5, "error", "#DIV/0!"},
      {6, "error", "#N/A"},
      {7, "string", "_x0041_ stays"},
      {8, "string", "  padded  "},
      {9, "string", "line1\nline2"},  // LibreOffice drops tabs from cell text.
      {10, "string", "\xF0\x9F\x98\x80 \xC3\xBCn\xC3\xAF"},
      {11, "percentage", "25.00%"},
      {12, "float", "1,234.500"},
      {15, "error", "#REF!"},
      {16, "error", "#NAME?"},
  };
  for (const Case& c : cases) {
    const OdsCell& cell = At("Data", 1, c.column);
    if (c.valueType != nullptr) {
      EXPECT_EQ(cell.valueType, c.valueType) << "column " << c.column;
    }
    EXPECT_EQ(cell.text, c.text) << "column " << c.column;
  }
}

TEST_F(LibreOfficeReadsSavedWorkbook, NumbersKeepTheirValue) {
  // LibreOffice shows 15 significant digits; full precision is checked against the XML.
  const std::pair<int, double> cases[] = {
      {1, 1.5}, {11, 0.25}, {12, 1234.5}, {13, -0.1}, {14, 1e-300}};
  for (const auto& [column, expected] : cases) {
    const double read = std::strtod(At("Data", 1, column).value.c_str(), nullptr);
    EXPECT_NEAR(read, expected, std::abs(expected) * 1e-14) << "column " << column;
  }
}

TEST_F(LibreOfficeReadsSavedWorkbook, FormulasReadAsWritten) {
  struct Case {
    int row;
    int column;
    const char* formula;
  };
  const Case cases[] = {
      {2, 1, "of:=[.A1]*2"},
      {2, 2, "of:=IFNA([.A1];0)"},  // Without its stored prefix it reads as an unknown "ifna".
      {2, 3, "of:=[$'Other Sheet'.A1]+1"},
      {2, 4, "of:=\"a\"\"b\"&[.B1]"},
      {2, 5, "of:=COM.MICROSOFT.CONCAT(\"x\";\"y\")"},
      {2, 6, "of:=COM.MICROSOFT.STDEV.S([.A1];[.M1])"},
      {2, 7, "of:=SUM([.A1:.A2])"},
      {2, 8, "of:=1/0"},
      {2, 9, "of:=[.A1]>1"},
      {3, 1, "of:=[.A1]+1"},
      {4, 1, "of:=[.A2]+1"},
      {5, 1, "of:=[.A3]+1"},
      {14, 3, "of:=MyName*2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(At("Data", c.row, c.column).formula, c.formula) << c.row << "," << c.column;
  }
}

TEST_F(LibreOfficeReadsSavedWorkbook, FormulaResultsKeepTheirKind) {
  EXPECT_EQ(At("Data", 2, 1).value, "3");
  EXPECT_EQ(At("Data", 2, 4).text, "a\"bhello <&> \"x\"");
  EXPECT_EQ(At("Data", 2, 5).valueType, "string");
  EXPECT_EQ(At("Data", 2, 8).text, "#DIV/0!");
  EXPECT_EQ(At("Data", 2, 9).text, "TRUE");
}

TEST_F(LibreOfficeReadsSavedWorkbook, ArrayFormulaCoversItsRange) {
  const OdsCell& first = At("Data", 3, 3);
  EXPECT_EQ(first.formula, "of:=[.A1:.A2]*2");
  EXPECT_EQ(first.matrixColumns, 1);
  EXPECT_EQ(first.matrixRows, 2);
  EXPECT_EQ(first.value, "3");
  EXPECT_EQ(At("Data", 4, 3).value, "6");
  EXPECT_EQ(At("Data", 4, 3).formula, "");
}

TEST_F(LibreOfficeReadsSavedWorkbook, NamesTablesAndMergesSurvive) {
  const auto& names = document_->NamedRanges();
  ASSERT_EQ(names.count("MyName"), 1u);
  EXPECT_EQ(names.at("MyName"), "$Data.$A$1");
  ASSERT_EQ(names.count("LocalName"), 1u);
  EXPECT_EQ(names.at("LocalName"), "$'Other Sheet'.$A$1:.$A$2");

  const auto& tables = document_->DatabaseRanges();
  ASSERT_EQ(tables.count("Sales"), 1u);
  EXPECT_EQ(tables.at("Sales"), "Data.A10:Data.B12");
  // The structured reference resolves to the table's body column.
  EXPECT_EQ(At("Data", 14, 1).formula, "of:=SUM([$Data.$B$11:.$B$12])");

  const OdsCell& merged = At("Data", 7, 1);
  EXPECT_EQ(merged.text, "merged");
  EXPECT_EQ(merged.columnsSpanned, 2);
  EXPECT_EQ(merged.rowsSpanned, 2);
}

TEST_F(LibreOfficeReadsSavedWorkbook, ExternalReferenceNamesTheOtherBook) {
  const OdsCell& cell = At("Data", 14, 2);
  EXPECT_NE(cell.formula.find("Other.xlsx'#$Sheet1.A1"), std::string::npos) << cell.formula;
  EXPECT_EQ(cell.value, "42");
}

TEST_F(LibreOfficeReadsSavedWorkbook, CellStylesKeepFontAndFill) {
  const std::string style = At("Data", 1, 1).style;
  ASSERT_FALSE(style.empty());
  EXPECT_EQ(document_->StyleProperty(style, "fo:font-weight"), "bold");
  EXPECT_EQ(document_->StyleProperty(style, "fo:background-color"), "#ff0000");
  const std::string plain = At("Data", 1, 2).style;
  EXPECT_NE(document_->StyleProperty(plain, "fo:font-weight"), "bold");
}

}  // namespace
}  // namespace spreadsheet
