#include "addin/win32/com_error.h"

#include <array>
#include <cwchar>

namespace {

// LocalFree for what FormatMessageW allocates.
class CLocalText {
 public:
  CLocalText() = default;
  ~CLocalText() {
    if (text_ != nullptr) LocalFree(text_);
  }
  CLocalText(const CLocalText&) = delete;
  CLocalText& operator=(const CLocalText&) = delete;
  wchar_t** Receive() { return &text_; }
  const wchar_t* Get() const { return text_; }

 private:
  wchar_t* text_ = nullptr;
};

}  // namespace

std::wstring ComErrorText(HRESULT error) {
  CLocalText system;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(system.Receive()), 0, nullptr);
  if (length != 0 && system.Get() != nullptr) {
    std::wstring text(system.Get(), length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (!text.empty()) return text;
  }
  const auto code = static_cast<unsigned long>(error);
  const unsigned long low = code & 0xFFFFUL;
  std::array<wchar_t, 64> text{};
  if (code >= 0x80040200UL && code <= 0x8004FFFFUL && low != 0x200UL) {
    std::swprintf(text.data(), text.size(), L"IDispatch error #%d",
                  static_cast<int>(low) - 0x200);
  } else {
    std::swprintf(text.data(), text.size(), L"Unknown error 0x%0lX", code);
  }
  return text.data();
}

void ShowComError(HRESULT error, const wchar_t* context) {
  std::wstring text = ComErrorText(error);
  if (context != nullptr) {
    text += L'\n';
    text += context;
  }
  MessageBoxW(GetForegroundWindow(), text.c_str(), L"Trelvane", MB_ICONERROR | MB_OK);
}
