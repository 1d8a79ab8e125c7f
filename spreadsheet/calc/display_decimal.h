// CDisplayDecimal: a number as the decimal Excel shows, for exact rounding of displayed digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace spreadsheet {

// A finite double rounded to the 15 significant decimal digits Excel keeps, which display
// rounding then cuts further, half away from zero on those decimal digits (so 2.675, stored as
// 2.67499999..., shows as 2.68 with two decimals). The sign is kept apart and survives rounding
// to zero, since Excel shows -0.4 in "0" as "-0".
// Invariant: digits_[0..length_) holds no leading and no trailing '0'; length_ 0 means zero.
// The value is 0.d1d2d3... times 10 to the power point_.
class CDisplayDecimal {
 public:
  static constexpr int kSignificantDigits = 15;

  CDisplayDecimal() = default;
  // A value that is not finite reads as zero; callers show such values otherwise.
  explicit CDisplayDecimal(double value);

  bool IsNegative() const { return negative_; }
  bool IsZero() const { return length_ == 0; }
  // The power of ten of the first significant digit (2 for 345.6); 0 for zero.
  int Exponent() const { return length_ == 0 ? 0 : point_ - 1; }
  // Count of digits left of the decimal point (0 below 1).
  int IntegerDigitCount() const { return length_ == 0 || point_ < 0 ? 0 : point_; }
  // The digit at a power of ten ('0' where there is none).
  wchar_t DigitAt(int power) const;
  // The power of ten of the last significant digit; 0 for zero.
  int LowestPower() const { return length_ == 0 ? 0 : point_ - length_; }
  // True when some digit sits right of the decimal point.
  bool HasFraction() const { return LowestPower() < 0; }

  // Multiplies by a power of ten exactly.
  void Scale(int powerOfTen) {
    if (length_ != 0) point_ += powerOfTen;
  }
  // Half away from zero at the given number of decimals (negative: to tens, hundreds...).
  void RoundToDecimals(int decimals) { RoundKeeping(point_ + decimals); }
  void RoundToSignificant(int count) { RoundKeeping(count); }
  double ToDouble() const;

 private:
  // Keeps the first `count` digits, rounding on the next one.
  void RoundKeeping(int count);

  std::array<char, kSignificantDigits> digits_{};
  int length_ = 0;
  int point_ = 0;
  bool negative_ = false;
};

// Appends the decimal digits of a non-negative integer, zero-padded to minDigits. Unlike
// std::to_wstring it never consults the C locale, which MinGW's runtime guards with setlocale.
void AppendDigits(std::int64_t value, int minDigits, std::wstring& out);

}  // namespace spreadsheet
