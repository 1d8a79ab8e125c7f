// What the add-in's end-to-end tests share: the add-in's DLL of this build, registered once per
// run as a user registers it; the stored recent items; pictures of the add-in's windows; and a
// fixture with the Excel test host, a message-box watcher and a guard against modal hangs.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/scoped_handles.h"
#include "tests/excel_host/addin_registration.h"
#include "tests/excel_host/desktop_windows.h"
#include "tests/excel_host/excel_host.h"
#include "tests/excel_host/hosted_windows.h"
#include "tests/excel_host/message_pump.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/window_screenshot.h"

namespace addin_host {

// Waits on the add-in's other threads are bounded: a test fails rather than hangs.
inline constexpr std::chrono::milliseconds kWindowWait{15000};

// The add-in's DLL as Wine names it; nothing when this build has none.
inline std::optional<std::wstring> AddInDllPath() {
#ifdef TRELVANE_ADDIN_DLL
  const std::wstring path = WinePathOf(TRELVANE_ADDIN_DLL);
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
#endif
  return std::nullopt;
}

// Whether this run registered the DLL and nothing has unregistered it since.
inline bool& RegisteredThisRun() {
  static bool registered = false;
  return registered;
}

inline bool EnsureAddInRegistered(const std::wstring& dll) {
  if (!RegisteredThisRun()) RegisteredThisRun() = RunRegsvr32(dll, false) == DWORD{0};
  return RegisteredThisRun();
}

// The titles of the windows the window manager hosts (sorted) once it hosts at least `count`
// and each has its own title (not yet its template's caption) that held for one poll; what it
// hosts when the wait runs out otherwise. Pumps this thread's messages meanwhile.
inline std::vector<std::wstring> WaitForHostedTitles(std::size_t count) {
  std::vector<std::wstring> titles;
  std::vector<std::wstring> before;
  PumpMessagesUntil(
      [&] {
        before = std::exchange(titles, HostedWindowTitles());
        if (titles.size() < count || titles != before) return false;
        for (const std::wstring& title : titles) {
          if (title.empty() || title == L"Excel Trelvane" || title == L"Evaluate formula") {
            return false;
          }
        }
        return true;
      },
      kWindowWait);
  return titles;
}

// The add-in's recent items as it saves them in the current user's registry.
inline constexpr wchar_t kRecentItemsKey[] = L"Software\\NUV\\MRU";

struct StoredRecentItem {
  std::uint32_t command = 0;
  std::wstring caption;
  std::wstring workbook;
  std::wstring address;
};

inline void ClearStoredRecentItems() {
  DeleteRegistryTree(HKEY_CURRENT_USER, kRecentItemsKey);
}

inline bool WriteRegistryText(HKEY key, const wchar_t* name, const std::wstring& text) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

inline bool WriteRegistryDword(HKEY key, const wchar_t* name, DWORD value) {
  return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

// Replaces the stored list, as an earlier Excel session would have left it.
inline bool StoreRecentItems(const std::vector<StoredRecentItem>& items) {
  ClearStoredRecentItems();
  CScopedRegistryKey list;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRecentItemsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        list.Receive(), nullptr) != ERROR_SUCCESS ||
      !WriteRegistryDword(list.Get(), L"Count", static_cast<DWORD>(items.size()))) {
    return false;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    CScopedRegistryKey item;
    const std::wstring name = L"Item" + std::to_wstring(i);
    if (::RegCreateKeyExW(list.Get(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          item.Receive(), nullptr) != ERROR_SUCCESS ||
        !WriteRegistryDword(item.Get(), L"Command", items[i].command) ||
        !WriteRegistryText(item.Get(), L"Caption", items[i].caption) ||
        !WriteRegistryText(item.Get(), L"Workbook", items[i].workbook) ||
        !WriteRegistryText(item.Get(), L"Address", items[i].address)) {
      return false;
    }
  }
  return true;
}

// A picture of a window the add-in shows, named after the running test, when TRELVANE_SCREENSHOTS
// asks for pictures. The window gets a moment to paint first.
inline void TakePictureIfAsked(HWND window, const std::wstring& what) {
  const wchar_t* folder = ::_wgetenv(L"TRELVANE_SCREENSHOTS");
  if (folder == nullptr || *folder == L'\0') return;
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  static std::atomic<int> taken{0};
  std::wstring test = L"test";
  if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    const std::string name = info->name();
    test.assign(name.begin(), name.end());
  }
  test_support::SaveScreenshotIfAsked(window, test + L"_" + what + L"_" + std::to_wstring(++taken));
}

// Answers the popup menus this process shows (the colour menu) from a thread of its own: the
// first item chosen with the keyboard, or the menu cancelled with Escape.
class CPopupMenuPicker {
 public:
  explicit CPopupMenuPicker(bool choose = true) : choose_(choose), watcher_([this] { Watch(); }) {}
  ~CPopupMenuPicker() {
    stop_ = true;
    watcher_.join();
  }
  CPopupMenuPicker(const CPopupMenuPicker&) = delete;
  CPopupMenuPicker& operator=(const CPopupMenuPicker&) = delete;

  int Shown() const { return shown_; }

 private:
  void Watch() {
    bool answered = false;
    while (!stop_) {
      HWND menu = FindPopupMenu();
      if (menu == nullptr) {
        answered = false;
      } else if (!answered) {
        answered = true;
        ++shown_;
        TakePictureIfAsked(menu, L"menu");
        // The menu's loop runs on the thread that opened it and reads keys from its queue.
        if (choose_) ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, choose_ ? VK_RETURN : VK_ESCAPE, 0);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  const bool choose_;
  std::atomic<bool> stop_{false};
  std::atomic<int> shown_{0};
  std::thread watcher_;  // last: starts once everything it uses exists
};

// The last line of defence against a test that would hang in a modal loop on its own thread: a
// dialog (not the progress window) or popup menu of this process that nothing answered within
// kWindowWait is cancelled and recorded, so that the test fails instead.
class CModalGuard {
 public:
  CModalGuard() : watcher_([this] { Watch(); }) {}
  ~CModalGuard() {
    stop_ = true;
    watcher_.join();
  }
  CModalGuard(const CModalGuard&) = delete;
  CModalGuard& operator=(const CModalGuard&) = delete;

  int Cancelled() const { return cancelled_; }

 private:
  static constexpr int kProgressStopId = 1025;

  void Watch() {
    std::vector<std::pair<HWND, std::chrono::steady_clock::time_point>> seen;
    while (!stop_) {
      const auto now = std::chrono::steady_clock::now();
      std::vector<std::pair<HWND, std::chrono::steady_clock::time_point>> still;
      for (HWND window : ProcessTopLevelWindows()) {
        const std::wstring kind = WindowClassName(window);
        if (::IsWindowVisible(window) == FALSE || (kind != L"#32770" && kind != L"#32768") ||
            ::GetDlgItem(window, kProgressStopId) != nullptr) {
          continue;
        }
        auto since = now;
        for (const auto& [known, first] : seen) {
          if (known == window) since = first;
        }
        if (now - since < kWindowWait) {
          still.emplace_back(window, since);
          continue;
        }
        ++cancelled_;
        if (kind == L"#32768") {
          ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
          ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
          ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
      }
      seen = std::move(still);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<int> cancelled_{0};
  std::thread watcher_;  // last: starts once everything it uses exists
};

class AddInHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::wstring> dll = AddInDllPath();
    if (!dll) GTEST_SKIP() << "this build makes no add-in DLL";
    ASSERT_TRUE(EnsureAddInRegistered(*dll)) << "regsvr32 failed";
    ASSERT_TRUE(host.IsValid());
    // Each test starts without recent items from another; the add-in saves its list at exit.
    ClearStoredRecentItems();
    // The frame of an earlier test's add-in goes with its UI thread's next messages.
    ASSERT_TRUE(PumpMessagesUntil([] { return FindWindowManager() == nullptr; }, kWindowWait));
  }
  void TearDown() override {
    host.UnloadAddIn();
    ClearStoredRecentItems();
    EXPECT_EQ(0, modalGuard.Cancelled()) << "a dialog or menu was left waiting for an answer";
  }

  // A started add-in (Excel 16, ribbon loaded) over Book1.xlsx whose Sheet1 holds A1 1, A2 2,
  // B2 =A1+A2, with B2 selected.
  void StartWithBook() {
    host.OpenWorkbook(L"Book1.xlsx");
    ASSERT_TRUE(host.WriteCell(1, L"A1", L"1"));
    ASSERT_TRUE(host.WriteCell(1, L"A2", L"2"));
    ASSERT_TRUE(host.WriteCell(1, L"B2", L"=A1+A2"));
    ASSERT_TRUE(host.Select(1, L"B2"));
    ASSERT_EQ(S_OK, host.StartAddIn());
  }

  // Declared first, so that they still answer while the host unloads the add-in.
  CModalGuard modalGuard;
  test_support::CMessageBoxWatcher messageBoxes{
      L"Trelvane", IDOK, [](HWND box) { TakePictureIfAsked(box, L"message"); }};
  CExcelHost host;
};

}  // namespace addin_host
