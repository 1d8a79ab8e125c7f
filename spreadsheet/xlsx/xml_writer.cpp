// Escaping and number text for the XML of .xlsx parts.
#include "spreadsheet/xlsx/xml_writer.h"

#include <array>
#include <charconv>
#include <cmath>

#include "platform/char_class.h"

namespace spreadsheet {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsHexDigit(wchar_t c) {
  return IsAsciiDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// "_xHHHH_" at `i`: a reader of cell text would decode it, so a literal one needs escaping.
bool StartsHexEscape(std::wstring_view text, std::size_t i) {
  if (i + 7 > text.size() || text[i] != L'_' || (text[i + 1] != L'x' && text[i + 1] != L'X') ||
      text[i + 6] != L'_') {
    return false;
  }
  for (std::size_t k = i + 2; k < i + 6; ++k) {
    if (!IsHexDigit(text[k])) return false;
  }
  return true;
}

// Decodes the code point at `i` and advances past it; invalid units read as kReplacement.
char32_t NextCodePoint(std::wstring_view text, std::size_t& i) {
  const auto unit = static_cast<char32_t>(text[i++]);
  if (kWideIsUtf16 && unit >= 0xD800 && unit <= 0xDBFF && i < text.size()) {
    const auto low = static_cast<char32_t>(text[i]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) return kReplacement;
  return unit;
}

bool IsXmlChar(char32_t c) {
  if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
  return c != 0xFFFE && c != 0xFFFF;
}

// ASCII that needs no escaping in any context.
bool IsPlainAscii(wchar_t c) {
  return c >= 0x20 && c < 0x7F && c != L'&' && c != L'<' && c != L'>' && c != L'"' && c != L'_';
}

}  // namespace

void CXmlWriter::Declaration() {
  out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
}

void CXmlWriter::Start(std::string_view tag) {
  out_ += '<';
  out_ += tag;
}

void CXmlWriter::End(std::string_view tag) {
  out_ += "</";
  out_ += tag;
  out_ += '>';
}

void CXmlWriter::Attribute(std::string_view name, std::wstring_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  AppendEscaped(value, Escape::Attribute);
  out_ += '"';
}

void CXmlWriter::AttributeAscii(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  AppendAsciiEscaped(value, true);
  out_ += '"';
}

void CXmlWriter::Attribute(std::string_view name, std::int64_t value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  Integer(value);
  out_ += '"';
}

void CXmlWriter::AttributeNumber(std::string_view name, double value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  Number(value);
  out_ += '"';
}

void CXmlWriter::Text(std::wstring_view text) {
  AppendEscaped(text, Escape::Text);
}
void CXmlWriter::TextAscii(std::string_view text) {
  AppendAsciiEscaped(text, false);
}
void CXmlWriter::EncodedText(std::wstring_view text) {
  AppendEscaped(text, Escape::Encoded);
}

void CXmlWriter::Integer(std::int64_t value) {
  std::array<char, 24> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out_.append(digits.data(), static_cast<std::size_t>(end - digits.data()));
}

void CXmlWriter::Number(double value) {
  // Callers keep NaN and infinities out (a .xlsx number cannot hold them); 0 is the safe text.
  if (!std::isfinite(value)) value = 0.0;
  std::array<char, 32> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out_.append(digits.data(), static_cast<std::size_t>(end - digits.data()));
}

bool CXmlWriter::NeedsSpacePreserve(std::wstring_view text) {
  if (text.empty()) return false;
  const auto isSpace = [](wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
  };
  return isSpace(text.front()) || isSpace(text.back());
}

void CXmlWriter::AppendEscaped(std::wstring_view text, Escape escape) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Runs of plain ASCII, the common case, go through without per-character decisions.
    std::size_t run = i;
    while (run < text.size() && IsPlainAscii(text[run])) ++run;
    if (run > i) {
      const std::size_t start = out_.size();
      out_.resize(start + (run - i));
      for (std::size_t k = i; k < run; ++k) out_[start + (k - i)] = static_cast<char>(text[k]);
      i = run;
      if (i == text.size()) break;
    }
    if (escape == Escape::Encoded && StartsHexEscape(text, i)) {
      out_ += "_x005F_";
      ++i;
      continue;
    }
    const char32_t c = NextCodePoint(text, i);
    switch (c) {
      case U'&':
        out_ += "&amp;";
        continue;
      case U'<':
        out_ += "&lt;";
        continue;
      case U'>':
        out_ += "&gt;";
        continue;
      case U'"':
        out_ += escape == Escape::Attribute ? "&quot;" : "\"";
        continue;
      case U'\r':
        // A reader folds a raw CR into the line end; cell text keeps it as Excel writes it.
        if (escape == Escape::Encoded) {
          AppendHexEscape(c);
        } else {
          out_ += "&#13;";
        }
        continue;
      case U'\n':
        out_ += escape == Escape::Attribute ? "&#10;" : "\n";
        continue;
      case U'\t':
        out_ += escape == Escape::Attribute ? "&#9;" : "\t";
        continue;
      default:
        break;
    }
    if (!IsXmlChar(c)) {
      if (escape == Escape::Encoded) {
        AppendHexEscape(c);
      } else {
        AppendUtf8(kReplacement);
      }
      continue;
    }
    AppendUtf8(c);
  }
}

void CXmlWriter::AppendAsciiEscaped(std::string_view text, bool attribute) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out_ += "&amp;";
        break;
      case '<':
        out_ += "&lt;";
        break;
      case '>':
        out_ += "&gt;";
        break;
      case '"':
        out_ += attribute ? "&quot;" : "\"";
        break;
      default:
        out_ += c;
        break;
    }
  }
}

void CXmlWriter::AppendUtf8(char32_t code) {
  if (code < 0x80) {
    out_ += static_cast<char>(code);
  } else if (code < 0x800) {
    out_ += static_cast<char>(0xC0 | (code >> 6));
    out_ += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out_ += static_cast<char>(0xE0 | (code >> 12));
    out_ += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out_ += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out_ += static_cast<char>(0xF0 | (code >> 18));
    out_ += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out_ += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out_ += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void CXmlWriter::AppendHexEscape(char32_t code) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  out_ += "_x";
  for (int shift = 12; shift >= 0; shift -= 4) out_ += kHex[(code >> shift) & 0xF];
  out_ += '_';
}

}  // namespace spreadsheet
