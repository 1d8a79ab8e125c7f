// Saved workbooks read back by the .xlsx reader hold what was saved: model, writer, reader,
// same model. Real Excel files of the shared corpus go through the same loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/text_encoding.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/xlsx_writer.h"
#include "spreadsheet/xlsx/xlsx_writer_test_workbook.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/workbook_differences.h"
#include "tests/support/xlsx_package_builder.h"

namespace spreadsheet {
namespace {

class XlsxWriterRoundTrip : public ::testing::Test {
 protected:
  // Saves `book`, reads it back and returns the copy (null, with a failure, when either fails).
  std::unique_ptr<CWorkbook> RoundTrip(const CWorkbook& book,
                                       const std::string& name = "Saved.xlsx") {
    const auto path = folder_ / name;
    const XlsxWriteResult written = WriteXlsxFile(book, path);
    EXPECT_TRUE(written.ok) << WideToUtf8(written.error);
    if (!written.ok) return nullptr;
    XlsxReadResult read = ReadXlsxFile(path);
    EXPECT_TRUE(read.Ok()) << WideToUtf8(read.error);
    return std::move(read.workbook);
  }

  static std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }

  test_support::CTemporaryFolder folder_;
};

TEST_F(XlsxWriterRoundTrip, TestWorkbookReadsBackUnchanged) {
  CWorkbook book;
  BuildWriterTestWorkbook(book);
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Joined(test_support::WorkbookDifferences(book, *copy)), "");
}

TEST_F(XlsxWriterRoundTrip, TextKeepsEveryCharacterXmlCanCarry) {
  struct Case {
    std::wstring written;
    std::wstring read;
  };
  const std::wstring surrogate(1, static_cast<wchar_t>(0xD800));
  const Case cases[] = {
      {L"plain", L"plain"},
      {L"", L""},
      {L"  both ends  ", L"  both ends  "},
      {L"tab\there", L"tab\there"},
      {L"cr\r\nlf", L"cr\r\nlf"},
      {L"bell\x0007 and nul-free \x001F", L"bell\x0007 and nul-free \x001F"},
      {L"_x0041_ literal", L"_x0041_ literal"},
      {L"_x005F_ too", L"_x005F_ too"},
      {L"<&>\"'", L"<&>\"'"},
      {L"\U0001F600 \u00E9\u4E2D", L"\U0001F600 \u00E9\u4E2D"},
      {L"\uFFFE", L"\uFFFE"},
      {L"lone " + surrogate + L" half", L"lone \uFFFD half"},
  };
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Texts");
  std::int32_t row = 1;
  for (const Case& c : cases) {
    sheet.SetValue({row, 1}, CellValue::Text(c.written));
    sheet.SetFormula({row, 2}, L"=A" + std::to_wstring(row), CellValue::Text(c.written));
    ++row;
  }
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  row = 1;
  for (const Case& c : cases) {
    EXPECT_EQ(copy->Sheet(1).Value({row, 1}), CellValue::Text(c.read)) << "constant, row " << row;
    EXPECT_EQ(copy->Sheet(1).Value({row, 2}), CellValue::Text(c.read)) << "formula, row " << row;
    ++row;
  }
}

TEST_F(XlsxWriterRoundTrip, NumbersKeepEveryBit) {
  const double cases[] = {0.1 + 0.2,          1.0 / 3.0,           1e308,    5e-324, -0.0,
                          9007199254740993.0, 123456789.123456789, -2.5e-10, 1e21,   0.0};
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Numbers");
  std::int32_t row = 1;
  for (const double number : cases) sheet.SetValue({row++, 1}, CellValue::Number(number));
  sheet.SetValue({row, 1}, CellValue::Number(std::numeric_limits<double>::quiet_NaN()));
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  row = 1;
  for (const double number : cases) {
    const CellValue read = copy->Sheet(1).Value({row, 1});
    ASSERT_EQ(read.Kind(), ValueKind::Number) << "row " << row;
    const double value = read.AsNumber();
    EXPECT_EQ(std::memcmp(&value, &number, sizeof value), 0) << "row " << row << ": " << value;
    ++row;
  }
  // A file holds no NaN; the cell says the number is not one rather than showing a wrong one.
  EXPECT_EQ(copy->Sheet(1).Value({row, 1}), CellValue::Error(ErrorCode::Num));
}

TEST_F(XlsxWriterRoundTrip, FormulasComeBackAsTheyWereShown) {
  struct Case {
    const wchar_t* written;
    const wchar_t* read;  // Null when the same.
  };
  const Case cases[] = {
      {L"=LET(x,1,x+1)", nullptr},
      {L"=LET(total,SUM(A1:A3),rate, 2,total*rate)", nullptr},
      {L"=LET(f,LAMBDA(v,v*2),f(3))", nullptr},
      {L"=LAMBDA(a,b,a+b)(1,2)", nullptr},
      {L"=XLOOKUP(1,A1:A3,B1:B3)", nullptr},
      {L"=FILTER(A1:A3,A1:A3>1)", nullptr},
      {L"=SORT(A1:A3)", nullptr},
      // A prefix the model kept is not doubled; the reader shows the name without it.
      {L"=IFNA(1,2)+_xlfn.IFS(TRUE,1)", L"=IFNA(1,2)+IFS(TRUE,1)"},
      {L"=\"IFNA(x) _xlfn. [1]\"&\"\"\"\"", nullptr},
      {L"=[Other.xlsx]Sheet1!A1+[Other.xlsx]Sheet2!$B$2", nullptr},
      {L"='[My Book.xlsx]Data Sheet'!B2", nullptr},
      {L"=Numbers!A1+'It''s'!A1", nullptr},
      {L"={1,2;3,4}", nullptr},
      {L"=#REF!+1", nullptr},
      {L"=SUM(A1:B2 A1)", nullptr},
  };
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Formulas");
  book.AddSheet(L"Numbers");
  book.AddSheet(L"It's");
  std::int32_t row = 1;
  for (const Case& c : cases) sheet.SetFormula({row++, 3}, c.written, CellValue::Number(1));
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  row = 1;
  for (const Case& c : cases) {
    EXPECT_EQ(WideToUtf8(copy->Sheet(1).Formula({row, 3}).value_or(L"(none)")),
              WideToUtf8(c.read != nullptr ? c.read : c.written))
        << "row " << row;
    ++row;
  }
  // Books that only formulas named are linked, in the order of first use.
  ASSERT_EQ(copy->ExternalLinks().size(), 2u);
  EXPECT_EQ(copy->ExternalLinks()[0], L"Other.xlsx");
  EXPECT_EQ(copy->ExternalLinks()[1], L"My Book.xlsx");
}

TEST_F(XlsxWriterRoundTrip, SharedFormulaWithoutItsOriginWritesEachCell) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Sheet1");
  const std::uint32_t record =
      sheet.AddFormulaRecord({FormulaRecord::Kind::Shared, L"B1*2", {1, 1}, {{1, 1}, {4, 1}}});
  for (std::int32_t row = 1; row <= 4; ++row) sheet.AttachFormula({row, 1}, record);
  sheet.SetValue({1, 1}, CellValue::Number(7));  // The origin gives up its formula.
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Joined(test_support::WorkbookDifferences(book, *copy)), "");
  EXPECT_EQ(copy->Sheet(1).Formula({4, 1}), L"=B4*2");
}

TEST_F(XlsxWriterRoundTrip, FormatsAndSizesSurvive) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Styled");
  CFormatTable& formats = book.Formats();
  Font font;
  font.name = L"Arial";
  font.size = 10.5;
  font.italic = true;
  font.strikethrough = true;
  font.underline = Underline::Double;
  font.color = Color::Rgb(0x1F4E79);
  Border border;
  border.left = {LineStyle::Continuous, BorderWeight::Thick, Color::Rgb(0x00FF00)};
  border.bottom = {LineStyle::Dash, BorderWeight::Thin, Color::Automatic()};
  border.top = {LineStyle::Double, BorderWeight::Thick, Color::Automatic()};
  NamedStyle heading{L"My Heading", CellFormat{}, std::nullopt};
  heading.format.font = formats.InternFont(Font{L"Cambria", 14, true});
  const std::uint32_t headingStyle = formats.AddNamedStyle(heading);

  CellFormat format;
  format.font = formats.InternFont(font);
  format.fill = formats.InternFill(Fill{L"lightGrid", Color::Rgb(0x123456)});
  format.border = formats.InternBorder(border);
  format.numberFormat = formats.InternNumberFormat(L"yyyy-mm-dd\\ \"at\"\\ hh:mm");
  format.locked = false;
  sheet.SetValue({1, 1}, CellValue::Number(45000.5));
  sheet.SetFormat({1, 1}, formats.InternFormat(format));
  CellFormat styled;
  styled.namedStyle = headingStyle;
  styled.font = heading.format.font;
  sheet.SetValue({2, 1}, CellValue::Text(L"Heading"));
  sheet.SetFormat({2, 1}, formats.InternFormat(styled));
  sheet.SetFormat({3, 3}, formats.InternFormat(CellFormat{9, 0, 0, 0, 0, true}));  // Format only.

  for (const auto& [column, width] :
       {std::pair{1, 8.43}, {2, 20.0}, {3, 0.5}, {4, 0.0}, {6, 255.0}}) {
    sheet.SetColumnWidth(column, width);
  }
  sheet.SetColumnWidth(7, 12.57);
  sheet.SetColumnWidth(8, 12.57);
  sheet.SetRowHeight(1, 30);
  sheet.SetRowHeight(5, 7.5);  // A row with a height and no cells.
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Joined(test_support::WorkbookDifferences(book, *copy)), "");
}

TEST_F(XlsxWriterRoundTrip, TablesWithoutHeaderOrWithTotalsSurvive) {
  CWorkbook book;
  CWorksheet& sheet = book.AddSheet(L"Tables");
  for (std::int32_t row = 1; row <= 4; ++row) {
    sheet.SetValue({row, 1}, CellValue::Number(row));
    sheet.SetValue({row, 4}, CellValue::Number(row));
  }
  sheet.SetValue({1, 1}, CellValue::Text(L"Qty"));
  sheet.Tables().push_back(
      Table{L"WithTotals", {{1, 1}, {4, 2}}, true, true, {L"Qty", L"Note"}, L"TableStyleLight9"});
  sheet.SetValue({1, 2}, CellValue::Text(L"Note"));
  sheet.Tables().push_back(Table{L"NoHeader", {{1, 4}, {4, 4}}, false, false, {L"Column1"}});
  const auto copy = RoundTrip(book);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Joined(test_support::WorkbookDifferences(book, *copy)), "");
}

// Every real Excel workbook of the shared corpus, read, saved and read again, is the same.
TEST_F(XlsxWriterRoundTrip, IterationSettingsSurviveASave) {
  CWorkbook book;
  book.AddSheet(L"Sheet1");
  const auto copyOf = [&](const CalculationSettings& settings) {
    book.SetCalculation(settings);
    const auto copy = RoundTrip(book);
    return copy ? copy->Calculation() : CalculationSettings{};
  };
  const CalculationSettings iterating{true, 500, 0.0005};
  EXPECT_EQ(iterating, copyOf(iterating));
  const CalculationSettings off{false, 7, 0.25};
  EXPECT_EQ(off, copyOf(off));
  EXPECT_EQ(CalculationSettings{}, copyOf(CalculationSettings{}));
}

TEST_F(XlsxWriterRoundTrip, IterationSettingsOutOfRangeAreClamped) {
  struct Case {
    const char* calcPr;
    CalculationSettings expected;
  };
  const Case cases[] = {
      {"<calcPr calcId=\"191029\" iterate=\"1\" iterateCount=\"10000\" iterateDelta=\"0.01\"/>",
       {true, 10000, 0.01}},
      {"<calcPr iterate=\"true\" iterateCount=\"999999\" iterateDelta=\"-1\"/>",
       {true, 32767, 0.001}},
      {"<calcPr iterateCount=\"0\" iterateDelta=\"x\"/>", {false, 1, 0.001}},
      {"<calcPr/>", {}},
  };
  int index = 0;
  for (const Case& c : cases) {
    const auto path = folder_ / ("calc" + std::to_string(index++) + ".xlsx");
    test_support::CXlsxPackageBuilder()
        .Sheet("Sheet1", "<sheetData/>")
        .WorkbookTail(c.calcPr)
        .Write(path);
    XlsxReadResult read = ReadXlsxFile(path);
    ASSERT_TRUE(read.Ok()) << WideToUtf8(read.error);
    EXPECT_EQ(c.expected, read.workbook->Calculation()) << c.calcPr;
  }
}

TEST_F(XlsxWriterRoundTrip, CorpusWorkbooksSurviveASave) {
  const std::filesystem::path corpus =
      std::filesystem::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".xlsx") continue;
    ++files;
    XlsxReadResult original = ReadXlsxFile(entry.path());
    ASSERT_TRUE(original.Ok()) << WideToUtf8(original.error);
    const auto copy = RoundTrip(*original.workbook, entry.path().filename().string());
    ASSERT_NE(copy, nullptr) << entry.path();
    EXPECT_EQ(Joined(test_support::WorkbookDifferences(*original.workbook, *copy)), "")
        << entry.path().filename();
  }
  EXPECT_GT(files, 0u);
}

}  // namespace
}  // namespace spreadsheet
