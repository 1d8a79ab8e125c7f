// Reading and writing numbers as text in English conventions.
#include "platform/stand_in/number_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/char_class.h"

namespace stand_in {
namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f' ||
         c == 0x00A0;
}

int RadixDigit(wchar_t c, int radix) {
  int digit = -1;
  if (IsAsciiDigit(c)) digit = c - L'0';
  if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
  if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
  return digit < radix ? digit : -1;
}

class Cursor {
 public:
  explicit Cursor(std::wstring_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  wchar_t Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0';
  }
  bool Take(wchar_t c) {
    if (Peek() != c || AtEnd()) return false;
    ++pos_;
    return true;
  }
  void Advance(std::size_t count = 1) { pos_ += count; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Peek())) ++pos_;
  }

 private:
  std::wstring_view text_;
  std::size_t pos_ = 0;
};

HRESULT ParseRadix(Cursor& cursor, int radix, NumberText* number) {
  const int bitsPerDigit = radix == 16 ? 4 : 3;
  ULONGLONG bits = 0;
  int digits = 0;
  for (int digit = RadixDigit(cursor.Peek(), radix); !cursor.AtEnd() && digit >= 0;
       digit = RadixDigit(cursor.Peek(), radix)) {
    if (bits >> (64 - bitsPerDigit) != 0) return DISP_E_OVERFLOW;
    bits = (bits << bitsPerDigit) | static_cast<ULONGLONG>(digit);
    ++digits;
    cursor.Advance();
  }
  cursor.SkipBlanks();
  if (digits == 0 || !cursor.AtEnd()) return DISP_E_TYPEMISMATCH;
  number->radix = true;
  number->bits = bits;
  return S_OK;
}

}  // namespace

HRESULT ParseNumberText(std::wstring_view text, NumberText* number) {
  Cursor cursor(text);
  cursor.SkipBlanks();

  bool currency = cursor.Take(L'$');
  if (currency) cursor.SkipBlanks();
  const bool parenthesised = cursor.Take(L'(');
  bool negative = false;
  bool signed_ = false;
  if (cursor.Peek() == L'-' || cursor.Peek() == L'+') {
    negative = cursor.Peek() == L'-';
    signed_ = true;
    cursor.Advance();
    cursor.SkipBlanks();
  }
  if (!currency && cursor.Take(L'$')) currency = true;

  if (!signed_ && !parenthesised && cursor.Peek() == L'&') {
    const wchar_t prefix = cursor.Peek(1);
    if (prefix == L'H' || prefix == L'h') {
      cursor.Advance(2);
      return ParseRadix(cursor, 16, number);
    }
    if (prefix == L'O' || prefix == L'o') {
      cursor.Advance(2);
      return ParseRadix(cursor, 8, number);
    }
    return DISP_E_TYPEMISMATCH;
  }

  std::string ascii;  // The number rewritten for strtod: digits, '.', exponent.
  int digits = 0;
  while (!cursor.AtEnd()) {
    const wchar_t c = cursor.Peek();
    if (IsAsciiDigit(c)) {
      ascii += static_cast<char>(c);
      ++digits;
    } else if (c == L',' && digits > 0) {
      // Thousands separator: dropped wherever it stands among the whole digits.
    } else {
      break;
    }
    cursor.Advance();
  }
  if (cursor.Take(L'.')) {
    ascii += '.';
    while (!cursor.AtEnd() && IsAsciiDigit(cursor.Peek())) {
      ascii += static_cast<char>(cursor.Peek());
      ++digits;
      cursor.Advance();
    }
  }
  if (digits == 0) return DISP_E_TYPEMISMATCH;

  if (cursor.Peek() == L'e' || cursor.Peek() == L'E') {
    cursor.Advance();
    ascii += 'e';
    if (cursor.Peek() == L'-' || cursor.Peek() == L'+') {
      ascii += static_cast<char>(cursor.Peek());
      cursor.Advance();
    }
    int exponentDigits = 0;
    while (!cursor.AtEnd() && IsAsciiDigit(cursor.Peek())) {
      ascii += static_cast<char>(cursor.Peek());
      ++exponentDigits;
      cursor.Advance();
    }
    if (exponentDigits == 0) return DISP_E_TYPEMISMATCH;
  }

  if (!signed_ && (cursor.Peek() == L'-' || cursor.Peek() == L'+')) {
    negative = cursor.Peek() == L'-';
    cursor.Advance();
  }
  if (!currency) cursor.Take(L'$');
  if (parenthesised) {
    if (!cursor.Take(L')')) return DISP_E_TYPEMISMATCH;
    negative = true;  // "(-5)" is -5 too.
  }
  cursor.SkipBlanks();
  if (!cursor.AtEnd()) return DISP_E_TYPEMISMATCH;

  errno = 0;
  const double magnitude = std::strtod(ascii.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(magnitude)) return DISP_E_OVERFLOW;
  number->radix = false;
  number->value = negative ? -magnitude : magnitude;
  return S_OK;
}

std::wstring FormatReal(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  std::wstring text(buffer, buffer + std::char_traits<char>::length(buffer));
  if (text.size() > 1 && text[0] == L'-' && value == 0.0) text = L"0";
  return text;
}

}  // namespace stand_in
