// Reading a workbook: the package, then the parts every sheet refers into (theme, styles,
// shared strings, external links), then the sheets with their tables, then the defined names.
#include "spreadsheet/xlsx/xlsx_reader.h"

#include <new>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "platform/text_encoding.h"
#include "spreadsheet/xlsx/reader_external_link.h"
#include "spreadsheet/xlsx/reader_formula_text.h"
#include "spreadsheet/xlsx/reader_package.h"
#include "spreadsheet/xlsx/reader_shared_strings.h"
#include "spreadsheet/xlsx/reader_table_part.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/reader_warnings.h"
#include "spreadsheet/xlsx/reader_workbook_part.h"
#include "spreadsheet/xlsx/sheet_reader.h"
#include "spreadsheet/xlsx/styles_reader.h"
#include "spreadsheet/xlsx/theme_reader.h"
#include "spreadsheet/xlsx/zip_reader.h"

namespace spreadsheet {
namespace {

// Excel's XlFileFormat numbers of the templates and add-ins, which read like workbooks.
constexpr std::int32_t kFileFormatXltm = 53;
constexpr std::int32_t kFileFormatXltx = 54;
constexpr std::int32_t kFileFormatXlam = 55;

std::optional<std::int32_t> FileFormatOf(std::string_view contentType) {
  if (contentType == "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml") {
    return kFileFormatXlsx;
  }
  if (contentType == "application/vnd.ms-excel.sheet.macroEnabled.main+xml") return kFileFormatXlsm;
  if (contentType ==
      "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml") {
    return kFileFormatXltx;
  }
  if (contentType == "application/vnd.ms-excel.template.macroEnabled.main+xml") {
    return kFileFormatXltm;
  }
  if (contentType == "application/vnd.ms-excel.addin.macroEnabled.main+xml") return kFileFormatXlam;
  return std::nullopt;
}

bool IsWorksheetType(std::string_view type) { return type == "worksheet"; }
bool IsOtherSheetType(std::string_view type) {
  return type == "chartsheet" || type == "dialogsheet" || type == "xlMacrosheet" ||
         type == "xlIntlMacrosheet";
}

// A part of no known type that may still say what wrote it.
class CIgnoreContent final : public IXmlContentHandler {
 public:
  void OnStart(CXmlStreamParser&, const XmlName&, const XmlAttributes&) override {}
  void OnEnd(CXmlStreamParser&, const XmlName&, std::string_view) override {}
};

// One reading of one file. Every step returns empty text or "part: what went wrong"; what it
// reads around instead goes to the warnings.
class CWorkbookLoader {
 public:
  CWorkbookLoader(const std::filesystem::path& path, const XlsxReadLimits& limits)
      : path_(path), limits_(limits), warnings_(limits.maxWarningsKept) {}

  std::string Load(CWorkbook& workbook);
  const CReadWarnings& Warnings() const { return warnings_; }

 private:
  std::string WhyNotAWorkbook(CPackageReader& package, std::string reason);
  std::string ReadExternalLinks(CPackageReader& package, const std::vector<Relationship>& rels);
  std::string ReadSheets(CPackageReader& package, const std::vector<Relationship>& rels,
                         CWorkbook& workbook);
  std::string ReadTables(CPackageReader& package, const std::string& sheetPart,
                         const std::vector<std::string>& ids, CWorksheet& sheet);
  void AddNames(CWorkbook& workbook);

  const std::filesystem::path& path_;
  const XlsxReadLimits& limits_;
  std::string workbookPart_;
  WorkbookPart parts_;
  CThemeColors theme_;
  std::vector<std::uint32_t> cellFormats_;
  std::vector<std::wstring> sharedStrings_;
  std::vector<std::wstring> externalBooks_;
  std::vector<std::int32_t> sheetIndex_;  // File sheet position to model index; 0 for none.
  std::uint64_t cellsStored_ = 0;
  CReadWarnings warnings_;
};

// A workbook part of an unknown type, or none named, may be the SpreadsheetML of a pre-release
// of Excel 2007, which the XML parser recognises and names; else `reason` stands.
std::string CWorkbookLoader::WhyNotAWorkbook(CPackageReader& package, std::string reason) {
  const std::string part = workbookPart_.empty() ? "xl/workbook.xml" : workbookPart_;
  if (!package.Has(part)) return reason;
  CIgnoreContent ignore;
  if (std::string error = package.Parse(part, ignore); !error.empty()) return error;
  return reason;
}

std::string CWorkbookLoader::Load(CWorkbook& workbook) {
  std::string error;
  std::unique_ptr<CZipReader> zip = CZipReader::Open(path_, limits_, error);
  if (zip == nullptr) return error;
  CPackageReader package(std::move(zip), limits_);
  if (!package.Has("[Content_Types].xml")) {
    return "[Content_Types].xml: missing part, so not an .xlsx package";
  }
  if (error = package.ReadContentTypes(); !error.empty()) return error;
  if (const std::string& name = package.BackslashEntry(); !name.empty()) {
    warnings_.Add([&] {
      return "zip entries are named with \"\\\" for \"/\" (\"" + name +
             "\"), as some writers other than Excel save them; they are read as \"/\"";
    });
  }

  std::vector<Relationship> packageRels;
  if (error = package.ReadRelationships("", packageRels); !error.empty()) return error;
  if (const Relationship* main = FindRelationship(packageRels, "officeDocument")) {
    workbookPart_ = main->target;
  } else {
    return WhyNotAWorkbook(
        package, "_rels/.rels: names no workbook part (no officeDocument relationship)");
  }
  const std::string contentType = package.ContentTypeOf(workbookPart_);
  const auto format = FileFormatOf(contentType);
  if (!format) {
    if (contentType.find("binary") != std::string::npos) {
      return workbookPart_ + ": a binary workbook (.xlsb), which this reader does not read";
    }
    return WhyNotAWorkbook(
        package, workbookPart_ + ": not a workbook part (content type \"" + contentType + "\")");
  }
  workbook.SetFileFormat(*format);

  CWorkbookPartReader workbookReader(limits_, parts_);
  if (error = package.Parse(workbookPart_, workbookReader); !error.empty()) return error;
  workbook.SetDate1904(parts_.date1904);
  workbook.SetCalculation(parts_.calculation);
  std::vector<Relationship> rels;
  if (error = package.ReadRelationships(workbookPart_, rels); !error.empty()) return error;

  if (const Relationship* theme = FindRelationship(rels, "theme")) {
    CThemeReader reader(theme_);
    if (error = package.Parse(theme->target, reader); !error.empty()) return error;
  }
  if (const Relationship* styles = FindRelationship(rels, "styles")) {
    CStylesReader reader(limits_);
    if (error = package.Parse(styles->target, reader); !error.empty()) return error;
    cellFormats_ = reader.Build(theme_, workbook.Formats());
  }
  if (const Relationship* strings = FindRelationship(rels, "sharedStrings")) {
    CSharedStringsReader reader(limits_, sharedStrings_);
    if (error = package.Parse(strings->target, reader); !error.empty()) return error;
  }
  if (error = ReadExternalLinks(package, rels); !error.empty()) return error;
  workbook.ExternalLinks() = externalBooks_;
  if (error = ReadSheets(package, rels, workbook); !error.empty()) return error;
  AddNames(workbook);

  const std::int32_t active =
      parts_.activeTab < sheetIndex_.size() ? sheetIndex_[parts_.activeTab] : 0;
  workbook.SetActiveSheet(active > 0 ? active : 1);
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path_, ignored);
  workbook.SetPath(WideFromUtf8((absolute.empty() ? path_ : absolute).string()));
  return {};
}

std::string CWorkbookLoader::ReadExternalLinks(CPackageReader& package,
                                               const std::vector<Relationship>& rels) {
  for (const std::string& id : parts_.externalReferenceIds) {
    std::wstring name;
    const Relationship* link = FindRelationshipById(rels, id);
    if (link != nullptr && !link->external) {
      CExternalLinkReader reader;
      if (std::string error = package.Parse(link->target, reader); !error.empty()) return error;
      std::vector<Relationship> linkRels;
      if (std::string error = package.ReadRelationships(link->target, linkRels); !error.empty()) {
        return error;
      }
      const Relationship* book = FindRelationshipById(linkRels, reader.BookRelationshipId());
      if (book != nullptr && book->type != "xlPathMissing") {
        name = CExternalLinkReader::FileNameOfTarget(book->target);
      }
    }
    externalBooks_.push_back(std::move(name));
  }
  return {};
}

std::string CWorkbookLoader::ReadSheets(CPackageReader& package,
                                        const std::vector<Relationship>& rels,
                                        CWorkbook& workbook) {
  sheetIndex_.assign(parts_.sheets.size(), 0);
  SheetReadContext context{sharedStrings_, cellFormats_, externalBooks_, limits_, cellsStored_,
                           warnings_, parts_.date1904};
  for (std::size_t i = 0; i < parts_.sheets.size(); ++i) {
    const WorkbookPart::Sheet& entry = parts_.sheets[i];
    const std::string name = WideToUtf8(entry.name);
    const Relationship* rel = FindRelationshipById(rels, entry.relationshipId);
    if (rel == nullptr) {
      return workbookPart_ + ": sheet \"" + name + "\" has no part (relationship \"" +
             entry.relationshipId + "\" is missing)";
    }
    if (IsOtherSheetType(rel->type)) continue;  // Chart, dialog and macro sheets.
    if (!IsWorksheetType(rel->type)) {
      return workbookPart_ + ": sheet \"" + name + "\" is a \"" + rel->type + "\", not a sheet";
    }
    if (entry.name.empty() || workbook.FindSheet(entry.name)) {
      return workbookPart_ + ": sheet name \"" + name + "\" is empty or taken";
    }
    CWorksheet& sheet = workbook.AddSheet(entry.name);
    sheet.SetVisible(entry.visibility);
    sheetIndex_[i] = workbook.SheetCount();

    CSheetReader reader(sheet, context, rel->target);
    if (std::string error = package.Parse(rel->target, reader); !error.empty()) return error;
    if (std::string error = reader.Finish(); !error.empty()) return rel->target + ": " + error;
    if (std::string error = ReadTables(package, rel->target, reader.TablePartIds(), sheet);
        !error.empty()) {
      return error;
    }
  }
  if (workbook.SheetCount() == 0) return workbookPart_ + ": the workbook has no worksheet";
  return {};
}

std::string CWorkbookLoader::ReadTables(CPackageReader& package, const std::string& sheetPart,
                                        const std::vector<std::string>& ids, CWorksheet& sheet) {
  if (ids.empty()) return {};
  std::vector<Relationship> rels;
  if (std::string error = package.ReadRelationships(sheetPart, rels); !error.empty()) return error;
  // A table that cannot be read is left out: its cells are read all the same, and formulas
  // naming it read as they would in a workbook without it.
  for (const std::string& id : ids) {
    const Relationship* rel = FindRelationshipById(rels, id);
    if (rel == nullptr || rel->type != "table") {
      warnings_.Add([&] {
        return sheetPart + ": table part \"" + id +
               "\" has no table relationship; the table is left out";
      });
      continue;
    }
    Table table;
    CTablePartReader reader(table);
    if (std::string error = package.Parse(rel->target, reader); !error.empty()) return error;
    if (!reader.Complete()) {
      warnings_.Add([&] {
        return rel->target + ": " +
               (reader.Problem().empty() ? std::string("no table in the part") : reader.Problem()) +
               "; the table is left out";
      });
      continue;
    }
    if (table.columns.size() != static_cast<std::size_t>(table.range.Columns())) {
      warnings_.Add([&] {
        return rel->target + ": the table names " + std::to_string(table.columns.size()) +
               " columns for a range " + std::to_string(table.range.Columns()) +
               " wide; the table is left out";
      });
      continue;
    }
    sheet.Tables().push_back(std::move(table));
  }
  return {};
}

void CWorkbookLoader::AddNames(CWorkbook& workbook) {
  for (WorkbookPart::Name& entry : parts_.names) {
    // Names Excel writes for functions newer than a file's readers ("_xlfn.IFS") are not names
    // the workbook has.
    if (entry.name.rfind(L"_xlfn.", 0) == 0) continue;
    // Built-in names ("_xlnm.Print_Area") show without their prefix, as Excel's Names do.
    if (entry.name.rfind(L"_xlnm.", 0) == 0) entry.name.erase(0, 6);
    if (entry.name.empty()) continue;
    DefinedName name;
    name.name = std::move(entry.name);
    name.hidden = entry.hidden;
    if (entry.localSheetId) {
      // A name scoped to a sheet the model does not hold (a chart sheet, or past the end).
      if (*entry.localSheetId >= sheetIndex_.size()) continue;
      name.scope = sheetIndex_[*entry.localSheetId];
      if (name.scope == 0) continue;
    }
    name.refersTo = L"=" + DisplayFormula(entry.formula, externalBooks_);
    workbook.AddName(std::move(name));
  }
}

}  // namespace

XlsxReadResult ReadXlsxFile(const std::filesystem::path& path, const XlsxReadLimits& limits) {
  XlsxReadResult result;
  std::string error;
  try {
    auto workbook = std::make_unique<CWorkbook>();
    CWorkbookLoader loader(path, limits);
    error = loader.Load(*workbook);
    if (error.empty()) {
      result.workbook = std::move(workbook);
      result.warnings = loader.Warnings().Texts();
      return result;
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& exception) {
    // The parts are checked before the model sees them, so this marks a reader bug; it still
    // ends as an error, not as an exception the caller did not expect.
    error = std::string("internal error: ") + exception.what();
  }
  result.error = WideFromUtf8(path.string() + ": " + error);
  return result;
}

}  // namespace spreadsheet
