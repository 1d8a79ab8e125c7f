// The container's lifecycle, its views and the evaluation services it lends.
#include "engine/dependency_container.h"

#include <algorithm>

#include "engine/workbook_structure.h"
#include "excel/cell_content.h"
#include "excel/evaluation.h"

CDependencyContainer::CDependencyContainer()
    : addressParser_(&sheetIndexByName_, &definedNames_),
      formulaParser_(this, &addressParser_, &sheetNameByIndex_) {
  formulaParser_.SetTableContainer(this);
}

CDependencyContainer::~CDependencyContainer() {
  // A view may unregister while it closes, so the list is walked from a copy.
  const std::vector<IContainerView*> views = views_;
  for (IContainerView* view : views) view->SendClose();
  worksheets_.Reset();
  workbook_.Reset();
  application_.Reset();
}

void CDependencyContainer::SetWorkbookName(std::wstring_view name) {
  workbookName_.assign(name);
  addressParser_.SetWorkbookName(name);
}

void CDependencyContainer::AttachWorkbook(const ExcelObject& application,
                                          const ExcelObject& workbook) {
  application_ = application;
  workbook_ = workbook;
  LONG format = 0;
  if (workbook_.GetLong(L"FileFormat", &format)) fileFormat_ = static_cast<int32_t>(format);
  formulaParser_.SetExternalTable(&externalTable_);
  BuildSheetIndex(*this);
}

void CDependencyContainer::ClearRefreshedTables() {
  fillColorCells_.clear();
  fillColorValues_.clear();
  fontColorCells_.clear();
  fontColorValues_.clear();
  sheetNameByIndex_.Clear();
  errorSourceCache_.clear();
  sheetIndexByName_.Clear();
  dependentsCache_.clear();
  errorTestCache_.clear();
  externalTable_.Clear();
  definedNames_.Clear();
  rectangleNames_.clear();
  nameReferences_.clear();
  nameTargets_.clear();
  inputsCache_.clear();
  formulaIndex_.clear();
  dependentsIndex_.reset();
  tables_.Clear();
}

void CDependencyContainer::Refresh() {
  colorsAnalyzed_ = false;
  errorListBuilt_ = false;
  ClearRefreshedTables();
  formulaParser_.ClearMemo();
  formulasCollected_ = false;
  BuildSheetIndex(*this);
  for (IContainerView* view : views_) view->PostRefresh();
  // A view that answers the message at once may have asked for error sources meanwhile.
  errorSourceCache_.clear();
}

void CDependencyContainer::RegisterView(IContainerView* view) {
  if (view == nullptr || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
  if (stale_) {
    stale_ = false;
    Refresh();
  }
  views_.push_back(view);
}

void CDependencyContainer::UnregisterView(IContainerView* view) {
  const auto found = std::find(views_.begin(), views_.end(), view);
  if (found != views_.end()) views_.erase(found);
}

std::optional<ScreenPoint> CDependencyContainer::NewViewPosition(
    const IScreenMetrics& screen) const {
  if (views_.empty()) return std::nullopt;
  ScreenRect rect;
  if (!views_.back()->WindowRect(&rect)) return std::nullopt;
  // A minimised or off-screen window gives no useful anchor.
  if (rect.left <= 0 || rect.top <= 0 || rect.right <= rect.left || rect.bottom <= rect.top ||
      rect.left >= screen.ScreenWidth() || rect.top >= screen.ScreenHeight()) {
    return std::nullopt;
  }
  return ScreenPoint{rect.left, rect.top + 10};
}

SharedReferenceList CDependencyContainer::ParseFormula(std::wstring_view formula,
                                                       const CellPos& origin) {
  ++formulaParseCount_;
  if (!formulaParser_.Parse(formula, origin)) return nullptr;
  return std::make_shared<const std::vector<CellReference>>(formulaParser_.GetReferences());
}

const SharedReferenceList& CDependencyContainer::EmptyList() {
  static const SharedReferenceList empty = std::make_shared<const std::vector<CellReference>>();
  return empty;
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
  const std::wstring_view name = sheetNameByIndex_.Find(sheet);
  if (name.empty()) {
    sheetNameByIndex_.Set(sheet, L"");
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
