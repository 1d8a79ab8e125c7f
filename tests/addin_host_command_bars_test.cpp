// The add-in in the Excel test host playing Excel 2003: the Trelvane submenu of Tools, the
// toolbar and its placement across sessions, the cell menu's submenu, the Recent Items submenu,
// the buttons' faces and their clicks running commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/scoped_handles.h"
#include "tests/addin_host_fixture.h"
#include "tests/excel_host/command_bars.h"

namespace {

using addin_host::AddInHostTest;
using addin_host::WaitForHostedTitles;

constexpr wchar_t kLegacySettingsKey[] = L"SOFTWARE\\NUV\\Settings";
constexpr const wchar_t* kToolbarValues[] = {L"Toolbar", L"ToolbarRowIndex", L"ToolbarPosition",
                                             L"ToolbarLeft", L"ToolbarTop"};

struct TableRow {
  const wchar_t* caption;
  bool beginGroup;
};
// What the user sees in the submenu and the toolbar's tips, in order.
constexpr TableRow kCommandRows[] = {
    {L"Recent Items", false},     {L"Show Precedents", false},
    {L"Show Dependents", false},  {L"Show Inputs", true},
    {L"Show Errors", false},      {L"Trace Error", false},
    {L"Evaluate Formula", true},  {L"Filter by background color", true},
    {L"Filter by text color", false}, {L"Display Calculation Chain", false},
    {L"Refresh Contents", true},  {L"Transpose", true},
    {L"Contact us", true},        {L"About Trelvane", true},
    {L"Trelvane Help", true}};

std::wstring ReadToolbarValue(const wchar_t* name) {
  CScopedRegistryKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kLegacySettingsKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return L"<no key>";
  }
  wchar_t text[64] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (::RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                         &size) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return text;
}

void WriteToolbarValue(const wchar_t* name, const std::wstring& text) {
  CScopedRegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kLegacySettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
  ASSERT_TRUE(addin_host::WriteRegistryText(key.Get(), name, text));
}

void ForgetToolbarPlacement() {
  for (const wchar_t* name : kToolbarValues) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kLegacySettingsKey, name);
  }
}

std::wstring LegacyClipboardText() {
  std::wstring text;
  if (::OpenClipboard(nullptr) == FALSE) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) text = chars;
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

void PutLegacyClipboardText(const std::wstring& text) {
  ASSERT_NE(FALSE, ::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ::CloseClipboard();
  // An owner is needed to put data on the clipboard.
  HWND owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
  ASSERT_NE(FALSE, ::OpenClipboard(owner));
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(::GlobalLock(memory), text.c_str(), size);
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
  ::DestroyWindow(owner);
}

// A face is a 16-pixel picture with a mask: some pixels shown, some transparent.
void ExpectAFace(const ButtonFace& face, ButtonFaceRoute route) {
  EXPECT_EQ(route, face.route);
  ASSERT_EQ(16, face.face.width);
  ASSERT_EQ(16, face.face.height);
  ASSERT_EQ(256u, face.mask.size());
  int transparent = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (face.MaskBit(x, y)) {
        ++transparent;
        EXPECT_EQ(0xFFFFFFu, face.face.At(x, y));
      }
    }
  }
  EXPECT_GT(transparent, 10);
  EXPECT_LT(transparent, 226);
}

class LegacyCommandBarsTest : public AddInHostTest {
 protected:
  void SetUp() override {
    AddInHostTest::SetUp();
    if (IsSkipped()) return;
    ForgetToolbarPlacement();
    host.Application().SetVersion(L"11.0");
  }
  void TearDown() override {
    AddInHostTest::TearDown();
    ForgetToolbarPlacement();
  }

  CCommandBarsObject& Bars() { return host.Application().CommandBars(); }
  CCommandBarControl* Submenu() {
    CCommandBarControl* tools = Bars().ToolsMenu();
    return tools != nullptr && tools->Controls() != nullptr ? tools->Controls()->Find(L"Trelvane")
                                                            : nullptr;
  }
};

TEST_F(LegacyCommandBarsTest, TheSubmenuFollowsAuditingInToolsOrEndsIt) {
  struct Case {
    std::vector<std::wstring> tools;
    LONG expected;  // the submenu's position in Tools, from 1
  };
  const Case cases[] = {
      {{L"&Spelling...", L"&Error Checking...", L"S&hare Workbook...", L"&Protection",
        L"Formula A&uditing", L"&Macro", L"&Options..."},
       6},
      {{L"&Spelling...", L"&Auditing", L"&Options..."}, 3},  // Excel 2000 and earlier
      {{L"&Spelling...", L"&Options..."}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Bars().SetToolsMenuCaptions(c.tools);
    ASSERT_EQ(S_OK, host.StartAddIn());
    CCommandBarControl* submenu = Submenu();
    ASSERT_NE(nullptr, submenu);
    EXPECT_TRUE(submenu->IsPopup());
    EXPECT_EQ(c.expected, Bars().ToolsMenu()->Controls()->IndexOf(submenu));
    EXPECT_EQ(c.tools.size() + 1, Bars().ToolsMenu()->Controls()->Count());
    host.UnloadAddIn();
  }
  // Excel 12 and later get the ribbon and no command bars at all.
  host.Application().SetVersion(L"12.0");
  Bars().SetToolsMenuCaptions({L"&Options..."});
  ASSERT_EQ(S_OK, host.StartAddIn());
  EXPECT_EQ(nullptr, Submenu());
}

TEST_F(LegacyCommandBarsTest, TheSubmenuAndToolbarHoldTheCommandTableWithFacesAndClickSinks) {
  StartWithBook();
  CCommandBarControl* submenu = Submenu();
  CCommandBar* toolbar = Bars().Find(L"Trelvane");
  ASSERT_NE(nullptr, submenu);
  ASSERT_NE(nullptr, toolbar);
  EXPECT_TRUE(toolbar->IsVisible());
  EXPECT_EQ(0, toolbar->Protection());
  ASSERT_EQ(std::size(kCommandRows), submenu->Controls()->Count());
  ASSERT_EQ(std::size(kCommandRows), toolbar->Controls().Count());
  for (std::size_t row = 0; row < std::size(kCommandRows); ++row) {
    SCOPED_TRACE(row);
    CCommandBarControl* item = submenu->Controls()->At(row + 1);
    CCommandBarControl* button = toolbar->Controls().At(row + 1);
    EXPECT_EQ(kCommandRows[row].caption, item->Caption());
    EXPECT_EQ(kCommandRows[row].caption, button->TooltipText());
    EXPECT_EQ(kCommandRows[row].beginGroup, item->BeginGroup());
    EXPECT_EQ(kCommandRows[row].beginGroup, button->BeginGroup());
    EXPECT_EQ(1, button->Style());  // icon only
    EXPECT_FALSE(button->IsPopup());
    ExpectAFace(button->Face(), ButtonFaceRoute::Picture);
    EXPECT_EQ(1u, button->ClickSinkCount());
    if (row == 0) {
      // In the menu the recent items are a submenu of ten hidden buttons.
      EXPECT_TRUE(item->IsPopup());
      ASSERT_NE(nullptr, item->Controls());
      ASSERT_EQ(10u, item->Controls()->Count());
      for (std::size_t k = 1; k <= 10; ++k) {
        CCommandBarControl* recent = item->Controls()->At(k);
        EXPECT_FALSE(recent->IsVisible());
        EXPECT_EQ(3, recent->Style());
        EXPECT_EQ(1u, recent->ClickSinkCount());
        ExpectAFace(recent->Face(), ButtonFaceRoute::Picture);
      }
      continue;
    }
    EXPECT_FALSE(item->IsPopup());
    EXPECT_EQ(1u, item->ClickSinkCount());
    ExpectAFace(item->Face(), ButtonFaceRoute::Picture);
    EXPECT_EQ(button->Face().face.pixels, item->Face().face.pixels);
  }
  // Different commands look different.
  EXPECT_NE(toolbar->Controls().At(2)->Face().face.pixels,
            toolbar->Controls().At(3)->Face().face.pixels);

  // At shutdown the submenu's and toolbar's buttons stop listening.
  host.UnloadAddIn();
  EXPECT_EQ(0u, toolbar->Controls().At(2)->ClickSinkCount());
  EXPECT_EQ(0u, submenu->Controls()->At(2)->ClickSinkCount());
}

TEST_F(LegacyCommandBarsTest, ClicksRunCommandsAndTheRecentItemsSubmenuFollowsTheList) {
  StartWithBook();
  CCommandBar* toolbar = Bars().Find(L"Trelvane");
  ASSERT_NE(nullptr, toolbar);
  CCommandBarControl* precedents = toolbar->Controls().At(2);
  // Only Click (dispatch id 1) runs the command.
  for (const HRESULT answer : precedents->FireClick(2)) EXPECT_EQ(S_OK, answer);
  PumpMessagesUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(nullptr, FindWindowManager());
  for (const HRESULT answer : precedents->FireClick()) EXPECT_EQ(S_OK, answer);
  std::vector<std::wstring> titles = WaitForHostedTitles(1);
  ASSERT_EQ(1u, titles.size());
  EXPECT_EQ(L"Sheet1!B2 - precedents", titles[0]);

  // The menu's Evaluate Formula, on another cell.
  ASSERT_TRUE(host.Select(1, L"A1"));
  Submenu()->Controls()->At(7)->FireClick();
  titles = WaitForHostedTitles(2);
  ASSERT_EQ(2u, titles.size());
  EXPECT_EQ(L"Sheet1!A1 - evaluate formula", titles[0]);

  // Two recent items now: exactly two buttons show, newest first.
  CCommandBarControls* recent = Submenu()->Controls()->At(1)->Controls();
  ASSERT_NE(nullptr, recent);
  EXPECT_TRUE(recent->At(1)->IsVisible());
  EXPECT_TRUE(recent->At(2)->IsVisible());
  EXPECT_FALSE(recent->At(3)->IsVisible());
  EXPECT_NE(std::wstring::npos, recent->At(1)->Caption().find(L"A1"));
  EXPECT_NE(std::wstring::npos, recent->At(2)->Caption().find(L"B2"));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(LegacyCommandBarsTest, TheCellMenuIsBuiltOnTheFirstWorkbookOpenedOnly) {
  StartWithBook();
  CCommandBar* cell = Bars().Find(L"Cell");
  ASSERT_NE(nullptr, cell);
  EXPECT_EQ(nullptr, cell->Controls().Find(L"Trelvane"));  // Book1 was open before the start
  host.OpenWorkbook(L"Book2.xlsx");
  ASSERT_TRUE(host.WriteCell(1, L"C3", L"=1+1"));
  ASSERT_TRUE(host.Select(1, L"C3"));
  host.OpenWorkbook(L"Book3.xlsx");
  ASSERT_TRUE(host.Select(1, L"D4"));
  EXPECT_EQ(1, cell->ResetCount());
  CCommandBarControl* submenu = cell->Controls().Find(L"Trelvane");
  ASSERT_NE(nullptr, submenu);
  EXPECT_TRUE(submenu->BeginGroup());
  ASSERT_NE(nullptr, submenu->Controls());
  const std::vector<std::wstring> expected = {L"Show Precedents", L"Show Dependents",
                                              L"Show Inputs", L"Evaluate Formula",
                                              L"Copy Address to Clipboard", L"Transpose"};
  ASSERT_EQ(expected.size(), submenu->Controls()->Count());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    CCommandBarControl* item = submenu->Controls()->At(i + 1);
    EXPECT_EQ(expected[i], item->Caption());
    EXPECT_EQ(3, item->Style());
    EXPECT_EQ(i >= 4, item->BeginGroup()) << i;
    EXPECT_EQ(1u, item->ClickSinkCount());
    if (i != 4) ExpectAFace(item->Face(), ButtonFaceRoute::Picture);
  }
  EXPECT_EQ(ButtonFaceRoute::None, submenu->Controls()->At(5)->Face().route);
  submenu->Controls()->At(5)->FireClick();
  EXPECT_EQ(L"'Sheet1'!$D$4", LegacyClipboardText());
}

TEST_F(LegacyCommandBarsTest, TheToolbarComesBackWhereTheUserLeftItOrHidden) {
  StartWithBook();
  CCommandBar* toolbar = Bars().Find(L"Trelvane");
  ASSERT_NE(nullptr, toolbar);
  const LONG defaultRow = toolbar->RowIndex();
  toolbar->PlaceAsUser(kBarPositionLeft, 3, 10, 200);
  host.UnloadAddIn();
  EXPECT_EQ(L"1", ReadToolbarValue(L"Toolbar"));
  EXPECT_EQ(L"3", ReadToolbarValue(L"ToolbarRowIndex"));
  EXPECT_EQ(L"0", ReadToolbarValue(L"ToolbarPosition"));
  EXPECT_EQ(L"10", ReadToolbarValue(L"ToolbarLeft"));
  EXPECT_EQ(L"200", ReadToolbarValue(L"ToolbarTop"));

  {
    // Excel again: the temporary controls are gone, the placement is not.
    CExcelHost again;
    again.Application().SetVersion(L"11.0");
    ASSERT_EQ(S_OK, again.StartAddIn());
    CCommandBar* restored = again.Application().CommandBars().Find(L"Trelvane");
    ASSERT_NE(nullptr, restored);
    EXPECT_TRUE(restored->IsVisible());
    EXPECT_EQ(kBarPositionLeft, restored->Position());
    EXPECT_EQ(3, restored->RowIndex());
    EXPECT_EQ(10, restored->Left());
    EXPECT_EQ(200, restored->Top());
    restored->SetVisibleAsUser(false);
  }
  EXPECT_EQ(L"0", ReadToolbarValue(L"Toolbar"));
  {
    CExcelHost hidden;
    hidden.Application().SetVersion(L"11.0");
    ASSERT_EQ(S_OK, hidden.StartAddIn());
    CCommandBar* restored = hidden.Application().CommandBars().Find(L"Trelvane");
    ASSERT_NE(nullptr, restored);
    EXPECT_FALSE(restored->IsVisible());
  }
  // No stored row: Excel's own placement.
  WriteToolbarValue(L"Toolbar", L"1");
  WriteToolbarValue(L"ToolbarRowIndex", L"-1");
  WriteToolbarValue(L"ToolbarLeft", L"500");
  CExcelHost fresh;
  fresh.Application().SetVersion(L"11.0");
  ASSERT_EQ(S_OK, fresh.StartAddIn());
  CCommandBar* placed = fresh.Application().CommandBars().Find(L"Trelvane");
  ASSERT_NE(nullptr, placed);
  EXPECT_TRUE(placed->IsVisible());
  EXPECT_EQ(defaultRow, placed->RowIndex());
  EXPECT_NE(500, placed->Left());
}

TEST_F(LegacyCommandBarsTest, FacesPastedFromTheClipboardLeaveTheUsersTextThere) {
  PutLegacyClipboardText(L"the user's copied text");
  Bars().SetPictureSupported(false);  // Office 2000
  StartWithBook();
  CCommandBar* toolbar = Bars().Find(L"Trelvane");
  ASSERT_NE(nullptr, toolbar);
  for (std::size_t row = 1; row <= toolbar->Controls().Count(); ++row) {
    SCOPED_TRACE(row);
    ExpectAFace(toolbar->Controls().At(row)->Face(), ButtonFaceRoute::PasteFace);
  }
  EXPECT_EQ(L"the user's copied text", LegacyClipboardText());
}

}  // namespace
