// The add-in as its installer leaves it: Excel's start-up scan of the AddIns key, and, when
// scripts/test-installer.sh has installed the package (TRELVANE_INSTALLED_ADDIN=1), the add-in
// created from what that scan finds, without regsvr32, from the folder the package installed to
// as the user's own classes name it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "addin/win32/addin_ids.h"
#include "platform/text_case.h"
#include "tests/addin_host_fixture.h"
#include "tests/excel_host/registered_addins.h"

namespace {

constexpr wchar_t kScratchAddInsKey[] = L"Software\\TrelvaneTest\\InstalledAddIns";

struct AddInKeyCase {
  const wchar_t* progId;
  std::optional<DWORD> loadBehavior;  // nothing: no value at all
  const wchar_t* loadBehaviorAsText;  // written as REG_SZ instead, when given
  bool loadsAtStartUp;
};

// The start-up bit without the connected one, on-demand and first-time bits, and a value
// written as text are all cases Excel does not load when it starts.
const AddInKeyCase kAddInKeyCases[] = {
    {L"Connected.AtStartUp", DWORD{3}, nullptr, true},
    {L"Alpha.FirstTime", DWORD{0x13}, nullptr, true},
    {L"Disconnected.AtStartUp", DWORD{2}, nullptr, false},
    {L"Connected.OnDemand", DWORD{9}, nullptr, false},
    {L"Unloaded", DWORD{0}, nullptr, false},
    {L"Written.AsText", std::nullopt, L"3", false},
    {L"Without.Value", std::nullopt, nullptr, false},
};

bool WriteScratchAddIn(const AddInKeyCase& entry) {
  CScopedRegistryKey key;
  const std::wstring path = std::wstring(kScratchAddInsKey) + L"\\" + entry.progId;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring friendly = std::wstring(L"Name of ") + entry.progId;
  if (!addin_host::WriteRegistryText(key.Get(), L"FriendlyName", friendly)) return false;
  if (entry.loadBehavior) {
    return addin_host::WriteRegistryDword(key.Get(), L"LoadBehavior", *entry.loadBehavior);
  }
  if (entry.loadBehaviorAsText) {
    return addin_host::WriteRegistryText(key.Get(), L"LoadBehavior", entry.loadBehaviorAsText);
  }
  return true;
}

TEST(RegisteredAddInsTest, OnlyConnectedStartUpAddInsAreFoundSortedWithTheirNames) {
  DeleteRegistryTree(HKEY_CURRENT_USER, kScratchAddInsKey);
  std::vector<std::wstring> expected;
  for (const AddInKeyCase& entry : kAddInKeyCases) {
    ASSERT_TRUE(WriteScratchAddIn(entry)) << entry.progId;
    if (entry.loadsAtStartUp) expected.emplace_back(entry.progId);
  }
  std::sort(expected.begin(), expected.end());

  const std::vector<RegisteredAddIn> found = StartUpAddIns(HKEY_CURRENT_USER, kScratchAddInsKey);
  DeleteRegistryTree(HKEY_CURRENT_USER, kScratchAddInsKey);

  std::vector<std::wstring> progIds;
  for (const RegisteredAddIn& addIn : found) {
    progIds.push_back(addIn.progId);
    EXPECT_EQ(L"Name of " + addIn.progId, addIn.friendlyName);
    EXPECT_TRUE(LoadsAtStartUp(addIn.loadBehavior)) << addIn.loadBehavior;
  }
  EXPECT_EQ(expected, progIds);
}

TEST(RegisteredAddInsTest, AMissingAddInsKeyFindsNothing) {
  DeleteRegistryTree(HKEY_CURRENT_USER, kScratchAddInsKey);
  EXPECT_TRUE(StartUpAddIns(HKEY_CURRENT_USER, kScratchAddInsKey).empty());
}

bool InstalledRun() {
  const char* flag = std::getenv("TRELVANE_INSTALLED_ADDIN");
  return flag != nullptr && std::string(flag) == "1";
}

std::wstring LoadedModulePath(const wchar_t* name) {
  HMODULE module = ::GetModuleHandleW(name);
  if (module == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// What the package installed: its folder under the user's local application data.
std::wstring InstalledDllPath() {
  const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
  if (local == nullptr) return {};
  return std::wstring(local) + L"\\Trelvane\\trelvane_addin.dll";
}

class AddInInstalledTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InstalledRun()) {
      GTEST_SKIP() << "runs after scripts/test-installer.sh installs the package";
    }
    ASSERT_TRUE(host.IsValid());
  }
  void TearDown() override {
    host.UnloadAddIn();
    EXPECT_EQ(0, modalGuard.Cancelled()) << "a dialog or menu was left waiting for an answer";
  }

  addin_host::CModalGuard modalGuard;
  test_support::CMessageBoxWatcher messageBoxes{L"Trelvane", IDOK};
  CExcelHost host;
};

TEST_F(AddInInstalledTest, ExcelStartsTheInstalledAddInFromItsKeyAndShowsPrecedents) {
  const std::vector<RegisteredAddIn> addIns = StartUpAddIns(HKEY_CURRENT_USER);
  ASSERT_EQ(1u, addIns.size()) << "the package registers exactly one start-up add-in";
  // The host starts the add-in by this ProgID, as Excel does with what it found.
  ASSERT_EQ(kAddInProgId, addIns[0].progId);
  EXPECT_EQ(kAddInFriendlyName, addIns[0].friendlyName);
  EXPECT_EQ(DWORD{3}, addIns[0].loadBehavior);

  // The user's own classes name the installed copy as the ProgID's server, not the build tree.
  const std::wstring installed = InstalledDllPath();
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(installed.c_str())) << "not installed";
  const std::wstring userClasses = L"Software\\Classes\\";
  const std::optional<RegistryValue> userClassId =
      ReadRegistryValue(HKEY_CURRENT_USER, userClasses + addIns[0].progId + L"\\CLSID", L"");
  ASSERT_TRUE(userClassId.has_value()) << "no per-user ProgID";
  const std::wstring classText = userClassId->Text().value_or(L"");
  const std::optional<RegistryValue> server = ReadRegistryValue(
      HKEY_CURRENT_USER, userClasses + L"CLSID\\" + classText + L"\\InprocServer32", L"");
  ASSERT_TRUE(server.has_value()) << "no per-user server for " << classText;
  EXPECT_EQ(UpperCase(installed), UpperCase(server->Text().value_or(L"")));
  CLSID classId{};
  ASSERT_EQ(S_OK, ::CLSIDFromProgID(addIns[0].progId.c_str(), &classId));
  EXPECT_TRUE(::IsEqualCLSID(classId, CLSID_Connect));

  host.OpenWorkbook(L"Book1.xlsx");
  ASSERT_TRUE(host.WriteCell(1, L"A1", L"1"));
  ASSERT_TRUE(host.WriteCell(1, L"A2", L"2"));
  ASSERT_TRUE(host.WriteCell(1, L"B2", L"=A1+A2"));
  ASSERT_TRUE(host.Select(1, L"B2"));
  ASSERT_EQ(S_OK, host.AddIn().Create(addIns[0].progId.c_str()));
  EXPECT_EQ(UpperCase(installed), UpperCase(LoadedModulePath(L"trelvane_addin.dll")))
      << "loaded from elsewhere than " << installed;
  host.AddIn().Release();
  ASSERT_EQ(S_OK, host.StartAddIn());

  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  const std::vector<std::wstring> titles = addin_host::WaitForHostedTitles(1);
  ASSERT_EQ(1u, titles.size());
  EXPECT_EQ(L"Sheet1!B2 - precedents", titles[0]);
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

}  // namespace
