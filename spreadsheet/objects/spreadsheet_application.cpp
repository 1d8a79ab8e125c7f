// The application state behind the object model.
#include "spreadsheet/objects/spreadsheet_application.h"

#include <algorithm>

namespace spreadsheet {

void CSpreadsheetApplication::AddWorkbook(std::shared_ptr<CWorkbook> workbook) {
  windows_.emplace_back(workbook.get(), WindowState{});
  workbooks_.push_back(workbook);
  Activate(workbook);
}

void CSpreadsheetApplication::CloseWorkbook(const CWorkbook& workbook) {
  std::erase_if(windows_, [&](const auto& entry) { return entry.first == &workbook; });
  std::erase_if(workbooks_, [&](const auto& open) { return open.get() == &workbook; });
  if (active_.get() == &workbook) {
    active_ = workbooks_.empty() ? nullptr : workbooks_.back();
    selection_ = Selection{};
    if (active_) selection_ = {active_, active_->ActiveSheet(), {{1, 1}, {1, 1}}};
  }
}

void CSpreadsheetApplication::Activate(const std::shared_ptr<CWorkbook>& workbook) {
  active_ = workbook;
  if (selection_.workbook != workbook) {
    selection_ = {workbook, workbook->ActiveSheet(), {{1, 1}, {1, 1}}};
  }
}

WindowState& CSpreadsheetApplication::Window(const CWorkbook& workbook) {
  for (auto& [owner, state] : windows_) {
    if (owner == &workbook) return state;
  }
  windows_.emplace_back(&workbook, WindowState{});
  return windows_.back().second;
}

void CSpreadsheetApplication::Select(Selection selection) {
  if (selection.workbook) {
    selection.workbook->SetActiveSheet(selection.sheet);
    active_ = selection.workbook;
  }
  selection_ = std::move(selection);
}

}  // namespace spreadsheet
