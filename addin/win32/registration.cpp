#include "addin/win32/registration.h"

#include <oleauto.h>

#include <array>
#include <string>

#include "addin/win32/addin_ids.h"
#include "platform/win32/scoped_handles.h"

namespace {

constexpr wchar_t kExcelAddInsKey[] = L"SOFTWARE\\Microsoft\\Office\\Excel\\AddIns";

std::wstring GuidText(const GUID& guid) {
  std::array<wchar_t, 40> text{};
  const int length = StringFromGUID2(guid, text.data(), static_cast<int>(text.size()));
  return length > 0 ? std::wstring(text.data()) : std::wstring();
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};  // longer than any Windows path
    path.resize(path.size() * 2);
  }
}

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        bytes) == ERROR_SUCCESS;
}

// Creates `path` under `root` and sets its default value (when given) and one named value.
bool WriteKey(HKEY root, const std::wstring& path, const std::wstring* defaultValue,
              const wchar_t* name = nullptr, const std::wstring& value = {}) {
  CScopedRegistryKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  if (defaultValue != nullptr && !WriteText(key.Get(), nullptr, *defaultValue)) return false;
  return name == nullptr || WriteText(key.Get(), name, value);
}

bool RegisterAddInClass(HMODULE module) {
  const std::wstring path = ModulePath(module);
  const std::wstring classId = GuidText(CLSID_Connect);
  const std::wstring libraryId = GuidText(LIBID_NUV);
  if (path.empty() || classId.empty() || libraryId.empty()) return false;
  const std::wstring classKey = L"CLSID\\" + classId;
  const std::wstring className = kAddInClassName;
  const std::wstring progId = kAddInProgId;
  return WriteKey(HKEY_CLASSES_ROOT, classKey, &className) &&
         WriteKey(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", &path, L"ThreadingModel",
                  L"Apartment") &&
         WriteKey(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", &progId) &&
         WriteKey(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", &libraryId) &&
         WriteKey(HKEY_CLASSES_ROOT, classKey + L"\\Programmable", nullptr) &&
         WriteKey(HKEY_CLASSES_ROOT, progId, &className) &&
         WriteKey(HKEY_CLASSES_ROOT, progId + L"\\CLSID", &classId);
}

bool DeleteTree(HKEY root, const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(root, path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool UnregisterAddInClass() {
  const std::wstring classId = GuidText(CLSID_Connect);
  if (classId.empty()) return false;
  const bool progIdGone = DeleteTree(HKEY_CLASSES_ROOT, kAddInProgId);
  return DeleteTree(HKEY_CLASSES_ROOT, L"CLSID\\" + classId) && progIdGone;
}

bool RegisterTypeLibrary(HMODULE module) {
  const std::wstring path = ModulePath(module);
  if (path.empty()) return false;
  ITypeLib* library = nullptr;
  // The module's own TYPELIB resource 1, registered with the module as its path.
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library))) return false;
  library->Release();
  return true;
}

bool TypeLibraryRegistered() {
  const std::wstring libraryId = GuidText(LIBID_NUV);
  CScopedRegistryKey key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + libraryId).c_str(), 0, KEY_READ,
                       key.Receive()) == ERROR_SUCCESS;
}

bool UnregisterTypeLibrary() {
  // A library that is not registered is as unregistered as can be; the system's answer for
  // one differs between versions.
  if (!TypeLibraryRegistered()) return true;
#ifdef _WIN64
  constexpr SYSKIND kind = SYS_WIN64;
#else
  constexpr SYSKIND kind = SYS_WIN32;
#endif
  return SUCCEEDED(
      UnRegisterTypeLib(LIBID_NUV, kTypeLibraryMajor, kTypeLibraryMinor, LOCALE_NEUTRAL, kind));
}

// Best effort: a hive whose key cannot be opened is skipped.
void WriteAddInKey(HKEY hive) {
  CScopedRegistryKey key;
  const std::wstring path = std::wstring(kExcelAddInsKey) + L"\\" + kAddInProgId;
  if (RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  WriteText(key.Get(), L"FriendlyName", kAddInFriendlyName);
  const DWORD loadAtStartUp = 3;
  RegSetValueExW(key.Get(), L"LoadBehavior", 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&loadAtStartUp), sizeof loadAtStartUp);
}

void DeleteAddInKey(HKEY hive) {
  CScopedRegistryKey key;
  if (RegCreateKeyExW(hive, kExcelAddInsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteTreeW(key.Get(), kAddInProgId);
}

}  // namespace

HRESULT RegisterServer(HMODULE module) {
  if (!RegisterTypeLibrary(module)) return kSelfRegTypeLibFailed;
  if (!RegisterAddInClass(module)) return kSelfRegClassFailed;
  WriteAddInKey(HKEY_CURRENT_USER);
  WriteAddInKey(HKEY_LOCAL_MACHINE);
  return S_OK;
}

HRESULT UnregisterServer() {
  if (!UnregisterTypeLibrary()) return kSelfRegTypeLibFailed;
  if (!UnregisterAddInClass()) return kSelfRegClassFailed;
  DeleteAddInKey(HKEY_CURRENT_USER);
  DeleteAddInKey(HKEY_LOCAL_MACHINE);
  return S_OK;
}
