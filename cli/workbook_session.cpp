#include "cli/workbook_session.h"

#include <utility>

#include "excel/excel_object.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/xlsx_writer.h"

namespace {

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

}  // namespace

std::unique_ptr<CWorkbookSession> CWorkbookSession::Open(const std::filesystem::path& path,
                                                         std::wstring* error) {
  spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(path);
  if (!read.Ok()) {
    *error = read.error;
    return nullptr;
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

std::optional<CellPos> CWorkbookSession::ResolveCell(std::wstring_view text) const {
  const auto range = ResolveRange(text);
  if (!range || !(range->first == range->second)) return std::nullopt;
  return range->first;
}

std::optional<std::pair<CellPos, CellPos>> CWorkbookSession::ResolveRange(
    std::wstring_view text) const {
  if (book_->SheetCount() < 1) return std::nullopt;
  int32_t sheet = 1;
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
  const std::optional<spreadsheet::CellRect> range = spreadsheet::ParseA1Range(address);
  if (!range) return std::nullopt;
  return std::pair{CellPos{sheet, range->first.column, range->first.row},
                   CellPos{sheet, range->last.column, range->last.row}};
}

bool CWorkbookSession::Select(std::wstring_view text) {
  const auto range = ResolveRange(text);
  if (!range) return false;
  const ExcelObject application = Application();
  ExcelObject workbook;
  ExcelObject worksheets;
  ExcelObject sheet;
  ExcelObject cells;
  const std::wstring address = spreadsheet::FormatRelativeA1(
      {{range->first.row, range->first.column}, {range->second.row, range->second.column}});
  return application.GetObject(L"ActiveWorkbook", &workbook) &&
         workbook.GetObject(L"Worksheets", &worksheets) &&
         worksheets.GetObject(L"Item", &sheet, {CVariant(static_cast<LONG>(range->first.sheet))}) &&
         sheet.CallMethod(L"Activate", nullptr) &&
         sheet.GetObject(L"Range", &cells, {CVariant(address)}) &&
         cells.CallMethod(L"Select", nullptr);
}

bool CWorkbookSession::SaveCopy(const std::filesystem::path& path, std::wstring* error) const {
  const spreadsheet::XlsxWriteResult written = spreadsheet::WriteXlsxFile(*book_, path);
  if (!written) *error = written.error;
  return written.ok;
}

const std::wstring& CWorkbookSession::WorkbookName() const {
  return book_->Name();
}
