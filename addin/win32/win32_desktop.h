// CWin32Desktop: the Windows desktop the add-in's manager works through: the hidden window that
// runs posted commands, the host window and the UI thread, the window manager's frame, menus,
// clipboard, shell and message boxes, and the progress window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <atomic>

#include "addin/desktop.h"
#include "addin/win32/hidden_window.h"
#include "addin/win32/host_window.h"
#include "addin/win32/ui_thread.h"
#include "addin/win32/win32_clipboard.h"
#include "platform/com_ptr.h"
#include "views/progress_window.h"
#include "views/win32/trelvane_controller.h"

class CAddInManager;


// Made, used and destroyed on Excel's thread. Destruction closes the frame, ends the UI thread
// (whose windows go with it), then destroys the host window and the hidden window. The trace and
// evaluate windows reach the add-in through it as their controller, from the UI thread.
class CWin32Desktop final : public IAddInDesktop, public ITrelvaneController {
 public:
  CWin32Desktop();  // creates the hidden window
  ~CWin32Desktop() override;
  CWin32Desktop(const CWin32Desktop&) = delete;
  CWin32Desktop& operator=(const CWin32Desktop&) = delete;

  // Not owned; the hidden window's commands go to it. May be null.
  void SetManager(CAddInManager* manager);
  // Excel's main window: the host window becomes its child (once per process), and it owns the
  // messages and the recent-items menu.
  void AttachToExcel(HWND excelWindow);
  // Application.Version's leading number: the window manager's colours follow the Office theme
  // from version 12 on.
  void SetExcelMajorVersion(int32_t majorVersion) { excelMajorVersion_ = majorVersion; }
  // The ribbon handed to onLoad, held; invalidated when the recent items change. May be null.
  void SetRibbon(IDispatch* ribbonUi);
  HWND ExcelWindow() const override { return excelWindow_; }
  HWND HiddenWindow() const { return hidden_.Hwnd(); }
  // The window manager's frame, null until a window was opened (or after it closed).
  HWND WindowManagerWindow() const;
  // The UI thread, null until started.
  CNuvUIThread* UiThread() const { return uiThread_.get(); }
  // Set while an owner-drawn menu owned by the hidden window is open.
  void SetOwnerDrawDelegate(IOwnerDrawDelegate* delegate) {
    hidden_.SetOwnerDrawDelegate(delegate);
  }

  // IMessageSink: an OK box with the product's title, deferred during host calls.
  void ShowMessage(const std::wstring& text) override;
  // IAddInDesktop.
  void PressEscape() override;
  void PostToHiddenWindow(uint32_t message, uintptr_t wParam) override;
  bool EnsureUiThread() override;
  void OpenWindow(const WindowRequest& request) override;
  int32_t ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                              const std::optional<ToolbarButtonPlace>& button) override;
  IClipboard& Clipboard() override { return clipboard_; }
  void InvalidateRecentItems() override;
  int32_t ChooseFromRecentItemsMenu(const std::vector<std::wstring>& captions) override;
  void OpenAddress(const std::wstring& address) override;
  void ShowAbout() override;
  void CloseWindowManager() override;
  IOperationProgress& Progress() override { return progress_; }
  IExcelThread& ExcelThread() override { return excelThread_; }
  // ITrelvaneController, for the windows on the UI thread.
  void OpenWindow(std::shared_ptr<CDependencyContainer> container, TraceKind kind,
                  const CellReference& root, int32_t colorIndex) override;
  IMessageSink& Messages() override { return *this; }
  void OpenHelp(int32_t topic) override;

 private:
  // The frame, made on the UI thread on first need; null when it cannot be made.
  HWND GetWindowManager();
  // Hands a new window for `request` to the frame; false when there is no frame.
  bool PostWindow(HWND frame, const WindowRequest& request);
  // A popup of `texts` (ids from 1) at the cursor owned by `owner`; the chosen id or 0.
  static int32_t TrackTextMenu(const std::vector<std::wstring>& texts,
                               const std::vector<int32_t>& ids, HWND owner);

  const DWORD excelThreadId_;
  CHiddenWnd hidden_;
  HWND excelWindow_ = nullptr;
  std::unique_ptr<CHostWnd> host_;
  std::unique_ptr<CNuvUIThread> uiThread_;
  // Owned by itself on the UI thread; read there too, when a window opens another.
  std::atomic<HWND> frame_ = nullptr;
  int32_t excelMajorVersion_ = 0;
  CComPtr<IDispatch> ribbon_;
  CWin32Clipboard clipboard_;
  CWin32ExcelThread excelThread_;
  ProgressWindow progress_;
};
