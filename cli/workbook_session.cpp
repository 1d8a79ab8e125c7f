#include "cli/workbook_session.h"

#include <cstdio>
#include <utility>

#include "excel/excel_object.h"
#include "platform/text_encoding.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/reference_resolver.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/xlsx_writer.h"

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text;
}

// The sheet part of a qualified cell, unquoted; nothing when the quoting is broken.
std::optional<std::wstring> SheetName(std::wstring_view text) {
  if (text.size() < 2 || text.front() != L'\'' || text.back() != L'\'') {
    if (text.empty() || text.find(L'\'') != std::wstring_view::npos) return std::nullopt;
    return std::wstring(text);
  }
  std::wstring name;
  const std::wstring_view inner = text.substr(1, text.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == L'\'') {
      if (i + 1 >= inner.size() || inner[i + 1] != L'\'') return std::nullopt;
      ++i;
    }
    name += inner[i];
  }
  if (name.empty()) return std::nullopt;
  return name;
}

const wchar_t* StateText(spreadsheet::Visibility visibility) {
  switch (visibility) {
    case spreadsheet::Visibility::Hidden:
      return L"hidden";
    case spreadsheet::Visibility::VeryHidden:
      return L"veryHidden";
    case spreadsheet::Visibility::Visible:
      break;
  }
  return L"visible";
}

// The item of a structured reference, "[Amount]" or "[[#All]]", without its brackets; the
// apostrophe escapes of column names removed. Nothing for what is not one bracketed item.
std::optional<std::wstring> TableItem(std::wstring_view text) {
  text = Trimmed(text);
  while (text.size() >= 2 && text.front() == L'[' && text.back() == L']') {
    text = Trimmed(text.substr(1, text.size() - 2));
  }
  std::wstring item;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'[' || text[i] == L']' || text[i] == L',') return std::nullopt;
    if (text[i] == L'\'' && i + 1 < text.size()) ++i;
    item += text[i];
  }
  return item;
}

// The rows of a table an item names: its body, all of it, the header or the totals row.
std::optional<spreadsheet::CellRect> TableRows(const spreadsheet::Table& table,
                                               std::wstring_view item) {
  const spreadsheet::CellRect all = table.range;
  spreadsheet::CellRect body = all;
  if (table.hasHeaderRow) ++body.first.row;
  if (table.hasTotalsRow) --body.last.row;
  if (item.empty() || spreadsheet::SameIdentifier(item, L"#Data")) {
    if (body.first.row > body.last.row) return std::nullopt;
    return body;
  }
  if (spreadsheet::SameIdentifier(item, L"#All")) return all;
  if (spreadsheet::SameIdentifier(item, L"#Headers")) {
    if (!table.hasHeaderRow) return std::nullopt;
    return spreadsheet::CellRect{all.first, {all.first.row, all.last.column}};
  }
  if (spreadsheet::SameIdentifier(item, L"#Totals")) {
    if (!table.hasTotalsRow) return std::nullopt;
    return spreadsheet::CellRect{{all.last.row, all.first.column}, all.last};
  }
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (!spreadsheet::SameIdentifier(table.columns[i], item)) continue;
    if (body.first.row > body.last.row) return std::nullopt;
    const int32_t column = all.first.column + static_cast<int32_t>(i);
    return spreadsheet::CellRect{{body.first.row, column}, {body.last.row, column}};
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<CWorkbookSession> CWorkbookSession::Open(const std::filesystem::path& path,
                                                         std::wstring* error) {
  spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(path);
  if (!read.Ok()) {
    *error = read.error;
    return nullptr;
  }
  // What the reader read around (a cell read as empty, an item left out) is said, not hidden.
  for (const std::wstring& warning : read.warnings) {
    std::fprintf(stderr, "trelvane: warning: %s\n", WideToUtf8(warning).c_str());
  }
  std::unique_ptr<CWorkbookSession> session(new CWorkbookSession());
  session->app_ = std::make_shared<spreadsheet::CSpreadsheetApplication>();
  session->app_->SetOpener([](const std::wstring& other, std::wstring* reason) {
    spreadsheet::XlsxReadResult result = spreadsheet::ReadXlsxFile(std::filesystem::path(other));
    if (!result.Ok()) *reason = result.error;
    return std::move(result.workbook);
  });
  session->book_ = std::shared_ptr<spreadsheet::CWorkbook>(std::move(read.workbook));
  session->app_->AddWorkbook(session->book_);
  session->application_ = spreadsheet::CreateApplicationObject(session->app_);
  return session;
}

int32_t CWorkbookSession::DefaultSheet() const {
  for (int32_t i = 1; i <= book_->SheetCount(); ++i) {
    if (book_->Sheet(i).Visible() == spreadsheet::Visibility::Visible) return i;
  }
  return 1;
}

std::optional<std::pair<CellPos, CellPos>> CWorkbookSession::ResolveRange(
    std::wstring_view text) const {
  text = Trimmed(text);
  if (book_->SheetCount() < 1 || text.empty()) return std::nullopt;
  int32_t sheet = DefaultSheet();
  std::wstring_view address = text;
  const size_t bang = text.rfind(L'!');
  if (bang != std::wstring_view::npos) {
    const std::optional<std::wstring> name = SheetName(text.substr(0, bang));
    if (!name) return std::nullopt;
    const std::optional<int32_t> found = book_->FindSheet(*name);
    if (!found) return std::nullopt;
    sheet = *found;
    address = text.substr(bang + 1);
  }
  std::optional<spreadsheet::CellRect> range = spreadsheet::ParseA1Range(address);
  if (!range) {
    // A defined name, as a formula on that sheet reads it: the sheet's own name first.
    const spreadsheet::CReferenceResolver resolver(*book_, sheet);
    if (const auto named = resolver.Resolve(text)) {
      sheet = named->sheet;
      range = named->range;
    }
  }
  if (!range) return bang == std::wstring_view::npos ? ResolveTable(text) : std::nullopt;
  return std::pair{CellPos{sheet, range->first.column, range->first.row},
                   CellPos{sheet, range->last.column, range->last.row}};
}

std::optional<std::pair<CellPos, CellPos>> CWorkbookSession::ResolveTable(
    std::wstring_view text) const {
  const size_t bracket = text.find(L'[');
  const std::wstring_view name = Trimmed(text.substr(0, bracket));
  const std::optional<std::wstring> item =
      bracket == std::wstring_view::npos ? std::wstring() : TableItem(text.substr(bracket));
  if (name.empty() || !item) return std::nullopt;
  for (int32_t sheet = 1; sheet <= book_->SheetCount(); ++sheet) {
    for (const spreadsheet::Table& table : book_->Sheet(sheet).Tables()) {
      if (!spreadsheet::SameIdentifier(table.name, name)) continue;
      const std::optional<spreadsheet::CellRect> rows = TableRows(table, *item);
      if (!rows) return std::nullopt;
      return std::pair{CellPos{sheet, rows->first.column, rows->first.row},
                       CellPos{sheet, rows->last.column, rows->last.row}};
    }
  }
  return std::nullopt;
}

bool CWorkbookSession::Select(std::wstring_view text) {
  const auto range = ResolveRange(text);
  if (!range) return false;
  const int32_t index = range->first.sheet;
  const spreadsheet::CellRect cells{{range->first.row, range->first.column},
                                    {range->second.row, range->second.column}};
  if (book_->Sheet(index).Visible() != spreadsheet::Visibility::Visible) {
    app_->Select({book_, index, cells});
    return true;
  }
  const ExcelObject application = Application();
  ExcelObject workbook;
  ExcelObject worksheets;
  ExcelObject sheet;
  ExcelObject selected;
  return application.GetObject(L"ActiveWorkbook", &workbook) &&
         workbook.GetObject(L"Worksheets", &worksheets) &&
         worksheets.GetObject(L"Item", &sheet, {CVariant(static_cast<LONG>(index))}) &&
         sheet.CallMethod(L"Activate", nullptr) &&
         sheet.GetObject(L"Range", &selected, {CVariant(spreadsheet::FormatRelativeA1(cells))}) &&
         selected.CallMethod(L"Select", nullptr);
}

std::wstring CWorkbookSession::SheetList() const {
  std::wstring list;
  for (int32_t i = 1; i <= book_->SheetCount(); ++i) {
    const spreadsheet::CWorksheet& sheet = book_->Sheet(i);
    if (!list.empty()) list += L", ";
    list += sheet.Name();
    if (sheet.Visible() != spreadsheet::Visibility::Visible)
      list += std::wstring(L" (") + StateText(sheet.Visible()) + L")";
  }
  return list;
}

std::wstring CWorkbookSession::DescribeUnresolved(std::wstring_view text) const {
  const std::wstring sheets = L"; its sheets are " + SheetList();
  const std::wstring_view trimmed = Trimmed(text);
  const size_t bang = trimmed.rfind(L'!');
  if (bang != std::wstring_view::npos) {
    const std::optional<std::wstring> name = SheetName(trimmed.substr(0, bang));
    if (!name) return L"cannot read the sheet name in " + std::wstring(text) + sheets;
    if (!book_->FindSheet(*name)) return L"no sheet " + *name + L" in " + book_->Name() + sheets;
  }
  const spreadsheet::CReferenceResolver resolver(*book_, DefaultSheet());
  if (const spreadsheet::DefinedName* name = resolver.FindName(trimmed)) {
    return L"the name " + std::wstring(trimmed) + L" refers to " + name->refersTo +
           L", which is no range of cells";
  }
  for (const spreadsheet::DefinedName& name : book_->Names()) {
    if (name.scope > 0 && name.scope <= book_->SheetCount() &&
        spreadsheet::SameIdentifier(spreadsheet::DisplayedName(name), trimmed)) {
      const std::wstring sheet = spreadsheet::QuoteSheetName(book_->Sheet(name.scope).Name());
      return L"the name " + std::wstring(trimmed) + L" belongs to the sheet " + sheet + L": give " +
             sheet + L"!" + std::wstring(trimmed);
    }
  }
  return L"no such cell or range in " + book_->Name() + L": " + std::wstring(text) +
         L" (an address such as Sheet1!B3 or 'My Sheet'!B3:C4, a defined name or a table)" + sheets;
}

std::vector<SheetSummary> CWorkbookSession::Sheets() const {
  std::vector<SheetSummary> sheets;
  for (int32_t i = 1; i <= book_->SheetCount(); ++i) {
    const spreadsheet::CWorksheet& sheet = book_->Sheet(i);
    SheetSummary summary{i, sheet.Name(), StateText(sheet.Visible()), sheet.UsedRange(), 0};
    sheet.ForEachCell([&summary](spreadsheet::CellCoord, const spreadsheet::Cell& cell) {
      if (cell.HasFormula()) ++summary.formulas;
    });
    sheets.push_back(std::move(summary));
  }
  return sheets;
}

bool CWorkbookSession::SaveCopy(const std::filesystem::path& path, std::wstring* error) const {
  const spreadsheet::XlsxWriteResult written = spreadsheet::WriteXlsxFile(*book_, path);
  if (!written) *error = written.error;
  return written.ok;
}

const std::wstring& CWorkbookSession::WorkbookName() const {
  return book_->Name();
}
