// IAddInDesktop: what only a desktop has, as the command handlers need it. The Windows add-in
// implements it with its hidden window, UI thread, window manager, menus and clipboard; the
// command line with a queue, printers and files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "container/operation_progress.h"
#include "engine/related.h"
#include "excel/excel_thread.h"
#include "export/color_menu_items.h"
#include "formula/cell_reference.h"
#include "platform/clipboard.h"
#include "platform/message_sink.h"

// Messages of the hidden window.
inline constexpr uint32_t kPostedTraceMessage = 0x8001;     // WM_APP + 1, wParam = command
inline constexpr uint32_t kPostedEvaluateMessage = 0x8002;  // WM_APP + 2, wParam = 0

// A legacy toolbar button on the screen, in pixels.
struct ToolbarButtonPlace {
  LONG left = 0;
  LONG top = 0;
  LONG height = 0;
};

// A trace or evaluate window to open: what the window object is given before it is created.
struct WindowRequest {
  std::shared_ptr<CDependencyContainer> container;
  TraceKind kind = TraceKind::kPrecedents;  // kEvaluateFormula for the evaluate window
  CellReference root;
  int32_t colorIndex = -1;  // the colour filtered by kinds 7 and 8
};

class IAddInDesktop : public IMessageSink {
 public:
  // Posts Escape key down and up to the window with the keyboard focus, so that Excel leaves
  // cell editing before the posted command runs.
  virtual void PressEscape() = 0;
  // Posts to the hidden window; the message is handled after the current callback returns.
  virtual void PostToHiddenWindow(uint32_t message, uintptr_t wParam) = 0;
  // Starts the UI thread on first use; false when it cannot be started.
  virtual bool EnsureUiThread() = 0;
  // Creates the window on the UI thread, hands it to the window manager and activates it.
  virtual void OpenWindow(const WindowRequest& request) = 0;
  // Shows the colour menu and answers the chosen id, 0 when nothing was chosen. With the legacy
  // toolbar shown, `button` is the command's button, under which the menu opens when the
  // command was clicked there.
  virtual int32_t ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                                      const std::optional<ToolbarButtonPlace>& button) = 0;
  virtual IClipboard& Clipboard() = 0;
  // The recent-items list changed: the ribbon is invalidated and the legacy Recent Items menu
  // updated, so that both show the new order.
  virtual void InvalidateRecentItems() = 0;
  // Shows the captions as a popup menu at the cursor, owned by Excel's window; answers the chosen
  // item counted from 1, 0 when none was chosen.
  virtual int32_t ChooseFromRecentItemsMenu(const std::vector<std::wstring>& captions) = 0;
  // Help, mail and About: the shell and the About box.
  virtual void OpenAddress(const std::wstring& address) = 0;
  virtual void ShowAbout() = 0;
  // A workbook with a container is closing: the window manager closes, and with it every window
  // it hosts, those of other workbooks too.
  virtual void CloseWindowManager() = 0;
  // The progress and Stop of every long operation on a workbook: the progress window on Windows,
  // a status line and Ctrl-C on the command line.
  virtual IOperationProgress& Progress() = 0;
  // Where the windows' reads of a workbook run: Excel's thread through the host call on Windows,
  // the caller's thread on the command line.
  virtual IExcelThread& ExcelThread() = 0;
};
