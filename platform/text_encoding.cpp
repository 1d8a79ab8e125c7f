// Text encodings. wchar_t holds UTF-16 on Windows and code points elsewhere; both are handled.
#include "platform/text_encoding.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void AppendWide(std::wstring& out, char32_t code) {
  if (kWideIsUtf16 && code > 0xFFFF) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
}

// Decodes one code point from wide text at `i`, advancing it.
char32_t NextCodePoint(std::wstring_view text, std::size_t& i) {
  const auto unit = static_cast<char32_t>(text[i++]);
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (i < text.size()) {
      const auto low = static_cast<char32_t>(text[i]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
    }
    return kReplacement;
  }
  if ((unit >= 0xDC00 && unit <= 0xDFFF) || unit > 0x10FFFF) return kReplacement;
  return unit;
}

// Code points 0x80-0x9F of Windows-1252; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    valid = valid && code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (valid) {
      AppendWide(out, code);
      i += static_cast<std::size_t>(length);
    } else {
      out += static_cast<wchar_t>(kReplacement);
      ++i;
      while (i < text.size() && (static_cast<std::uint8_t>(text[i]) & 0xC0) == 0x80) ++i;
    }
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t code = NextCodePoint(text, i);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string WideToWindows1252(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t code = NextCodePoint(text, i);
    char narrow = '?';
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      narrow = static_cast<char>(code);
    } else {
      for (std::size_t k = 0; k < kWindows1252High.size(); ++k) {
        if (kWindows1252High[k] != 0 && kWindows1252High[k] == code) {
          narrow = static_cast<char>(0x80 + k);
          break;
        }
      }
    }
    out += narrow;
  }
  return out;
}
