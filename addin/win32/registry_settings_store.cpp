// The registry behind the settings store: advapi32's key functions found by name, every key
// handle closed by the object that holds it.
#include "addin/win32/registry_settings_store.h"

#include <windows.h>
#include <winreg.h>

#include <string>
#include <utility>

namespace {

// A registry string is at most about a megabyte; a larger size is not read.
constexpr DWORD kMaxRegistryTextBytes = 1024 * 1024;
// A value that grows between asking its size and reading it is asked again, this many times.
constexpr int kTextReadAttempts = 3;

}  // namespace

// advapi32, loaded while a store or one of its keys lives.
class CRegistrySettingsStore::CAdvapi {
 public:
  CAdvapi() : module_(LoadLibraryW(L"advapi32.dll")) {
    if (module_ == nullptr) return;
    Bind(&openKey, "RegOpenKeyExW");
    Bind(&createKey, "RegCreateKeyExW");
    Bind(&queryValue, "RegQueryValueExW");
    Bind(&setValue, "RegSetValueExW");
    Bind(&closeKey, "RegCloseKey");
  }
  ~CAdvapi() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  CAdvapi(const CAdvapi&) = delete;
  CAdvapi& operator=(const CAdvapi&) = delete;

  bool IsBound() const { return openKey && createKey && queryValue && setValue && closeKey; }

  decltype(&::RegOpenKeyExW) openKey = nullptr;
  decltype(&::RegCreateKeyExW) createKey = nullptr;
  decltype(&::RegQueryValueExW) queryValue = nullptr;
  decltype(&::RegSetValueExW) setValue = nullptr;
  decltype(&::RegCloseKey) closeKey = nullptr;

 private:
  template <typename Function>
  void Bind(Function* function, const char* name) {
    // Through the generic function pointer type, which converts to any other without a
    // cast-function-type warning.
    *function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

  HMODULE module_;
};

// One open key, closed when the object goes.
class CRegistrySettingsStore::CKey : public IStoredKey {
 public:
  CKey(std::shared_ptr<const CAdvapi> advapi, HKEY key) : advapi_(std::move(advapi)), key_(key) {}
  ~CKey() override { advapi_->closeKey(key_); }
  CKey(const CKey&) = delete;
  CKey& operator=(const CKey&) = delete;

  bool ReadText(std::wstring_view name, std::wstring* value) const override {
    const std::wstring valueName(name);
    for (int attempt = 0; attempt < kTextReadAttempts; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (advapi_->queryValue(key_, valueName.c_str(), nullptr, &type, nullptr, &size) !=
              ERROR_SUCCESS ||
          type != REG_SZ || size > kMaxRegistryTextBytes) {
        return false;
      }
      // One unit more than the bytes need, for an odd byte count.
      std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
      DWORD read = static_cast<DWORD>(text.size() * sizeof(wchar_t));
      const LSTATUS status = advapi_->queryValue(key_, valueName.c_str(), nullptr, &type,
                                                 reinterpret_cast<BYTE*>(text.data()), &read);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS || type != REG_SZ) return false;
      // Written with or without a terminating null: the text ends at the first one.
      text.resize(read / sizeof(wchar_t));
      const size_t end = text.find(L'\0');
      if (end != std::wstring::npos) text.resize(end);
      *value = std::move(text);
      return true;
    }
    return false;
  }

  bool WriteText(std::wstring_view name, std::wstring_view value) override {
    if (value.size() > kMaxRegistryTextBytes / sizeof(wchar_t)) return false;
    static const wchar_t kEmpty[] = L"";
    const wchar_t* data = value.empty() ? kEmpty : value.data();
    return advapi_->setValue(key_, std::wstring(name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data),
                             static_cast<DWORD>(value.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool ReadDword(std::wstring_view name, uint32_t* value) const override {
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (advapi_->queryValue(key_, std::wstring(name).c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(number)) {
      return false;
    }
    *value = number;
    return true;
  }

  bool WriteDword(std::wstring_view name, uint32_t value) override {
    const DWORD number = value;
    return advapi_->setValue(key_, std::wstring(name).c_str(), 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number),
                             sizeof(number)) == ERROR_SUCCESS;
  }

 private:
  std::shared_ptr<const CAdvapi> advapi_;
  HKEY key_;
};

CRegistrySettingsStore::CRegistrySettingsStore() : advapi_(std::make_shared<const CAdvapi>()) {}

CRegistrySettingsStore::~CRegistrySettingsStore() = default;

bool CRegistrySettingsStore::IsBound() const {
  return advapi_->IsBound();
}

std::unique_ptr<IStoredKey> CRegistrySettingsStore::OpenKey(std::wstring_view path) {
  if (!IsBound()) return nullptr;
  HKEY key = nullptr;
  if (advapi_->openKey(HKEY_CURRENT_USER, std::wstring(path).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<CKey>(advapi_, key);
}

std::unique_ptr<IStoredKey> CRegistrySettingsStore::CreateKey(std::wstring_view path) {
  if (!IsBound()) return nullptr;
  HKEY key = nullptr;
  if (advapi_->createKey(HKEY_CURRENT_USER, std::wstring(path).c_str(), 0, nullptr,
                         REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                         nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<CKey>(advapi_, key);
}
