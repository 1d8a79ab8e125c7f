// ISettingsStore: the current user's settings as the registry keeps them, keys named by
// backslash-separated paths holding typed values. The registry under HKEY_CURRENT_USER on
// Windows, a file elsewhere; CSettingsKey is the one way the rest of the system uses either.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One open key; closed when destroyed, and never kept beyond its store. A key opened for reading
// refuses writes, as a registry key opened with KEY_QUERY_VALUE does. Reads answer false for a
// missing value and for a value of the other type; key paths and value names compare ignoring case,
// as in the registry.
class IStoredKey {
 public:
  virtual ~IStoredKey() = default;
  // REG_SZ.
  virtual bool ReadText(std::wstring_view name, std::wstring* value) const = 0;
  virtual bool WriteText(std::wstring_view name, std::wstring_view value) = 0;
  // REG_DWORD.
  virtual bool ReadDword(std::wstring_view name, uint32_t* value) const = 0;
  virtual bool WriteDword(std::wstring_view name, uint32_t value) = 0;
};

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;
  // An existing key, for reading; null when there is none or it cannot be opened.
  virtual std::unique_ptr<IStoredKey> OpenKey(std::wstring_view path) = 0;
  // The key for writing, made (with the keys above it) when missing; null when that fails.
  virtual std::unique_ptr<IStoredKey> CreateKey(std::wstring_view path) = 0;
};
