// Unreadable input: each way a file can be broken or hostile is refused with a message that
// names the file and the part, quickly and without exceptions, crashes or runaway memory; and
// each fault of one cell or item is read around with a warning instead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/xlsx/reader_package.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/xlsx_package_builder.h"

namespace spreadsheet {
namespace {

using test_support::CXlsxPackageBuilder;
using testing::HasSubstr;

class XlsxReaderRefuses : public testing::Test {
 protected:
  // The reader's message for the package, or "" when it was read.
  std::string ErrorOf(const CXlsxPackageBuilder& package, const XlsxReadLimits& limits = {}) {
    const auto path = folder_ / "book.xlsx";
    package.Write(path);
    return ErrorOfFile(path, limits);
  }
  static std::string ErrorOfFile(const std::filesystem::path& path,
                                 const XlsxReadLimits& limits = {}) {
    const XlsxReadResult result = ReadXlsxFile(path, limits);
    EXPECT_NE(result.Ok(), !result.error.empty());
    return WideToUtf8(result.error);
  }
  static CXlsxPackageBuilder WithSheet(const std::string& rows) {
    return CXlsxPackageBuilder().Sheet("S", "<sheetData>" + rows + "</sheetData>");
  }
  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }

  test_support::CTemporaryFolder folder_;
};

TEST_F(XlsxReaderRefuses, AFileThatIsNotAZip) {
  WriteFile("notes.xlsx", "just some text, not a zip archive at all");
  const std::string error = ErrorOfFile(folder_ / "notes.xlsx");
  EXPECT_THAT(error, HasSubstr("notes.xlsx: not a zip archive"));
}

TEST_F(XlsxReaderRefuses, ALegacyOrEncryptedWorkbook) {
  WriteFile("old.xlsx", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
  EXPECT_THAT(ErrorOfFile(folder_ / "old.xlsx"), HasSubstr("OLE compound file"));
}

TEST_F(XlsxReaderRefuses, AFileThatIsNotThere) {
  EXPECT_THAT(ErrorOfFile(folder_ / "absent.xlsx"), HasSubstr("absent.xlsx: cannot open"));
}

TEST_F(XlsxReaderRefuses, AZipWithoutContentTypes) {
  EXPECT_THAT(ErrorOf(WithSheet("").Without("[Content_Types].xml")),
              HasSubstr("book.xlsx: [Content_Types].xml: missing part"));
}

TEST_F(XlsxReaderRefuses, AMissingSheetPart) {
  EXPECT_THAT(ErrorOf(WithSheet("").Without("xl/worksheets/sheet1.xml")),
              HasSubstr("book.xlsx: xl/worksheets/sheet1.xml: missing part"));
}

TEST_F(XlsxReaderRefuses, AMissingReferencedStylesPart) {
  EXPECT_THAT(ErrorOf(WithSheet("").Styles("<fonts/>").Without("xl/styles.xml")),
              HasSubstr("xl/styles.xml: missing part"));
}

TEST_F(XlsxReaderRefuses, MalformedXmlNamingPartAndLine) {
  const std::string error =
      ErrorOf(CXlsxPackageBuilder().Sheet("A", "<sheetData/>").Sheet("B", "<sheetData>\n<row>\n<c></row>"));
  EXPECT_THAT(error, HasSubstr("book.xlsx: xl/worksheets/sheet2.xml: not well-formed XML at line 3"));
}

TEST_F(XlsxReaderRefuses, EntityExpansionWithoutExpandingIt) {
  // Billion laughs: ten levels of ten references each, 10^10 "lol"s if ever expanded.
  std::string doctype = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY lol0 \"lol\">";
  for (int level = 1; level <= 10; ++level) {
    doctype += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) doctype += "&lol" + std::to_string(level - 1) + ";";
    doctype += "\">";
  }
  doctype += "]>";
  const std::string sheet = doctype +
                            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                            "2006/main\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>"
                            "<t>&lol10;</t></is></c></row></sheetData></worksheet>";
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf(WithSheet("").Part("xl/worksheets/sheet1.xml", sheet));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_THAT(error, HasSubstr("xl/worksheets/sheet1.xml: a document type declaration (DOCTYPE) "
                               "is refused"));
}

TEST_F(XlsxReaderRefuses, NestingDeeperThanTheLimit) {
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<extLst>";
  EXPECT_THAT(ErrorOf(WithSheet("").Part("xl/worksheets/sheet1.xml",
                                         "<worksheet xmlns=\"http://schemas.openxmlformats.org/"
                                         "spreadsheetml/2006/main\">" + deep)),
              HasSubstr("XML nested deeper than 128 levels"));
}

TEST_F(XlsxReaderRefuses, APartLargerThanTheLimit) {
  std::string rows;
  for (int row = 1; row <= 200; ++row) {
    rows += "<row r=\"" + std::to_string(row) + "\"><c r=\"A" + std::to_string(row) + "\"><v>1</v></c></row>";
  }
  XlsxReadLimits limits;
  limits.maxPartSize = 4096;
  EXPECT_THAT(ErrorOf(WithSheet(rows), limits),
              HasSubstr("xl/worksheets/sheet1.xml: part inflates past the limit of 4096 bytes"));
  limits = {};
  limits.maxUncompressedTotal = 4096;
  EXPECT_THAT(ErrorOf(WithSheet(rows), limits), HasSubstr("package inflates past the limit"));
}

// A zip bomb: one sheet of 400 MB, an opening tag and then spaces (well-formed as far as it
// goes, so only the bounds stop it), about 400 KB deflated; streamed into libzip from a source
// that makes the bytes as they are asked for.
struct ZerosSource {
  std::uint64_t size;
  std::uint64_t done = 0;
  std::string head = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
};

zip_int64_t Zeros(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& source = *static_cast<ZerosSource*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN: source.done = 0; return 0;
    case ZIP_SOURCE_READ: {
      const zip_uint64_t n = std::min<zip_uint64_t>(length, source.size - source.done);
      auto* out = static_cast<char*>(data);
      std::memset(out, ' ', n);
      for (zip_uint64_t i = 0; i < n && source.done + i < source.head.size(); ++i) {
        out[i] = source.head[source.done + i];
      }
      source.done += n;
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = source.size;
      stat->valid |= ZIP_STAT_SIZE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: return 2 * sizeof(int);
    case ZIP_SOURCE_FREE: return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: return -1;
  }
}

TEST_F(XlsxReaderRefuses, AZipBombWithoutInflatingItAll) {
  const auto path = folder_ / "bomb.xlsx";
  {
    // A valid package first, then its sheet replaced by the zeros.
    WithSheet("").Write(path);
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), 0, &error);
    ASSERT_NE(nullptr, archive);
    ZerosSource zeros{std::uint64_t{400} << 20};
    zip_source_t* source = zip_source_function(archive, &Zeros, &zeros);
    ASSERT_NE(nullptr, source);
    const zip_int64_t index = zip_name_locate(archive, "xl/worksheets/sheet1.xml", 0);
    ASSERT_EQ(0, zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0));
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
    ASSERT_EQ(0, zip_close(archive));
  }
  ASSERT_LT(std::filesystem::file_size(path), 2u << 20);
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOfFile(path);
  // Refused on the directory's claim; and with the claim out of the picture (a lying header is
  // caught by the same bound as the bytes come), well before 400 MB are inflated.
  EXPECT_THAT(error, HasSubstr("bomb.xlsx: xl/worksheets/sheet1.xml: compression ratio above 500 "
                               "to 1 (a zip bomb)"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // The same bomb with its directory lying (claiming 1,000 bytes): caught as the bytes come.
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::string name = "xl/worksheets/sheet1.xml";
  for (const std::string& signature : {std::string("PK\x01\x02", 4), std::string("PK\x03\x04", 4)}) {
    const std::size_t sizeOffset = signature[2] == '\x01' ? 24 : 22;
    const std::size_t nameOffset = signature[2] == '\x01' ? 46 : 30;
    for (std::size_t at = bytes.find(signature); at != std::string::npos;
         at = bytes.find(signature, at + 4)) {
      if (bytes.compare(at + nameOffset, name.size(), name) != 0) continue;
      const char claim[4] = {static_cast<char>(0xE8), 0x03, 0, 0};
      bytes.replace(at + sizeOffset, 4, claim, 4);
    }
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  // With a bound of 100 to 1 it stops after some 40 MB of the 400, in any build.
  XlsxReadLimits limits;
  limits.maxCompressionRatio = 100;
  const auto again = std::chrono::steady_clock::now();
  EXPECT_THAT(ErrorOfFile(path, limits),
              HasSubstr("xl/worksheets/sheet1.xml: compression ratio above 100 to 1"));
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(2));
}

TEST_F(XlsxReaderRefuses, NothingPerCellForRangesClaimingTheWholeSheet) {
  // A dimension, a shared formula group, an array formula and a merge each claiming all
  // 17 billion cells: read in a moment, storing only the cells the file has.
  const auto start = std::chrono::steady_clock::now();
  const auto path = folder_ / "huge.xlsx";
  CXlsxPackageBuilder()
      .Sheet("S",
             "<dimension ref=\"A1:XFD1048576\"/><sheetData><row r=\"1\">"
             "<c r=\"A1\"><f t=\"shared\" ref=\"A1:XFD1048576\" si=\"0\">ROW()</f><v>1</v></c>"
             "<c r=\"B1\"><f t=\"shared\" si=\"0\"/><v>1</v></c></row><row r=\"2\">"
             "<c r=\"A2\"><f t=\"array\" ref=\"A2:XFD1048576\">1</f><v>1</v></c><c r=\"C9\"><v>1</v>"
             "</c></row></sheetData><mergeCells><mergeCell ref=\"D1:XFD1\"/></mergeCells>")
      .Write(path);
  const XlsxReadResult result = ReadXlsxFile(path);
  ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
  const CWorksheet& sheet = result.workbook->Sheet(1);
  EXPECT_EQ(4u, sheet.CellCount());
  EXPECT_EQ(L"=ROW()", sheet.Formula({1, 2}));
  EXPECT_EQ(L"=1", sheet.Formula({9, 3}));  // A stored member of the huge array.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(XlsxReaderRefuses, MoreCellsOrLongerTextThanTheLimits) {
  std::string rows;
  for (int row = 1; row <= 20; ++row) rows += "<row><c><v>1</v></c></row>";
  XlsxReadLimits limits;
  limits.maxCells = 10;
  EXPECT_THAT(ErrorOf(WithSheet(rows), limits), HasSubstr("more cells than the 10 allowed"));
  limits = {};
  limits.maxTextBytes = 100;
  EXPECT_THAT(ErrorOf(WithSheet("<row><c t=\"inlineStr\"><is><t>" + std::string(200, 'x') +
                                "</t></is></c></row>"),
                      limits),
              HasSubstr("text longer than 100 bytes"));
  limits = {};
  limits.maxSharedStrings = 2;
  EXPECT_THAT(ErrorOf(WithSheet("").SharedStrings({"a", "b", "c"}), limits),
              HasSubstr("xl/sharedStrings.xml: more shared strings than the 2 allowed"));
}

TEST_F(XlsxReaderRefuses, SheetNamesTwice) {
  EXPECT_THAT(ErrorOf(CXlsxPackageBuilder().Sheet("Data", "").Sheet("DATA", "")),
              HasSubstr("xl/workbook.xml: sheet name \"DATA\" is empty or taken"));
}

// The SpreadsheetML of Excel 2007's betas, whether or not the content types give the workbook
// part a type this reader knows.
TEST_F(XlsxReaderRefuses, APreReleaseWorkbookWithAMessageSayingSo) {
  const std::string beta = "http://schemas.microsoft.com/office/excel/2006/2";
  const std::string workbook =
      "<workbook xmlns=\"" + beta + "\" xmlns:r=\"" + test_support::kRelationshipsNamespace +
      "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rIdS1\"/></sheets></workbook>";
  const CXlsxPackageBuilder package = WithSheet("").Part("xl/workbook.xml", workbook);
  const std::string expected =
      "book.xlsx: xl/workbook.xml: saved by a pre-release (beta) of Excel 2007 (SpreadsheetML "
      "namespace " + beta + "), not in the format of the released Excel; it must be re-saved";
  EXPECT_THAT(ErrorOf(package), HasSubstr(expected));

  auto entries = package.Entries();
  for (auto& [name, bytes] : entries) {
    if (name != "[Content_Types].xml") continue;
    const std::string known = "spreadsheetml.sheet.main+xml";
    bytes.replace(bytes.find(known), known.size(), "spreadsheetml.beta.main+xml");
  }
  test_support::WriteZip(folder_ / "beta.xlsx", entries);
  EXPECT_THAT(ErrorOfFile(folder_ / "beta.xlsx"), HasSubstr("saved by a pre-release (beta)"));
}

TEST_F(XlsxReaderRefuses, ZipEntriesThatNameOnePartOnceBackslashesReadAsSlashes) {
  auto entries = WithSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>").Entries();
  entries.emplace_back("xl\\worksheets\\sheet1.xml", "<worksheet/>");
  test_support::WriteZip(folder_ / "twice.xlsx", entries);
  EXPECT_THAT(ErrorOfFile(folder_ / "twice.xlsx"),
              HasSubstr("twice.xlsx: the zip entries \"xl/worksheets/sheet1.xml\" and "
                        "\"xl\\worksheets\\sheet1.xml\" name the same part"));
}

// What is wrong with one cell or item is read around: a warning naming the part, the cell or
// line and what became of it, and the rest of the sheet read as usual.
class XlsxReaderReadsAround : public XlsxReaderRefuses {
 protected:
  XlsxReadResult Read(const CXlsxPackageBuilder& package, const XlsxReadLimits& limits = {}) {
    const auto path = folder_ / "book.xlsx";
    package.Write(path);
    XlsxReadResult result = ReadXlsxFile(path, limits);
    EXPECT_TRUE(result.Ok()) << WideToUtf8(result.error);
    return result;
  }
  static std::vector<std::string> NarrowAll(const std::vector<std::wstring>& texts) {
    std::vector<std::string> out;
    for (const std::wstring& text : texts) out.push_back(WideToUtf8(text));
    return out;
  }
};

struct BadCellCase {
  const char* name;
  std::string rows;     // Rows of sheetData (the shared strings table holds "one").
  std::string warning;  // The one warning, after "xl/worksheets/sheet1.xml, ".
  CellCoord at;         // The cell read around, and what it holds after.
  std::optional<std::wstring> formula;
  CellValue value;
};

class XlsxReaderReadsAroundCell : public XlsxReaderReadsAround,
                                  public testing::WithParamInterface<BadCellCase> {};

TEST_P(XlsxReaderReadsAroundCell, WithOneWarningAndTheRestOfTheSheetRead) {
  const BadCellCase& bad = GetParam();
  const XlsxReadResult result =
      Read(WithSheet(bad.rows + "<row r=\"20\"><c r=\"A20\"><v>42</v></c></row>")
               .SharedStrings({"one"}));
  ASSERT_TRUE(result.Ok());
  EXPECT_THAT(NarrowAll(result.warnings),
              testing::ElementsAre("xl/worksheets/sheet1.xml, " + bad.warning));
  const CWorksheet& sheet = result.workbook->Sheet(1);
  EXPECT_EQ(bad.formula, sheet.Formula(bad.at));
  EXPECT_EQ(bad.value, sheet.Value(bad.at));
  EXPECT_EQ(CellValue::Number(42), sheet.Value({20, 1}));
}

const CellValue kEmpty;

INSTANTIATE_TEST_SUITE_P(
    EachKindOfFault, XlsxReaderReadsAroundCell,
    testing::Values(
        BadCellCase{"EmptySharedStringIndex", "<row r=\"7\"><c r=\"B7\" t=\"s\"><v/></c></row>",
                    "cell B7: shared string index \"\" is not a number; the cell is read as empty",
                    {7, 2}, std::nullopt, kEmpty},
        BadCellCase{"SharedStringIndexPastTheTable",
                    "<row r=\"7\"><c r=\"B7\" t=\"s\"><v>4000000000</v></c></row>",
                    "cell B7: shared string index \"4000000000\" is past the table, which holds "
                    "1; the cell is read as empty",
                    {7, 2}, std::nullopt, kEmpty},
        BadCellCase{"NotANumber", "<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>",
                    "cell A1: \"12abc\" is not a number; the cell is read as empty", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"NotABoolean", "<row r=\"1\"><c r=\"A1\" t=\"b\"><v>2</v></c></row>",
                    "cell A1: \"2\" is not a Boolean; the cell is read as empty", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"NotADate", "<row r=\"1\"><c r=\"A1\" t=\"d\"><v>yesterday</v></c></row>",
                    "cell A1: \"yesterday\" is not a date; the cell is read as empty", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"EmptyErrorValue", "<row r=\"1\"><c r=\"A1\" t=\"e\"><v></v></c></row>",
                    "cell A1: the error value is empty; the cell is read as empty", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"UnknownCellType", "<row r=\"1\"><c r=\"A1\" t=\"zz\"><v>2</v></c></row>",
                    "cell A1: cell type \"zz\" is unknown; the cell is read as empty", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"AFormulasCachedValue",
                    "<row r=\"1\"><c r=\"A1\" t=\"b\"><f>1&lt;2</f><v>yes</v></c></row>",
                    "cell A1: \"yes\" is not a Boolean; the formula is read without its cached "
                    "value",
                    {1, 1}, L"=1<2", kEmpty},
        BadCellCase{"ALongValueQuotedCutShort",
                    "<row r=\"1\"><c r=\"A1\"><v>" + std::string(100, '7') + "x</v></c></row>",
                    "cell A1: \"" + std::string(40, '7') +
                        "...\" is not a number; the cell is read as empty",
                    {1, 1}, std::nullopt, kEmpty},
        BadCellCase{"CellReferenceOffTheSheet",
                    "<row r=\"1\"><c r=\"ZZZZ1\"><v>1</v></c><c><v>2</v></c></row>",
                    "line 1: cell reference \"ZZZZ1\" is off the sheet; the cell is left out",
                    {1, 1}, std::nullopt, CellValue::Number(2)},
        BadCellCase{"CellReferenceMalformed", "<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>",
                    "line 1: cell reference \"1A\" is malformed; the cell is left out", {1, 1},
                    std::nullopt, kEmpty},
        BadCellCase{"CellPastTheLastColumn",
                    "<row r=\"1\"><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c></row>",
                    "line 1: a cell without a reference falls past the last column of row 1; "
                    "the cell is left out",
                    {1, 16384}, std::nullopt, CellValue::Number(1)},
        BadCellCase{"RowOffTheSheet",
                    "<row r=\"1048577\"><c><v>1</v></c></row><row><c><v>3</v></c></row>",
                    "line 1: row number \"1048577\" is not a row of the sheet (1 to 1048576); "
                    "the row is left out",
                    {1, 1}, std::nullopt, CellValue::Number(3)},
        BadCellCase{"RowPastTheLast",
                    "<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>3</v></c></row>",
                    "line 1: a row without a number follows row 1048576, the last of the sheet; "
                    "the row is left out",
                    {1048576, 1}, std::nullopt, CellValue::Number(1)},
        BadCellCase{"StyleIndexPastTheFormats",
                    "<row r=\"1\"><c r=\"A1\" s=\"99999999999\"><v>1</v></c></row>",
                    "cell A1: style index \"99999999999\" names no cell format (the file has 0); "
                    "the cell keeps the default format",
                    {1, 1}, std::nullopt, CellValue::Number(1)},
        BadCellCase{"UnknownFormulaType",
                    "<row r=\"1\"><c r=\"A1\"><f t=\"weird\">2+3</f><v>5</v></c></row>",
                    "cell A1: formula type \"weird\" is unknown; it is read as a plain formula",
                    {1, 1}, L"=2+3", CellValue::Number(5)},
        BadCellCase{"SharedGroupNotANumber",
                    "<row r=\"1\"><c r=\"A1\"><f t=\"shared\" si=\"x\">2+3</f><v>5</v></c></row>",
                    "cell A1: shared formula group \"x\" is not a number; its text is read as the "
                    "cell's own formula",
                    {1, 1}, L"=2+3", CellValue::Number(5)},
        BadCellCase{"SharedFormulaWithoutItsMaster",
                    "<row r=\"2\"><c r=\"D2\"><f t=\"shared\" si=\"5\"/><v>9</v></c></row>",
                    "cell D2: shared formula group 5 has no master cell; the cell keeps only its "
                    "value",
                    {2, 4}, std::nullopt, CellValue::Number(9)},
        BadCellCase{"SharedRangeWithoutItsMaster",
                    "<row r=\"3\"><c r=\"A3\"><f t=\"shared\" ref=\"B1:B9\" si=\"0\">C1*2</f>"
                    "<v>1</v></c></row><row r=\"4\"><c r=\"A4\"><f t=\"shared\" si=\"0\"/><v>2</v>"
                    "</c></row>",
                    "cell A3: shared formula range \"B1:B9\" is not a range on the sheet that "
                    "holds the cell; the other cells of group 0 each get the formula moved to "
                    "them",
                    {4, 1}, L"=C2*2", CellValue::Number(2)},
        BadCellCase{"ArrayRangeMalformed",
                    "<row r=\"1\"><c r=\"A1\"><f t=\"array\" ref=\"A1:ZZZZ9\">1+1</f><v>2</v></c>"
                    "<c r=\"B1\"><v>2</v></c></row>",
                    "cell A1: array formula range \"A1:ZZZZ9\" is not a range on the sheet that "
                    "holds the cell; the formula is read for the cell alone",
                    {1, 2}, std::nullopt, CellValue::Number(2)},
        BadCellCase{"ArrayWithoutText",
                    "<row r=\"1\"><c r=\"A1\"><f t=\"array\" ref=\"A1\"/><v>2</v></c></row>",
                    "cell A1: array formula has no text; the cell keeps only its value", {1, 1},
                    std::nullopt, CellValue::Number(2)},
        BadCellCase{"DataTableInputThatIsNoCell",
                    "<row r=\"5\"><c r=\"C5\"><f t=\"dataTable\" ref=\"C5:C6\" dt2D=\"0\" "
                    "dtr=\"0\" r1=\"A9)+SUM(B1\"/><v>1</v></c></row>",
                    "cell C5: data table input \"A9)+SUM(B1\" is not a cell of the sheet; it "
                    "reads as #REF!",
                    {6, 3}, L"=TABLE(,#REF!)", kEmpty}),
    [](const testing::TestParamInfo<BadCellCase>& param) { return std::string(param.param.name); });

TEST_F(XlsxReaderReadsAround, MergedRangesOffTheSheetOrOverAnother) {
  const XlsxReadResult result =
      Read(WithSheet("").Sheet("T", "<mergeCells><mergeCell ref=\"A1:XFE2\"/>"
                                    "<mergeCell ref=\"A1:B2\"/><mergeCell ref=\"B2:C3\"/>"
                                    "</mergeCells>"));
  ASSERT_TRUE(result.Ok());
  EXPECT_THAT(NarrowAll(result.warnings),
              testing::ElementsAre("xl/worksheets/sheet2.xml, line 1: merged range \"A1:XFE2\" "
                                   "is not a range on the sheet; it is left out",
                                   "xl/worksheets/sheet2.xml, line 1: merged range \"B2:C3\" "
                                   "overlaps an earlier one; it is left out"));
  EXPECT_EQ((std::vector<CellRect>{{{1, 1}, {2, 2}}}), result.workbook->Sheet(2).Merges());
}

TEST_F(XlsxReaderReadsAround, TablesThatCannotBeRead) {
  const auto withTable = [](const std::string& table) {
    return CXlsxPackageBuilder()
        .Sheet("S", "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
                    "<tableParts><tablePart r:id=\"rId1\"/><tablePart r:id=\"rId9\"/></tableParts>")
        .Part("xl/worksheets/_rels/sheet1.xml.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
              "openxmlformats.org/officeDocument/2006/relationships/table\" "
              "Target=\"../tables/table1.xml\"/></Relationships>")
        .Part("xl/tables/table1.xml", "<table xmlns=\"" +
                                          std::string(test_support::kMainNamespace) +
                                          "\" name=\"T\" " + table + "</table>");
  };
  const XlsxReadResult narrow =
      Read(withTable("ref=\"A1:C3\"><tableColumns><tableColumn name=\"x\"/></tableColumns>"));
  EXPECT_THAT(NarrowAll(narrow.warnings),
              testing::ElementsAre(
                  "xl/tables/table1.xml: the table names 1 columns for a range 3 wide; the table "
                  "is left out",
                  "xl/worksheets/sheet1.xml: table part \"rId9\" has no table relationship; the "
                  "table is left out"));
  ASSERT_TRUE(narrow.Ok());
  EXPECT_TRUE(narrow.workbook->Sheet(1).Tables().empty());
  EXPECT_EQ(CellValue::Number(1), narrow.workbook->Sheet(1).Value({1, 1}));

  const XlsxReadResult offSheet = Read(withTable("ref=\"A1:XFE3\">"));
  ASSERT_FALSE(offSheet.warnings.empty());
  EXPECT_EQ("xl/tables/table1.xml: table range \"A1:XFE3\" is not a range on the sheet; the "
            "table is left out",
            WideToUtf8(offSheet.warnings[0]));
}

TEST_F(XlsxReaderReadsAround, ManyBadCellsAsTwentyWarningsAndACount) {
  std::string rows;
  for (int row = 1; row <= 1000; ++row) {
    rows += "<row><c t=\"b\"><v>maybe</v></c><c><v>1</v></c></row>";
  }
  const XlsxReadResult result = Read(WithSheet(rows));
  ASSERT_TRUE(result.Ok());
  ASSERT_EQ(21u, result.warnings.size());
  EXPECT_EQ("xl/worksheets/sheet1.xml, cell A20: \"maybe\" is not a Boolean; the cell is read as "
            "empty",
            WideToUtf8(result.warnings[19]));
  EXPECT_EQ(L"980 more warnings not shown", result.warnings[20]);
  EXPECT_EQ(1000u, result.workbook->Sheet(1).CellCount());

  XlsxReadLimits limits;
  limits.maxWarningsKept = 0;
  EXPECT_EQ((std::vector<std::wstring>{L"1000 more warnings not shown"}),
            Read(WithSheet(rows), limits).warnings);
}

TEST_F(XlsxReaderReadsAround, ZipEntriesNamedWithBackslashes) {
  auto entries = WithSheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")
                     .SharedStrings({"found"})
                     .Entries();
  for (auto& [name, bytes] : entries) std::replace(name.begin(), name.end(), '/', '\\');
  const auto path = folder_ / "backslashes.xlsx";
  test_support::WriteZip(path, entries);
  const XlsxReadResult result = ReadXlsxFile(path);
  ASSERT_TRUE(result.Ok()) << WideToUtf8(result.error);
  EXPECT_THAT(NarrowAll(result.warnings),
              testing::ElementsAre("zip entries are named with \"\\\" for \"/\" "
                                   "(\"_rels\\.rels\"), as some writers other than Excel save "
                                   "them; they are read as \"/\""));
  EXPECT_EQ(CellValue::Text(L"found"), result.workbook->Sheet(1).Value({1, 1}));
  // Writers that name entries so may write relationship targets so too.
  EXPECT_EQ("xl/worksheets/sheet1.xml",
            CPackageReader::ResolveTarget("xl/workbook.xml", "worksheets\\sheet1.xml"));
  EXPECT_EQ("xl/sharedStrings.xml",
            CPackageReader::ResolveTarget("xl/worksheets/sheet1.xml", "..\\sharedStrings.xml"));
}

TEST_F(XlsxReaderRefuses, NeverToWriteTheInputFile) {
  const auto path = folder_ / "readonly.xlsx";
  WithSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>").Write(path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const auto before = std::filesystem::last_write_time(path);
  const auto size = std::filesystem::file_size(path);
  const XlsxReadResult result = ReadXlsxFile(path);
  EXPECT_TRUE(result.Ok()) << WideToUtf8(result.error);
  EXPECT_EQ(before, std::filesystem::last_write_time(path));
  EXPECT_EQ(size, std::filesystem::file_size(path));
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace spreadsheet
