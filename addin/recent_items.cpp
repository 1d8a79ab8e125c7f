// Recent items: their captions, equality, the list's order, and their keys in the settings.
#include "addin/recent_items.h"

#include <algorithm>
#include <utility>

#include "addin/command_ids.h"
#include "addin/settings_key.h"
#include "formula/text_compare.h"

namespace {

constexpr wchar_t kCountValue[] = L"Count";
constexpr wchar_t kCommandValue[] = L"Command";
constexpr wchar_t kCaptionValue[] = L"Caption";
constexpr wchar_t kWorkbookValue[] = L"Workbook";
constexpr wchar_t kAddressValue[] = L"Address";

void Trace(const TraceSink& trace, const std::wstring& line) {
  if (trace) trace(line);
}

std::wstring CaptionSuffix(int32_t command) {
  switch (command) {
    case static_cast<int32_t>(CommandId::kShowDependents):
      return L" - Dependents";
    case static_cast<int32_t>(CommandId::kShowPrecedents):
      return L" - Precedents";
    case static_cast<int32_t>(CommandId::kEvaluateFormula):
      return L" - Evaluate Formula";
    default:
      return {};
  }
}

}  // namespace

bool operator==(const CMruItem& a, const CMruItem& b) {
  return a.command == b.command && EqualsNoCase(a.caption, b.caption) &&
         EqualsNoCase(a.workbook, b.workbook) && EqualsNoCase(a.address, b.address);
}

std::wstring MruCaption(int32_t command, std::wstring_view workbookName,
                        std::wstring_view address) {
  std::wstring caption = L"[";
  caption += workbookName;
  caption += L']';
  caption += address;
  caption += L' ';
  caption += CaptionSuffix(command);
  return caption;
}

std::wstring RecentItemKeyPath(size_t index) {
  return std::wstring(kRecentItemsKeyPath) + L"\\Item" + std::to_wstring(index);
}

void CMruList::Add(CMruItem item) {
  const auto same = std::find(items_.begin(), items_.end(), item);
  if (same != items_.end()) items_.erase(same);
  items_.insert(items_.begin(), std::move(item));
}

const CMruItem* CMruList::Item(size_t index) const {
  return index < items_.size() ? &items_[index] : nullptr;
}

void CMruList::Load(ISettingsStore& store, const TraceSink& trace) {
  Trace(trace, L"\nMRU list LOAD:");
  const CSettingsKey list(store, kRecentItemsKeyPath, CSettingsKey::Access::kRead);
  if (!list.IsOpen()) return;
  uint32_t count = 0;
  list.ReadDword(kCountValue, &count);
  count = std::min(count, kMaxLoadedRecentItems);
  for (uint32_t i = 0; i < count; ++i) {
    const CSettingsKey key(store, RecentItemKeyPath(i), CSettingsKey::Access::kRead);
    CMruItem item;
    uint32_t command = 0;
    if (key.ReadDword(kCommandValue, &command)) item.command = static_cast<int32_t>(command);
    key.ReadString(kCaptionValue, &item.caption);
    key.ReadString(kWorkbookValue, &item.workbook);
    key.ReadString(kAddressValue, &item.address);
    Trace(trace, L"\nmru item(" + std::to_wstring(i) + L") loaded '" + item.caption + L"'");
    items_.push_back(std::move(item));
  }
}

void CMruList::Save(ISettingsStore& store, const TraceSink& trace) const {
  Trace(trace, L"\nMRU list SAVE:");
  CSettingsKey list(store, kRecentItemsKeyPath, CSettingsKey::Access::kWrite);
  if (!list.IsOpen()) return;
  const size_t count = std::min(items_.size(), kMaxSavedRecentItems);
  list.WriteDword(kCountValue, static_cast<uint32_t>(count));
  for (size_t i = 0; i < count; ++i) {
    const CMruItem& item = items_[i];
    CSettingsKey key(store, RecentItemKeyPath(i), CSettingsKey::Access::kWrite);
    key.WriteDword(kCommandValue, static_cast<uint32_t>(item.command));
    key.WriteString(kCaptionValue, item.caption);
    key.WriteString(kWorkbookValue, item.workbook);
    key.WriteString(kAddressValue, item.address);
    Trace(trace, L"\nmru item(" + std::to_wstring(i) + L") saved '" + item.caption + L"'");
  }
}
