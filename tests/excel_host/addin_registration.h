// Registering the add-in as a user does (regsvr32, run as a program of its own) and reading back
// what registration wrote, through the registry of the system the tests run on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The Windows path of a file of the build tree under Wine, whose drive Z: is the Unix root.
std::wstring WinePathOf(std::string_view unixPath);

// Runs "regsvr32 /s [/u] dll" and waits for it; its exit code (0 is success), or nothing when it
// could not be started or did not end within the time a registration takes.
std::optional<DWORD> RunRegsvr32(const std::wstring& dllPath, bool unregister);

// One value as the registry holds it.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;

  // REG_SZ text without its terminating null; nothing for other types.
  std::optional<std::wstring> Text() const;
  // REG_DWORD; nothing for other types.
  std::optional<DWORD> Dword() const;
};

bool RegistryKeyExists(HKEY root, const std::wstring& path);
// `name` empty reads the key's default value.
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& path,
                                               const std::wstring& name);
std::vector<std::wstring> RegistryValueNames(HKEY root, const std::wstring& path);
std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& path);
// Removes a key with everything below it; true when it is gone afterwards.
bool DeleteRegistryTree(HKEY root, const std::wstring& path);
