// Text and scalar values of spreadsheet XML.
#include "spreadsheet/xlsx/reader_text.h"

#include <charconv>
#include <cmath>

#include "platform/char_class.h"

namespace spreadsheet {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void AppendCodePoint(std::wstring& out, char32_t code) {
  if (kWideIsUtf16 && code > 0xFFFF) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
}

int HexValue(wchar_t c) {
  if (IsAsciiDigit(c)) return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void AppendUtf8(std::wstring& out, std::string_view utf8) {
  const std::size_t size = utf8.size();
  std::size_t i = 0;
  while (i < size) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      // Runs of ASCII, the common case, go without the decoding below.
      std::size_t end = i + 1;
      while (end < size && static_cast<unsigned char>(utf8[end]) < 0x80) ++end;
      const std::size_t at = out.size();
      out.resize(at + (end - i));
      for (std::size_t k = i; k < end; ++k) {
        out[at + (k - i)] = static_cast<wchar_t>(utf8[k]);
      }
      i = end;
      continue;
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07u, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= size;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    valid = valid && code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    AppendCodePoint(out, valid ? code : kReplacement);
    i += valid ? length : 1;
  }
}

std::wstring WideFromUtf8(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  AppendUtf8(out, utf8);
  return out;
}

void DecodeXstringEscapes(std::wstring& text) {
  std::size_t found = text.find(L"_x");
  if (found == std::wstring::npos) return;
  std::wstring out;
  out.reserve(text.size());
  out.append(text, 0, found);
  std::size_t i = found;
  while (i < text.size()) {
    if (text[i] == L'_' && i + 6 < text.size() && text[i + 1] == L'x' && text[i + 6] == L'_') {
      int value = 0;
      bool hex = true;
      for (std::size_t k = 2; k < 6 && hex; ++k) {
        const int digit = HexValue(text[i + k]);
        hex = digit >= 0;
        value = value * 16 + digit;
      }
      if (hex) {
        const auto code = static_cast<char32_t>(value);
        AppendCodePoint(out, code >= 0xD800 && code <= 0xDFFF ? kReplacement : code);
        i += 7;
        continue;
      }
    }
    out += text[i++];
  }
  text = std::move(out);
}

std::optional<double> ParseXmlNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::uint32_t> ParseXmlUnsigned(std::string_view text) {
  text = Trim(text);
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::int64_t> ParseXmlInteger(std::string_view text) {
  text = Trim(text);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> ParseXmlBoolean(std::string_view text) {
  text = Trim(text);
  if (text == "1" || text == "true") return true;
  if (text == "0" || text == "false") return false;
  return std::nullopt;
}

}  // namespace spreadsheet
