// The window manager's colours from the Office theme in the user's registry, read through a
// scratch key standing in for HKEY_CURRENT_USER.
#include "wndmgr/win32/window_manager_theme.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/scoped_handles.h"

namespace {

enum class Scheme { kBlue, kSilver, kBlack };

Scheme SchemeOf(const CWndMgrPainter& painter) {
  if (painter.LineColor() == CWndMgrPainterBlack().LineColor()) return Scheme::kBlack;
  if (painter.LineColor() == CWndMgrPainterSilver().LineColor()) return Scheme::kSilver;
  EXPECT_EQ(CWndMgrPainterBlue().LineColor(), painter.LineColor());
  return Scheme::kBlue;
}

// HKEY_CURRENT_USER redirected to an empty scratch key for the test's lifetime.
class Win32WindowManagerTheme : public ::testing::Test {
 protected:
  void SetUp() override {
    scratchPath_ = L"Software\\Trelvane\\Tests\\WindowManagerTheme." +
                   std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, scratch_.Receive(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_.Get()));
    overridden_ = true;
  }
  void TearDown() override {
    if (overridden_) ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    scratch_.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
  }

  void SetTheme(int version, DWORD type, DWORD value) {
    const std::wstring path =
        L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Common";
    CScopedRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
    if (type == REG_DWORD) {
      ASSERT_EQ(ERROR_SUCCESS,
                ::RegSetValueExW(key.Get(), L"Theme", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof value));
    } else {
      const wchar_t text[] = L"3";
      ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.Get(), L"Theme", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(text), sizeof text));
    }
  }

  std::wstring scratchPath_;
  CScopedRegistryKey scratch_;
  bool overridden_ = false;
};

TEST_F(Win32WindowManagerTheme, ThemeNumberChoosesTheSchemeAboveVersionEleven) {
  // Nothing stored: blue for any version.
  EXPECT_EQ(Scheme::kBlue, SchemeOf(*ChoosePainterForExcel(16)));
  SetTheme(16, REG_DWORD, 3);
  SetTheme(14, REG_DWORD, 2);
  SetTheme(12, REG_DWORD, 1);
  SetTheme(15, REG_DWORD, 7);
  SetTheme(11, REG_DWORD, 3);
  SetTheme(13, REG_SZ, 0);
  struct Case {
    int version;
    Scheme scheme;
  };
  const Case cases[] = {
      {16, Scheme::kBlack}, {14, Scheme::kSilver},
      {12, Scheme::kBlue},  {15, Scheme::kBlue},  // an unknown number
      {11, Scheme::kBlue},                        // older versions never read it
      {13, Scheme::kBlue},                        // not a DWORD
      {17, Scheme::kBlue},                        // no key
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.scheme, SchemeOf(*ChoosePainterForExcel(c.version))) << c.version;
}

}  // namespace
