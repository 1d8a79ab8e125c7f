// Case mapping: LCMapStringEx with the invariant locale on Windows, where a UTF-8 locale of the
// C runtime may not exist; a UTF-8 locale's ctype facet elsewhere.
#include "platform/text_case.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <locale>
#include <stdexcept>
#endif

namespace {

#ifdef _WIN32
std::wstring Mapped(std::wstring_view text, DWORD flags) {
  if (text.empty()) return {};
  std::wstring out(text);
  const int size = static_cast<int>(out.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, flags, out.data(), size, out.data(), size, nullptr,
                    nullptr, 0) == 0) {
    return std::wstring(text);
  }
  return out;
}
#else
const std::ctype<wchar_t>& WideCase() {
  static const std::locale locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      try {
        return std::locale(name);
      } catch (const std::runtime_error&) {
      }
    }
    return std::locale::classic();
  }();
  return std::use_facet<std::ctype<wchar_t> >(locale);
}
#endif

}  // namespace

std::wstring UpperCase(std::wstring_view text) {
#ifdef _WIN32
  return Mapped(text, LCMAP_UPPERCASE);
#else
  std::wstring out(text);
  WideCase().toupper(out.data(), out.data() + out.size());
  return out;
#endif
}

std::wstring LowerCase(std::wstring_view text) {
#ifdef _WIN32
  return Mapped(text, LCMAP_LOWERCASE);
#else
  std::wstring out(text);
  WideCase().tolower(out.data(), out.data() + out.size());
  return out;
#endif
}

wchar_t LowerCaseOf(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
#ifdef _WIN32
  return Mapped(std::wstring_view(&c, 1), LCMAP_LOWERCASE).front();
#else
  return WideCase().tolower(c);
#endif
}
