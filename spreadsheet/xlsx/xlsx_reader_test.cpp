// What the reader makes of each feature of a workbook, on small packages built part by part.
#include "spreadsheet/xlsx/xlsx_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "tests/support/xlsx_package_builder.h"

namespace spreadsheet {
namespace {

using test_support::CXlsxPackageBuilder;

class XlsxReader : public testing::Test {
 protected:
  // Writes the package and reads it back; fails the test when the reader refuses it.
  std::unique_ptr<CWorkbook> Read(const CXlsxPackageBuilder& package,
                                  const std::string& name = "book.xlsx") {
    const auto path = folder_ / name;
    package.Write(path);
    XlsxReadResult result = ReadXlsxFile(path);
    EXPECT_TRUE(result.Ok()) << WideToUtf8(result.error);
    return std::move(result.workbook);
  }
  static std::string Rows(const std::string& rows) { return "<sheetData>" + rows + "</sheetData>"; }

  test_support::CTemporaryFolder folder_;
};

TEST_F(XlsxReader, ReadsSheetsInOrderWithTheirVisibility) {
  auto book = Read(CXlsxPackageBuilder()
                       .Sheet("First", Rows(""))
                       .Sheet("Hidden one", Rows(""), "hidden")
                       .Sheet("Secret", Rows(""), "veryHidden")
                       .WorkbookHead("<workbookPr date1904=\"1\"/>"
                                     "<bookViews><workbookView activeTab=\"2\"/></bookViews>"));
  ASSERT_NE(nullptr, book);
  ASSERT_EQ(3, book->SheetCount());
  EXPECT_EQ(L"Hidden one", book->Sheet(2).Name());
  EXPECT_EQ(Visibility::Visible, book->Sheet(1).Visible());
  EXPECT_EQ(Visibility::Hidden, book->Sheet(2).Visible());
  EXPECT_EQ(Visibility::VeryHidden, book->Sheet(3).Visible());
  EXPECT_EQ(3, book->ActiveSheet());
  EXPECT_TRUE(book->Date1904());
  EXPECT_EQ(kFileFormatXlsx, book->FileFormat());
  EXPECT_EQ(L"book.xlsx", book->Name());
  EXPECT_FALSE(book->Sheet(1).UsedRange().has_value());
}

TEST_F(XlsxReader, TellsMacroEnabledWorkbooksByTheirContentType) {
  auto book = Read(CXlsxPackageBuilder().Sheet("S", Rows("")).MacroEnabled(), "book.xlsm");
  ASSERT_NE(nullptr, book);
  EXPECT_EQ(kFileFormatXlsm, book->FileFormat());
}

TEST_F(XlsxReader, ReadsEveryKindOfValue) {
  auto book = Read(
      CXlsxPackageBuilder()
          .SharedStringsXml(
              "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<si><t>plain</t></si>"
              "<si><r><rPr><b/></rPr><t>rich </t></r><r><t>text</t></r></si>"
              "<si><t>\xE6\xBC\xA2</t><rPh sb=\"0\" eb=\"1\"><t>kan</t></rPh></si>"
              "<si><t>line_x000A_break</t></si></sst>")
          .Sheet("S", Rows("<row r=\"1\"><c r=\"A1\"><v>1.25</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                           "<c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"e\"><v>#N/A</v></c>"
                           "<c r=\"E1\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r>"
                           "</is></c><c r=\"F1\" t=\"s\"><v>2</v></c><c r=\"G1\" t=\"s\"><v>3</v>"
                           "</c><c r=\"H1\" t=\"d\"><v>2024-03-01T12:00:00</v></c></row>"
                           "<row><c><v>7</v></c><c t=\"s\"><v>0</v></c></row>")));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  EXPECT_EQ(CellValue::Number(1.25), sheet.Value({1, 1}));
  EXPECT_EQ(CellValue::Text(L"rich text"), sheet.Value({1, 2}));
  EXPECT_EQ(CellValue::Boolean(true), sheet.Value({1, 3}));
  EXPECT_EQ(CellValue::Error(ErrorCode::NA), sheet.Value({1, 4}));
  EXPECT_EQ(CellValue::Text(L"inline"), sheet.Value({1, 5}));
  EXPECT_EQ(CellValue::Text(L"\u6F22"), sheet.Value({1, 6}));  // Without the phonetic run.
  EXPECT_EQ(CellValue::Text(L"line\nbreak"), sheet.Value({1, 7}));
  EXPECT_EQ(CellValue::Number(45352.5), sheet.Value({1, 8}));
  // Rows and cells without "r" follow the previous ones.
  EXPECT_EQ(CellValue::Number(7), sheet.Value({2, 1}));
  EXPECT_EQ(CellValue::Text(L"plain"), sheet.Value({2, 2}));
  EXPECT_EQ((CellRect{{1, 1}, {2, 8}}), sheet.UsedRange());
}

TEST_F(XlsxReader, ReadsFormulasWithTheirCachedValues) {
  auto book = Read(CXlsxPackageBuilder().Sheet(
      "S", Rows("<row r=\"1\"><c r=\"A1\"><v>2</v></c><c r=\"B1\"><f>A1*2</f><v>4</v></c>"
                "<c r=\"C1\" t=\"str\"><f>_xlfn.CONCAT(\"a\",A1)</f><v>a2</v></c>"
                "<c r=\"D1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                "<c r=\"E1\" t=\"b\"><f>A1&gt;1</f><v>1</v></c>"
                "<c r=\"F1\" t=\"str\"><f>\"\"</f><v/></c><c r=\"G1\"><f>A1</f></c></row>")));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  EXPECT_EQ(L"=A1*2", sheet.Formula({1, 2}));
  EXPECT_EQ(CellValue::Number(4), sheet.Value({1, 2}));
  EXPECT_EQ(L"=CONCAT(\"a\",A1)", sheet.Formula({1, 3}));
  EXPECT_EQ(CellValue::Text(L"a2"), sheet.Value({1, 3}));
  EXPECT_EQ(CellValue::Error(ErrorCode::Div0), sheet.Value({1, 4}));
  EXPECT_EQ(L"=A1>1", sheet.Formula({1, 5}));
  EXPECT_EQ(CellValue::Boolean(true), sheet.Value({1, 5}));
  EXPECT_EQ(CellValue::Text(L""), sheet.Value({1, 6}));
  EXPECT_EQ(L"=A1", sheet.Formula({1, 7}));
  EXPECT_TRUE(sheet.Value({1, 7}).IsEmpty());
  EXPECT_FALSE(sheet.HasFormula({1, 1}));
}

TEST_F(XlsxReader, KeepsOneRecordPerSharedFormulaGroup) {
  auto book = Read(CXlsxPackageBuilder().Sheet(
      "S", Rows("<row r=\"1\"><c r=\"B1\"><f t=\"shared\" ref=\"B1:C3\" si=\"0\">A1+$A$1</f>"
                "<v>1</v></c><c r=\"C1\"><f t=\"shared\" si=\"0\"/><v>2</v></c></row>"
                "<row r=\"2\"><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>3</v></c>"
                "<c r=\"D2\"><f t=\"shared\" si=\"1\"/><v>9</v></c></row>"
                "<row r=\"3\"><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>4</v></c>"
                "<c r=\"D3\"><f t=\"shared\" ref=\"D2:D3\" si=\"1\">_xlfn.IFNA(A3,0)</f><v>5</v></c>"
                "</row>")));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  EXPECT_EQ(L"=A1+$A$1", sheet.Formula({1, 2}));
  EXPECT_EQ(L"=B1+$A$1", sheet.Formula({1, 3}));
  EXPECT_EQ(L"=A2+$A$1", sheet.Formula({2, 2}));
  EXPECT_EQ(L"=B3+$A$1", sheet.Formula({3, 3}));
  EXPECT_EQ(CellValue::Number(4), sheet.Value({3, 3}));
  // A member met before its master (not as Excel writes, but readable) joins it at the end.
  EXPECT_EQ(L"=IFNA(A2,0)", sheet.Formula({2, 4}));
  EXPECT_EQ(CellValue::Number(9), sheet.Value({2, 4}));
  ASSERT_EQ(2u, sheet.FormulaRecords().size());
  const FormulaRecord& group = sheet.FormulaRecords()[0];
  EXPECT_EQ(FormulaRecord::Kind::Shared, group.kind);
  EXPECT_EQ((CellRect{{1, 2}, {3, 3}}), group.range);
  EXPECT_EQ((CellCoord{1, 2}), group.origin);
  EXPECT_EQ(sheet.FormulaOf({2, 2}), &group);
}

TEST_F(XlsxReader, AttachesEveryMemberOfAnArrayFormula) {
  auto book = Read(CXlsxPackageBuilder().Sheet(
      "S", Rows("<row r=\"1\"><c r=\"A1\"><f t=\"array\" ref=\"A1:B2\">ROW(A1:B2)*2</f><v>2</v></c>"
                "<c r=\"B1\"><v>2</v></c></row><row r=\"2\"><c r=\"A2\"><f ca=\"1\"/><v>4</v></c>"
                "</row><row r=\"5\"><c r=\"C5\"><f t=\"dataTable\" ref=\"C5:C6\" dt2D=\"0\" "
                "dtr=\"0\" r1=\"A9\"/><v>1</v></c><c r=\"C6\"><v>2</v></c></row>")));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  for (const CellCoord at : {CellCoord{1, 1}, CellCoord{1, 2}, CellCoord{2, 1}, CellCoord{2, 2}}) {
    EXPECT_EQ(L"=ROW(A1:B2)*2", sheet.Formula(at)) << at.row << "," << at.column;
    ASSERT_NE(nullptr, sheet.FormulaOf(at));
    EXPECT_EQ(FormulaRecord::Kind::Array, sheet.FormulaOf(at)->kind);
  }
  EXPECT_EQ(CellValue::Number(4), sheet.Value({2, 1}));
  EXPECT_TRUE(sheet.Value({2, 2}).IsEmpty());  // Left out by the file: no cached value.
  EXPECT_EQ(L"=TABLE(,A9)", sheet.Formula({6, 3}));
  EXPECT_EQ(CellValue::Number(2), sheet.Value({6, 3}));
}

TEST_F(XlsxReader, ReadsNamesOfBothScopes) {
  auto book = Read(CXlsxPackageBuilder()
                       .Sheet("One", Rows(""))
                       .Sheet("Two", Rows(""))
                       .WorkbookTail("<definedNames>"
                                     "<definedName name=\"Rate\">One!$A$1</definedName>"
                                     "<definedName name=\"Local\" localSheetId=\"1\" hidden=\"1\">"
                                     "Two!$B$2:$B$9</definedName>"
                                     "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">"
                                     "One!$A$1:$C$3</definedName>"
                                     "<definedName name=\"Pick\">_xlfn.XLOOKUP(1,One!A:A,One!B:B)"
                                     "</definedName>"
                                     "<definedName name=\"_xlfn.IFS\" hidden=\"1\">#NAME?</definedName>"
                                     "<definedName name=\"Lost\" localSheetId=\"7\">1</definedName>"
                                     "</definedNames>"));
  ASSERT_NE(nullptr, book);
  ASSERT_EQ(4u, book->Names().size());
  const DefinedName* rate = book->FindName(L"Rate", 0);
  ASSERT_NE(nullptr, rate);
  EXPECT_EQ(L"=One!$A$1", rate->refersTo);
  EXPECT_FALSE(rate->hidden);
  const DefinedName* local = book->FindName(L"Local", 2);
  ASSERT_NE(nullptr, local);
  EXPECT_TRUE(local->hidden);
  EXPECT_EQ(L"=Two!$B$2:$B$9", local->refersTo);
  ASSERT_NE(nullptr, book->FindName(L"Print_Area", 1));
  EXPECT_EQ(L"=XLOOKUP(1,One!A:A,One!B:B)", book->FindName(L"Pick", 0)->refersTo);
}

TEST_F(XlsxReader, ShowsExternalReferencesByFileName) {
  auto book = Read(
      CXlsxPackageBuilder()
          .Sheet("S", Rows("<row r=\"1\"><c r=\"A1\"><f>[1]Data!$A$1+'[2]My Sheet'!B2</f><v>1</v>"
                           "</c></row>"))
          .WorkbookTail("<externalReferences><externalReference r:id=\"rIdX1\"/>"
                        "<externalReference r:id=\"rIdX2\"/></externalReferences>"
                        "<definedNames><definedName name=\"Far\">[2]Other!$C$3</definedName>"
                        "</definedNames>")
          .WorkbookRelationship("rIdX1", "externalLink", "externalLinks/externalLink1.xml")
          .WorkbookRelationship("rIdX2", "externalLink", "externalLinks/externalLink2.xml")
          .Part("xl/externalLinks/externalLink1.xml",
                "<externalLink xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<externalBook r:id=\"rId1\"><sheetNames><sheetName val=\"Data\"/></sheetNames>"
                "</externalBook></externalLink>")
          .Part("xl/externalLinks/_rels/externalLink1.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                "2006/relationships/externalLinkPath\" Target=\"file:///C:\\Data\\Prices.xlsx\" "
                "TargetMode=\"External\"/></Relationships>")
          .Part("xl/externalLinks/externalLink2.xml",
                "<externalLink xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<externalBook r:id=\"rId1\"/></externalLink>")
          .Part("xl/externalLinks/_rels/externalLink2.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                "2006/relationships/externalLinkPath\" Target=\"../Other%20Book.xlsx\" "
                "TargetMode=\"External\"/></Relationships>"));
  ASSERT_NE(nullptr, book);
  EXPECT_EQ((std::vector<std::wstring>{L"Prices.xlsx", L"Other Book.xlsx"}), book->ExternalLinks());
  EXPECT_EQ(L"=[Prices.xlsx]Data!$A$1+'[Other Book.xlsx]My Sheet'!B2", book->Sheet(1).Formula({1, 1}));
  EXPECT_EQ(L"='[Other Book.xlsx]Other'!$C$3", book->FindName(L"Far", 0)->refersTo);
}

TEST_F(XlsxReader, ReadsTablesOfASheet) {
  auto book = Read(
      CXlsxPackageBuilder()
          .Sheet("S", Rows("") + "<tableParts count=\"1\"><tablePart r:id=\"rIdT\"/></tableParts>")
          .Part("xl/worksheets/_rels/sheet1.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rIdT\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                "2006/relationships/table\" Target=\"../tables/table1.xml\"/></Relationships>")
          .Part("xl/tables/table1.xml",
                "<table xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" id=\"1\" "
                "name=\"Table1\" displayName=\"Sales\" ref=\"B2:C10\" headerRowCount=\"0\" "
                "totalsRowShown=\"0\"><tableColumns count=\"2\"><tableColumn id=\"1\" name=\"Item\"/>"
                "<tableColumn id=\"2\" name=\"Net_x000a_Amount\"/></tableColumns>"
                "<tableStyleInfo name=\"TableStyleMedium9\"/></table>"));
  ASSERT_NE(nullptr, book);
  ASSERT_EQ(1u, book->Sheet(1).Tables().size());
  const Table& table = book->Sheet(1).Tables()[0];
  EXPECT_EQ(L"Sales", table.name);
  EXPECT_EQ((CellRect{{2, 2}, {10, 3}}), table.range);
  EXPECT_FALSE(table.hasHeaderRow);
  EXPECT_FALSE(table.hasTotalsRow);
  EXPECT_EQ((std::vector<std::wstring>{L"Item", L"Net\nAmount"}), table.columns);
  EXPECT_EQ(L"TableStyleMedium9", table.styleName);
}

TEST_F(XlsxReader, ReadsSheetLayoutAndProtection) {
  auto book = Read(CXlsxPackageBuilder().Sheet(
      "S",
      "<sheetViews><sheetView showGridLines=\"0\" workbookViewId=\"0\"/></sheetViews>"
      "<cols><col min=\"1\" max=\"1\" width=\"25.140625\" customWidth=\"1\"/>"
      "<col min=\"3\" max=\"5\" width=\"9.140625\" hidden=\"1\"/></cols>" +
          Rows("<row r=\"2\" ht=\"30\" customHeight=\"1\"><c r=\"A2\"><v>1</v></c></row>"
               "<row r=\"3\" ht=\"20\"/><row r=\"4\" hidden=\"1\"/>") +
          "<sheetProtection sheet=\"1\" objects=\"1\"/>"
          "<mergeCells count=\"3\"><mergeCell ref=\"A5:B6\"/><mergeCell ref=\"B6:C7\"/>"
          "<mergeCell ref=\"D1:D1\"/></mergeCells>"));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  EXPECT_FALSE(sheet.DisplayGridlines());
  EXPECT_TRUE(sheet.IsProtected());
  EXPECT_DOUBLE_EQ(24.43, sheet.ColumnWidth(1));
  EXPECT_DOUBLE_EQ(CWorksheet::kDefaultColumnWidth, sheet.ColumnWidth(2));
  EXPECT_DOUBLE_EQ(0.0, sheet.ColumnWidth(4));
  EXPECT_DOUBLE_EQ(30.0, sheet.RowHeight(2));
  EXPECT_DOUBLE_EQ(CWorksheet::kDefaultRowHeight, sheet.RowHeight(3));  // Not a custom height.
  EXPECT_DOUBLE_EQ(0.0, sheet.RowHeight(4));
  // The overlapping second range is dropped, as Excel drops it; a one-cell merge means nothing.
  EXPECT_EQ((std::vector<CellRect>{{{5, 1}, {6, 2}}}), sheet.Merges());
}

constexpr const char* kStyles =
    "<numFmts count=\"1\"><numFmt numFmtId=\"170\" formatCode=\"0.000%\"/></numFmts>"
    "<fonts count=\"3\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/></font>"
    "<font><b/><i/><strike/><u val=\"double\"/><sz val=\"14\"/><color rgb=\"FFFF0000\"/>"
    "<name val=\"Arial\"/></font>"
    "<font><b val=\"0\"/><u/><sz val=\"9\"/><color theme=\"4\" tint=\"0.79998168889431442\"/>"
    "<name val=\"Aptos\"/></font></fonts>"
    "<fills count=\"4\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill>"
    "<fill><patternFill patternType=\"solid\"><fgColor indexed=\"10\"/><bgColor indexed=\"64\"/>"
    "</patternFill></fill><fill><patternFill patternType=\"solid\"><fgColor auto=\"1\"/>"
    "</patternFill></fill></fills>"
    "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
    "<border><left style=\"thin\"><color indexed=\"64\"/></left><right style=\"double\">"
    "<color rgb=\"FF0000FF\"/></right><top style=\"hair\"/><bottom style=\"mediumDashDot\">"
    "<color theme=\"0\" tint=\"-0.499984740745262\"/></bottom><diagonal/></border></borders>"
    "<cellStyleXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"170\" fontId=\"1\" fillId=\"2\" borderId=\"1\" xfId=\"1\" applyFont=\"1\">"
    "<protection locked=\"0\"/></xf>"
    "<xf numFmtId=\"14\" fontId=\"2\" fillId=\"3\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"99\" fillId=\"99\" borderId=\"99\" xfId=\"99\"/></cellXfs>"
    "<cellStyles count=\"2\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
    "<cellStyle name=\"Loud\" xfId=\"1\"/></cellStyles>";

TEST_F(XlsxReader, ResolvesFontsFillsBordersAndStyles) {
  auto book = Read(CXlsxPackageBuilder().Styles(kStyles).Sheet(
      "S", Rows("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\" s=\"2\"/>"
                "<c r=\"C1\" s=\"3\"><v>3</v></c><c r=\"D1\" s=\"777\"><v>4</v></c></row>")));
  ASSERT_NE(nullptr, book);
  const CWorksheet& sheet = book->Sheet(1);
  const CFormatTable& formats = book->Formats();
  const CellFormat& loud = formats.FormatAt(sheet.FormatOf({1, 1}));
  EXPECT_EQ(170u, loud.numberFormat);
  EXPECT_EQ(L"0.000%", formats.NumberFormatCode(170));
  EXPECT_FALSE(loud.locked);
  EXPECT_EQ(L"Loud", formats.NamedStyles().at(loud.namedStyle).name);
  const Font& arial = formats.FontAt(loud.font);
  EXPECT_EQ(L"Arial", arial.name);
  EXPECT_DOUBLE_EQ(14.0, arial.size);
  EXPECT_TRUE(arial.bold && arial.italic && arial.strikethrough);
  EXPECT_EQ(Underline::Double, arial.underline);
  EXPECT_EQ(Color::Rgb(0xFF0000), arial.color);
  EXPECT_EQ((Fill{L"solid", Color::Rgb(0xFF0000)}), formats.FillAt(loud.fill));  // indexed 10
  const Border& border = formats.BorderAt(loud.border);
  EXPECT_EQ((BorderEdge{LineStyle::Continuous, BorderWeight::Thin, Color::Automatic()}), border.left);
  EXPECT_EQ((BorderEdge{LineStyle::Double, BorderWeight::Thick, Color::Rgb(0x0000FF)}), border.right);
  EXPECT_EQ(LineStyle::Continuous, border.top.style);
  EXPECT_EQ(BorderWeight::Hairline, border.top.weight);
  EXPECT_EQ((BorderEdge{LineStyle::DashDot, BorderWeight::Medium, Color::Rgb(0x808080)}),
            border.bottom);

  // A styled empty cell is stored for its format; a theme colour is resolved with its tint.
  const CellFormat& dated = formats.FormatAt(sheet.FormatOf({1, 2}));
  EXPECT_EQ(14u, dated.numberFormat);
  const Font& aptos = formats.FontAt(dated.font);
  EXPECT_FALSE(aptos.bold);
  EXPECT_EQ(Underline::Single, aptos.underline);
  EXPECT_EQ(Color::Rgb(0xD9E1F2), aptos.color);
  EXPECT_EQ(Color::Automatic(), formats.FillAt(dated.fill).color);
  EXPECT_EQ(Color::Rgb(0x000000), formats.FontAt(formats.FormatAt(0).font).color);  // theme 1: dk1
  // Indexes past their tables fall back to the defaults; so does a style index past cellXfs.
  EXPECT_EQ(CellFormat{}, formats.FormatAt(sheet.FormatOf({1, 3})));
  EXPECT_EQ(0u, sheet.FormatOf({1, 4}));
  EXPECT_EQ(CellValue::Number(4), sheet.Value({1, 4}));
  EXPECT_EQ(L"Normal", formats.NamedStyles().at(0).name);
  EXPECT_EQ(0, formats.NamedStyles().at(0).builtinId);
}

TEST_F(XlsxReader, UsesTheFilesOwnThemeAndPalette) {
  const std::string theme =
      "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
      "<a:clrScheme name=\"X\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"111111\"/></a:dk1>"
      "<a:lt1><a:srgbClr val=\"FEFEFE\"/></a:lt1><a:dk2><a:srgbClr val=\"222222\"/></a:dk2>"
      "<a:lt2><a:srgbClr val=\"EEEEEE\"/></a:lt2><a:accent1><a:srgbClr val=\"4F81BD\"/></a:accent1>"
      "</a:clrScheme><a:fontScheme name=\"X\"/></a:themeElements></a:theme>";
  auto book = Read(CXlsxPackageBuilder()
                       .Theme(theme)
                       .Styles("<fonts><font><color theme=\"1\"/></font><font><color theme=\"3\"/>"
                               "</font><font><color theme=\"4\" tint=\"0.8\"/></font>"
                               "<font><color indexed=\"2\"/></font></fonts>"
                               "<cellXfs><xf fontId=\"0\"/><xf fontId=\"1\"/><xf fontId=\"2\"/>"
                               "<xf fontId=\"3\"/></cellXfs><colors><indexedColors>"
                               "<rgbColor rgb=\"FF010101\"/><rgbColor rgb=\"FF020202\"/>"
                               "<rgbColor rgb=\"FF030303\"/></indexedColors></colors>")
                       .Sheet("S", Rows("<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"B1\" s=\"2\"/>"
                                        "<c r=\"C1\" s=\"3\"/></row>")));
  ASSERT_NE(nullptr, book);
  const CFormatTable& formats = book->Formats();
  const auto colorOf = [&](std::int32_t column) {
    return formats.FontAt(formats.FormatAt(book->Sheet(1).FormatOf({1, column})).font).color;
  };
  EXPECT_EQ(Color::Rgb(0x111111), formats.FontAt(formats.FormatAt(0).font).color);
  EXPECT_EQ(Color::Rgb(0x222222), colorOf(1));
  EXPECT_EQ(Color::Rgb(0xDCE6F1), colorOf(2));
  EXPECT_EQ(Color::Rgb(0x030303), colorOf(3));
}

}  // namespace
}  // namespace spreadsheet
