// Address text of saved branches. Its quoting is its own, narrower than the trace window's: a
// rectangle's sheet is never quoted, a cell's only for a space, "!" or "&".
#include "export/branch_address.h"

#include <cstdint>

#include "formula/address_parser.h"

namespace {

// Whole columns and whole rows are recognised by these bounds, whatever the sheet size.
constexpr int32_t kWholeColumnLastRow = 65536;
constexpr int32_t kWholeRowLastColumn = 256;

bool NeedsApostrophes(std::wstring_view sheet) {
  return sheet.find_first_of(L" !&") != std::wstring_view::npos;
}

std::wstring Corner(const CellPos& cell) {
  return CAddressParser::ColumnLetters(cell.column) + std::to_wstring(cell.row);
}

}  // namespace

std::wstring BranchAddress(const CellPos& first, const CellPos& last, std::wstring_view sheet) {
  if (first == last) {
    std::wstring text;
    if (!sheet.empty()) {
      const bool quote = NeedsApostrophes(sheet);
      if (quote) text += L'\'';
      text += sheet;
      if (quote) text += L'\'';
      text += L'!';
    }
    return text + Corner(first);
  }
  if (first.row == 1 && last.row == kWholeColumnLastRow) {
    return CAddressParser::ColumnLetters(first.column) + L':' +
           CAddressParser::ColumnLetters(last.column);
  }
  if (first.column == 1 && last.column == kWholeRowLastColumn) {
    return L'$' + std::to_wstring(first.row) + L":$" + std::to_wstring(last.row);
  }
  std::wstring text;
  if (!sheet.empty()) {
    text += sheet;
    text += L'!';
  }
  text += Corner(first);
  if (first.column != last.column || first.row != last.row) text += L':' + Corner(last);
  return text;
}

std::wstring BranchSheetText(const SheetNameByIndex& sheets, const CellPos& first,
                             const CellPos& last) {
  std::wstring text(sheets.Find(first.sheet));
  if (last.sheet != first.sheet) {
    text += L':';
    text += sheets.Find(last.sheet);
  }
  return text;
}

std::wstring BranchLabel(const SheetNameByIndex& sheets, const CellPos& first, const CellPos& last,
                         const std::wstring& name) {
  const std::wstring address = BranchAddress(first, last, BranchSheetText(sheets, first, last));
  return name.empty() ? address : name + L" (" + address + L")";
}
