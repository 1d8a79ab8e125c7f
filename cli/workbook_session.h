// CWorkbookSession: one .xlsx workbook opened in the embedded spreadsheet, as Excel would have
// it open: its Application object, the cells a user selects, and copies saved of it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <utility>

#include "excel/excel_object.h"
#include "formula/cell_pos.h"
#include "platform/com_ptr.h"
#include "spreadsheet/objects/spreadsheet_application.h"

class CWorkbookSession {
 public:
  // Nothing, with `error` set to the reader's message, when the file cannot be read.
  static std::unique_ptr<CWorkbookSession> Open(const std::filesystem::path& path,
                                                std::wstring* error);

  // "Sheet1!B3", "'My Sheet'!B3" or "B3" (on the first sheet); nothing for anything else.
  std::optional<CellPos> ResolveCell(std::wstring_view text) const;
  // The same for a cell or a rectangle ("'My Sheet'!B3:C4"): the sheet's index, the corners.
  std::optional<std::pair<CellPos, CellPos>> ResolveRange(std::wstring_view text) const;
  // Activates the range's sheet and selects the range, as a user clicking it does.
  bool Select(std::wstring_view text);

  ExcelObject Application() const { return ExcelObject(application_.Get()); }
  const std::wstring& WorkbookName() const;
  // Saves the workbook as it is now, with what the commands changed, to another file; the file
  // it was read from is never written. False with `error` set when it cannot be saved.
  bool SaveCopy(const std::filesystem::path& path, std::wstring* error) const;

 private:
  CWorkbookSession() = default;

  std::shared_ptr<spreadsheet::CSpreadsheetApplication> app_;
  std::shared_ptr<spreadsheet::CWorkbook> book_;
  CComPtr<IDispatch> application_;
};
