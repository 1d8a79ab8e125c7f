// WriterPackageLayout: which parts a saved file has, and the package parts that only list
// them: content types, relationships and document properties.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

// Part names: xl/worksheets/sheetN.xml, xl/tables/tableN.xml (numbered across the workbook, a
// sheet's tables consecutive), xl/externalLinks/externalLinkN.xml, all from 1. The workbook's
// relationships are rId1 to rIdN for the sheets, then styles, shared strings and the external
// links, in that order. The shared string table is always written (it may be empty).
// "stem", number, "suffix": "/xl/worksheets/sheet" 3 ".xml" is "/xl/worksheets/sheet3.xml".
std::string NumberedPartName(std::string_view stem, std::int32_t number, std::string_view suffix);

struct WriterPackageLayout {
  std::int32_t sheets = 0;
  std::vector<std::int32_t> tablesPerSheet;  // One entry per sheet.
  std::int32_t externalLinks = 0;
  bool macroEnabled = false;  // The .xlsm main content type.

  std::int32_t Tables() const;
  std::int32_t FirstTableOf(std::int32_t sheet) const;  // Sheet from 1; table number from 1.
  std::int32_t StylesRelationship() const { return sheets + 1; }
  std::int32_t SharedStringsRelationship() const { return sheets + 2; }
  std::int32_t ExternalLinkRelationship(std::int32_t link) const { return sheets + 2 + link; }

  void RenderContentTypes(std::string& out) const;
  void RenderWorkbookRelationships(std::string& out) const;
  void RenderSheetRelationships(std::int32_t sheet, std::string& out) const;
  static void RenderRootRelationships(std::string& out);
  static void RenderAppProperties(std::string& out);
  static void RenderCoreProperties(std::time_t created, std::string& out);
};

}  // namespace spreadsheet
