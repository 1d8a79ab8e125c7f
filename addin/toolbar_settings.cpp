#include "addin/toolbar_settings.h"

#include <cstdint>

#include "addin/settings_key.h"

namespace {

constexpr wchar_t kToolbarValue[] = L"Toolbar";
constexpr wchar_t kRowIndexValue[] = L"ToolbarRowIndex";
constexpr wchar_t kPositionValue[] = L"ToolbarPosition";
constexpr wchar_t kLeftValue[] = L"ToolbarLeft";
constexpr wchar_t kTopValue[] = L"ToolbarTop";

void ReadLong(const CSettingsKey& key, const wchar_t* name, LONG* value) {
  int32_t stored = 0;
  if (key.ReadInteger(name, &stored)) *value = static_cast<LONG>(stored);
}

}  // namespace

ToolbarPlacement LoadToolbarPlacement(ISettingsStore& store) {
  ToolbarPlacement placement;
  const CSettingsKey key(store, kSettingsKeyPath, CSettingsKey::Access::kRead);
  int32_t shown = 1;
  if (key.ReadInteger(kToolbarValue, &shown)) placement.visible = shown == 1;
  ReadLong(key, kRowIndexValue, &placement.rowIndex);
  ReadLong(key, kPositionValue, &placement.position);
  ReadLong(key, kLeftValue, &placement.left);
  ReadLong(key, kTopValue, &placement.top);
  return placement;
}

void SaveToolbarPlacement(ISettingsStore& store, const ToolbarPlacement& placement) {
  CSettingsKey key(store, kSettingsKeyPath, CSettingsKey::Access::kWrite);
  key.WriteBoolean(kToolbarValue, placement.visible);
  key.WriteInteger(kRowIndexValue, static_cast<int32_t>(placement.rowIndex));
  key.WriteInteger(kPositionValue, static_cast<int32_t>(placement.position));
  key.WriteInteger(kLeftValue, static_cast<int32_t>(placement.left));
  key.WriteInteger(kTopValue, static_cast<int32_t>(placement.top));
}
