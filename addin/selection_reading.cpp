#include "addin/selection_reading.h"

namespace {

bool ParseOnActiveSheet(const ExcelObject& application, CDependencyContainer& container,
                        const std::wstring& address, CellReference* range) {
  ExcelObject sheet;
  std::wstring sheetName;
  if (!application.GetObject(L"ActiveSheet", &sheet) || !sheet.GetText(L"Name", &sheetName)) {
    return false;
  }
  // A chart sheet has no index among the worksheets.
  const int32_t index = container.Structure().SheetIndexOf(sheetName);
  if (index == 0) return false;
  CAddressParser& parser = container.AddressParser();
  parser.SetCurrentCell(CellPos{index, 1, 1});
  if (!parser.Parse(address) || parser.IsExternal()) return false;
  CellReference parsed;
  parsed.first = parser.First();
  parsed.last = parser.Last();
  *range = parsed;
  return true;
}

}  // namespace

bool IsWorkbookOpen(const ExcelObject& application) {
  ExcelObject workbooks;
  LONG count = 0;
  return application.GetObject(L"Workbooks", &workbooks) && workbooks.GetLong(L"Count", &count) &&
         count > 0;
}

bool ReadSelectionRange(const ExcelObject& application, CDependencyContainer& container,
                        CellReference* range) {
  ExcelObject selection;
  std::wstring address;
  if (!application.GetObject(L"Selection", &selection) ||
      !selection.GetText(L"Address", &address) || address.empty()) {
    return false;
  }
  return ParseOnActiveSheet(application, container, address, range);
}

bool ReadPrecedentsRange(const ExcelObject& application, CDependencyContainer& container,
                         CellReference* range) {
  CellReference selected;
  if (!ReadSelectionRange(application, container, &selected)) return false;
  ExcelObject selection;
  bool hasArray = false;
  if (!application.GetObject(L"Selection", &selection)) return false;
  if (!selection.GetBool(L"HasArray", &hasArray)) return false;
  if (!hasArray) {
    *range = selected;
    return true;
  }
  ExcelObject array;
  std::wstring address;
  if (!selection.GetObject(L"CurrentArray", &array) || !array.GetText(L"Address", &address)) {
    return false;
  }
  CellReference block;
  if (!ParseOnActiveSheet(application, container, address, &block)) return false;
  block.flags = RefArrayRange;
  *range = block;
  return true;
}
