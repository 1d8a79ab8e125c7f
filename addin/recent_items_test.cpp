// Recent items: captions, equality and order; the list saved and loaded again on the in-memory
// store and on the settings file; an item run again against the embedded spreadsheet.
#include "addin/recent_items.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "addin/addin_manager.h"
#include "addin/recent_item_opening.h"
#include "addin/settings_key.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/memory_settings_store.h"
#include "tests/support/recording_progress.h"
#include "tests/support/spreadsheet_session.h"

#ifdef _WIN32
#include <windows.h>

#include "addin/win32/registry_settings_store.h"
#include "tests/support/scratch_current_user.h"
#else
#include "addin/file_settings_store.h"
#endif

namespace {

namespace fs = std::filesystem;

// A folder of scratch files that works under Wine as well, removed at the end of the test.
class CScratchFolder {
 public:
  CScratchFolder() {
    path_ = fs::temp_directory_path() /
            ("trelvane-recent-items-" + std::to_string(std::random_device()()));
    fs::create_directories(path_);
  }
  ~CScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  CScratchFolder(const CScratchFolder&) = delete;
  CScratchFolder& operator=(const CScratchFolder&) = delete;

  // An empty file of that name in the folder, made; its full path.
  std::wstring Touch(const std::string& name) const {
    std::ofstream(path_ / name).put('\0');
    return (path_ / name).wstring();
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

class CNoClipboard : public IClipboard {
 public:
  bool SetAnsiText(const std::string&) override { return false; }
  bool SetUnicodeText(const std::wstring&) override { return false; }
};

// What the handlers asked of the desktop while running recent items.
class CRecentItemsDesktop : public IAddInDesktop {
 public:
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  void PressEscape() override {}
  void PostToHiddenWindow(uint32_t message, uintptr_t wParam) override {
    posted.emplace_back(message, wParam);
  }
  bool EnsureUiThread() override { return true; }
  void OpenWindow(const WindowRequest& request) override { windows.push_back(request); }
  int32_t ChooseFromColorMenu(const std::vector<ColorMenuItem>&,
                              const std::optional<ToolbarButtonPlace>&) override {
    return 0;
  }
  IClipboard& Clipboard() override { return clipboard; }
  void InvalidateRecentItems() override { ++changes; }
  int32_t ChooseFromRecentItemsMenu(const std::vector<std::wstring>& captions) override {
    menus.push_back(captions);
    return choice;
  }
  void OpenAddress(const std::wstring&) override {}
  void ShowAbout() override {}
  void CloseWindowManager() override {}
  IOperationProgress& Progress() override { return progress; }
  IExcelThread& ExcelThread() override { return excelThread; }

  std::vector<std::wstring> messages;
  std::deque<std::pair<uint32_t, uintptr_t>> posted;
  std::vector<WindowRequest> windows;
  CNoClipboard clipboard;
  int changes = 0;
  std::vector<std::vector<std::wstring>> menus;
  int32_t choice = 0;
  test_support::CRecordingProgress progress;
  CCallerIsExcelThread excelThread;
};

CMruItem MakeItem(int32_t command, std::wstring caption, std::wstring workbook,
                  std::wstring address) {
  CMruItem item;
  item.command = command;
  item.caption = std::move(caption);
  item.workbook = std::move(workbook);
  item.address = std::move(address);
  return item;
}

// Writes the items and their count as a saved list would hold them, without the list's code.
void StoreItems(ISettingsStore& store, const std::vector<CMruItem>& items) {
  CSettingsKey list(store, kRecentItemsKeyPath, CSettingsKey::Access::kWrite);
  ASSERT_TRUE(list.WriteDword(L"Count", static_cast<uint32_t>(items.size())));
  for (size_t i = 0; i < items.size(); ++i) {
    CSettingsKey key(store, RecentItemKeyPath(i), CSettingsKey::Access::kWrite);
    ASSERT_TRUE(key.WriteDword(L"Command", static_cast<uint32_t>(items[i].command)));
    ASSERT_TRUE(key.WriteString(L"Caption", items[i].caption));
    ASSERT_TRUE(key.WriteString(L"Workbook", items[i].workbook));
    ASSERT_TRUE(key.WriteString(L"Address", items[i].address));
  }
}

std::vector<std::wstring> Captions(const CAddInManager& manager) {
  std::vector<std::wstring> captions;
  for (size_t i = 0; i < manager.RecentItemCount(); ++i) {
    captions.push_back(manager.RecentItemCaption(i));
  }
  return captions;
}

TEST(RecentItemCaption, NamesTheWorkbookTheAddressAndTheCommandsSuffix) {
  const struct {
    int32_t command;
    const wchar_t* caption;
  } cases[] = {
      {0, L"[Book1.xlsx]Sheet1!B3  - Dependents"},
      {1, L"[Book1.xlsx]Sheet1!B3  - Precedents"},
      {5, L"[Book1.xlsx]Sheet1!B3  - Evaluate Formula"},
      {2, L"[Book1.xlsx]Sheet1!B3 "},  // commands without a suffix keep the blank
      {9, L"[Book1.xlsx]Sheet1!B3 "},
  };
  for (const auto& [command, caption] : cases) {
    EXPECT_EQ(caption, MruCaption(command, L"Book1.xlsx", L"Sheet1!B3")) << command;
  }
}

TEST(RecentItemEquality, TextsCompareIgnoringCaseAndTheCommandExactly) {
  const CMruItem item =
      MakeItem(1, L"[Book1.xlsx]Sheet1!B3  - Precedents", L"/data/Book1.xlsx", L"Sheet1!B3");
  const struct {
    CMruItem other;
    bool equal;
  } cases[] = {
      {item, true},
      {MakeItem(1, L"[BOOK1.XLSX]SHEET1!B3  - PRECEDENTS", L"/DATA/book1.xlsx", L"sheet1!b3"),
       true},
      {MakeItem(0, item.caption, item.workbook, item.address), false},
      {MakeItem(1, item.caption + L" ", item.workbook, item.address), false},
      {MakeItem(1, item.caption, L"/data/Book2.xlsx", item.address), false},
      {MakeItem(1, item.caption, item.workbook, L"Sheet1!B4"), false},
  };
  for (const auto& [other, equal] : cases) {
    EXPECT_EQ(equal, item == other) << other.caption << L" " << other.address;
  }
}

TEST(RecentItemAddress, SplitsAfterTheSheetAndUnquotesIt) {
  const struct {
    const wchar_t* address;
    std::optional<std::pair<std::wstring, std::wstring>> place;
  } cases[] = {
      {L"Sheet1!B3", {{L"Sheet1", L"B3"}}},
      {L"'My Sheet'!B2", {{L"My Sheet", L"B2"}}},
      {L"My Sheet!B2:C3", {{L"My Sheet", L"B2:C3"}}},
      {L"'Bob''s'!A1", {{L"Bob's", L"A1"}}},
      {L"'A!B'!C1", {{L"A!B", L"C1"}}},
      {L"Sheet1!", {{L"Sheet1", L""}}},
      {L"'!A1", {{L"", L"A1"}}},
      {L"B3", std::nullopt},
      {L"", std::nullopt},
  };
  for (const auto& [address, place] : cases) {
    const std::optional<RecentItemPlace> split = SplitRecentItemAddress(address);
    ASSERT_EQ(place.has_value(), split.has_value()) << address;
    if (!place) continue;
    EXPECT_EQ(place->first, split->sheet) << address;
    EXPECT_EQ(place->second, split->cells) << address;
  }
}

// The list saved and loaded through each store the platform has; a restart is a new manager
// (and, for the file, a new store) loading what the old one saved.
enum class StoreKind { kMemory, kFile, kRegistry };

constexpr StoreKind kStoreKinds[] = {
    StoreKind::kMemory,
#ifdef _WIN32
    StoreKind::kRegistry,
#else
    StoreKind::kFile,
#endif
};

class RecentItemsStore : public testing::TestWithParam<StoreKind> {
 protected:
  RecentItemsStore() { Restart(); }

  ISettingsStore& Store() {
#ifdef _WIN32
    if (registry_) return *registry_;
#else
    if (file_) return *file_;
#endif
    return memory_;
  }
  void Restart() {
#ifdef _WIN32
    if (GetParam() == StoreKind::kRegistry) {
      ASSERT_TRUE(currentUser_.IsActive());
      registry_ = std::make_unique<CRegistrySettingsStore>();
    }
#else
    if (GetParam() == StoreKind::kFile) {
      file_ = std::make_unique<CFileSettingsStore>(folder_ / "config" / "settings");
    }
#endif
    manager_ = std::make_unique<CAddInManager>(ExcelObject(session_.application.Get()), desktop_);
  }
  ExcelObject Workbook() const {
    ExcelObject workbook;
    EXPECT_TRUE(ExcelObject(session_.application.Get()).GetObject(L"ActiveWorkbook", &workbook));
    return workbook;
  }
  void Record(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      manager_->AddRecentItem(1, Workbook(), L"Sheet1!A" + std::to_wstring(i + 1));
    }
  }
  TraceSink Tracer() {
    return [this](const std::wstring& line) { trace_.push_back(line); };
  }

  test_support::CSpreadsheetSession session_;
  CRecentItemsDesktop desktop_;
  CScratchFolder folder_;
  test_support::CMemorySettingsStore memory_;
#ifdef _WIN32
  test_support::CScratchCurrentUser currentUser_{L"User"};
  std::unique_ptr<CRegistrySettingsStore> registry_;
#else
  std::unique_ptr<CFileSettingsStore> file_;
#endif
  std::unique_ptr<CAddInManager> manager_;
  std::vector<std::wstring> trace_;
};

INSTANTIATE_TEST_SUITE_P(Stores, RecentItemsStore, testing::ValuesIn(kStoreKinds),
                         [](const testing::TestParamInfo<StoreKind>& kind) {
                           switch (kind.param) {
                             case StoreKind::kFile:
                               return "File";
                             case StoreKind::kRegistry:
                               return "Registry";
                             default:
                               return "Memory";
                           }
                         });

TEST_P(RecentItemsStore, TwelveItemsSaveTenAndTheNextStartLoadsTen) {
  session_.book->SetPath(L"/data/Book1.xlsx");
  Record(12);
  EXPECT_EQ(12u, manager_->RecentItemCount());  // no limit in memory
  EXPECT_EQ(12, desktop_.changes);
  const std::vector<std::wstring> before = Captions(*manager_);
  manager_->SaveRecentItems(Store(), Tracer());

  uint32_t count = 0;
  EXPECT_TRUE(CSettingsKey(Store(), kRecentItemsKeyPath, CSettingsKey::Access::kRead)
                  .ReadDword(L"Count", &count));
  EXPECT_EQ(10u, count);
  ASSERT_EQ(11u, trace_.size());
  EXPECT_EQ(L"\nMRU list SAVE:", trace_[0]);
  EXPECT_EQ(L"\nmru item(0) saved '[Book1.xlsx]Sheet1!A12  - Precedents'", trace_[1]);
  EXPECT_EQ(L"\nmru item(9) saved '[Book1.xlsx]Sheet1!A3  - Precedents'", trace_[10]);

  Restart();
  trace_.clear();
  manager_->LoadRecentItems(Store(), Tracer());
  const std::vector<std::wstring> after = Captions(*manager_);
  EXPECT_EQ(std::vector<std::wstring>(before.begin(), before.begin() + 10), after);
  const CMruItem* first = manager_->RecentItem(0);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(1, first->command);
  EXPECT_EQ(L"/data/Book1.xlsx", first->workbook);
  EXPECT_EQ(L"Sheet1!A12", first->address);
  ASSERT_EQ(11u, trace_.size());
  EXPECT_EQ(L"\nMRU list LOAD:", trace_[0]);
  EXPECT_EQ(L"\nmru item(9) loaded '[Book1.xlsx]Sheet1!A3  - Precedents'", trace_[10]);
}

TEST_P(RecentItemsStore, ACountOfThreeWithAnItemMissingLoadsItEmpty) {
  manager_->LoadRecentItems(Store(), Tracer());  // without the list key: nothing
  EXPECT_EQ(0u, manager_->RecentItemCount());
  EXPECT_EQ(std::vector<std::wstring>{L"\nMRU list LOAD:"}, trace_);
  trace_.clear();

  StoreItems(Store(), {MakeItem(1, L"first", L"/w/a.xlsx", L"Sheet1!A1")});
  {
    CSettingsKey third(Store(), RecentItemKeyPath(2), CSettingsKey::Access::kWrite);
    ASSERT_TRUE(third.WriteDword(L"Command", 5));
    ASSERT_TRUE(third.WriteString(L"Caption", L"third"));
    CSettingsKey list(Store(), kRecentItemsKeyPath, CSettingsKey::Access::kWrite);
    ASSERT_TRUE(list.WriteDword(L"Count", 3));
  }
  Restart();
  manager_->LoadRecentItems(Store(), Tracer());
  ASSERT_EQ(3u, manager_->RecentItemCount());
  EXPECT_EQ(L"first", manager_->RecentItemCaption(0));
  EXPECT_EQ(CMruItem(), *manager_->RecentItem(1));
  EXPECT_EQ(0, manager_->RecentItem(1)->command);
  EXPECT_EQ(L"third", manager_->RecentItemCaption(2));
  EXPECT_EQ(5, manager_->RecentItem(2)->command);
  EXPECT_EQ(L"", manager_->RecentItem(2)->workbook);
  ASSERT_EQ(4u, trace_.size());
  EXPECT_EQ(L"\nmru item(1) loaded ''", trace_[2]);
}

TEST_P(RecentItemsStore, SavingFiveAfterEightLeavesTheOldKeysUnread) {
  session_.book->SetPath(L"/data/Book1.xlsx");
  Record(8);
  manager_->SaveRecentItems(Store());
  Restart();
  Record(5);
  manager_->SaveRecentItems(Store());

  std::wstring caption;
  for (size_t i = 5; i < 8; ++i) {
    EXPECT_TRUE(CSettingsKey(Store(), RecentItemKeyPath(i), CSettingsKey::Access::kRead)
                    .ReadString(L"Caption", &caption))
        << i;
  }
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!A1  - Precedents", caption);  // Item7 of the first run
  Restart();
  manager_->LoadRecentItems(Store());
  EXPECT_EQ(5u, manager_->RecentItemCount());
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!A5  - Precedents", manager_->RecentItemCaption(0));
}

// Recent items run again on the embedded spreadsheet: Book1.xlsx, saved in a scratch folder,
// with the sheets Sheet1, My Sheet and Bob's.
class RunRecentItem : public testing::Test {
 protected:
  RunRecentItem() {
    bookPath_ = folder_.Touch("Book1.xlsx");
    session_.book->SetPath(bookPath_);
    session_.book->AddSheet(L"My Sheet");
    session_.book->AddSheet(L"Bob's");
  }

  // A manager as after a start that loaded these items.
  std::unique_ptr<CAddInManager> StartWith(const std::vector<CMruItem>& items) {
    auto manager =
        std::make_unique<CAddInManager>(ExcelObject(session_.application.Get()), desktop_);
    test_support::CMemorySettingsStore store;
    StoreItems(store, items);
    manager->LoadRecentItems(store);
    return manager;
  }
  // As the ribbon runs the command, then the posted messages as the hidden window does.
  void Run(CAddInManager& manager, int32_t number) {
    manager.ExecuteCommand(number);
    while (!desktop_.posted.empty()) {
      const auto [message, wParam] = desktop_.posted.front();
      desktop_.posted.pop_front();
      manager.OnPostedMessage(message, wParam);
    }
  }
  std::wstring ActiveWorkbookName() const { return session_.app->ActiveWorkbook()->Name(); }

  static constexpr int32_t kFirstItem = static_cast<int32_t>(CommandId::kRecentItem0);
  static constexpr int32_t kMenu = static_cast<int32_t>(CommandId::kRecentItemsMenu);

  CScratchFolder folder_;
  std::wstring bookPath_;
  test_support::CSpreadsheetSession session_;
  CRecentItemsDesktop desktop_;
};

TEST_F(RunRecentItem, SaysWhichFileSheetOrAddressIsMissing) {
  const std::wstring missing = (folder_ / "Gone.xlsx").wstring();
  const struct {
    std::wstring workbook;
    const wchar_t* address;
    std::wstring message;
  } cases[] = {
      {missing, L"Sheet1!A1", L"File '" + missing + L"' doesn't exist."},
      {L"", L"", L"File '' doesn't exist."},  // an item whose key was missing
      {bookPath_, L"Nowhere!A1", L"Worksheet 'Nowhere' doesn't exist."},
      {bookPath_, L"Sheet1!NOT A CELL", L"Address 'NOT A CELL' is not valid."},
      {bookPath_, L"Sheet1!", L"Address '' is not valid."},
  };
  for (const auto& [workbook, address, message] : cases) {
    desktop_.messages.clear();
    const auto manager = StartWith({MakeItem(1, L"item", workbook, address)});
    Run(*manager, kFirstItem);
    EXPECT_EQ(std::vector<std::wstring>{message}, desktop_.messages) << address;
    EXPECT_TRUE(desktop_.windows.empty()) << address;
  }
}

TEST_F(RunRecentItem, QuotedSheetNamesAreFoundAndTheCommandRunsOnTheRange) {
  const struct {
    int32_t command;
    const wchar_t* address;
    int32_t sheet;
    CellPos first;
    CellPos last;
  } cases[] = {
      {1, L"'My Sheet'!B2", 2, {2, 2, 2}, {2, 2, 2}},
      {0, L"'BOB''S'!C3:D4", 3, {3, 3, 3}, {3, 4, 4}},
      {2, L"My Sheet!E5", 2, {2, 5, 5}, {2, 5, 5}},
      {4, L"sheet1!A1", 1, {1, 1, 1}, {1, 1, 1}},  // Trace Error needs an error: message 1401
  };
  for (const auto& [command, address, sheet, first, last] : cases) {
    desktop_.windows.clear();
    desktop_.messages.clear();
    const auto manager = StartWith({MakeItem(command, L"item", bookPath_, address)});
    Run(*manager, kFirstItem);
    EXPECT_EQ(sheet, session_.app->CurrentSelection().sheet) << address;
    if (command == 4) {
      EXPECT_EQ(1u, desktop_.messages.size());
      EXPECT_TRUE(desktop_.windows.empty());
      continue;
    }
    EXPECT_TRUE(desktop_.messages.empty()) << address;
    ASSERT_EQ(1u, desktop_.windows.size()) << address;
    EXPECT_EQ(static_cast<TraceKind>(command), desktop_.windows[0].kind) << address;
    EXPECT_EQ(first, desktop_.windows[0].root.first) << address;
    EXPECT_EQ(last, desktop_.windows[0].root.last) << address;
  }
}

TEST_F(RunRecentItem, ShowPrecedentsTwiceOnOneCellLeavesOneItemAtTheFront) {
  const auto manager = StartWith({MakeItem(0, L"older", bookPath_, L"Sheet1!A1")});
  session_.app->Select({session_.book, 1, {{3, 2}, {3, 2}}});
  Run(*manager, static_cast<int32_t>(CommandId::kShowPrecedents));
  Run(*manager, static_cast<int32_t>(CommandId::kShowPrecedents));
  EXPECT_EQ((std::vector<std::wstring>{L"[Book1.xlsx]Sheet1!B3  - Precedents", L"older"}),
            Captions(*manager));
  EXPECT_EQ(bookPath_, manager->RecentItem(0)->workbook);
  EXPECT_EQ(2, desktop_.changes);  // the desktop was told each time
}

TEST_F(RunRecentItem, AnItemRecordedByATraceRunsAgain) {
  const auto manager = StartWith({MakeItem(0, L"item", bookPath_, L"'Bob''s'!C3:D4")});
  Run(*manager, kFirstItem);
  ASSERT_EQ(2u, manager->RecentItemCount());
  EXPECT_EQ(L"[Book1.xlsx]'Bob''s'!C3:D4  - Dependents", manager->RecentItemCaption(0));
  session_.app->Select({session_.book, 1, {{1, 1}, {1, 1}}});
  Run(*manager, kFirstItem);  // the item the trace just recorded
  EXPECT_TRUE(desktop_.messages.empty());
  ASSERT_EQ(2u, desktop_.windows.size());
  EXPECT_EQ((CellPos{3, 3, 3}), desktop_.windows[1].root.first);
  EXPECT_EQ(2u, manager->RecentItemCount());
}

TEST_F(RunRecentItem, AnAddressWithoutSheetOnlyActivatesTheWorkbook) {
  auto other = std::make_shared<spreadsheet::CWorkbook>(L"Other.xlsx");
  other->AddSheet(L"Sheet1");
  session_.app->AddWorkbook(other);
  ASSERT_EQ(L"Other.xlsx", ActiveWorkbookName());
  const auto manager = StartWith({MakeItem(1, L"item", bookPath_, L"B3")});
  Run(*manager, kFirstItem);
  EXPECT_EQ(L"Book1.xlsx", ActiveWorkbookName());
  EXPECT_TRUE(desktop_.messages.empty());
  EXPECT_TRUE(desktop_.windows.empty());
}

TEST_F(RunRecentItem, AWorkbookThatIsNotOpenIsOpenedAndEvaluated) {
  const std::wstring closed = folder_.Touch("Closed.xlsx");
  int opened = 0;
  session_.app->SetOpener([&](const std::wstring& path, std::wstring*) {
    ++opened;
    auto workbook = std::make_unique<spreadsheet::CWorkbook>(L"Closed.xlsx");
    workbook->AddSheet(L"Data");
    workbook->Sheet(1).SetFormula({2, 1}, L"1+1");
    workbook->SetPath(path);
    return workbook;
  });
  const auto manager =
      StartWith({MakeItem(5, L"[Closed.xlsx]Data!A2  - Evaluate Formula", closed, L"Data!A2")});
  Run(*manager, kFirstItem);
  Run(*manager, kFirstItem);  // open already: found, not read again
  EXPECT_EQ(1, opened);
  EXPECT_EQ(L"Closed.xlsx", ActiveWorkbookName());
  ASSERT_EQ(2u, desktop_.windows.size());
  EXPECT_EQ(TraceKind::kEvaluateFormula, desktop_.windows[0].kind);
  EXPECT_EQ((CellPos{1, 1, 2}), desktop_.windows[0].root.first);
  EXPECT_EQ(1u, manager->RecentItemCount());  // recorded again as the same item
}

TEST_F(RunRecentItem, TheMenuOffersEveryItemAndRunsTheChosenOne) {
  const auto empty = StartWith({});
  Run(*empty, kMenu);
  EXPECT_TRUE(desktop_.menus.empty());  // no items, no menu

  std::vector<CMruItem> items;
  for (int row = 1; row <= 12; ++row) {
    items.push_back(MakeItem(1, L"item " + std::to_wstring(row), bookPath_,
                             L"Sheet1!A" + std::to_wstring(row)));
  }
  const auto manager = StartWith(items);
  Run(*manager, kMenu);
  ASSERT_EQ(1u, desktop_.menus.size());
  EXPECT_EQ(Captions(*manager), desktop_.menus[0]);
  EXPECT_TRUE(desktop_.windows.empty());  // nothing chosen

  desktop_.choice = 12;  // beyond the ten buttons, still offered by the menu
  Run(*manager, kMenu);
  ASSERT_EQ(1u, desktop_.windows.size());
  EXPECT_EQ((CellPos{1, 1, 12}), desktop_.windows[0].root.first);

  desktop_.choice = 14;  // the list has 13 items now
  Run(*manager, kMenu);
  manager->RunRecentItem(kFirstItem + 13);
  Run(*StartWith({items[0]}), kFirstItem + 1);  // a button past the end of a list of one
  EXPECT_EQ(1u, desktop_.windows.size());
}

}  // namespace
