// CScratchCurrentUser (Windows): HKEY_CURRENT_USER of this process moved under an empty key of
// its own while the object lives, so that a test's settings start empty and the user's real ones
// (and another test process's) are never touched.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/scoped_handles.h"

namespace test_support {

class CScratchCurrentUser {
 public:
  // `name` tells the tests' keys apart under Software\NUV\TrelvaneTests.
  explicit CScratchCurrentUser(const std::wstring& name)
      : path_(L"Software\\NUV\\TrelvaneTests\\" + name + std::to_wstring(::GetCurrentProcessId())) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          root_.Receive(), nullptr) == ERROR_SUCCESS) {
      active_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, root_.Get()) == ERROR_SUCCESS;
    }
  }
  ~CScratchCurrentUser() {
    if (active_) ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    root_.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  CScratchCurrentUser(const CScratchCurrentUser&) = delete;
  CScratchCurrentUser& operator=(const CScratchCurrentUser&) = delete;

  bool IsActive() const { return active_; }

 private:
  std::wstring path_;
  CScopedRegistryKey root_;
  bool active_ = false;
};

}  // namespace test_support
