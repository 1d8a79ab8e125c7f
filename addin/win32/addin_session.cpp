#include "addin/win32/addin_session.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "addin/ribbon_ui.h"
#include "addin/toolbar_settings.h"
#include "addin/win32/com_error.h"
#include "addin/win32/office_interfaces.h"
#include "addin/win32/registry_settings_store.h"
#include "views/win32/loading_progress.h"

namespace {

// The recent items' trace lines, for a debugger watching the add-in.
void TraceToDebugger(const std::wstring& line) {
  OutputDebugStringW((line + L"\n").c_str());
}

}  // namespace

CAddInSession::CAddInSession(const ExcelObject& application)
    : application_(application),
      manager_(application, desktop_),
      buttons_(manager_, desktop_.HiddenWindow()),
      legacyBars_(application, buttons_) {
  desktop_.SetManager(&manager_);
  manager_.Attach(application);
  const HWND excel = manager_.ExcelWindow() != 0
                         ? reinterpret_cast<HWND>(static_cast<LONG_PTR>(manager_.ExcelWindow()))
                         : GetForegroundWindow();
  desktop_.AttachToExcel(excel);
  desktop_.SetExcelMajorVersion(manager_.MajorVersion());
  sink_.SetManager(&manager_);
  sink_.SetErrorReporter(
      [](HRESULT error, const wchar_t* context) { ShowComError(error, context); });
}

CAddInSession::~CAddInSession() {
  manager_.SetLegacyCommandBars(nullptr);
  events_.Unadvise();
  sink_.SetManager(nullptr);
  desktop_.SetManager(nullptr);
}

void CAddInSession::Start() {
  ComputeProgressGradientColors();
  CRegistrySettingsStore store;
  manager_.LoadRecentItems(store, TraceToDebugger);
  const bool legacy = manager_.UsesLegacyCommandBars();
  if (legacy) {
    manager_.SetLegacyCommandBars(&legacyBars_);
    legacyBars_.BuildWorksheetMenu();
    legacyBars_.BuildToolbar(LoadToolbarPlacement(store));
  }
  events_.Advise(application_.Get(), DIID_AppEvents, &sink_);
  if (legacy) {
    legacyBars_.BuildCommandControls();
    legacyBars_.UpdateRecentItemsMenu(manager_.RecentItemCaptions());
  }
  started_ = true;
}

void CAddInSession::Shutdown() {
  CRegistrySettingsStore store;
  manager_.SaveRecentItems(store, TraceToDebugger);
  if (const std::optional<ToolbarPlacement> placement = legacyBars_.ReadToolbarPlacement()) {
    SaveToolbarPlacement(store, *placement);
  }
  legacyBars_.DisconnectCommandItems();
  events_.Unadvise();
}

void CAddInSession::ButtonClicked(std::wstring_view controlId) {
  if (controlId.empty()) return;
  if (const auto command = CommandFromControlId(controlId)) {
    manager_.ExecuteCommand(static_cast<int32_t>(*command));
  }
}

std::wstring CAddInSession::ButtonLabel(std::wstring_view controlId) const {
  std::vector<std::wstring> captions;
  for (size_t i = 0; i < manager_.RecentItemCount(); ++i) {
    captions.push_back(manager_.RecentItemCaption(i));
  }
  return RecentItemButtonLabel(controlId, captions);
}

bool CAddInSession::ButtonVisible(std::wstring_view controlId) const {
  return RecentItemButtonVisible(controlId, manager_.RecentItemCount());
}
