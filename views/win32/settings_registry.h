// The trace windows' settings under HKEY_CURRENT_USER\SOFTWARE\NUV\Settings: integers stored as
// decimal text, read leniently and written with the key created when missing.
#pragma once

#include <cstdint>
#include <string>

inline constexpr wchar_t kWindowSettingsKey[] = L"SOFTWARE\\NUV\\Settings";

// False, leaving `value` alone, when the key or the value is missing or holds no decimal integer
// (a DWORD value is read as well).
bool ReadWindowSetting(const std::wstring& name, int32_t* value);
bool WriteWindowSetting(const std::wstring& name, int32_t value);
// A switch: on when the stored number is above 0; `fallback` when missing.
bool ReadWindowSwitch(const std::wstring& name, bool fallback);
