// CAddInSession: what a connection to Excel makes and keeps until the add-in object goes: the
// Windows desktop, the manager, the application event sink and its connection. Start and
// Shutdown are the manager's steps at Excel's start-up complete and beginning shutdown.
#pragma once

#include <string>
#include <string_view>

#include "addin/addin_manager.h"
#include "addin/application_events.h"
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

  // The progress window's colours, the recent items from the registry, the application events.
  // The legacy menus and toolbar of versions before 12 come with the command bars.
  void Start();
  // The recent items to the registry, the application events unadvised.
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
  bool started_ = false;
};
