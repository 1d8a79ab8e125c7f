// Reading the Office theme number from the user's registry.
#include "wndmgr/win32/window_manager_theme.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/scoped_handles.h"

namespace {

std::optional<std::uint32_t> ReadOfficeTheme(int majorVersion) {
  const std::wstring path =
      L"Software\\Microsoft\\Office\\" + std::to_wstring(majorVersion) + L".0\\Common";
  CScopedRegistryKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExW(key.Get(), L"Theme", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::unique_ptr<CWndMgrPainter> ChoosePainterForExcel(int majorVersion) {
  constexpr int kLastVersionWithoutThemes = 11;
  if (majorVersion <= kLastVersionWithoutThemes) return MakePainterForTheme(majorVersion, {});
  return MakePainterForTheme(majorVersion, ReadOfficeTheme(majorVersion));
}
