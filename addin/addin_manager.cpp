#include "addin/addin_manager.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "addin/legacy_command_bars.h"
#include "addin/recent_item_opening.h"
#include "addin/selection_reading.h"
#include "addin/user_messages.h"
#include "excel/collection_items.h"
#include "excel/scope_guards.h"
#include "export/color_menu_items.h"
#include "export/transpose.h"
#include "formula/address_parser.h"
#include "formula/reference_functions.h"
#include "scan/error_test.h"
#include "views/trace_window.h"

std::wstring HelpPage(int32_t topic) {
  switch (topic) {
    case 1:
      return L"ht-show-dependents.asp";
    case 2:
      return L"ht-show-precedents.asp";
    case 3:
      return L"ht-show-inputs.asp";
    case 4:
      return L"ht-show-errors.asp";
    case 5:
      return L"ht-error-tracing.asp";
    case 6:
      return L"ht-evaluate-formula.asp";
    case 7:
      return L"ht-filter-by-color.asp";
    case 9:
      return L"ht-find-cell.asp";
    default:
      return {};
  }
}

namespace {
CAddInManager* currentAddInManager = nullptr;
}  // namespace

CAddInManager::CAddInManager(const ExcelObject& application, IAddInDesktop& desktop)
    : application_(application), desktop_(desktop) {
  currentAddInManager = this;
}

CAddInManager::~CAddInManager() {
  if (currentAddInManager == this) currentAddInManager = nullptr;
}

CAddInManager* CAddInManager::Current() {
  return currentAddInManager;
}

void CAddInManager::Attach(const ExcelObject& application) {
  application_ = application;
  LONG window = 0;
  if (application_.GetLong(L"Hwnd", &window)) excelWindow_ = window;
  std::wstring version;
  if (application_.GetText(L"Version", &version)) {
    // The leading decimal number, as "%ld" reads it.
    wchar_t* end = nullptr;
    const long major = std::wcstol(version.c_str(), &end, 10);
    if (end != version.c_str()) majorVersion_ = static_cast<int32_t>(major);
  }
  // English names whatever the user's language: the parser reads formulas in English.
  ExcelObject languages;
  if (application_.GetObject(L"LanguageSettings", &languages)) {
    ReferenceFunctions::Add(L"OFFSET");
    ReferenceFunctions::Add(L"INDIRECT");
  }
}

void CAddInManager::ExecuteCommand(int32_t number) {
  const std::optional<CommandId> command = CommandFromNumber(number);
  if (!command) return;
  if (IsPostedTraceCommand(*command)) {
    if (!IsWorkbookOpen()) {
      ShowMessageId(kMessageOpenWorkbook);
      return;
    }
    desktop_.PressEscape();
    desktop_.PostToHiddenWindow(kPostedTraceMessage, static_cast<uintptr_t>(number));
    return;
  }
  switch (*command) {
    case CommandId::kEvaluateFormula:
      EvaluateSelection(nullptr);
      break;
    case CommandId::kFilterByFillColor:
    case CommandId::kFilterByFontColor:
      FilterByColor(*command == CommandId::kFilterByFillColor);
      break;
    case CommandId::kRefreshContents:
      RefreshContents();
      break;
    case CommandId::kTranspose:
      TransposeSelection(application_, desktop_);
      break;
    case CommandId::kShowHelp:
      ShowHelpTopic(0);
      break;
    case CommandId::kAbout:
      desktop_.ShowAbout();
      break;
    case CommandId::kContactUs:
      desktop_.OpenAddress(kSupportMailAddress);
      break;
    case CommandId::kCopyAddress:
      CopyAddress();
      break;
    case CommandId::kRecentItemsMenu:
      ShowRecentItemsMenu();
      break;
    default:
      // 18 to 27: the recent items' buttons.
      if (number >= static_cast<int32_t>(CommandId::kRecentItem0)) RunRecentItem(number);
      break;
  }
}

void CAddInManager::PostCommand(int32_t number, const CellReference* range) {
  if (!IsWorkbookOpen()) {
    ShowMessageId(kMessageOpenWorkbook);
    return;
  }
  if (range) {
    OpenTraceWindow(number, range);
    return;
  }
  desktop_.PressEscape();
  desktop_.PostToHiddenWindow(kPostedTraceMessage, static_cast<uintptr_t>(number));
}

void CAddInManager::EvaluateSelection(const CellReference* range) {
  if (range && range->externalId != 0) return;
  if (!IsWorkbookOpen()) {
    ShowMessageId(kMessageOpenWorkbookToEvaluate);
    return;
  }
  if (range) {
    OpenEvaluateWindow(range);
    return;
  }
  desktop_.PressEscape();
  desktop_.PostToHiddenWindow(kPostedEvaluateMessage, 0);
}

bool CAddInManager::OnPostedMessage(uint32_t message, uintptr_t wParam) {
  if (message == kPostedTraceMessage) {
    const std::optional<CommandId> command =
        wParam <= static_cast<uintptr_t>(CommandId::kRecentItem9)
            ? CommandFromNumber(static_cast<int32_t>(wParam))
            : std::nullopt;
    if (command && IsPostedTraceCommand(*command)) {
      OpenTraceWindow(static_cast<int32_t>(wParam), nullptr);
    }
    return true;
  }
  if (message == kPostedEvaluateMessage) {
    OpenEvaluateWindow(nullptr);
    return true;
  }
  return false;
}

std::shared_ptr<CDependencyContainer> CAddInManager::ActiveContainer(ExcelObject* workbook) {
  ExcelObject selection;
  ExcelObject sheet;
  if (!application_.GetObject(L"ActiveWorkbook", workbook) ||
      !application_.GetObject(L"Selection", &selection) ||
      !application_.GetObject(L"ActiveSheet", &sheet)) {
    return nullptr;
  }
  return GetContainer(*workbook, true);
}

namespace {

std::wstring RootAddressText(const CDependencyContainer& container, const CellReference& root) {
  return CAddressParser::FormatAddress(root.first, root.last,
                                       container.Structure().SheetNameOf(root.first.sheet));
}

}  // namespace

void CAddInManager::OpenTraceWindow(int32_t number, const CellReference* range) {
  const std::optional<CommandId> command = CommandFromNumber(number);
  if (!command || !IsPostedTraceCommand(*command)) return;
  ExcelObject workbook;
  const std::shared_ptr<CDependencyContainer> container = ActiveContainer(&workbook);
  if (!container) return;

  CellReference reference;
  if (range) {
    reference = *range;
  } else if (*command == CommandId::kShowPrecedents) {
    if (!ReadPrecedentsRange(application_, *container, &reference)) return;
  } else if (!ReadSelectionRange(application_, *container, &reference)) {
    return;
  }
  if (*command == CommandId::kShowErrors || *command == CommandId::kCalculationChain) {
    reference = CellReference();
  }
  if (*command == CommandId::kTraceError &&
      !RangeHasError(*container, reference.first, reference.last)) {
    ShowMessageId(kMessageTraceErrorNeedsError);
    return;
  }
  if (!desktop_.EnsureUiThread()) return;
  if (*command == CommandId::kShowDependents || *command == CommandId::kShowPrecedents) {
    AddRecentItem(number, workbook, RootAddressText(*container, reference));
  }
  desktop_.OpenWindow({container, static_cast<TraceKind>(number), reference, -1});
}

void CAddInManager::OpenEvaluateWindow(const CellReference* range) {
  ExcelObject workbook;
  const std::shared_ptr<CDependencyContainer> container = ActiveContainer(&workbook);
  if (!container) return;
  CellReference reference;
  if (range) {
    reference = *range;
  } else if (!ReadSelectionRange(application_, *container, &reference)) {
    return;
  }
  if (!desktop_.EnsureUiThread()) return;
  AddRecentItem(static_cast<int32_t>(CommandId::kEvaluateFormula), workbook,
                RootAddressText(*container, reference));
  desktop_.OpenWindow({container, TraceKind::kEvaluateFormula, reference, -1});
}

void CAddInManager::FilterByColor(bool fill) {
  if (!IsWorkbookOpen()) {
    ShowMessageId(kMessageOpenWorkbook);
    return;
  }
  ExcelObject workbook;
  const std::shared_ptr<CDependencyContainer> container = ActiveContainer(&workbook);
  if (!container) return;
  const std::vector<ColorMenuItem> items = ColorMenuItems(*container, fill);
  std::optional<ToolbarButtonPlace> button;
  if (UsesLegacyCommandBars() && legacyBars_) {
    button = legacyBars_->ButtonPlace(fill ? kFillColorRow : kFontColorRow);
  }
  const int32_t chosen = items.empty() ? 0 : desktop_.ChooseFromColorMenu(items, button);
  if (chosen <= 0 || !desktop_.EnsureUiThread()) return;
  desktop_.OpenWindow(
      {container, fill ? TraceKind::kFillColor : TraceKind::kFontColor, CellReference(), chosen});
}

void CAddInManager::RefreshContents() {
  if (!IsWorkbookOpen()) return;
  ExcelObject workbook;
  if (!application_.GetObject(L"ActiveWorkbook", &workbook)) return;
  const std::shared_ptr<CDependencyContainer> container = GetContainer(workbook, true);
  if (!container) return;
  const EventsGuard events(application_);
  const CalculationGuard calculation(application_);
  const ScreenUpdatingGuard screen(application_);
  container->Refresh();
}

void CAddInManager::CopyAddress() {
  std::wstring text;
  if (SelectionAddressText(application_, &text)) desktop_.Clipboard().SetUnicodeText(text);
}

void CAddInManager::ShowHelpTopic(int32_t topic) {
  desktop_.OpenAddress(std::wstring(kHelpSiteAddress) + HelpPage(topic));
}

void CAddInManager::AddRecentItem(int32_t command, const ExcelObject& workbook,
                                  const std::wstring& address) {
  CMruItem item;
  item.command = command;
  item.address = address;
  workbook.GetText(L"FullName", &item.workbook);
  std::wstring name;
  workbook.GetText(L"Name", &name);
  item.caption = MruCaption(command, name, address);
  recentItems_->Add(std::move(item));
  desktop_.InvalidateRecentItems();
  if (legacyBars_) legacyBars_->UpdateRecentItemsMenu(RecentItemCaptions());
}

std::vector<std::wstring> CAddInManager::RecentItemCaptions() const {
  std::vector<std::wstring> captions;
  captions.reserve(recentItems_->Count());
  for (const CMruItem& item : recentItems_->Items()) captions.push_back(item.caption);
  return captions;
}

void CAddInManager::LoadRecentItems(ISettingsStore& store, const TraceSink& trace) {
  recentItems_->Load(store, trace);
}

void CAddInManager::SaveRecentItems(ISettingsStore& store, const TraceSink& trace) const {
  recentItems_->Save(store, trace);
}

std::wstring CAddInManager::RecentItemCaption(size_t index) const {
  const CMruItem* item = recentItems_->Item(index);
  return item ? item->caption : std::wstring();
}

void CAddInManager::ShowRecentItemsMenu() {
  if (recentItems_->Count() == 0) return;
  const std::vector<std::wstring> captions = RecentItemCaptions();
  const int32_t chosen = desktop_.ChooseFromRecentItemsMenu(captions);
  if (chosen > 0 && static_cast<size_t>(chosen) <= captions.size()) {
    RunRecentItem(static_cast<int32_t>(CommandId::kRecentItemsMenu) + chosen);
  }
}

void CAddInManager::RunRecentItem(int32_t number) {
  const int32_t index = number - static_cast<int32_t>(CommandId::kRecentItem0);
  if (index < 0 || static_cast<size_t>(index) >= recentItems_->Count()) return;
  // A copy: running the command records a recent item, which reorders the list.
  const CMruItem item = *recentItems_->Item(static_cast<size_t>(index));
  if (!SelectRecentItemRange(application_, item, desktop_)) return;
  if (item.command == static_cast<int32_t>(CommandId::kEvaluateFormula)) {
    EvaluateSelection(nullptr);
  } else {
    PostCommand(item.command, nullptr);
  }
}

std::shared_ptr<CDependencyContainer> CAddInManager::GetContainer(const ExcelObject& workbook,
                                                                  bool create) {
  std::wstring name;
  if (!workbook.GetText(L"Name", &name)) return nullptr;
  for (const std::shared_ptr<CDependencyContainer>& container : containers_) {
    if (container->WorkbookName() == name) return container;
  }
  if (!create) return nullptr;
  auto container = std::make_shared<CDependencyContainer>();
  container->SetWorkbookName(name);
  container->SetProgress(&desktop_.Progress());
  container->SetExcelThread(&desktop_.ExcelThread());
  container->AttachWorkbook(application_, workbook);
  containers_.push_back(container);
  return container;
}

std::shared_ptr<CDependencyContainer> CAddInManager::FindContainerByWorkbookName(
    std::wstring_view name, bool create) {
  ExcelObject workbooks;
  ExcelObject workbook;
  if (!application_.GetObject(L"Workbooks", &workbooks) ||
      !FindItemByName(workbooks, name, &workbook)) {
    return nullptr;
  }
  return GetContainer(workbook, create);
}

void CAddInManager::OnSheetCalculate(const ExcelObject& sheet) {
  ExcelObject workbook;
  if (!sheet.GetObject(L"Parent", &workbook)) return;
  if (const std::shared_ptr<CDependencyContainer> container = GetContainer(workbook, false)) {
    container->MarkErrorListStale();
  }
}

void CAddInManager::OnSheetChange(const ExcelObject& sheet) {
  ExcelObject workbook;
  std::wstring name;
  if (!sheet.GetObject(L"Parent", &workbook) || !workbook.GetText(L"Name", &name)) return;
  if (const std::shared_ptr<CDependencyContainer> container =
          FindContainerByWorkbookName(name, false)) {
    container->MarkStale();
  }
}

void CAddInManager::OnWorkbookOpen() {
  if (cellMenuBuilt_) return;
  cellMenuBuilt_ = true;
  // From 12 on the ribbon's document carries the cell menu's submenu.
  if (UsesLegacyCommandBars() && legacyBars_) legacyBars_->BuildCellContextMenu();
}

void CAddInManager::OnWorkbookBeforeClose(const std::wstring& name) {
  const auto closing =
      std::find_if(containers_.begin(), containers_.end(),
                   [&name](const auto& container) { return container->WorkbookName() == name; });
  if (closing == containers_.end()) return;
  desktop_.CloseWindowManager();
  // Windows still holding the container keep it alive; they learn of its end when it goes.
  containers_.erase(closing);
}

bool CAddInManager::IsWorkbookOpen() const { return ::IsWorkbookOpen(application_); }

void CAddInManager::ShowMessageId(int32_t id) { desktop_.ShowMessage(MessageText(id)); }
