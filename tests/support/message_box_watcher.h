// CMessageBoxWatcher (Windows): answers the message boxes this process shows, from a thread of
// its own, and records what each one said, so that a test can run code that shows one.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace test_support {

struct SeenMessageBox {
  std::wstring text;  // the message, as its static control shows it
  HWND owner;         // the box's owner window (null for none)
  DWORD thread;       // the thread that showed it
};

// Watches for visible dialogs (class "#32770") of this process whose caption is `caption`; each
// is recorded and answered by pressing its button `answer` (IDOK, IDYES, ...). Start it before
// the code that shows a box; it stops when destroyed. `beforeAnswer`, when given, is called with
// each box on the watcher's thread before it is answered (to take its picture).
class CMessageBoxWatcher {
 public:
  static constexpr std::chrono::milliseconds kPollInterval{20};

  explicit CMessageBoxWatcher(std::wstring caption = L"Trelvane", int answer = IDOK,
                              std::function<void(HWND)> beforeAnswer = {})
      : caption_(std::move(caption)),
        answer_(answer),
        beforeAnswer_(std::move(beforeAnswer)),
        watcher_([this] { Watch(); }) {}
  ~CMessageBoxWatcher() {
    stop_.store(true);
    watcher_.join();
  }
  CMessageBoxWatcher(const CMessageBoxWatcher&) = delete;
  CMessageBoxWatcher& operator=(const CMessageBoxWatcher&) = delete;

  // Waits until at least `count` boxes have been answered; false when `timeout` ran out first.
  bool WaitForCount(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return seen_.size() >= count; });
  }
  std::vector<SeenMessageBox> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  std::vector<std::wstring> Texts() {
    std::vector<std::wstring> texts;
    for (const SeenMessageBox& box : Seen()) texts.push_back(box.text);
    return texts;
  }

 private:
  static std::wstring TextOf(HWND window) {
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
  }
  static std::wstring ClassOf(HWND window) {
    wchar_t buffer[64] = {};
    ::GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
  }
  // The message: the text of the box's static controls that are not its icon.
  static std::wstring MessageOf(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      const auto style = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_STYLE));
      if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0 || (style & SS_TYPEMASK) == SS_ICON) {
        continue;
      }
      const std::wstring part = TextOf(child);
      if (part.empty()) continue;
      if (!text.empty()) text += L'\n';
      text += part;
    }
    return text;
  }
  static BOOL CALLBACK Collect(HWND window, LPARAM list) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
  }

  void Watch() {
    std::vector<HWND> answered;
    while (!stop_.load()) {
      std::vector<HWND> windows;
      ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&windows));
      // A handle closed may come back for a new box.
      std::erase_if(answered, [](HWND window) { return ::IsWindow(window) == FALSE; });
      for (HWND window : windows) {
        if (::IsWindowVisible(window) == FALSE || ClassOf(window) != L"#32770" ||
            TextOf(window) != caption_ ||
            std::find(answered.begin(), answered.end(), window) != answered.end()) {
          continue;
        }
        SeenMessageBox box{MessageOf(window), ::GetWindow(window, GW_OWNER),
                           ::GetWindowThreadProcessId(window, nullptr)};
        answered.push_back(window);
        if (beforeAnswer_) beforeAnswer_(window);
        // BN_CLICKED is 0: the high word of wParam stays clear.
        ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(static_cast<WORD>(answer_)),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, answer_)));
        {
          std::lock_guard<std::mutex> lock(mutex_);
          seen_.push_back(std::move(box));
        }
        changed_.notify_all();
      }
      std::this_thread::sleep_for(kPollInterval);
    }
  }

  const std::wstring caption_;
  const int answer_;
  const std::function<void(HWND)> beforeAnswer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SeenMessageBox> seen_;
  std::thread watcher_;  // last: starts once everything it uses exists
};

}  // namespace test_support
