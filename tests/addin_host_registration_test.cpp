// Registering the add-in as a user does, with regsvr32 under Wine, and what that leaves in the
// registry: the class, its ProgID, the in-process server with apartment threading, the type
// library, and the two add-in keys Excel loads it by. Registering twice changes nothing;
// unregistering removes it all and succeeds again when nothing is left.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/text_case.h"
#include "tests/addin_host_fixture.h"

namespace {

using addin_host::AddInDllPath;
using addin_host::RegisteredThisRun;

constexpr wchar_t kAddInKey[] = L"SOFTWARE\\Microsoft\\Office\\Excel\\AddIns\\NUV.Connect";

struct HiveKey {
  HKEY hive;
  const wchar_t* name;
};
const HiveKey kAddInHives[] = {{HKEY_CURRENT_USER, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"HKLM"}};

// The type library the DLL embeds: its id and version, read from the file itself.
struct EmbeddedTypeLibrary {
  std::wstring id;
  std::wstring version;  // "major.minor" in hexadecimal, as the registry names it
};

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  return StringFromGUID2(guid, text, 40) > 0 ? std::wstring(text) : std::wstring();
}

std::optional<EmbeddedTypeLibrary> ReadEmbeddedTypeLibrary(const std::wstring& dll) {
  CComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(dll.c_str(), REGKIND_NONE, library.Receive()))) return std::nullopt;
  TLIBATTR* attributes = nullptr;
  if (FAILED(library->GetLibAttr(&attributes))) return std::nullopt;
  wchar_t version[32] = {};
  swprintf(version, 32, L"%x.%x", attributes->wMajorVerNum, attributes->wMinorVerNum);
  EmbeddedTypeLibrary found{GuidText(attributes->guid), version};
  library->ReleaseTLibAttr(attributes);
  return found;
}

// Wine's type-library registration writes the path in its long form ("\\?\Z:\..."), which
// names the same file.
std::wstring WithoutLongPathPrefix(const std::wstring& path) {
  constexpr std::wstring_view kPrefix = L"\\\\?\\";
  return path.starts_with(kPrefix) ? path.substr(kPrefix.size()) : path;
}

// Every value of a key and of the keys below it, by path, to compare two registrations whole.
using KeySnapshot = std::map<std::wstring, std::vector<BYTE>>;

void SnapshotKey(HKEY root, const std::wstring& path, KeySnapshot* snapshot) {
  if (!RegistryKeyExists(root, path)) return;
  (*snapshot)[path + L"\\"] = {};
  for (const std::wstring& name : RegistryValueNames(root, path)) {
    if (const std::optional<RegistryValue> value = ReadRegistryValue(root, path, name)) {
      std::vector<BYTE> bytes(value->data);
      bytes.push_back(static_cast<BYTE>(value->type));
      (*snapshot)[path + L"\\:" + name] = bytes;
    }
  }
  for (const std::wstring& child : RegistrySubkeyNames(root, path)) {
    SnapshotKey(root, path + L"\\" + child, snapshot);
  }
}

class AddInRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::wstring> path = AddInDllPath();
    if (!path) GTEST_SKIP() << "this build makes no add-in DLL";
    dll = *path;
  }
  // Whatever a test did, the tests after it find the add-in registered.
  void TearDown() override {
    if (dll.empty()) return;
    RegisteredThisRun() = false;
    EXPECT_TRUE(addin_host::EnsureAddInRegistered(dll));
  }

  std::wstring ClassId() const {
    const std::optional<RegistryValue> value =
        ReadRegistryValue(HKEY_CLASSES_ROOT, L"NUV.Connect\\CLSID", L"");
    return value && value->Text() ? *value->Text() : std::wstring();
  }

  KeySnapshot Everything(const std::wstring& classId, const EmbeddedTypeLibrary& library) const {
    KeySnapshot snapshot;
    SnapshotKey(HKEY_CLASSES_ROOT, L"NUV.Connect", &snapshot);
    SnapshotKey(HKEY_CLASSES_ROOT, L"CLSID\\" + classId, &snapshot);
    SnapshotKey(HKEY_CLASSES_ROOT, L"TypeLib\\" + library.id, &snapshot);
    for (const HiveKey& hive : kAddInHives) {
      KeySnapshot hiveSnapshot;
      SnapshotKey(hive.hive, kAddInKey, &hiveSnapshot);
      for (auto& [path, value] : hiveSnapshot)
        snapshot[std::wstring(hive.name) + L"\\" + path] = value;
    }
    return snapshot;
  }

  std::wstring dll;
};

TEST_F(AddInRegistrationTest, RegistersTheClassItsProgIdItsServerAndItsTypeLibrary) {
  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, false));
  const std::wstring classId = ClassId();
  ASSERT_FALSE(classId.empty()) << "HKCR\\NUV.Connect\\CLSID";
  CLSID parsed{};
  ASSERT_EQ(S_OK, CLSIDFromProgID(L"NUV.Connect", &parsed));
  EXPECT_EQ(classId, GuidText(parsed));

  const std::wstring classKey = L"CLSID\\" + classId;
  const std::optional<RegistryValue> server =
      ReadRegistryValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"");
  ASSERT_TRUE(server && server->Text());
  EXPECT_EQ(UpperCase(dll), UpperCase(*server->Text()));
  const std::optional<RegistryValue> threading =
      ReadRegistryValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel");
  ASSERT_TRUE(threading);
  EXPECT_EQ(L"Apartment", threading->Text());
  const std::optional<RegistryValue> progId =
      ReadRegistryValue(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", L"");
  ASSERT_TRUE(progId);
  EXPECT_EQ(L"NUV.Connect", progId->Text());

  const std::optional<EmbeddedTypeLibrary> library = ReadEmbeddedTypeLibrary(dll);
  ASSERT_TRUE(library) << "the DLL embeds no type library";
  const std::optional<RegistryValue> classLibrary =
      ReadRegistryValue(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", L"");
  ASSERT_TRUE(classLibrary);
  EXPECT_EQ(UpperCase(library->id), UpperCase(classLibrary->Text().value_or(L"")));
  const std::wstring libraryKey = L"TypeLib\\" + library->id + L"\\" + library->version;
  EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, libraryKey)) << libraryKey;
  // RegisterTypeLib files the library under the platform the DLL was built for.
  const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
  const std::optional<RegistryValue> libraryPath =
      ReadRegistryValue(HKEY_CLASSES_ROOT, libraryKey + L"\\0\\" + platform, L"");
  ASSERT_TRUE(libraryPath && libraryPath->Text());
  EXPECT_EQ(UpperCase(dll), UpperCase(WithoutLongPathPrefix(*libraryPath->Text())));
}

TEST_F(AddInRegistrationTest, WritesFriendlyNameAndLoadBehaviourInBothHives) {
  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, false));
  for (const HiveKey& hive : kAddInHives) {
    SCOPED_TRACE(hive.name);
    std::vector<std::wstring> names = RegistryValueNames(hive.hive, kAddInKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"FriendlyName", L"LoadBehavior"}), names);
    const std::optional<RegistryValue> friendly =
        ReadRegistryValue(hive.hive, kAddInKey, L"FriendlyName");
    ASSERT_TRUE(friendly);
    EXPECT_EQ(DWORD{REG_SZ}, friendly->type);
    EXPECT_EQ(L"Trelvane", friendly->Text());
    const std::optional<RegistryValue> load =
        ReadRegistryValue(hive.hive, kAddInKey, L"LoadBehavior");
    ASSERT_TRUE(load);
    EXPECT_EQ(DWORD{3}, load->Dword());  // load at start-up
  }
}

TEST_F(AddInRegistrationTest, RegisteringTwiceChangesNothing) {
  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, false));
  const std::optional<EmbeddedTypeLibrary> library = ReadEmbeddedTypeLibrary(dll);
  ASSERT_TRUE(library);
  const KeySnapshot once = Everything(ClassId(), *library);
  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, false));
  const KeySnapshot twice = Everything(ClassId(), *library);
  EXPECT_FALSE(once.empty());
  EXPECT_EQ(once, twice);
}

TEST_F(AddInRegistrationTest, UnregisteringRemovesEverythingAndSucceedsWhenAlreadyGone) {
  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, false));
  const std::wstring classId = ClassId();
  const std::optional<EmbeddedTypeLibrary> library = ReadEmbeddedTypeLibrary(dll);
  ASSERT_TRUE(library);

  ASSERT_EQ(DWORD{0}, RunRegsvr32(dll, true));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"NUV.Connect"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + classId));
  EXPECT_FALSE(
      RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + library->id + L"\\" + library->version));
  for (const HiveKey& hive : kAddInHives) {
    EXPECT_FALSE(RegistryKeyExists(hive.hive, kAddInKey)) << hive.name;
  }
  CLSID parsed{};
  EXPECT_FALSE(SUCCEEDED(CLSIDFromProgID(L"NUV.Connect", &parsed)));

  EXPECT_EQ(DWORD{0}, RunRegsvr32(dll, true));
}

}  // namespace
