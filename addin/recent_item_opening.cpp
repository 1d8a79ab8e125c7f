// The workbook, sheet and range of a recent item, reached through the object model.
#include "addin/recent_item_opening.h"

#include <filesystem>
#include <system_error>

#include "excel/collection_items.h"
#include "formula/text_compare.h"

namespace {

// The open workbook whose FullName or Name is `path`, or the one Workbooks.Open gives.
bool FindOrOpenWorkbook(const ExcelObject& application, const std::wstring& path,
                        ExcelObject* workbook) {
  ExcelObject workbooks;
  if (!application.GetObject(L"Workbooks", &workbooks)) return false;
  LONG count = 0;
  workbooks.GetLong(L"Count", &count);
  for (LONG i = 1; i <= count; ++i) {
    ExcelObject open;
    if (!workbooks.GetObject(L"Item", &open, {CVariant(i)})) continue;
    std::wstring fullName;
    std::wstring name;
    if ((open.GetText(L"FullName", &fullName) && EqualsNoCase(fullName, path)) ||
        (open.GetText(L"Name", &name) && EqualsNoCase(name, path))) {
      *workbook = open;
      return true;
    }
  }
  return workbooks.CallForObject(L"Open", workbook, {CVariant(std::wstring_view(path))});
}

bool FindWorksheet(const ExcelObject& workbook, std::wstring_view name, ExcelObject* sheet) {
  ExcelObject sheets;
  return workbook.GetObject(L"Worksheets", &sheets) && FindItemByName(sheets, name, sheet);
}

bool PathExists(const std::wstring& path) {
  std::error_code failed;
  return !path.empty() && std::filesystem::exists(std::filesystem::path(path), failed);
}

}  // namespace

std::optional<RecentItemPlace> SplitRecentItemAddress(std::wstring_view address) {
  // A quoted sheet name may hold "!" and doubled apostrophes; the "!" that ends it follows the
  // closing apostrophe.
  if (!address.empty() && address.front() == L'\'') {
    std::wstring sheet;
    for (size_t i = 1; i < address.size(); ++i) {
      if (address[i] != L'\'') {
        sheet.push_back(address[i]);
      } else if (i + 1 < address.size() && address[i + 1] == L'\'') {
        sheet.push_back(L'\'');
        ++i;
      } else if (i + 1 < address.size() && address[i + 1] == L'!') {
        return RecentItemPlace{std::move(sheet), std::wstring(address.substr(i + 2))};
      } else {
        break;  // not a quoted name after all: read it as plain text below
      }
    }
  }
  const size_t bang = address.find(L'!');
  if (bang == std::wstring_view::npos) return std::nullopt;
  std::wstring_view sheet = address.substr(0, bang);
  if (!sheet.empty() && sheet.front() == L'\'') {
    sheet = sheet.size() >= 2 ? sheet.substr(1, sheet.size() - 2) : std::wstring_view();
  }
  return RecentItemPlace{std::wstring(sheet), std::wstring(address.substr(bang + 1))};
}

bool SelectRecentItemRange(const ExcelObject& application, const CMruItem& item,
                           IMessageSink& messages) {
  if (!PathExists(item.workbook)) {
    messages.ShowMessage(L"File '" + item.workbook + L"' doesn't exist.");
    return false;
  }
  ExcelObject workbook;
  if (!FindOrOpenWorkbook(application, item.workbook, &workbook)) return false;
  workbook.CallMethod(L"Activate", nullptr);

  const std::optional<RecentItemPlace> place = SplitRecentItemAddress(item.address);
  if (!place) return false;
  ExcelObject sheet;
  if (!FindWorksheet(workbook, place->sheet, &sheet)) {
    messages.ShowMessage(L"Worksheet '" + place->sheet + L"' doesn't exist.");
    return false;
  }
  sheet.CallMethod(L"Activate", nullptr);
  ExcelObject range;
  if (!sheet.GetObject(L"Range", &range, {CVariant(std::wstring_view(place->cells))})) {
    messages.ShowMessage(L"Address '" + place->cells + L"' is not valid.");
    return false;
  }
  range.CallMethod(L"Select", nullptr);
  return true;
}
