// The colour menu: item sizes, the drawing of swatch, text and selection, and the choice made
// with the keyboard while the hidden window draws the open menu.
#include "addin/win32/color_menu.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "tests/support/popup_menu_window.h"
#include "tests/support/window_screenshot.h"

namespace {

constexpr std::chrono::milliseconds kColorMenuTestWait{10000};
constexpr COLORREF kColorMenuRed = RGB(255, 0, 0);
constexpr COLORREF kColorMenuGreen = RGB(0, 160, 0);

SIZE DefaultGuiTextExtent(const std::wstring& text) {
  const CWindowDc screen(nullptr);
  const CSelectedObject font(screen.Get(), ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{};
  ::GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return extent;
}

MEASUREITEMSTRUCT Measured(IOwnerDrawDelegate& menu, UINT id) {
  MEASUREITEMSTRUCT item{};
  item.CtlType = ODT_MENU;
  item.itemID = id;
  menu.MeasureItem(&item);
  return item;
}

// Items drawn one under another into a 32-bit top-down bitmap, read back as a picture.
test_support::WindowImage DrawItems(CColorMenu& menu, const std::vector<UINT>& ids, UINT selected,
                                    int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height * static_cast<int>(ids.size());
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const CScopedBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const CScopedMemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr) return {};
  {
    const CSelectedObject selectedBitmap(dc.Get(), bitmap.Get());
    for (size_t k = 0; k < ids.size(); ++k) {
      DRAWITEMSTRUCT item{};
      item.CtlType = ODT_MENU;
      item.itemID = ids[k];
      item.itemAction = ODA_DRAWENTIRE;
      item.itemState = ids[k] == selected ? ODS_SELECTED : 0;
      item.hDC = dc.Get();
      const int top = height * static_cast<int>(k);
      item.rcItem = RECT{0, top, width, top + height};
      menu.DrawItem(&item);
    }
    ::GdiFlush();
  }
  test_support::WindowImage image;
  image.width = width;
  image.height = height * static_cast<int>(ids.size());
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(
      pixels, pixels + static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFFu;
  return image;
}

int CountPixels(const test_support::WindowImage& image, RECT area, std::uint32_t pixel,
                bool equal) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if ((image.At(x, y) == pixel) == equal) ++count;
    }
  }
  return count;
}

void SaveIfAsked(const test_support::WindowImage& image, const std::wstring& name) {
  const wchar_t* folder = ::_wgetenv(L"TRELVANE_SCREENSHOTS");
  if (folder != nullptr && *folder != L'\0') {
    test_support::SavePng(image, std::wstring(folder) + L"\\" + name + L".png");
  }
}

// Finds the next popup menu of this process from a thread of its own, takes its picture, counts
// its items, then presses `keys` in it.
class CColorMenuTestDriver {
 public:
  explicit CColorMenuTestDriver(std::vector<WPARAM> keys)
      : keys_(std::move(keys)), thread_([this] { Drive(); }) {}
  ~CColorMenuTestDriver() {
    stop_.store(true);
    thread_.join();
  }
  test_support::WindowImage Picture() {
    std::lock_guard<std::mutex> lock(mutex_);
    return picture_;
  }
  int ItemCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }
  // The items' texts as readers of the menu find them (GetMenuItemInfo, MIIM_STRING).
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  void Drive() {
    HWND menuWindow = test_support::WaitForPopupMenu(stop_, kColorMenuTestWait);
    if (menuWindow == nullptr) return;
    // Let the menu finish painting before its picture is taken.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    test_support::WindowImage picture = test_support::CaptureWindow(menuWindow);
    std::vector<std::wstring> texts;
    for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
      wchar_t text[64] = {};
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 64;
      ::GetMenuItemInfoW(menu, static_cast<UINT>(item), TRUE, &info);
      texts.emplace_back(text);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      picture_ = std::move(picture);
      items_ = ::GetMenuItemCount(menu);
      texts_ = std::move(texts);
    }
    for (WPARAM key : keys_) ::PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
  }

  const std::vector<WPARAM> keys_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  test_support::WindowImage picture_;
  int items_ = 0;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

const std::vector<ColorMenuItem> kTwoColors = {
    {3, L"2 cell(s)", static_cast<int32_t>(kColorMenuRed)},
    {6, L"1234 cell(s)", static_cast<int32_t>(kColorMenuGreen)}};

}  // namespace

TEST(Win32ColorMenu, MeasuresEachItemFromItsTextWithRoomForTheSwatch) {
  CColorMenu menu;
  ASSERT_TRUE(menu.AddItem(3, L"2 cell(s)", kColorMenuRed));
  ASSERT_TRUE(menu.AddItem(6, L"1234 cell(s)", kColorMenuGreen));
  EXPECT_FALSE(menu.AddItem(0, L"none", 0));  // 0 is the answer for "nothing chosen"
  EXPECT_EQ(2, menu.ItemCount());
  for (const auto& [id, text] : {std::pair{3u, L"2 cell(s)"}, std::pair{6u, L"1234 cell(s)"}}) {
    const SIZE extent = DefaultGuiTextExtent(text);
    const MEASUREITEMSTRUCT item = Measured(menu, id);
    EXPECT_EQ(static_cast<UINT>(extent.cy + 4), item.itemHeight) << id;
    // The swatch is as wide as the item is high; five pixels part it from the text.
    EXPECT_EQ(static_cast<UINT>(extent.cy + 4 + extent.cx + 5), item.itemWidth) << id;
  }
  EXPECT_GT(Measured(menu, 6).itemWidth, Measured(menu, 3).itemWidth);
}

TEST(Win32ColorMenu, DrawsSwatchOutlineAndTextAndHighlightsTheSelectedItem) {
  CColorMenu menu;
  menu.AddItem(3, L"2 cell(s)", kColorMenuRed);
  menu.AddItem(6, L"1234 cell(s)", kColorMenuGreen);
  constexpr int kWidth = 120;
  constexpr int kHeight = 20;
  // 9 was never added: it is drawn with a black swatch and no text.
  const test_support::WindowImage image = DrawItems(menu, {3, 6, 9}, 6, kWidth, kHeight);
  ASSERT_FALSE(image.IsEmpty());
  SaveIfAsked(image, L"color_menu_items");

  const std::uint32_t face = test_support::PixelOf(::GetSysColor(COLOR_3DFACE));
  const std::uint32_t highlight = test_support::PixelOf(::GetSysColor(COLOR_HIGHLIGHT));
  const std::uint32_t shadow = test_support::PixelOf(::GetSysColor(COLOR_BTNSHADOW));
  struct Row {
    int top;
    std::uint32_t swatch;
    std::uint32_t background;
    bool text;
  };
  for (const Row& row : {Row{0, test_support::PixelOf(kColorMenuRed), face, true},
                         Row{kHeight, test_support::PixelOf(kColorMenuGreen), highlight, true},
                         Row{2 * kHeight, 0u, face, false}}) {
    SCOPED_TRACE(row.top);
    // The square from (2, 2) to (h - 2, h - 2): outlined, filled inside.
    EXPECT_EQ(row.swatch, image.At(kHeight / 2, row.top + kHeight / 2));
    EXPECT_EQ(shadow, image.At(2, row.top + kHeight / 2));
    EXPECT_EQ(shadow, image.At(kHeight / 2, row.top + 2));
    EXPECT_EQ(shadow, image.At(kHeight - 3, row.top + kHeight / 2));
    EXPECT_EQ(row.background, image.At(0, row.top));
    EXPECT_EQ(row.background, image.At(kHeight - 1, row.top + kHeight / 2));
    EXPECT_EQ(row.background, image.At(kWidth - 1, row.top + kHeight - 1));
    // Text only right of the swatch and the gap.
    const RECT gap{kHeight - 1, row.top, kHeight + 5, row.top + kHeight};
    EXPECT_EQ(0, CountPixels(image, gap, row.background, false));
    const RECT text{kHeight + 5, row.top, kWidth, row.top + kHeight};
    EXPECT_EQ(row.text, CountPixels(image, text, row.background, false) > 10);
  }
}

TEST(Win32ColorMenu, AnswersTheColourChosenWithTheKeyboardOrZero) {
  CHiddenWnd hidden;
  ASSERT_TRUE(hidden.Create());
  EXPECT_EQ(0, ChooseFromColorMenuAt(hidden, {}, POINT{200, 200}));  // nothing to show
  {
    CColorMenuTestDriver driver({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(6, ChooseFromColorMenuAt(hidden, kTwoColors, POINT{200, 200}));
    EXPECT_EQ(2, driver.ItemCount());
    EXPECT_EQ((std::vector<std::wstring>{L"2 cell(s)", L"1234 cell(s)"}), driver.Texts());
    // The open menu was measured and drawn through the hidden window: both swatches show.
    const test_support::WindowImage picture = driver.Picture();
    ASSERT_FALSE(picture.IsEmpty());
    SaveIfAsked(picture, L"color_menu_open");
    const RECT all{0, 0, picture.width, picture.height};
    EXPECT_GT(CountPixels(picture, all, test_support::PixelOf(kColorMenuRed), true), 20);
    EXPECT_GT(CountPixels(picture, all, test_support::PixelOf(kColorMenuGreen), true), 20);
  }
  {
    CColorMenuTestDriver driver({VK_ESCAPE});
    EXPECT_EQ(0, ChooseFromColorMenu(hidden, kTwoColors, std::nullopt));
  }
  // Closed: the hidden window no longer draws for it.
  MEASUREITEMSTRUCT item{};
  item.CtlType = ODT_MENU;
  item.itemID = 3;
  ::SendMessageW(hidden.Hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(0u, item.itemHeight);
}

TEST(Win32ColorMenu, OpensUnderTheToolbarButtonOnlyWhenItWasClickedThere) {
  const ToolbarButtonPlace button{100, 50, 22};  // bottom edge at 72
  struct Case {
    POINT cursor;
    POINT expected;
  };
  const Case cases[] = {
      {{100, 52}, {100, 72}},  // the square's top left corner
      {{119, 71}, {100, 72}},  // its bottom right pixel
      {{120, 60}, {120, 60}},  // one pixel right of it: at the cursor
      {{105, 72}, {105, 72}},  // below the button
      {{99, 60}, {99, 60}},
      {{105, 51}, {105, 51}},  // above the square of a button taller than it is
  };
  for (const Case& c : cases) {
    const POINT at = ColorMenuPosition(c.cursor, button);
    EXPECT_EQ(c.expected.x, at.x) << c.cursor.x << "," << c.cursor.y;
    EXPECT_EQ(c.expected.y, at.y) << c.cursor.x << "," << c.cursor.y;
  }
  const POINT cursor{105, 60};
  EXPECT_EQ(105, ColorMenuPosition(cursor, std::nullopt).x);
}
