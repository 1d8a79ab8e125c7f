// The container's lifecycle, its observers and the evaluation services it lends.
#include "container/dependency_container.h"

#include <algorithm>

#include "container/structure_reader.h"
#include "excel/cell_content.h"
#include "excel/evaluation.h"

CDependencyContainer::CDependencyContainer() : parsers_(structure_, this, this) {}

CDependencyContainer::~CDependencyContainer() {
  // An observer may unregister while it closes, so the list is walked from a copy.
  const std::vector<IContainerObserver*> views = views_;
  for (IContainerObserver* view : views) view->OnContainerClosing();
  worksheets_.Reset();
  workbook_.Reset();
  application_.Reset();
}

void CDependencyContainer::SetWorkbookName(std::wstring_view name) {
  workbookName_.assign(name);
  parsers_.AddressParser().SetWorkbookName(name);
}

void CDependencyContainer::AttachWorkbook(const ExcelObject& application,
                                          const ExcelObject& workbook) {
  application_ = application;
  workbook_ = workbook;
  LONG format = 0;
  if (workbook_.GetLong(L"FileFormat", &format)) fileFormat_ = static_cast<int32_t>(format);
  parsers_.UseExternalTable();
  BuildSheetIndex(*this);
}

void CDependencyContainer::Refresh() {
  structure_.OnRefresh();
  parsers_.OnRefresh();
  formulas_.OnRefresh();
  answers_.OnRefresh();
  lists_.OnRefresh();
  usedRanges_.OnRefresh();
  BuildSheetIndex(*this);
  const std::vector<IContainerObserver*> views = views_;
  for (IContainerObserver* view : views) view->OnContainerRefreshed();
}

void CDependencyContainer::RegisterView(IContainerObserver* view) {
  if (view == nullptr || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
  if (stale_) {
    stale_ = false;
    Refresh();
  }
  views_.push_back(view);
}

void CDependencyContainer::UnregisterView(IContainerObserver* view) {
  const auto found = std::find(views_.begin(), views_.end(), view);
  if (found != views_.end()) views_.erase(found);
}

std::wstring CDependencyContainer::EvaluateToText(std::wstring_view expression, int32_t sheet) {
  return excel::EvaluateToText(worksheets_, expression, sheet);
}

CVariant CDependencyContainer::EvaluateOnSheet(std::wstring_view expression, int32_t sheet) {
  return excel::EvaluateOnSheet(worksheets_, expression, sheet);
}

bool CDependencyContainer::CellValue(int32_t sheet, int32_t column, int32_t row, CVariant& value) {
  return excel::CellValue(worksheets_, sheet, column, row, value);
}

std::wstring CDependencyContainer::SheetName(int32_t sheet) {
  const std::wstring_view name = structure_.SheetNameOf(sheet);
  if (name.empty()) {
    structure_.SheetsByIndex().Set(sheet, L"");
    return {};
  }
  return std::wstring(name);
}

std::wstring CDependencyContainer::EvaluateInCell(std::wstring_view expression,
                                                  const CellPos& cell) {
  return excel::EvaluateInCell(application_, worksheets_, expression, cell);
}

void CDependencyContainer::WriteCellContent(const CellPos& cell, std::wstring_view text) {
  excel::WriteCellContent(worksheets_, cell, text);
}
