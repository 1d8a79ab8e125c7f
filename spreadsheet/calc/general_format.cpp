// General number format.
#include "spreadsheet/calc/general_format.h"

#include <algorithm>
#include <cstdlib>

#include "spreadsheet/calc/display_decimal.h"

namespace spreadsheet {
namespace {

// Below 1E-04 Excel's General switches to scientific form even where decimals would fit.
constexpr int kSmallestDecimalExponent = -4;

void AppendPlain(const CDisplayDecimal& number, std::wstring& out) {
  const int integerDigits = number.IntegerDigitCount();
  if (integerDigits == 0) out += L'0';
  for (int power = integerDigits - 1; power >= 0; --power) out += number.DigitAt(power);
  if (!number.HasFraction()) return;
  out += L'.';
  for (int power = -1; power >= number.LowestPower(); --power) out += number.DigitAt(power);
}

}  // namespace

bool AppendGeneral(double value, int maxChars, std::wstring& out) {
  const CDisplayDecimal number(value);
  const int sign = number.IsNegative() ? 1 : 0;
  const int room = maxChars - sign;
  if (number.IsZero()) {
    if (maxChars < 1) return false;
    out += L'0';
    return true;
  }

  const int exponent = number.Exponent();
  if (exponent >= kSmallestDecimalExponent && exponent < room) {
    CDisplayDecimal rounded = number;
    const int integerDigits = std::max(exponent + 1, 1);
    rounded.RoundToDecimals(std::max(room - integerDigits - 1, 0));
    if (!rounded.IsZero() && std::max(rounded.IntegerDigitCount(), 1) <= room) {
      if (sign != 0) out += L'-';
      AppendPlain(rounded, out);
      return true;
    }
  }

  // Scientific: one digit, the decimals that fit, then "E+dd" (three digits from 1E+100).
  CDisplayDecimal mantissa = number;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int exponentDigits = std::abs(mantissa.Exponent()) >= 100 ? 3 : 2;
    const int decimals = room - 1 - 1 - 2 - exponentDigits;  // Digit, point, "E+", digits.
    mantissa = number;
    mantissa.RoundToSignificant(1 + std::max(decimals, 0));
    // Rounding 9.9999E+99 up can lengthen the exponent; the second pass fits it again.
    if ((std::abs(mantissa.Exponent()) >= 100 ? 3 : 2) == exponentDigits) break;
  }
  const int shownExponent = mantissa.Exponent();
  const int exponentDigits = std::abs(shownExponent) >= 100 ? 3 : 2;
  mantissa.Scale(-shownExponent);
  std::wstring text;
  AppendPlain(mantissa, text);
  text += shownExponent < 0 ? L"E-" : L"E+";
  AppendDigits(std::abs(shownExponent), exponentDigits, text);
  if (static_cast<int>(text.size()) > room) return false;
  if (sign != 0) out += L'-';
  out += text;
  return true;
}

}  // namespace spreadsheet
