// CBstr: owns one BSTR and converts between it and the system's std::wstring.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/automation.h"

// A null BSTR is the empty string, as everywhere in automation. Allocation failure throws
// std::bad_alloc: the one exception that crosses the object-model layer.
class CBstr {
 public:
  CBstr() = default;
  explicit CBstr(std::wstring_view text);
  CBstr(const CBstr& other);
  CBstr(CBstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  CBstr& operator=(CBstr other) noexcept {
    std::swap(text_, other.text_);
    return *this;
  }
  ~CBstr() { SysFreeString(text_); }

  // Adopts a BSTR the caller was given ownership of.
  static CBstr Adopt(BSTR text) {
    CBstr result;
    result.text_ = text;
    return result;
  }

  BSTR Get() const { return text_; }
  [[nodiscard]] BSTR Detach() { return std::exchange(text_, nullptr); }
  BSTR* Receive() {
    Clear();
    return &text_;
  }
  void Clear() { SysFreeString(std::exchange(text_, nullptr)); }

  UINT Length() const { return SysStringLen(text_); }
  std::wstring_view View() const { return {text_ == nullptr ? L"" : text_, Length()}; }
  std::wstring ToWString() const { return std::wstring(View()); }

 private:
  BSTR text_ = nullptr;
};
