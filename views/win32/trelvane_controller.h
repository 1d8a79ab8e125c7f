// ITrelvaneController: what the trace and evaluate windows need from the add-in around them:
// opening further windows, Excel's window and thread, messages, clipboard, progress and help.
// The add-in's desktop implements it; tests give their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "container/dependency_container.h"
#include "container/operation_progress.h"
#include "engine/related.h"
#include "excel/excel_thread.h"
#include "formula/cell_reference.h"
#include "platform/clipboard.h"
#include "platform/message_sink.h"

class ITrelvaneController {
 public:
  virtual ~ITrelvaneController() = default;
  // Opens another window on the same workbook: a trace of `kind`, or the evaluate window for
  // TraceKind::kEvaluateFormula; `colorIndex` only for the colour filters. Any thread.
  virtual void OpenWindow(std::shared_ptr<CDependencyContainer> container, TraceKind kind,
                          const CellReference& root, int32_t colorIndex) = 0;
  // Excel's main window, to bring it to the front and to find the workbook windows under it.
  virtual HWND ExcelWindow() const = 0;
  // Where every read or write of the workbook runs.
  virtual IExcelThread& ExcelThread() = 0;
  // The add-in's message box (deferred while a host call is running).
  virtual IMessageSink& Messages() = 0;
  virtual IClipboard& Clipboard() = 0;
  // The progress window of long operations (expand all, find), with its Stop.
  virtual IOperationProgress& Progress() = 0;
  // The help topic of a window (its number from 1), in the browser.
  virtual void OpenHelp(int32_t topic) = 0;
  // The container of another open workbook, by its Workbook.Name, for external references;
  // null when that workbook is not open (or the add-in does not know it).
  virtual std::shared_ptr<CDependencyContainer> FindContainerByWorkbookName(
      const std::wstring& /*name*/) {
    return nullptr;
  }
};
