// Reading and writing the trace windows' integer settings in the registry.
#include "views/win32/settings_registry.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "platform/win32/scoped_handles.h"

namespace {

// An optional sign and digits, nothing else, within 32 bits.
bool ParseSettingText(const std::wstring& text, int32_t* value) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
  if (at == text.size()) return false;
  int64_t number = 0;
  for (; at < text.size(); ++at) {
    if (std::iswdigit(text[at]) == 0) return false;
    number = number * 10 + (text[at] - L'0');
    if (number > int64_t{INT32_MAX} + 1) return false;
  }
  if (negative) number = -number;
  if (number > INT32_MAX || number < INT32_MIN) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

}  // namespace

bool ReadWindowSetting(const std::wstring& name, int32_t* value) {
  CScopedRegistryKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kWindowSettingsKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS) {
      return false;
    }
    *value = static_cast<int32_t>(number);
    return true;
  }
  if (type != REG_SZ || size > 64 * sizeof(wchar_t)) return false;
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
    return false;
  }
  text.resize(std::wcslen(text.c_str()));
  return ParseSettingText(text, value);
}

bool WriteWindowSetting(const std::wstring& name, int32_t value) {
  CScopedRegistryKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kWindowSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring text = std::to_wstring(value);
  return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ReadWindowSwitch(const std::wstring& name, bool fallback) {
  int32_t number = 0;
  if (!ReadWindowSetting(name, &number)) return fallback;
  return number > 0;
}
