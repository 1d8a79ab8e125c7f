// CRegistrySettingsStore: the settings store of Windows, the registry under HKEY_CURRENT_USER,
// with advapi32 bound at run time by name.
#pragma once

#include <memory>
#include <string_view>

#include "addin/settings_store.h"

// Strings are written as UTF-16 with a byte count of twice their length and no terminating null,
// and read with or without one. When advapi32 or one of its functions cannot be bound, no key
// opens and every caller takes its defaults.
class CRegistrySettingsStore : public ISettingsStore {
 public:
  CRegistrySettingsStore();
  ~CRegistrySettingsStore() override;

  std::unique_ptr<IStoredKey> OpenKey(std::wstring_view path) override;
  std::unique_ptr<IStoredKey> CreateKey(std::wstring_view path) override;

  bool IsBound() const;

 private:
  class CAdvapi;
  class CKey;
  // Shared with the keys, which close themselves through it.
  std::shared_ptr<const CAdvapi> advapi_;
};
