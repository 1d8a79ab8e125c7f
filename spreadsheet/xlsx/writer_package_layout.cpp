// Content types, relationships and document properties.
#include "spreadsheet/xlsx/writer_package_layout.h"

#include <array>

#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {
namespace {

constexpr std::string_view kRelationshipTypes =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kSpreadsheetTypes =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.";

void Override(CXmlWriter& xml, const std::string& part, std::string_view type) {
  xml.Start("Override");
  xml.AttributeAscii("PartName", part);
  xml.Raw(" ContentType=\"");
  xml.Raw(type);
  xml.Raw("\"/>");
}

void Relationship(CXmlWriter& xml, std::int32_t id, std::string_view type,
                  const std::string& target) {
  xml.Raw("<Relationship Id=\"rId");
  xml.Integer(id);
  xml.Raw("\" Type=\"");
  xml.Raw(kRelationshipTypes);
  xml.Raw(type);
  xml.Raw("\"");
  xml.AttributeAscii("Target", target);
  xml.Raw("/>");
}

void StartRelationships(CXmlWriter& xml) {
  xml.Declaration();
  xml.Raw("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
}

}  // namespace

std::string NumberedPartName(std::string_view stem, std::int32_t number, std::string_view suffix) {
  return std::string(stem) + std::to_string(number) + std::string(suffix);
}

std::int32_t WriterPackageLayout::Tables() const {
  std::int32_t total = 0;
  for (const std::int32_t count : tablesPerSheet) total += count;
  return total;
}

std::int32_t WriterPackageLayout::FirstTableOf(std::int32_t sheet) const {
  std::int32_t first = 1;
  for (std::int32_t i = 1; i < sheet; ++i) first += tablesPerSheet[static_cast<std::size_t>(i - 1)];
  return first;
}

void WriterPackageLayout::RenderContentTypes(std::string& out) const {
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>");
  Override(xml, "/xl/workbook.xml",
           macroEnabled
               ? "application/vnd.ms-excel.sheet.macroEnabled.main+xml"
               : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  const auto spreadsheet = [](std::string_view kind) {
    return std::string(kSpreadsheetTypes) + std::string(kind);
  };
  for (std::int32_t i = 1; i <= sheets; ++i) {
    Override(xml, NumberedPartName("/xl/worksheets/sheet", i, ".xml"),
             spreadsheet("worksheet+xml"));
  }
  for (std::int32_t i = 1; i <= Tables(); ++i) {
    Override(xml, NumberedPartName("/xl/tables/table", i, ".xml"), spreadsheet("table+xml"));
  }
  for (std::int32_t i = 1; i <= externalLinks; ++i) {
    Override(xml, NumberedPartName("/xl/externalLinks/externalLink", i, ".xml"),
             spreadsheet("externalLink+xml"));
  }
  Override(xml, "/xl/styles.xml", spreadsheet("styles+xml"));
  Override(xml, "/xl/sharedStrings.xml", spreadsheet("sharedStrings+xml"));
  Override(xml, "/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
  Override(xml, "/docProps/app.xml",
           "application/vnd.openxmlformats-officedocument.extended-properties+xml");
  xml.Raw("</Types>");
}

void WriterPackageLayout::RenderWorkbookRelationships(std::string& out) const {
  CXmlWriter xml(out);
  StartRelationships(xml);
  for (std::int32_t i = 1; i <= sheets; ++i) {
    Relationship(xml, i, "worksheet", NumberedPartName("worksheets/sheet", i, ".xml"));
  }
  Relationship(xml, StylesRelationship(), "styles", "styles.xml");
  Relationship(xml, SharedStringsRelationship(), "sharedStrings", "sharedStrings.xml");
  for (std::int32_t i = 1; i <= externalLinks; ++i) {
    Relationship(xml, ExternalLinkRelationship(i), "externalLink",
                 NumberedPartName("externalLinks/externalLink", i, ".xml"));
  }
  xml.Raw("</Relationships>");
}

void WriterPackageLayout::RenderSheetRelationships(std::int32_t sheet, std::string& out) const {
  CXmlWriter xml(out);
  StartRelationships(xml);
  const std::int32_t first = FirstTableOf(sheet);
  const std::int32_t count = tablesPerSheet[static_cast<std::size_t>(sheet - 1)];
  for (std::int32_t i = 0; i < count; ++i) {
    Relationship(xml, i + 1, "table", NumberedPartName("../tables/table", first + i, ".xml"));
  }
  xml.Raw("</Relationships>");
}

void WriterPackageLayout::RenderRootRelationships(std::string& out) {
  CXmlWriter xml(out);
  StartRelationships(xml);
  Relationship(xml, 1, "officeDocument", "xl/workbook.xml");
  xml.Raw(
      "<Relationship Id=\"rId2\" "
      "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
      "core-properties\" Target=\"docProps/core.xml\"/>");
  Relationship(xml, 3, "extended-properties", "docProps/app.xml");
  xml.Raw("</Relationships>");
}

void WriterPackageLayout::RenderAppProperties(std::string& out) {
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "extended-properties\"><Application>Trelvane</Application></Properties>");
}

void WriterPackageLayout::RenderCoreProperties(std::time_t created, std::string& out) {
  std::tm utc{};
  gmtime_r(&created, &utc);
  std::array<char, 32> stamp{};
  std::strftime(stamp.data(), stamp.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<cp:coreProperties "
      "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
      "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
      "<dcterms:created xsi:type=\"dcterms:W3CDTF\">");
  xml.Raw(stamp.data());
  xml.Raw("</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">");
  xml.Raw(stamp.data());
  xml.Raw("</dcterms:modified></cp:coreProperties>");
}

}  // namespace spreadsheet
