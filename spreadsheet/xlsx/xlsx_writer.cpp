// Saving a workbook as a .xlsx package: checks, then the parts in Excel's order.
#include "spreadsheet/xlsx/xlsx_writer.h"

#include <ctime>
#include <memory>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/sheet_writer.h"
#include "spreadsheet/xlsx/styles_writer.h"
#include "spreadsheet/xlsx/writer_external_links.h"
#include "spreadsheet/xlsx/writer_formula_encoder.h"
#include "spreadsheet/xlsx/writer_package_layout.h"
#include "spreadsheet/xlsx/writer_shared_strings.h"
#include "spreadsheet/xlsx/writer_table_part.h"
#include "spreadsheet/xlsx/xml_writer.h"
#include "spreadsheet/xlsx/zip_writer.h"

namespace spreadsheet {
namespace {

// Excel refuses longer sheet names and these characters in them.
constexpr std::size_t kMaxSheetName = 31;
constexpr std::wstring_view kSheetNameForbidden = L"[]:*?/\\";

std::wstring PathText(const std::filesystem::path& path) {
  return Utf8ToWide(path.string());
}

std::wstring Quoted(std::wstring_view text) {
  return L"\"" + std::wstring(text) + L"\"";
}

bool EndsWithIgnoringCase(const std::filesystem::path& path, std::wstring_view suffix) {
  const std::wstring extension = PathText(path.extension());
  return SameIdentifier(extension, suffix);
}

}  // namespace

std::wstring CXlsxWriter::CheckWorkbook() const {
  const CWorkbook& book = workbook_;
  if (book.SheetCount() < 1) return L"a workbook needs at least one sheet";
  for (std::int32_t i = 1; i <= book.SheetCount(); ++i) {
    const std::wstring& name = book.Sheet(i).Name();
    if (name.empty() || name.size() > kMaxSheetName ||
        name.find_first_of(kSheetNameForbidden) != std::wstring::npos || name.front() == L'\'' ||
        name.back() == L'\'') {
      return L"the sheet name " + Quoted(name) + L" cannot be saved in a .xlsx file";
    }
    for (std::int32_t j = 1; j < i; ++j) {
      if (SameIdentifier(book.Sheet(j).Name(), name)) {
        return L"two sheets are named " + Quoted(name);
      }
    }
  }
  for (const DefinedName& name : book.Names()) {
    if (name.name.empty()) return L"a defined name has no name";
    if (name.scope < 0 || name.scope > book.SheetCount()) {
      return L"the name " + Quoted(name.name) + L" belongs to sheet " +
             std::to_wstring(name.scope) + L", which does not exist";
    }
  }
  std::vector<const Table*> tables;
  for (std::int32_t i = 1; i <= book.SheetCount(); ++i) {
    for (const Table& table : book.Sheet(i).Tables()) {
      if (table.name.empty()) {
        return L"a table on " + Quoted(book.Sheet(i).Name()) + L" has no name";
      }
      if (!IsOnSheet(table.range)) {
        return L"the table " + Quoted(table.name) + L" lies off its sheet";
      }
      for (const Table* other : tables) {
        if (SameIdentifier(other->name, table.name)) {
          return L"two tables are named " + Quoted(table.name);
        }
      }
      tables.push_back(&table);
    }
  }
  return CStylesWriter(book.Formats()).Check();
}

std::wstring CXlsxWriter::CheckTarget(const std::filesystem::path& path) const {
  if (path.empty() || !path.has_filename()) return L"no file name is given";
  const std::filesystem::path input(WideToUtf8(workbook_.FullName()));
  std::error_code error;
  if (!input.empty() && std::filesystem::equivalent(path, input, error) && !error) {
    return L"it is the file the workbook was read from, which is never written over";
  }
  return {};
}

std::int32_t CXlsxWriter::ShownSheet() const {
  const std::int32_t count = workbook_.SheetCount();
  const std::int32_t active = workbook_.ActiveSheet();
  if (active >= 1 && active <= count && workbook_.Sheet(active).Visible() == Visibility::Visible) {
    return active;
  }
  for (std::int32_t i = 1; i <= count; ++i) {
    if (workbook_.Sheet(i).Visible() == Visibility::Visible) return i;
  }
  return active >= 1 && active <= count ? active : 1;
}

XlsxWriteResult CXlsxWriter::Write(const std::filesystem::path& path) {
  const auto failure = [&path](const std::wstring& why) {
    return XlsxWriteResult{false, L"Cannot write " + Quoted(PathText(path)) + L": " + why};
  };
  if (std::wstring why = CheckTarget(path); !why.empty()) return failure(why);
  if (std::wstring why = CheckWorkbook(); !why.empty()) return failure(why);

  const CWorkbook& book = workbook_;
  const std::int32_t sheetCount = book.SheetCount();
  CWriterExternalLinks links(book.ExternalLinks());
  CWriterFormulaEncoder encoder(links);
  // Books named only by formulas are found before the parts listing them are written. Only
  // texts with a bracket can name one.
  std::wstring scratch;
  for (std::int32_t i = 1; i <= sheetCount; ++i) {
    for (const FormulaRecord& record : book.Sheet(i).FormulaRecords()) {
      if (record.text.find(L'[') != std::wstring::npos) encoder.Encode(record.text, scratch);
    }
  }
  for (const DefinedName& name : book.Names()) {
    if (name.refersTo.find(L'[') != std::wstring::npos) encoder.Encode(name.refersTo, scratch);
  }

  CWriterSharedStrings strings(book);
  const CStylesWriter styles(book.Formats());
  WriterPackageLayout layout;
  layout.sheets = sheetCount;
  for (std::int32_t i = 1; i <= sheetCount; ++i) {
    layout.tablesPerSheet.push_back(static_cast<std::int32_t>(book.Sheet(i).Tables().size()));
  }
  layout.externalLinks = links.Count();
  layout.macroEnabled = EndsWithIgnoringCase(path, L".xlsm");
  const std::int32_t shown = ShownSheet();
  const std::time_t now = std::time(nullptr);

  CZipWriter zip(path);
  if (std::wstring why = zip.Open(); !why.empty()) return {false, why};
  std::vector<std::pair<std::string, PartRenderer>> parts;
  parts.emplace_back("[Content_Types].xml",
                     [&layout](std::string& out) { layout.RenderContentTypes(out); });
  parts.emplace_back("_rels/.rels", &WriterPackageLayout::RenderRootRelationships);
  parts.emplace_back("docProps/app.xml", &WriterPackageLayout::RenderAppProperties);
  parts.emplace_back("docProps/core.xml", [now](std::string& out) {
    WriterPackageLayout::RenderCoreProperties(now, out);
  });
  parts.emplace_back("xl/workbook.xml",
                     [&](std::string& out) { RenderWorkbookPart(layout, encoder, shown, out); });
  parts.emplace_back("xl/_rels/workbook.xml.rels",
                     [&layout](std::string& out) { layout.RenderWorkbookRelationships(out); });
  for (std::int32_t i = 1; i <= sheetCount; ++i) {
    const CWorksheet& sheet = book.Sheet(i);
    parts.emplace_back(NumberedPartName("xl/worksheets/sheet", i, ".xml"),
                       [&sheet, i, &strings, &encoder, selected = i == shown](std::string& out) {
                         CSheetWriter(sheet, i, strings, encoder, selected).Render(out);
                       });
    if (sheet.Tables().empty()) continue;
    parts.emplace_back(NumberedPartName("xl/worksheets/_rels/sheet", i, ".xml.rels"),
                       [&layout, i](std::string& out) { layout.RenderSheetRelationships(i, out); });
    std::int32_t number = layout.FirstTableOf(i);
    for (const Table& table : sheet.Tables()) {
      parts.emplace_back(
          NumberedPartName("xl/tables/table", number, ".xml"),
          [&table, number](std::string& out) { RenderTablePart(table, number, out); });
      ++number;
    }
  }
  for (std::int32_t i = 1; i <= links.Count(); ++i) {
    parts.emplace_back(NumberedPartName("xl/externalLinks/externalLink", i, ".xml"),
                       [&links, i](std::string& out) { links.RenderPart(i, out); });
    parts.emplace_back(NumberedPartName("xl/externalLinks/_rels/externalLink", i, ".xml.rels"),
                       [&links, i](std::string& out) { links.RenderRelationships(i, out); });
  }
  parts.emplace_back("xl/styles.xml", [&styles](std::string& out) { styles.Render(out); });
  parts.emplace_back("xl/sharedStrings.xml", [&strings](std::string& out) { strings.Render(out); });
  for (auto& [name, render] : parts) {
    if (std::wstring why = zip.AddPart(name, std::move(render)); !why.empty()) return {false, why};
  }
  if (std::wstring why = zip.Commit(); !why.empty()) return {false, why};
  return {true, {}};
}

void CXlsxWriter::RenderWorkbookPart(const WriterPackageLayout& layout,
                                     CWriterFormulaEncoder& encoder, std::int32_t shown,
                                     std::string& out) const {
  const CWorkbook& book = workbook_;
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">");
  xml.Raw(book.Date1904() ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>");
  xml.Raw("<bookViews><workbookView");
  xml.Attribute("activeTab", std::int64_t{shown - 1});
  xml.Raw("/></bookViews><sheets>");
  bool anyVisible = false;
  for (std::int32_t i = 1; i <= book.SheetCount(); ++i) {
    anyVisible = anyVisible || book.Sheet(i).Visible() == Visibility::Visible;
  }
  for (std::int32_t i = 1; i <= book.SheetCount(); ++i) {
    const CWorksheet& sheet = book.Sheet(i);
    xml.Start("sheet");
    xml.Attribute("name", sheet.Name());
    xml.Attribute("sheetId", std::int64_t{i});
    // A file with every sheet hidden does not open; the shown sheet stays visible then.
    const bool forcedVisible = !anyVisible && i == shown;
    if (sheet.Visible() == Visibility::Hidden && !forcedVisible) xml.Raw(" state=\"hidden\"");
    if (sheet.Visible() == Visibility::VeryHidden && !forcedVisible) {
      xml.Raw(" state=\"veryHidden\"");
    }
    xml.Raw(" r:id=\"rId");
    xml.Integer(i);
    xml.Raw("\"/>");
  }
  xml.Raw("</sheets>");
  if (layout.externalLinks > 0) {
    xml.Raw("<externalReferences>");
    for (std::int32_t i = 1; i <= layout.externalLinks; ++i) {
      xml.Raw("<externalReference r:id=\"rId");
      xml.Integer(layout.ExternalLinkRelationship(i));
      xml.Raw("\"/>");
    }
    xml.Raw("</externalReferences>");
  }
  if (!book.Names().empty()) {
    xml.Raw("<definedNames>");
    std::wstring text;
    for (const DefinedName& name : book.Names()) {
      std::wstring_view refersTo = name.refersTo;
      if (!refersTo.empty() && refersTo.front() == L'=') refersTo.remove_prefix(1);
      encoder.Encode(refersTo, text);
      xml.Start("definedName");
      xml.Attribute("name", name.name);
      if (name.scope > 0) xml.Attribute("localSheetId", std::int64_t{name.scope - 1});
      if (name.hidden) xml.Raw(" hidden=\"1\"");
      xml.EndStart();
      xml.Text(text);
      xml.End("definedName");
    }
    xml.Raw("</definedNames>");
  }
  // Iteration settings go back only when they differ from Excel's defaults, as Excel writes them.
  const CalculationSettings& calculation = book.Calculation();
  xml.Raw("<calcPr calcId=\"191029\"");
  if (calculation.iterate) xml.Raw(" iterate=\"1\"");
  if (calculation.maxIterations != CalculationSettings::kDefaultMaxIterations) {
    xml.Attribute("iterateCount", std::int64_t{calculation.maxIterations});
  }
  if (calculation.maxChange != CalculationSettings::kDefaultMaxChange) {
    xml.AttributeNumber("iterateDelta", calculation.maxChange);
  }
  xml.Raw("/></workbook>");
}

XlsxWriteResult WriteXlsxFile(const CWorkbook& workbook, const std::filesystem::path& path) {
  return CXlsxWriter(workbook).Write(path);
}

}  // namespace spreadsheet
