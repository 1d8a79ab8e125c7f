// The application state behind the object model.
#include "spreadsheet/objects/spreadsheet_application.h"

#include <algorithm>

namespace spreadsheet {
namespace {

// The calculator's value as Worksheet.Evaluate hands it out.
EvaluationResult ToEvaluationResult(const CWorkbook& workbook, const EvalValue& value) {
  EvaluationResult result;
  switch (value.GetKind()) {
    case EvalValue::Kind::Reference: {
      // Another workbook's cells have no Range here; their first cell's value does. A union is
      // a Range of several areas, as in Excel; one that spans sheets (a 3-D reference) gives
      // its first sheet's area.
      const std::vector<Area>& areas = value.AsAreas();
      const Area& area = areas.front();
      if (area.workbook == &workbook) {
        result.kind = EvaluationResult::Kind::Reference;
        result.sheet = area.sheet;
        result.range = area.rect;
        const bool oneSheet = std::all_of(areas.begin(), areas.end(), [&](const Area& other) {
          return other.workbook == area.workbook && other.sheet == area.sheet;
        });
        if (oneSheet) {
          for (std::size_t i = 1; i < areas.size(); ++i) result.otherAreas.push_back(areas[i].rect);
        }
        return result;
      }
      result.values.push_back(area.workbook->Sheet(area.sheet).Value(area.rect.first));
      return result;
    }
    case EvalValue::Kind::Array: {
      const ValueArray& array = value.AsArray();
      result.kind = EvaluationResult::Kind::Array;
      result.rows = array.rows;
      result.columns = array.columns;
      for (const EvalValue& element : array.cells) result.values.push_back(element.ToCellValue());
      return result;
    }
    default:
      result.values.push_back(value.ToCellValue());
      return result;
  }
}

}  // namespace

CSpreadsheetApplication::CSpreadsheetApplication() {
  calculator_.SetWorkbookFinder([this](std::wstring_view name) -> CWorkbook* {
    for (const auto& open : workbooks_) {
      if (SameIdentifier(open->Name(), name)) return open.get();
    }
    return nullptr;
  });
  evaluator_ = [this](CWorkbook& workbook, std::int32_t sheet,
                      const std::wstring& expression) -> std::optional<EvaluationResult> {
    const EvalValue value =
        calculator_.Evaluate(workbook, sheet, expression, CalculatesAutomatically());
    return ToEvaluationResult(workbook, value);
  };
}

void CSpreadsheetApplication::AddWorkbook(std::shared_ptr<CWorkbook> workbook) {
  windows_.emplace_back(workbook.get(), WindowState{});
  workbooks_.push_back(workbook);
  calculator_.Attach(*workbook);
  // Formulas the file left without a value are calculated on opening, as Excel does.
  if (CalculatesAutomatically()) calculator_.Calculate(false);
  Activate(workbook);
}

void CSpreadsheetApplication::SetCalculation(std::int32_t mode) {
  calculation_ = mode;
  if (CalculatesAutomatically() && calculator_.HasPending()) calculator_.Calculate(false);
}

void CSpreadsheetApplication::CellsWritten(CWorkbook& workbook, std::int32_t sheet,
                                           const CellRect& range) {
  calculator_.CellsChanged(workbook, sheet, range);
  if (CalculatesAutomatically()) calculator_.Calculate(false);
}

void CSpreadsheetApplication::StructureChanged(CWorkbook& workbook) {
  calculator_.StructureChanged(workbook);
  if (CalculatesAutomatically()) calculator_.Calculate(false);
}

void CSpreadsheetApplication::Calculate() {
  calculator_.Calculate(true);
}

void CSpreadsheetApplication::CloseWorkbook(const CWorkbook& workbook) {
  calculator_.Detach(workbook);
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
