// CWorkbookSession: one .xlsx workbook opened in the embedded spreadsheet, as Excel would have
// it open: its Application object, the cells a user selects, and copies saved of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "excel/excel_object.h"
#include "formula/cell_pos.h"
#include "platform/com_ptr.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/objects/spreadsheet_application.h"

// One sheet as `trelvane sheets` lists it.
struct SheetSummary {
  int32_t index = 0;  // from 1, as Worksheets.Item counts
  std::wstring name;
  std::wstring state;                         // "visible", "hidden" or "veryHidden"
  std::optional<spreadsheet::CellRect> used;  // none for a sheet never written
  size_t formulas = 0;                        // cells holding a formula
};

class CWorkbookSession {
 public:
  // Nothing, with `error` set to the reader's message, when the file cannot be read.
  static std::unique_ptr<CWorkbookSession> Open(const std::filesystem::path& path,
                                                std::wstring* error);

  // What a cell argument names: "Sheet1!B3", "'My Sheet'!B3:C4", "B3" (on the first visible
  // sheet), a defined name ("TaxRate", "Sales!Regions") that refers to cells, or a table
  // ("SalesTable" for its data, "SalesTable[Amount]", "SalesTable[#All]"). Hidden sheets count
  // like the others. The sheet's index and the corners; nothing for anything else.
  std::optional<std::pair<CellPos, CellPos>> ResolveRange(std::wstring_view text) const;
  // Selects the range, as a user clicking it does. Excel shows no hidden sheet, so a range on
  // one is selected with the sheet kept hidden, as if the user had looked under it: the
  // commands then read it like any selection.
  bool Select(std::wstring_view text);
  // Why `text` names nothing, for the user: what is missing, and the sheets there are.
  std::wstring DescribeUnresolved(std::wstring_view text) const;

  std::vector<SheetSummary> Sheets() const;
  // The sheet an unqualified address is on: the first visible one.
  int32_t DefaultSheet() const;

  ExcelObject Application() const { return ExcelObject(application_.Get()); }
  const std::wstring& WorkbookName() const;
  // Saves the workbook as it is now, with what the commands changed, to another file; the file
  // it was read from is never written. False with `error` set when it cannot be saved.
  bool SaveCopy(const std::filesystem::path& path, std::wstring* error) const;

 private:
  CWorkbookSession() = default;

  std::optional<std::pair<CellPos, CellPos>> ResolveTable(std::wstring_view text) const;
  // "Inputs, Sales, Others (hidden)".
  std::wstring SheetList() const;

  std::shared_ptr<spreadsheet::CSpreadsheetApplication> app_;
  std::shared_ptr<spreadsheet::CWorkbook> book_;
  CComPtr<IDispatch> application_;
};
