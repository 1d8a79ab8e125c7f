// CAddInSession: what a connection to Excel makes and keeps until the add-in object goes: the
// Windows desktop, the manager, the application event sink and its connection, and, before
// Excel 12, the legacy command bars. Start and Shutdown are the manager's steps at Excel's
// start-up complete and beginning shutdown.
#pragma once

#include <string>
#include <string_view>

#include "addin/addin_manager.h"
#include "addin/application_events.h"
#include "addin/legacy_command_bars.h"
#include "addin/win32/command_bar_buttons.h"
#include "addin/win32/event_connection.h"
#include "addin/win32/win32_desktop.h"
#include "excel/excel_object.h"

class CAddInSession {
 public:
  // Makes the manager and attaches it to the application.
  explicit CAddInSession(const ExcelObject& application);
  // The window manager, the host window and the hidden window go with the desktop, after the
  // events are unadvised and the manager is gone.
  ~CAddInSession();
  CAddInSession(const CAddInSession&) = delete;
  CAddInSession& operator=(const CAddInSession&) = delete;

  // The progress window's colours, the recent items from the registry, the application events;
  // before Excel 12 the Tools submenu, the toolbar where the user left it and their buttons.
  void Start();
  // The recent items and the toolbar's placement to the registry, the Tools submenu's and the
  // toolbar's buttons and the application events disconnected.
  void Shutdown();
  bool IsStarted() const { return started_; }

  CAddInManager& Manager() { return manager_; }
  CWin32Desktop& Desktop() { return desktop_; }

  // The ribbon's callbacks that need more than a control id.
  void ButtonClicked(std::wstring_view controlId);
  std::wstring ButtonLabel(std::wstring_view controlId) const;
  bool ButtonVisible(std::wstring_view controlId) const;
  void OnLoadCustomUi(IDispatch* ribbon) { desktop_.SetRibbon(ribbon); }

 private:
  ExcelObject application_;
  CWin32Desktop desktop_;
  CAddInManager manager_;
  CEventHandlerApp sink_;
  EventConnection events_;
  // After the manager: the buttons' sinks call it until they are gone.
  CWin32CommandBarButtons buttons_;
  CLegacyCommandBars legacyBars_;
  bool started_ = false;
};
