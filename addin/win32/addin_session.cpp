#include "addin/win32/addin_session.h"

#include <windows.h>

#include <vector>

#include "addin/ribbon_ui.h"
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
    : application_(application), manager_(application, desktop_) {
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
  events_.Unadvise();
  sink_.SetManager(nullptr);
  desktop_.SetManager(nullptr);
}

void CAddInSession::Start() {
  ComputeProgressGradientColors();
  CRegistrySettingsStore store;
  manager_.LoadRecentItems(store, TraceToDebugger);
  // Versions before 12 get the legacy menus and toolbar instead of the ribbon; they are built
  // with the command bars.
  events_.Advise(application_.Get(), DIID_AppEvents, &sink_);
  started_ = true;
}

void CAddInSession::Shutdown() {
  CRegistrySettingsStore store;
  manager_.SaveRecentItems(store, TraceToDebugger);
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
