// Unreadable input: each way a file can be broken or hostile is refused with a message that
// names the file and the part, quickly and without exceptions, crashes or runaway memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <fstream>

#include "spreadsheet/xlsx/xlsx_reader.h"
#include "tests/support/xlsx_package_builder.h"

namespace spreadsheet {
namespace {

using test_support::CXlsxPackageBuilder;
using testing::HasSubstr;

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

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
    return Narrow(result.error);
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

TEST_F(XlsxReaderRefuses, CellReferencesOffTheSheet) {
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>")),
              HasSubstr("xl/worksheets/sheet1.xml: cell reference \"XFE1\" is off the sheet at line 1"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1048577\"><c><v>1</v></c></row>")),
              HasSubstr("row number \"1048577\" is off the sheet"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>")),
              HasSubstr("cell reference \"1A\" is malformed"));
  EXPECT_THAT(ErrorOf(WithSheet("").Sheet("T", "<mergeCells><mergeCell ref=\"A1:XFE2\"/></mergeCells>")),
              HasSubstr("xl/worksheets/sheet2.xml: merged range \"A1:XFE2\" is not a range on the sheet"));
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
  ASSERT_TRUE(result.Ok()) << Narrow(result.error);
  const CWorksheet& sheet = result.workbook->Sheet(1);
  EXPECT_EQ(4u, sheet.CellCount());
  EXPECT_EQ(L"=ROW()", sheet.Formula({1, 2}));
  EXPECT_EQ(L"=1", sheet.Formula({9, 3}));  // A stored member of the huge array.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(XlsxReaderRefuses, AbsurdIndexes) {
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"B7\" t=\"s\"><v>4000000000</v></c></row>")
                          .SharedStrings({"one"})),
              HasSubstr("cell B7: shared string index \"4000000000\" is out of range (the table holds 1)"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")),
              HasSubstr("out of range (the table holds 0)"));
  // A style index past the table is cosmetic: the cell keeps the default format.
  EXPECT_EQ("", ErrorOf(WithSheet("<row r=\"1\"><c r=\"A1\" s=\"99999999999\"><v>1</v></c></row>")));
}

TEST_F(XlsxReaderRefuses, ValuesThatDoNotParseAsTheirType) {
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>")),
              HasSubstr("cell A1: \"12abc\" is not a number"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"A1\" t=\"b\"><v>2</v></c></row>")),
              HasSubstr("is not a Boolean"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"1\"><c r=\"A1\" t=\"zz\"><v>2</v></c></row>")),
              HasSubstr("cell type \"zz\" is unknown"));
  EXPECT_THAT(ErrorOf(WithSheet("<row r=\"3\"><c r=\"A3\"><f t=\"shared\" ref=\"B1:B9\" si=\"0\">1"
                                "</f></c></row>")),
              HasSubstr("cell A3: formula range \"B1:B9\" is not a range on the sheet that holds "
                        "the cell"));
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

TEST_F(XlsxReaderRefuses, SheetNamesTwiceOrTablesOfTheWrongWidth) {
  EXPECT_THAT(ErrorOf(CXlsxPackageBuilder().Sheet("Data", "").Sheet("DATA", "")),
              HasSubstr("xl/workbook.xml: sheet name \"DATA\" is empty or taken"));
  EXPECT_THAT(
      ErrorOf(WithSheet("")
                  .Part("xl/worksheets/sheet1.xml",
                        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                        "main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships\"><tableParts><tablePart r:id=\"rId1\"/></tableParts>"
                        "</worksheet>")
                  .Part("xl/worksheets/_rels/sheet1.xml.rels",
                        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                        "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
                        "openxmlformats.org/officeDocument/2006/relationships/table\" "
                        "Target=\"../tables/table1.xml\"/></Relationships>")
                  .Part("xl/tables/table1.xml",
                        "<table xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                        "name=\"T\" ref=\"A1:C3\"><tableColumns><tableColumn name=\"x\"/>"
                        "</tableColumns></table>")),
      HasSubstr("xl/tables/table1.xml: the table names 1 columns for a range 3 wide"));
}

TEST_F(XlsxReaderRefuses, NeverToWriteTheInputFile) {
  const auto path = folder_ / "readonly.xlsx";
  WithSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>").Write(path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const auto before = std::filesystem::last_write_time(path);
  const auto size = std::filesystem::file_size(path);
  const XlsxReadResult result = ReadXlsxFile(path);
  EXPECT_TRUE(result.Ok()) << Narrow(result.error);
  EXPECT_EQ(before, std::filesystem::last_write_time(path));
  EXPECT_EQ(size, std::filesystem::file_size(path));
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace spreadsheet
