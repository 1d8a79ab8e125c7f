// CWorkbookSession: one .xlsx workbook opened in the embedded spreadsheet, with the dependency
// container attached to it as the traces need it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/dependency_container.h"
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

  CDependencyContainer& Container() { return *container_; }
  const std::wstring& WorkbookName() const;

 private:
  CWorkbookSession() = default;

  std::shared_ptr<spreadsheet::CSpreadsheetApplication> app_;
  std::shared_ptr<spreadsheet::CWorkbook> book_;
  CComPtr<IDispatch> application_;
  std::unique_ptr<CDependencyContainer> container_;
};
