// The settings key object over a store, the toolbar's placement, the settings file (kept, shared, damaged, unwritable)
// and, on Windows, the registry itself.
#include "addin/settings_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "addin/toolbar_settings.h"
#include "tests/support/memory_settings_store.h"

#ifdef _WIN32
#include "addin/win32/registry_settings_store.h"
#else
#include <filesystem>
#include <fstream>
#include <iterator>

#include "addin/file_settings_store.h"
#include "addin/recent_items.h"
#include "tests/support/temporary_folder.h"
#endif

namespace {

TEST(SettingsInteger, OnlyDecimalTextWithinThirtyTwoBitsIsANumber) {
  const struct {
    const wchar_t* text;
    std::optional<int32_t> number;
  } cases[] = {
      {L"0", 0},
      {L"-1", -1},
      {L"+7", 7},
      {L"0042", 42},
      {L"2147483647", 2147483647},
      {L"-2147483648", INT32_MIN},
      {L"2147483648", std::nullopt},
      {L"-2147483649", std::nullopt},
      {L"99999999999999999999", std::nullopt},
      {L"", std::nullopt},
      {L"-", std::nullopt},
      {L"12abc", std::nullopt},
      {L" 12", std::nullopt},
      {L"0x10", std::nullopt},
      {L"1.5", std::nullopt},
      {L"\u0663", std::nullopt},  // an Arabic-Indic three
  };
  for (const auto& [text, number] : cases) {
    int32_t read = -99;
    EXPECT_EQ(number.has_value(), ParseDecimalInteger(text, &read)) << text;
    EXPECT_EQ(number.value_or(-99), read) << text;
  }
}

TEST(SettingsKey, IntegersAndBooleansAreStoredAsDecimalText) {
  test_support::CMemorySettingsStore store;
  CSettingsKey key(store, kSettingsKeyPath, CSettingsKey::Access::kWrite);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_TRUE(key.WriteInteger(L"ToolbarRowIndex", -1));
  EXPECT_TRUE(key.WriteBoolean(L"AutoSelectRange", true));
  EXPECT_TRUE(key.WriteBoolean(L"ShowTracingErrors", false));
  EXPECT_TRUE(key.WriteString(L"Tree_CellWidth", L"5"));
  EXPECT_TRUE(key.WriteString(L"UI_left", L"wide"));

  const CSettingsKey read(store, L"software\\nuv\\SETTINGS", CSettingsKey::Access::kRead);
  std::wstring text;
  EXPECT_TRUE(read.ReadString(L"ToolbarRowIndex", &text));
  EXPECT_EQ(L"-1", text);
  EXPECT_TRUE(read.ReadString(L"autoselectrange", &text));
  EXPECT_EQ(L"1", text);
  EXPECT_TRUE(read.ReadString(L"ShowTracingErrors", &text));
  EXPECT_EQ(L"0", text);

  bool on = false;
  EXPECT_TRUE(read.ReadBoolean(L"Tree_CellWidth", &on));  // any number above 0 is on
  EXPECT_TRUE(on);
  EXPECT_TRUE(read.ReadBoolean(L"ToolbarRowIndex", &on));
  EXPECT_FALSE(on);
  int32_t number = 7;
  EXPECT_FALSE(read.ReadInteger(L"UI_left", &number));  // not a number: the default stays
  EXPECT_FALSE(read.ReadInteger(L"UI_top", &number));   // missing
  EXPECT_EQ(7, number);
  uint32_t dword = 3;
  EXPECT_FALSE(read.ReadDword(L"Tree_CellWidth", &dword));  // text is not a DWORD
  EXPECT_EQ(3u, dword);
}

TEST(SettingsKey, AKeyThatDidNotOpenFailsEveryOperationAndMakesNothing) {
  test_support::CMemorySettingsStore store;
  CSettingsKey missing(store, L"Software\\NUV\\Nothing", CSettingsKey::Access::kRead);
  EXPECT_FALSE(missing.IsOpen());
  std::wstring text = L"kept";
  int32_t number = 5;
  bool on = true;
  uint32_t dword = 6;
  EXPECT_FALSE(missing.ReadString(L"a", &text) || missing.ReadInteger(L"a", &number) ||
               missing.ReadBoolean(L"a", &on) || missing.ReadDword(L"a", &dword));
  EXPECT_FALSE(missing.WriteString(L"a", L"x") || missing.WriteInteger(L"a", 1) ||
               missing.WriteBoolean(L"a", true) || missing.WriteDword(L"a", 1));
  EXPECT_EQ(L"kept", text);
  EXPECT_EQ(5, number);
  EXPECT_TRUE(on);
  EXPECT_EQ(6u, dword);
  EXPECT_EQ(0u, store.KeyCount());

  // A key opened for reading refuses writes, as the registry does.
  CSettingsKey(store, L"Software\\NUV\\MRU", CSettingsKey::Access::kWrite);
  CSettingsKey reading(store, L"Software\\NUV\\MRU", CSettingsKey::Access::kRead);
  ASSERT_TRUE(reading.IsOpen());
  EXPECT_FALSE(reading.WriteDword(L"Count", 1));
  EXPECT_TRUE(CSettingsKey(store, L"Software\\NUV", CSettingsKey::Access::kRead).IsOpen());
}

#ifdef _WIN32

// A key of its own, so that a run never touches the add-in's real settings.
constexpr wchar_t kRegistryTestKey[] = L"Software\\NUV\\TrelvaneTests\\Settings";

TEST(RegistrySettingsStore, TextAndDwordsRoundTripUnderTheCurrentUser) {
  CRegistrySettingsStore store;
  ASSERT_TRUE(store.IsBound());
  {
    CSettingsKey key(store, kRegistryTestKey, CSettingsKey::Access::kWrite);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_TRUE(key.WriteString(L"Caption", L"[Book1.xlsx]'My Sheet'!B2  - Precedents"));
    EXPECT_TRUE(key.WriteString(L"Empty", L""));
    EXPECT_TRUE(key.WriteInteger(L"Width", -120));
    EXPECT_TRUE(key.WriteDword(L"Count", 0xFFFFFFFFu));
  }
  const CSettingsKey key(store, kRegistryTestKey, CSettingsKey::Access::kRead);
  ASSERT_TRUE(key.IsOpen());
  std::wstring text = L"x";
  EXPECT_TRUE(key.ReadString(L"caption", &text));
  EXPECT_EQ(L"[Book1.xlsx]'My Sheet'!B2  - Precedents", text);
  EXPECT_TRUE(key.ReadString(L"Empty", &text));
  EXPECT_EQ(L"", text);
  int32_t width = 0;
  EXPECT_TRUE(key.ReadInteger(L"Width", &width));
  EXPECT_EQ(-120, width);
  uint32_t count = 0;
  EXPECT_TRUE(key.ReadDword(L"Count", &count));
  EXPECT_EQ(0xFFFFFFFFu, count);
  EXPECT_FALSE(key.ReadDword(L"Caption", &count));
  EXPECT_FALSE(
      CSettingsKey(store, kRegistryTestKey, CSettingsKey::Access::kRead).WriteDword(L"Count", 1));
  EXPECT_FALSE(
      CSettingsKey(store, L"Software\\NUV\\TrelvaneTests\\Missing", CSettingsKey::Access::kRead)
          .IsOpen());
}

#else

namespace fs = std::filesystem;

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileText(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

class FileSettingsStore : public testing::Test {
 protected:
  fs::path File() const { return folder_ / "settings"; }

  test_support::CTemporaryFolder folder_;
};

TEST_F(FileSettingsStore, ValuesOfEveryKindSurviveANewStoreOnTheFile) {
  const std::wstring awkward = L"line\none \"quoted\" back\\slash \u00e9\u4e2d\U0001F600 = [x]";
  {
    CFileSettingsStore store(folder_ / "made" / "for" / "settings");  // folders are made
    CSettingsKey key(store, L"Software\\NUV\\MRU\\Item0", CSettingsKey::Access::kWrite);
    EXPECT_TRUE(key.WriteString(L"Caption", awkward));
    EXPECT_TRUE(key.WriteString(L"Workbook", L""));
    EXPECT_TRUE(key.WriteDword(L"Command", 0xFFFFFFFFu));
    EXPECT_TRUE(key.WriteString(L"Command", L"now text"));  // a value changes its type
    CSettingsKey(store, L"Software\\NUV\\Empty", CSettingsKey::Access::kWrite);
  }
  CFileSettingsStore store(folder_ / "made" / "for" / "settings");
  const CSettingsKey key(store, L"SOFTWARE\\nuv\\mru\\ITEM0", CSettingsKey::Access::kRead);
  ASSERT_TRUE(key.IsOpen());
  std::wstring text;
  EXPECT_TRUE(key.ReadString(L"caption", &text));
  EXPECT_EQ(awkward, text);
  EXPECT_TRUE(key.ReadString(L"Workbook", &text));
  EXPECT_EQ(L"", text);
  EXPECT_TRUE(key.ReadString(L"Command", &text));
  EXPECT_EQ(L"now text", text);
  uint32_t dword = 0;
  EXPECT_FALSE(key.ReadDword(L"Command", &dword));
  EXPECT_TRUE(CSettingsKey(store, L"Software\\NUV\\Empty", CSettingsKey::Access::kRead).IsOpen());
  EXPECT_TRUE(CSettingsKey(store, L"Software\\NUV", CSettingsKey::Access::kRead).IsOpen());
  EXPECT_FALSE(CSettingsKey(store, L"Software\\NU", CSettingsKey::Access::kRead).IsOpen());
  EXPECT_FALSE(CSettingsKey(store, L"Software\\NUV\\MRU\\Item0", CSettingsKey::Access::kRead)
                   .WriteString(L"Caption", L"x"));
}

TEST_F(FileSettingsStore, WritesReachTheFileWhenTheLastWritingKeyClosesKeepingOthers) {
  CFileSettingsStore first(File());
  CFileSettingsStore second(File());  // another process on the same file
  {
    CSettingsKey list(first, kRecentItemsKeyPath, CSettingsKey::Access::kWrite);
    ASSERT_TRUE(list.WriteDword(L"Count", 2));
    {
      CSettingsKey item(first, RecentItemKeyPath(0), CSettingsKey::Access::kWrite);
      ASSERT_TRUE(item.WriteString(L"Caption", L"one"));
    }
    EXPECT_FALSE(fs::exists(File()));  // the list key is still open
    uint32_t count = 0;
    EXPECT_TRUE(CSettingsKey(first, kRecentItemsKeyPath, CSettingsKey::Access::kRead)
                    .ReadDword(L"Count", &count));
    EXPECT_EQ(2u, count);
    EXPECT_FALSE(CSettingsKey(second, kRecentItemsKeyPath, CSettingsKey::Access::kRead).IsOpen());
    CSettingsKey(second, kSettingsKeyPath, CSettingsKey::Access::kWrite)
        .WriteInteger(L"UI_left", 10);
  }
  CFileSettingsStore later(File());
  uint32_t count = 0;
  std::wstring caption;
  int32_t left = 0;
  EXPECT_TRUE(CSettingsKey(later, kRecentItemsKeyPath, CSettingsKey::Access::kRead)
                  .ReadDword(L"Count", &count));
  EXPECT_TRUE(CSettingsKey(later, RecentItemKeyPath(0), CSettingsKey::Access::kRead)
                  .ReadString(L"Caption", &caption));
  EXPECT_TRUE(CSettingsKey(later, kSettingsKeyPath, CSettingsKey::Access::kRead)
                  .ReadInteger(L"UI_left", &left));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(L"one", caption);
  EXPECT_EQ(10, left);
  // The second store reads the file again now that it changed.
  EXPECT_TRUE(CSettingsKey(second, RecentItemKeyPath(0), CSettingsKey::Access::kRead).IsOpen());
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder_.Path())) files.push_back(entry.path());
  EXPECT_EQ(std::vector<fs::path>{File()}, files);  // no temporary file left beside it
}

TEST_F(FileSettingsStore, ALinkedFileStaysLinked) {
  const fs::path real = folder_ / "real-settings";
  fs::create_symlink(real, File());
  CFileSettingsStore store(File());
  EXPECT_TRUE(CSettingsKey(store, kSettingsKeyPath, CSettingsKey::Access::kWrite)
                  .WriteBoolean(L"Toolbar", true));
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_NE(std::string::npos, FileText(real).find("Toolbar"));
}

TEST_F(FileSettingsStore, DamagedFilesReadAsEmptyAndTheNextWriteReplacesThem) {
  const std::string good = R"({"version": 1, "keys": {"K": {"V": {"dword": 1}}}})";
  const std::string cases[] = {
      "",
      "not json",
      good.substr(0, good.size() - 2),  // cut short
      "[]",
      R"({"keys": {"K": {"V": {"dword": 1}}}})",
      R"({"version": 2, "keys": {"K": {"V": {"dword": 1}}}})",
      R"({"version": 1, "keys": []})",
      R"({"version": 1, "keys": {"K": [1]}})",
      R"({"version": 1, "keys": {"K": {"V": {"dword": -1}}}})",
      R"({"version": 1, "keys": {"K": {"V": {"dword": 4294967296}}}})",
      R"({"version": 1, "keys": {"K": {"V": {"dword": 1.5}}}})",
      R"({"version": 1, "keys": {"K": {"V": {"sz": 5}}}})",
      R"({"version": 1, "keys": {"K": {"V": {"sz": "a", "dword": 1}}}})",
      R"({"version": 1, "keys": {"K": {"V": {}}}})",
      "{\"version\": 1, \"keys\": {\"K\": {\"V\": {\"sz\": \"\xff\xfe\"}}}}",  // not UTF-8
      std::string(100000, '[') + std::string(100000, ']'),
      R"({"version": 1, "keys": {"K": {"V": {"sz": ")" + std::string(kMaxSettingsFileBytes, 'x') +
          R"("}}}})",
  };
  for (const std::string& text : cases) {
    const std::string shown = text.substr(0, 60);
    WriteFileText(File(), text);
    CFileSettingsStore store(File());
    EXPECT_FALSE(CSettingsKey(store, L"K", CSettingsKey::Access::kRead).IsOpen()) << shown;
    CMruList list;
    list.Load(store, {});
    EXPECT_EQ(0u, list.Count()) << shown;

    EXPECT_TRUE(CSettingsKey(store, L"K", CSettingsKey::Access::kWrite).WriteDword(L"V", 2))
        << shown;
    CFileSettingsStore reread(File());
    uint32_t value = 0;
    EXPECT_TRUE(CSettingsKey(reread, L"K", CSettingsKey::Access::kRead).ReadDword(L"V", &value))
        << shown;
    EXPECT_EQ(2u, value) << shown;
  }
  WriteFileText(File(), good);  // and the good one reads
  CFileSettingsStore store(File());
  uint32_t value = 0;
  EXPECT_TRUE(CSettingsKey(store, L"k", CSettingsKey::Access::kRead).ReadDword(L"v", &value));
  EXPECT_EQ(1u, value);
}

TEST_F(FileSettingsStore, AFileThatCannotBeWrittenMakesNoKey) {
  WriteFileText(folder_ / "plain", "a file, not a folder");
  CFileSettingsStore store(folder_ / "plain" / "settings");
  EXPECT_FALSE(CSettingsKey(store, kSettingsKeyPath, CSettingsKey::Access::kWrite).IsOpen());
  CMruList list;
  list.Add({L"caption", 1, L"/w/Book1.xlsx", L"Sheet1!A1"});
  list.Save(store, {});  // silently nothing
  EXPECT_FALSE(CSettingsKey(store, kRecentItemsKeyPath, CSettingsKey::Access::kRead).IsOpen());
}

#endif

}  // namespace

TEST(ToolbarPlacement, RoundTripsAndReadsMissingOrOddValuesAsTheDefaults) {
  test_support::CMemorySettingsStore store;
  EXPECT_EQ(ToolbarPlacement{}, LoadToolbarPlacement(store));  // shown, Excel's own place
  const ToolbarPlacement moved{false, 3, 4, -120, 300};
  SaveToolbarPlacement(store, moved);
  EXPECT_EQ(moved, LoadToolbarPlacement(store));

  // Only a stored 1 shows the toolbar; text that is not a number counts as missing.
  for (const auto& [stored, visible] : {std::pair{L"1", true}, std::pair{L"0", false},
                                        std::pair{L"2", false}, std::pair{L"yes", true}}) {
    CSettingsKey key(store, kSettingsKeyPath, CSettingsKey::Access::kWrite);
    key.WriteString(L"Toolbar", stored);
    EXPECT_EQ(visible, LoadToolbarPlacement(store).visible) << stored;
  }
}
