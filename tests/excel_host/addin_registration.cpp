// regsvr32 as a child process, and registry reads for the checks of what it wrote.
#include "tests/excel_host/addin_registration.h"

#include <cstring>

#include "platform/win32/scoped_handles.h"

namespace {

// regsvr32 loads the DLL and registers its type library; under Wine a cold start takes seconds.
constexpr DWORD kRegistrationTimeoutMs = 60000;
// Registry names are at most 255 characters, values' names at most 16383.
constexpr DWORD kMaxRegistryName = 16384;

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  return std::wstring(folder, length) + L"\\" + name;
}

CScopedRegistryKey OpenKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ) {
  CScopedRegistryKey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) key.Reset();
  return key;
}

}  // namespace

std::wstring WinePathOf(std::string_view unixPath) {
  std::wstring path = L"Z:";
  for (const char c : unixPath)
    path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

std::optional<DWORD> RunRegsvr32(const std::wstring& dllPath, bool unregister) {
  const std::wstring program = SystemProgram(L"regsvr32.exe");
  std::wstring commandLine =
      L"\"" + program + L"\" /s " + (unregister ? L"/u " : L"") + L"\"" + dllPath + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process) == FALSE) {
    return std::nullopt;
  }
  const CScopedKernelHandle processHandle(process.hProcess);
  const CScopedKernelHandle threadHandle(process.hThread);
  if (::WaitForSingleObject(processHandle.Get(), kRegistrationTimeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(processHandle.Get(), 1);
    return std::nullopt;
  }
  DWORD exitCode = 0;
  if (::GetExitCodeProcess(processHandle.Get(), &exitCode) == FALSE) return std::nullopt;
  return exitCode;
}

std::optional<std::wstring> RegistryValue::Text() const {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

std::optional<DWORD> RegistryValue::Dword() const {
  if (type != REG_DWORD || data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
  return OpenKey(root, path).IsValid();
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& path,
                                               const std::wstring& name) {
  const CScopedRegistryKey key = OpenKey(root, path);
  if (!key) return std::nullopt;
  RegistryValue value;
  DWORD size = 0;
  const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
  if (::RegQueryValueExW(key.Get(), valueName, nullptr, &value.type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  if (::RegQueryValueExW(key.Get(), valueName, nullptr, &value.type,
                         value.data.empty() ? nullptr : value.data.data(),
                         &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  return value;
}

std::vector<std::wstring> RegistryValueNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  const CScopedRegistryKey key = OpenKey(root, path);
  if (!key) return names;
  std::wstring buffer(kMaxRegistryName, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxRegistryName;
    if (::RegEnumValueW(key.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(buffer.data(), length);
  }
  return names;
}

std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  const CScopedRegistryKey key = OpenKey(root, path);
  if (!key) return names;
  std::wstring buffer(kMaxRegistryName, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxRegistryName;
    if (::RegEnumKeyExW(key.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(buffer.data(), length);
  }
  return names;
}

bool DeleteRegistryTree(HKEY root, const std::wstring& path) {
  ::RegDeleteTreeW(root, path.c_str());
  return !RegistryKeyExists(root, path);
}
