// Message boxes with the product's caption, their owner, and the deferral during host calls.
#include "addin/win32/message_boxes.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

#include "addin/user_messages.h"
#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"

namespace {

// Process-wide. The depth and the kept text change on the thread making host calls and are
// read on Excel's thread during them, so they are guarded although calls are one at a time.
struct DeferralState {
  std::mutex lock;
  int depth = 0;
  std::optional<std::wstring> pending;
};

DeferralState& Deferral() {
  static DeferralState state;
  return state;
}

std::atomic<HWND> excelMainWindow{nullptr};

bool BelongsToCallingThread(HWND window) {
  return window != nullptr && ::IsWindow(window) != FALSE &&
         ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
}

HWND MessageOwner(HWND window) {
  if (BelongsToCallingThread(window)) return window;
  HWND excel = excelMainWindow.load();
  if (BelongsToCallingThread(excel)) return excel;
  return ::GetForegroundWindow();
}

std::wstring ProductCaption() {
  std::wstring caption = LoadModuleString(IDS_PRODUCT_TITLE);
  return caption.empty() ? std::wstring(L"Trelvane") : caption;
}

}  // namespace

void SetMessageOwnerWindow(HWND excelWindow) {
  excelMainWindow.store(excelWindow);
}

std::wstring LoadModuleString(int id) {
  // With a zero length LoadStringW lends the resource's own characters, without a terminator.
  const wchar_t* characters = nullptr;
  const int length = ::LoadStringW(ModuleInstance(), static_cast<UINT>(id),
                                   reinterpret_cast<LPWSTR>(&characters), 0);
  if (length <= 0 || characters == nullptr) return {};
  return std::wstring(characters, static_cast<size_t>(length));
}

int ShowMessage(const std::wstring& text, UINT type, HWND window) {
  {
    DeferralState& state = Deferral();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.depth > 0) {
      // An OK box carries news only; a question cannot wait for an answer nobody can give.
      if ((type & MB_TYPEMASK) == MB_OK) state.pending = text;
      return 0;
    }
  }
  return ::MessageBoxW(MessageOwner(window), text.c_str(), ProductCaption().c_str(), type);
}

int ShowMessageId(int id, UINT type, HWND window) {
  std::wstring text = LoadModuleString(id);
  // A module built without the string table still says something sensible.
  if (text.empty()) text = MessageText(id);
  return ShowMessage(text, type, window);
}

CDeferredMessageScope::CDeferredMessageScope() {
  DeferralState& state = Deferral();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.depth++ == 0) state.pending.reset();
}

CDeferredMessageScope::~CDeferredMessageScope() {
  std::optional<std::wstring> pending;
  {
    DeferralState& state = Deferral();
    std::lock_guard<std::mutex> guard(state.lock);
    if (--state.depth == 0) pending = std::exchange(state.pending, std::nullopt);
  }
  if (!pending) return;
  try {
    ShowMessage(*pending, MB_OK, nullptr);
  } catch (...) {
    // A scope may end while an exception unwinds; the message is lost rather than the process.
  }
}

bool MessagesShownAtOnce() {
  DeferralState& state = Deferral();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.depth == 0;
}
