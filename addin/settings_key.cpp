// The settings key object over a store, and the decimal text form of stored integers.
#include "addin/settings_key.h"

#include <limits>

CSettingsKey::CSettingsKey(ISettingsStore& store, std::wstring_view path, Access access)
    : key_(access == Access::kRead ? store.OpenKey(path) : store.CreateKey(path)) {}

bool CSettingsKey::ReadInteger(std::wstring_view name, int32_t* value) const {
  std::wstring text;
  return ReadString(name, &text) && ParseDecimalInteger(text, value);
}

bool CSettingsKey::WriteInteger(std::wstring_view name, int32_t value) {
  return WriteString(name, std::to_wstring(value));
}

bool CSettingsKey::ReadBoolean(std::wstring_view name, bool* value) const {
  int32_t number = 0;
  if (!ReadInteger(name, &number)) return false;
  *value = number > 0;
  return true;
}

bool CSettingsKey::WriteBoolean(std::wstring_view name, bool value) {
  return WriteString(name, value ? L"1" : L"0");
}

bool CSettingsKey::ReadString(std::wstring_view name, std::wstring* value) const {
  return key_ && key_->ReadText(name, value);
}

bool CSettingsKey::WriteString(std::wstring_view name, std::wstring_view value) {
  return key_ && key_->WriteText(name, value);
}

bool CSettingsKey::ReadDword(std::wstring_view name, uint32_t* value) const {
  return key_ && key_->ReadDword(name, value);
}

bool CSettingsKey::WriteDword(std::wstring_view name, uint32_t value) {
  return key_ && key_->WriteDword(name, value);
}

bool ParseDecimalInteger(std::wstring_view text, int32_t* value) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  // Accumulated as a negative number, whose range is the larger one.
  constexpr int64_t kLowest = std::numeric_limits<int32_t>::min();
  int64_t number = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    number = number * 10 - (c - L'0');
    if (number < kLowest) return false;
  }
  if (!negative) {
    number = -number;
    if (number > std::numeric_limits<int32_t>::max()) return false;
  }
  *value = static_cast<int32_t>(number);
  return true;
}
