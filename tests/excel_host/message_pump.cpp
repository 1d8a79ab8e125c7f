// The test thread's message loop with a deadline.
#include "tests/excel_host/message_pump.h"

#include <windows.h>

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

// Handles what is queued now; true when there was anything.
bool HandleQueuedMessages() {
  bool any = false;
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    any = true;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return any;
}

// Waits for a message (sent ones are handled inside the wait) for at most `slice`.
void WaitForMessages(std::chrono::milliseconds slice) {
  const auto wait = static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(slice.count(), 0));
  ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    HandleQueuedMessages();
    if (done()) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    WaitForMessages(std::min(left, std::chrono::milliseconds(20)));
  }
}

bool PumpMessagesUntilIdle(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  auto lastMessage = Clock::now();
  for (;;) {
    if (HandleQueuedMessages()) lastMessage = Clock::now();
    const auto now = Clock::now();
    if (now - lastMessage >= quiet) return true;
    if (now >= deadline) return false;
    WaitForMessages(std::chrono::milliseconds(10));
  }
}
