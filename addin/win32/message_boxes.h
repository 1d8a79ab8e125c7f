// The add-in's one message-box function, and the deferral that holds messages back while a host
// call crosses from the UI thread to Excel's thread.
#pragma once

#include <windows.h>

#include <string>

// Excel's main window, which owns messages raised on its thread; null before the add-in attaches.
void SetMessageOwnerWindow(HWND excelWindow);

// Shows `text` with the caption "Trelvane" and answers the box's result. Owner: `window` when it
// exists and belongs to the calling thread, else Excel's window when it does, else the
// foreground window. While a host call is in progress nothing is shown and 0 is answered; a
// message with only an OK button is kept (a later one replacing it) and shown when the call ends.
int ShowMessage(const std::wstring& text, UINT type, HWND window = nullptr);
// The same with the text of string `id` of the module's string table.
int ShowMessageId(int id, UINT type, HWND window = nullptr);
// A string of the module's string table; empty when there is none.
std::wstring LoadModuleString(int id);

// Held around every host call. Messages are deferred while at least one scope exists; the last
// one to end shows the message kept meanwhile, if any.
class CDeferredMessageScope {
 public:
  CDeferredMessageScope();
  ~CDeferredMessageScope();
  CDeferredMessageScope(const CDeferredMessageScope&) = delete;
  CDeferredMessageScope& operator=(const CDeferredMessageScope&) = delete;
};

// Whether messages are shown at once (no host call in progress).
bool MessagesShownAtOnce();
