// The About box as a user meets it: its texts and picture, the two links, Close, and its owner
// disabled only while it is open.
#include "addin/win32/about_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"
#include "tests/support/window_screenshot.h"

namespace {

constexpr std::chrono::milliseconds kAboutTestWait{10000};

HWND FindAboutBox() {
  struct Search {
    HWND found = nullptr;
  } search;
  ::EnumWindows(
      [](HWND window, LPARAM data) CALLBACK -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t title[64] = {};
        ::GetWindowTextW(window, title, 64);
        if (process != ::GetCurrentProcessId() || std::wstring(title) != L"About Trelvane" ||
            ::IsWindowVisible(window) == FALSE) {
          return TRUE;
        }
        reinterpret_cast<Search*>(data)->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  ::GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// What the driver thread saw of the open box.
struct AboutSeen {
  bool found = false;
  bool ownerDisabled = false;
  std::vector<std::wstring> texts;
  test_support::WindowImage picture;
  RECT pictureArea{};  // in the picture's coordinates
  RECT linkArea{};     // the first link, likewise
};

// The control's rectangle in the coordinates of the box's picture.
RECT AreaInBox(HWND box, int id) {
  RECT place{};
  RECT frame{};
  ::GetWindowRect(::GetDlgItem(box, id), &place);
  ::GetWindowRect(box, &frame);
  return {place.left - frame.left, place.top - frame.top, place.right - frame.left,
          place.bottom - frame.top};
}

int CountInArea(const test_support::WindowImage& image, const RECT& area,
                const std::function<bool(std::uint32_t)>& counted) {
  int count = 0;
  for (int y = std::max(0L, area.top); y < area.bottom && y < image.height; ++y) {
    for (int x = std::max(0L, area.left); x < area.right && x < image.width; ++x) {
      if (counted(image.At(x, y))) ++count;
    }
  }
  return count;
}

class CAboutBoxTestDriver {
 public:
  CAboutBoxTestDriver(HWND owner, std::function<size_t()> linksOpened)
      : owner_(owner),
        linksOpened_(std::move(linksOpened)),
        boxThread_(::GetCurrentThreadId()),
        thread_([this] { Drive(); }) {}
  ~CAboutBoxTestDriver() {
    returned_.store(true);
    thread_.join();
  }
  // The box's loop has returned.
  void Returned() { returned_.store(true); }
  AboutSeen Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  bool WaitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kAboutTestWait;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }
  static void Click(HWND control) {
    ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  void Drive() {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindAboutBox()) != nullptr; })) {
      // Never shown: end the box's loop rather than leave the test waiting.
      ::PostThreadMessageW(boxThread_, WM_QUIT, 0, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // painted
    AboutSeen seen;
    seen.found = true;
    seen.ownerDisabled = ::IsWindowEnabled(owner_) == FALSE;
    for (int id : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_NOTICE, IDC_ABOUT_RIGHTS,
                   IDC_ABOUT_MAKER_LINK, IDC_ABOUT_PRODUCT_LINK, IDCANCEL}) {
      seen.texts.push_back(ControlText(box, id));
    }
    seen.picture = test_support::CaptureWindow(box);
    test_support::SaveScreenshotIfAsked(box, L"about_box");
    seen.pictureArea = AreaInBox(box, IDC_ABOUT_PICTURE);
    seen.linkArea = AreaInBox(box, IDC_ABOUT_MAKER_LINK);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_ = std::move(seen);
    }
    Click(::GetDlgItem(box, IDC_ABOUT_MAKER_LINK));
    WaitFor([&] { return linksOpened_() >= 1; });
    Click(::GetDlgItem(box, IDC_ABOUT_PRODUCT_LINK));
    WaitFor([&] { return linksOpened_() >= 2; });
    ::PostMessageW(::GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    // Not FindAboutBox here: once the box's thread stops pumping, reading window texts would
    // wait on it for ever.
    if (!WaitFor([this] { return returned_.load(); })) {
      ::PostThreadMessageW(boxThread_, WM_QUIT, 0, 0);
    }
  }

  HWND owner_;
  std::function<size_t()> linksOpened_;
  DWORD boxThread_;
  std::atomic<bool> returned_{false};
  std::mutex mutex_;
  AboutSeen seen_;
  std::thread thread_;
};

class CAboutTestOwner final : public CWindowBase {};

}  // namespace

TEST(Win32AboutBox, ShowsTheProductAndOpensBothSitesThenClosesGivingTheOwnerBack) {
  CAboutTestOwner owner;
  ASSERT_TRUE(owner.Create(L"TrelvaneAboutTestOwner", 0, WS_OVERLAPPEDWINDOW, L"owner", nullptr));
  std::mutex openedMutex;
  std::vector<std::wstring> opened;
  CNUVAboutBoxDlg box([&](const std::wstring& address) {
    std::lock_guard<std::mutex> lock(openedMutex);
    opened.push_back(address);
  });
  AboutSeen seen;
  {
    CAboutBoxTestDriver driver(owner.Hwnd(), [&] {
      std::lock_guard<std::mutex> lock(openedMutex);
      return opened.size();
    });
    EXPECT_TRUE(box.RunModal(owner.Hwnd()));
    driver.Returned();
    seen = driver.Seen();
  }
  // A WM_QUIT from a driver that gave up would be posted again by the box; not for the next test.
  MSG left{};
  const bool quitLeft = ::PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  EXPECT_FALSE(quitLeft);

  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.ownerDisabled);
  EXPECT_NE(FALSE, ::IsWindowEnabled(owner.Hwnd()));
  EXPECT_EQ(nullptr, FindAboutBox());
  ASSERT_EQ(7u, seen.texts.size());
  EXPECT_EQ(L"Trelvane", seen.texts[0]);
  EXPECT_EQ(L"Version 5.0", seen.texts[1]);
  EXPECT_FALSE(seen.texts[2].empty());
  EXPECT_FALSE(seen.texts[3].empty());
  EXPECT_EQ(L"Close", seen.texts[6]);
  EXPECT_EQ((std::vector<std::wstring>{kMakerSiteAddress, kProductSiteAddress}), opened);

  // The picture: the drawn bitmap's yellow formula cell when the module has it, else the icon;
  // either way something other than the dialog's face.
  ASSERT_FALSE(seen.picture.IsEmpty());
  const std::uint32_t face = test_support::PixelOf(::GetSysColor(COLOR_BTNFACE));
  const int drawn = CountInArea(seen.picture, seen.pictureArea,
                                [face](std::uint32_t pixel) { return pixel != face; });
  const int yellow = CountInArea(seen.picture, seen.pictureArea,
                                 [](std::uint32_t pixel) { return pixel == 0xFAD73Cu; });
  EXPECT_GT(drawn, 1000);
  const bool hasBitmap = ::FindResourceW(ModuleInstance(), ResourceName(IDB_ABOUT_PICTURE),
                                         ResourceName(2)) != nullptr;  // RT_BITMAP
  if (hasBitmap) {
    EXPECT_GT(yellow, 50);
  }
  // The links are drawn in link blue.
  EXPECT_GT(CountInArea(seen.picture, seen.linkArea,
                        [](std::uint32_t pixel) { return pixel == 0x0000CCu; }),
            10);
}
