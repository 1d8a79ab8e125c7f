// The UI thread: its start-up handshake, handler window, message loop and end.
#include "addin/win32/ui_thread.h"

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const wchar_t* kUiEventGuid = L"{2B8E5F31-7C4A-4D96-B0E2-91A63D5C7F08}";

CScopedKernelHandle OpenUiThreadEvent() {
  // Auto-reset, created signalled; every use opens the same kernel event by name.
  return CScopedKernelHandle(::CreateEventW(nullptr, FALSE, TRUE, UiThreadEventName().c_str()));
}

void SignalUiThreadEvent() {
  CScopedKernelHandle event = OpenUiThreadEvent();
  if (event) ::SetEvent(event.Get());
}

// Waits for `object` (or for `ended`, which ends the wait with false) while dispatching the
// messages other threads send to this one.
bool WaitLettingSentMessagesIn(HANDLE object, HANDLE ended, DWORD timeoutMs) {
  const HANDLE handles[2] = {object, ended};
  const DWORD count = ended != nullptr ? 2 : 1;
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    DWORD remaining = INFINITE;
    if (timeoutMs != INFINITE) {
      const ULONGLONG spent = ::GetTickCount64() - start;
      if (spent >= timeoutMs) return false;
      remaining = static_cast<DWORD>(timeoutMs - spent);
    }
    const DWORD woken =
        ::MsgWaitForMultipleObjects(count, handles, FALSE, remaining, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + count) return false;  // ended, timed out or failed
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

class CUiThreadHandlerWnd final : public CWindowBase {
 public:
  bool Create() {
    return CWindowBase::Create(L"TrelvaneUiThreadHandler", 0, WS_POPUP, nullptr, nullptr);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override {
    switch (message) {
      case kCreateDialogMessage: {
        *handled = true;
        auto* dialog = reinterpret_cast<CDialogBase*>(lParam);
        if (dialog != nullptr) dialog->CreateModeless(static_cast<int>(wParam), nullptr);
        SignalUiThreadEvent();
        return 0;
      }
      case kActivateWindowMessage: {
        *handled = true;
        HWND window = reinterpret_cast<HWND>(lParam);
        if (::IsWindow(window) != FALSE) {
          ::ShowWindow(window, SW_SHOW);
          ::SetForegroundWindow(window);
        }
        return 0;
      }
      case kRunOnUiThreadMessage: {
        *handled = true;
        std::unique_ptr<std::function<void()>> work(
            reinterpret_cast<std::function<void()>*>(lParam));
        const bool signal = wParam != 0;
        try {
          if (work && *work) (*work)();
        } catch (...) {
          // The requester learns of a failure from what the work left undone.
        }
        if (signal) SignalUiThreadEvent();
        return 0;
      }
      default:
        return CWindowBase::OnMessage(message, wParam, lParam, handled);
    }
  }
};

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

void RunUiThread(const std::shared_ptr<HWND>& handlerOut) {
  CUiThreadHandlerWnd handler;
  const bool created = handler.Create();
  *handlerOut = created ? handler.Hwnd() : nullptr;
  SignalUiThreadEvent();
  if (!created) return;
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (CDialogBase::PreTranslate(&message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  // The windows still open go now, so that objects owning themselves are deleted.
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectThreadWindow,
                      reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (window != handler.Hwnd() && ::IsWindow(window) != FALSE) ::DestroyWindow(window);
  }
}

// The parameter is a heap copy of where to report the handler window, shared with the starter
// (which reads it after the event) so that neither outlives it.
DWORD WINAPI UiThreadMain(void* parameter) {
  const std::unique_ptr<std::shared_ptr<HWND>> handlerOut(
      static_cast<std::shared_ptr<HWND>*>(parameter));
  try {
    RunUiThread(*handlerOut);
  } catch (...) {
    return 1;
  }
  return 0;
}

}  // namespace

std::wstring UiThreadEventName() {
  return std::wstring(L"Trelvane.UiThread.") + kUiEventGuid + L"." +
         std::to_wstring(::GetCurrentProcessId());
}

std::unique_ptr<CNuvUIThread> CNuvUIThread::Start() {
  CScopedKernelHandle event = OpenUiThreadEvent();
  if (!event) return nullptr;
  std::unique_ptr<CNuvUIThread> thread(new CNuvUIThread());
  const auto handler = std::make_shared<HWND>(nullptr);
  auto parameter = std::make_unique<std::shared_ptr<HWND>>(handler);
  thread->thread_.Reset(::CreateThread(nullptr, 0, &UiThreadMain, parameter.get(), CREATE_SUSPENDED,
                                       &thread->threadId_));
  if (!thread->thread_) return nullptr;
  (void)parameter.release();  // the thread deletes it
  ::ResetEvent(event.Get());
  ::ResumeThread(thread->thread_.Get());
  if (!thread->WaitForHandshake(event.Get()) || *handler == nullptr) {
    // The thread ended, or ends at once without a handler window.
    ::WaitForSingleObject(thread->thread_.Get(), kUiThreadEndWaitMs);
    thread->threadId_ = 0;
    return nullptr;
  }
  thread->handler_ = *handler;
  return thread;
}

CNuvUIThread::~CNuvUIThread() {
  if (!thread_ || threadId_ == 0) return;
  ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitLettingSentMessagesIn(thread_.Get(), nullptr, kUiThreadEndWaitMs);
}

bool CNuvUIThread::WaitForHandshake(HANDLE event) const {
  return WaitLettingSentMessagesIn(event, thread_.Get(), INFINITE);
}

void CNuvUIThread::RequestDialog(CDialogBase* dialog, int templateId, bool wait) {
  CScopedKernelHandle event = OpenUiThreadEvent();
  if (wait && event) ::ResetEvent(event.Get());
  if (::PostMessageW(handler_, kCreateDialogMessage, static_cast<WPARAM>(templateId),
                     reinterpret_cast<LPARAM>(dialog)) == FALSE) {
    return;
  }
  if (wait && event) WaitForHandshake(event.Get());
}

void CNuvUIThread::ActivateWindow(HWND window) {
  ::PostMessageW(handler_, kActivateWindowMessage, 0, reinterpret_cast<LPARAM>(window));
}

void CNuvUIThread::RunOnUiThread(std::function<void()> work, bool wait) {
  if (::GetCurrentThreadId() == threadId_) {
    work();
    return;
  }
  CScopedKernelHandle event = OpenUiThreadEvent();
  if (wait && event) ::ResetEvent(event.Get());
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  if (::PostMessageW(handler_, kRunOnUiThreadMessage, wait ? 1 : 0,
                     reinterpret_cast<LPARAM>(owned.get())) == FALSE) {
    return;
  }
  (void)owned.release();  // the handler window deletes it
  if (wait && event) WaitForHandshake(event.Get());
}
