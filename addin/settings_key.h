// CSettingsKey: one key of the user's settings, opened for reading or created for writing, with
// the value forms the add-in stores: integers and booleans as decimal text, strings, DWORDs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "addin/settings_store.h"

// The trace windows' settings (integers as decimal text). The recent items have a key of their
// own (recent_items.h).
inline constexpr wchar_t kSettingsKeyPath[] = L"SOFTWARE\\NUV\\Settings";

// A key that could not be opened or created answers every operation with failure and changes
// nothing; a failed read leaves its output as the caller set it, so callers preset defaults.
// The key is closed when the object goes. It holds no shared state: each user opens its own.
class CSettingsKey {
 public:
  enum class Access { kRead, kWrite };

  CSettingsKey(ISettingsStore& store, std::wstring_view path, Access access);

  bool IsOpen() const { return key_ != nullptr; }

  // Text holding a decimal integer: an optional sign and digits, nothing else, within 32 bits.
  // Any other text reads as missing.
  bool ReadInteger(std::wstring_view name, int32_t* value) const;
  bool WriteInteger(std::wstring_view name, int32_t value);
  // An integer read: true when the number is above 0. Written as "1" or "0".
  bool ReadBoolean(std::wstring_view name, bool* value) const;
  bool WriteBoolean(std::wstring_view name, bool value);

  bool ReadString(std::wstring_view name, std::wstring* value) const;
  bool WriteString(std::wstring_view name, std::wstring_view value);
  bool ReadDword(std::wstring_view name, uint32_t* value) const;
  bool WriteDword(std::wstring_view name, uint32_t value);

 private:
  std::unique_ptr<IStoredKey> key_;
};

// The integer that decimal text holds, as ReadInteger reads it; false for anything else.
bool ParseDecimalInteger(std::wstring_view text, int32_t* value);
