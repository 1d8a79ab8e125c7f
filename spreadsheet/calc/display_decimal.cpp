// The 15-digit decimal of a double and its rounding for display.
#include "spreadsheet/calc/display_decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "platform/char_class.h"

namespace spreadsheet {

CDisplayDecimal::CDisplayDecimal(double value) {
  if (!std::isfinite(value) || value == 0.0) return;
  negative_ = value < 0.0;
  // "d.dddddddddddddde+XXX": the binary value correctly rounded to 15 significant digits.
  std::array<char, 32> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), std::fabs(value),
                                          std::chars_format::scientific, kSignificantDigits - 1);
  if (error != std::errc{}) return;
  const char* cursor = text.data();
  for (; cursor != end && *cursor != 'e'; ++cursor) {
    if (IsAsciiDigit(*cursor)) digits_[static_cast<std::size_t>(length_++)] = *cursor;
  }
  int exponent = 0;
  if (cursor != end) {
    ++cursor;
    if (*cursor == '+') ++cursor;
    std::from_chars(cursor, end, exponent);
  }
  point_ = exponent + 1;
  while (length_ > 0 && digits_[static_cast<std::size_t>(length_ - 1)] == '0') --length_;
}

wchar_t CDisplayDecimal::DigitAt(int power) const {
  const int index = point_ - 1 - power;
  if (index < 0 || index >= length_) return L'0';
  return static_cast<wchar_t>(L'0' + (digits_[static_cast<std::size_t>(index)] - '0'));
}

void CDisplayDecimal::RoundKeeping(int count) {
  if (count >= length_) return;
  if (count < 0) {
    length_ = 0;
    return;
  }
  const bool up = digits_[static_cast<std::size_t>(count)] >= '5';
  length_ = count;
  if (up) {
    int index = count - 1;
    while (index >= 0 && digits_[static_cast<std::size_t>(index)] == '9') --index;
    if (index < 0) {
      // 9.99 became 10: one digit, one place further left.
      digits_[0] = '1';
      length_ = 1;
      ++point_;
      return;
    }
    ++digits_[static_cast<std::size_t>(index)];
    length_ = index + 1;
  }
  while (length_ > 0 && digits_[static_cast<std::size_t>(length_ - 1)] == '0') --length_;
}

double CDisplayDecimal::ToDouble() const {
  if (length_ == 0) return 0.0;
  std::array<char, 40> text{};
  std::size_t size = 0;
  if (negative_) text[size++] = '-';
  text[size++] = '.';
  for (int i = 0; i < length_; ++i) text[size++] = digits_[static_cast<std::size_t>(i)];
  text[size++] = 'e';
  const auto written = std::to_chars(text.data() + size, text.data() + text.size(), point_);
  double value = 0.0;
  std::from_chars(text.data(), written.ptr, value);
  return value;
}

void AppendDigits(std::int64_t value, int minDigits, std::wstring& out) {
  std::array<char, 24> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  for (auto length = written.ptr - text.data(); length < minDigits; ++length) out += L'0';
  for (const char* c = text.data(); c != written.ptr; ++c)
    out += static_cast<wchar_t>(L'0' + (*c - '0'));
}

}  // namespace spreadsheet
