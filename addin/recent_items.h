// The recent-items list: the traces run lately, most recent first, kept in the user's settings
// between sessions and offered again by the ribbon and the legacy menus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/settings_store.h"

inline constexpr wchar_t kRecentItemsKeyPath[] = L"Software\\NUV\\MRU";
// What is saved and what the ribbon's and the legacy menu's buttons show; the list itself has
// no limit.
inline constexpr size_t kMaxSavedRecentItems = 10;
// A stored count larger than this is a damaged value (it is a DWORD), not a list anyone saved;
// loading stops there rather than making billions of empty items.
inline constexpr uint32_t kMaxLoadedRecentItems = 1000;

// Where the debug trace lines of loading and saving go: the debugger output on Windows.
using TraceSink = std::function<void(const std::wstring& line)>;

struct CMruItem {
  std::wstring caption;
  int32_t command = 0;
  std::wstring workbook;  // Workbook.FullName
  std::wstring address;   // the range with its sheet, as FormatAddress writes it

  // The same command, and the same texts ignoring case.
  friend bool operator==(const CMruItem& a, const CMruItem& b);
};

// "[Book1.xlsx]Sheet1!B3  - Precedents": the workbook's name in brackets, the address, a blank
// and the command's suffix (none for commands without one).
std::wstring MruCaption(int32_t command, std::wstring_view workbookName, std::wstring_view address);

// The key of the saved item at `index`: Software\NUV\MRU\Item0 and on.
std::wstring RecentItemKeyPath(size_t index);

class CMruList {
 public:
  // Puts the item at the front, taking out the first one equal to it.
  void Add(CMruItem item);
  size_t Count() const { return items_.size(); }
  // The item at `index` from 0; null beyond the end.
  const CMruItem* Item(size_t index) const;
  const std::vector<CMruItem>& Items() const { return items_; }

  // Appends the items the store holds, in their order. A missing item key or value leaves that
  // field empty (command 0); without the list key nothing is added.
  void Load(ISettingsStore& store, const TraceSink& trace);
  // Saves the first ten items and their count; item keys beyond the count are left as they are.
  // Every failure is silent.
  void Save(ISettingsStore& store, const TraceSink& trace) const;

 private:
  std::vector<CMruItem> items_;
};
