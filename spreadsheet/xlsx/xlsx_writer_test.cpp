// The package the writer produces (parts, relationships, sheet XML) and how it fails: a
// refused or failed save leaves the target as it was and no file behind.
#include "spreadsheet/xlsx/xlsx_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/text_encoding.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/sheet_writer.h"
#include "spreadsheet/xlsx/writer_shared_strings.h"
#include "spreadsheet/xlsx/xlsx_writer_test_workbook.h"
#include "spreadsheet/xlsx/zip_writer.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/xml_tree.h"
#include "tests/support/zip_entries.h"

namespace spreadsheet {
namespace {

using test_support::XmlElement;

std::string Contents(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  std::stringstream bytes;
  bytes << stream.rdbuf();
  return bytes.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class XlsxWriterPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildWriterTestWorkbook(book_);
    path_ = folder_ / "Saved.xlsx";
    const XlsxWriteResult result = WriteXlsxFile(book_, path_);
    ASSERT_TRUE(result.ok) << WideToUtf8(result.error);
  }

  std::unique_ptr<XmlElement> Part(const std::string& name) const {
    const auto bytes = test_support::ReadZipEntry(path_, name);
    EXPECT_TRUE(bytes.has_value()) << name;
    auto root = bytes ? test_support::ParseXml(*bytes) : nullptr;
    EXPECT_NE(root, nullptr) << name << " is not well-formed";
    return root;
  }

  // The <c> element of `cell` ("A1") in a sheet part.
  static const XmlElement* CellOf(const XmlElement& sheet, const std::string& cell) {
    for (const XmlElement* c : sheet.Descendants("c")) {
      if (c->AttributeOr("r") == cell) return c;
    }
    return nullptr;
  }

  test_support::CTemporaryFolder folder_;
  CWorkbook book_;
  std::filesystem::path path_;
};

TEST_F(XlsxWriterPackage, EveryPartIsTypedAndEveryRelationshipResolves) {
  const std::vector<std::string> entries = test_support::ZipEntryNames(path_);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.front(), "[Content_Types].xml");
  const std::set<std::string> present(entries.begin(), entries.end());

  const auto types = Part("[Content_Types].xml");
  ASSERT_NE(types, nullptr);
  std::set<std::string> typed;
  for (const XmlElement* override : types->Children("Override")) {
    typed.insert(override->AttributeOr("PartName").substr(1));
  }
  for (const std::string& entry : entries) {
    Part(entry);  // Well-formed, each of them.
    const bool isRelationships = entry.size() > 5 && entry.substr(entry.size() - 5) == ".rels";
    if (!isRelationships && entry != "[Content_Types].xml") {
      EXPECT_EQ(typed.count(entry), 1u) << entry << " has no content type";
    }
  }
  for (const std::string& part : typed) EXPECT_EQ(present.count(part), 1u) << part;

  for (const std::string& entry : entries) {
    if (entry.size() < 5 || entry.substr(entry.size() - 5) != ".rels") continue;
    // "xl/_rels/workbook.xml.rels" relates "xl/workbook.xml"; targets are relative to "xl/".
    const std::string folder = entry.substr(0, entry.find("_rels/"));
    const auto relationships = Part(entry);
    ASSERT_NE(relationships, nullptr);
    for (const XmlElement* relationship : relationships->Children("Relationship")) {
      if (relationship->AttributeOr("TargetMode") == "External") continue;
      std::filesystem::path target =
          std::filesystem::path(folder) / relationship->AttributeOr("Target");
      const std::string normal = target.lexically_normal().generic_string();
      EXPECT_EQ(present.count(normal), 1u) << entry << " points to missing " << normal;
    }
  }
}

TEST_F(XlsxWriterPackage, WorkbookPartListsSheetsNamesAndView) {
  const auto workbook = Part("xl/workbook.xml");
  ASSERT_NE(workbook, nullptr);
  const auto sheets = workbook->Descendants("sheet");
  ASSERT_EQ(sheets.size(), 4u);
  EXPECT_EQ(sheets[1]->AttributeOr("name"), "Other Sheet");
  EXPECT_EQ(sheets[0]->AttributeOr("state"), "");
  EXPECT_EQ(sheets[2]->AttributeOr("state"), "hidden");
  EXPECT_EQ(sheets[3]->AttributeOr("state"), "veryHidden");
  EXPECT_EQ(workbook->Descendants("workbookView")[0]->AttributeOr("activeTab"), "1");
  EXPECT_EQ(workbook->Descendants("workbookPr")[0]->AttributeOr("date1904"), "1");
  const auto names = workbook->Descendants("definedName");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0]->AttributeOr("name"), "MyName");
  EXPECT_EQ(names[0]->text, "Data!$A$1");  // Without its "=".
  EXPECT_FALSE(names[0]->Attribute("localSheetId").has_value());
  EXPECT_EQ(names[1]->AttributeOr("localSheetId"), "1");
  EXPECT_EQ(names[2]->AttributeOr("hidden"), "1");
  EXPECT_EQ(names[0]->AttributeOr("hidden"), "");
  EXPECT_EQ(workbook->Descendants("externalReference").size(), 1u);
}

TEST_F(XlsxWriterPackage, SheetPartHoldsFormulasInTheirStoredForms) {
  const auto sheet = Part("xl/worksheets/sheet1.xml");
  ASSERT_NE(sheet, nullptr);
  const XmlElement* master = CellOf(*sheet, "A3");
  ASSERT_NE(master, nullptr);
  EXPECT_EQ(master->Child("f")->AttributeOr("t"), "shared");
  EXPECT_EQ(master->Child("f")->AttributeOr("ref"), "A3:A5");
  EXPECT_EQ(master->Child("f")->text, "A1+1");
  const XmlElement* member = CellOf(*sheet, "A5");
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(member->Child("f")->AttributeOr("si"), master->Child("f")->AttributeOr("si"));
  EXPECT_EQ(member->Child("f")->text, "");
  EXPECT_EQ(member->Child("v")->text, "3.5");

  const XmlElement* array = CellOf(*sheet, "C3");
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->Child("f")->AttributeOr("t"), "array");
  EXPECT_EQ(array->Child("f")->AttributeOr("ref"), "C3:C4");
  const XmlElement* arrayMember = CellOf(*sheet, "C4");
  ASSERT_NE(arrayMember, nullptr);
  EXPECT_EQ(arrayMember->Child("f"), nullptr);
  EXPECT_EQ(arrayMember->Child("v")->text, "6");

  EXPECT_EQ(CellOf(*sheet, "B2")->Child("f")->text, "_xlfn.IFNA(A1,0)");
  EXPECT_EQ(CellOf(*sheet, "B14")->Child("f")->text, "[1]Sheet1!A1");
  EXPECT_EQ(CellOf(*sheet, "D2")->AttributeOr("t"), "str");
  EXPECT_EQ(CellOf(*sheet, "H2")->AttributeOr("t"), "e");
  EXPECT_EQ(CellOf(*sheet, "I2")->AttributeOr("t"), "b");
  EXPECT_EQ(CellOf(*sheet, "C1")->AttributeOr("t"), "b");
  EXPECT_EQ(CellOf(*sheet, "E1")->Child("v")->text, "#DIV/0!");
  EXPECT_EQ(CellOf(*sheet, "B1")->AttributeOr("t"), "s");
}

TEST_F(XlsxWriterPackage, SheetPartsCarryViewProtectionSizesAndTables) {
  const auto data = Part("xl/worksheets/sheet1.xml");
  const auto other = Part("xl/worksheets/sheet2.xml");
  ASSERT_NE(data, nullptr);
  ASSERT_NE(other, nullptr);
  const XmlElement* dataView = data->Descendants("sheetView")[0];
  const XmlElement* otherView = other->Descendants("sheetView")[0];
  EXPECT_EQ(dataView->AttributeOr("tabSelected"), "");
  EXPECT_EQ(dataView->AttributeOr("showGridLines"), "");
  EXPECT_EQ(otherView->AttributeOr("tabSelected"), "1");
  EXPECT_EQ(otherView->AttributeOr("showGridLines"), "0");
  EXPECT_EQ(other->Descendants("sheetProtection")[0]->AttributeOr("sheet"), "1");
  EXPECT_TRUE(data->Descendants("sheetProtection").empty());

  const auto columns = data->Descendants("col");
  ASSERT_EQ(columns.size(), 1u);
  EXPECT_EQ(columns[0]->AttributeOr("min"), "2");
  EXPECT_EQ(columns[0]->AttributeOr("width"), "20.7109375");
  EXPECT_EQ(data->Descendants("row")[0]->AttributeOr("ht"), "30");
  EXPECT_EQ(data->Descendants("mergeCell")[0]->AttributeOr("ref"), "A7:B8");
  EXPECT_EQ(data->Descendants("tablePart").size(), 1u);

  const auto table = Part("xl/tables/table1.xml");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->AttributeOr("ref"), "A10:B12");
  EXPECT_EQ(table->Child("autoFilter")->AttributeOr("ref"), "A10:B12");
  const auto tableColumns = table->Descendants("tableColumn");
  ASSERT_EQ(tableColumns.size(), 2u);
  EXPECT_EQ(tableColumns[1]->AttributeOr("name"), "Amount");
  EXPECT_EQ(tableColumns[1]->AttributeOr("id"), "2");
}

TEST_F(XlsxWriterPackage, StylesStartWithTheMandatoryFills) {
  const auto styles = Part("xl/styles.xml");
  ASSERT_NE(styles, nullptr);
  const auto fills = styles->Descendants("patternFill");
  ASSERT_GE(fills.size(), 3u);
  EXPECT_EQ(fills[0]->AttributeOr("patternType"), "none");
  EXPECT_EQ(fills[1]->AttributeOr("patternType"), "gray125");
  EXPECT_EQ(fills[2]->Child("fgColor")->AttributeOr("rgb"), "FFFF0000");
  EXPECT_EQ(styles->Descendants("numFmt")[0]->AttributeOr("formatCode"), "#,##0.000");
  EXPECT_EQ(styles->Descendants("cellStyle")[0]->AttributeOr("name"), "Normal");
}

TEST(WriterSharedStrings, TableRenderedFirstStillListsEveryConstant) {
  CWorkbook book;
  book.AddSheet(L"A").SetValue({1, 1}, CellValue::Text(L"first"));
  book.AddSheet(L"B").SetValue({2, 2}, CellValue::Text(L"second"));
  book.Sheet(2).SetFormula({3, 3}, L"=\"result\"", CellValue::Text(L"result"));
  CWriterSharedStrings strings(book);
  EXPECT_EQ(strings.Add(book.Strings().Intern(L"second")), 0u);  // As sheet B's writer would.
  strings.SheetWritten(2, 1);
  std::string part;
  strings.Render(part);
  EXPECT_NE(part.find("count=\"2\" uniqueCount=\"2\""), std::string::npos) << part;
  EXPECT_NE(part.find("<si><t>second</t></si><si><t>first</t></si>"), std::string::npos) << part;
  EXPECT_EQ(part.find("result"), std::string::npos);
}

TEST(FileColumnWidth, MatchesExcelsPixelWidths) {
  EXPECT_EQ(FileColumnWidth(8.43), 9.140625);
  EXPECT_EQ(FileColumnWidth(20), 20.7109375);
  EXPECT_EQ(FileColumnWidth(1), 1.7109375);
  EXPECT_EQ(FileColumnWidth(0.5), 0.85546875);
}

class XlsxWriterFailure : public ::testing::Test {
 protected:
  void SetUp() override { book_.AddSheet(L"Sheet1").SetValue({1, 1}, CellValue::Number(1)); }

  // Writes `book_` over a target holding "before"; the save must fail, naming the file, and
  // leave the target and its folder as they were.
  void ExpectRefused(const std::string& why) {
    const auto target = folder_ / "Book.xlsx";
    WriteText(target, "before");
    const XlsxWriteResult result = WriteXlsxFile(book_, target);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(WideToUtf8(result.error).find("Book.xlsx"), std::string::npos)
        << WideToUtf8(result.error);
    EXPECT_NE(WideToUtf8(result.error).find(why), std::string::npos) << WideToUtf8(result.error);
    EXPECT_EQ(Contents(target), "before");
    EXPECT_EQ(FolderEntries(folder_.Path()), std::set<std::string>{"Book.xlsx"});
  }

  test_support::CTemporaryFolder folder_;
  CWorkbook book_;
};

TEST_F(XlsxWriterFailure, NeverWritesOverTheFileItWasReadFrom) {
  const auto input = folder_ / "Book.xlsx";
  book_.SetPath(Utf8ToWide(input.string()));
  ExpectRefused("read from");
  // Through another spelling of the same file, too.
  const auto other = folder_.Path() / "." / "Book.xlsx";
  EXPECT_FALSE(WriteXlsxFile(book_, other).ok);
  EXPECT_EQ(Contents(input), "before");
}

TEST_F(XlsxWriterFailure, RefusesWorkbooksAFileCannotHold) {
  book_.Sheet(1).SetName(L"Bad:Name");
  ExpectRefused("Bad:Name");
  book_.Sheet(1).SetName(L"Sheet1");
  book_.AddName({L"Orphan", L"=1", 5, false});
  ExpectRefused("Orphan");
}

TEST_F(XlsxWriterFailure, RefusesTwoTablesOfOneName) {
  book_.Sheet(1).Tables().push_back(Table{L"T", {{1, 1}, {2, 1}}, true, false, {L"A"}});
  book_.AddSheet(L"Sheet2").Tables().push_back(Table{L"t", {{1, 1}, {2, 1}}, true, false, {L"A"}});
  ExpectRefused("two tables");
}

TEST_F(XlsxWriterFailure, RefusesAWorkbookWithoutSheets) {
  CWorkbook empty;
  const auto target = folder_ / "Empty.xlsx";
  const XlsxWriteResult result = WriteXlsxFile(empty, target);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(XlsxWriterFailure, MissingFolderIsAnErrorNamingTheFile) {
  const auto target = folder_.Path() / "no such folder" / "Book.xlsx";
  const XlsxWriteResult result = WriteXlsxFile(book_, target);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(WideToUtf8(result.error).find("no such folder"), std::string::npos);
}

TEST_F(XlsxWriterFailure, ReadOnlyTargetStaysAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  const auto target = folder_ / "Book.xlsx";
  WriteText(target, "before");
  ::chmod(target.c_str(), 0444);
  EXPECT_FALSE(WriteXlsxFile(book_, target).ok);
  EXPECT_EQ(Contents(target), "before");
}

TEST_F(XlsxWriterFailure, ReplacingAFileKeepsItsPermissions) {
  const auto target = folder_ / "Book.xlsx";
  WriteText(target, "old");
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(WriteXlsxFile(book_, target).ok);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_NE(Contents(target), "old");
  EXPECT_EQ(FolderEntries(folder_.Path()), std::set<std::string>{"Book.xlsx"});
}

TEST(ZipWriter, APartThatFailsLeavesTheTargetAndNoTemporaryFile) {
  test_support::CTemporaryFolder folder;
  const auto target = folder / "Book.xlsx";
  WriteText(target, "before");
  CZipWriter zip(target);
  ASSERT_EQ(zip.Open(), L"");
  ASSERT_EQ(zip.AddPart("first.xml", [](std::string& out) { out = "<a/>"; }), L"");
  ASSERT_EQ(zip.AddPart("second.xml", [](std::string&) { throw std::runtime_error("disk gone"); }),
            L"");
  const std::wstring error = zip.Commit();
  EXPECT_NE(WideToUtf8(error).find("disk gone"), std::string::npos) << WideToUtf8(error);
  EXPECT_NE(WideToUtf8(error).find("Book.xlsx"), std::string::npos);
  EXPECT_EQ(Contents(target), "before");
  EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{"Book.xlsx"});
}

TEST(ZipWriter, AbandonedWriterRemovesItsTemporaryFile) {
  test_support::CTemporaryFolder folder;
  {
    CZipWriter zip(folder / "Book.xlsx");
    ASSERT_EQ(zip.Open(), L"");
    ASSERT_EQ(zip.AddPart("a.xml", [](std::string& out) { out = "<a/>"; }), L"");
  }
  EXPECT_TRUE(FolderEntries(folder.Path()).empty());
}

}  // namespace
}  // namespace spreadsheet
