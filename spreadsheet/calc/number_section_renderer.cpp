// Digits, decimals, scientific notation and fractions of a number format section.
#include "spreadsheet/calc/number_section_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "spreadsheet/calc/display_decimal.h"

namespace spreadsheet {
namespace {

// Denominators of more placeholders than this are searched up to 999999999 only.
constexpr int kMaxDenominatorDigits = 9;
// An improper fraction of a number this large would overflow its numerator; it shows as n/1.
constexpr double kMaxImproperWhole = 1e9;

// Puts the digits of a whole number into a run of placeholders. Right-aligned (integer parts,
// numerators, exponents): digits the run cannot hold go to its first placeholder, and missing
// ones show as '0', ' ' or nothing for '0', '?' and '#'. Left-aligned (denominators): digits
// fill from the left and the rest shows as ' ' for '?' or nothing.
class CSlotWriter {
 public:
  CSlotWriter(std::wstring_view digits, int slots, bool grouping, bool leftAligned = false)
      : digits_(digits),
        length_(static_cast<int>(digits.size())),
        slots_(slots),
        grouping_(grouping),
        leftAligned_(leftAligned) {}
  // The integer part of a decimal, read in place.
  CSlotWriter(const CDisplayDecimal& number, int slots, bool grouping)
      : number_(&number),
        length_(number.IntegerDigitCount()),
        slots_(slots),
        grouping_(grouping),
        leftAligned_(false) {}

  void Write(wchar_t symbol, std::wstring& out) {
    const int index = next_++;
    const int length = length_;
    if (leftAligned_) {
      if (index < length) {
        out += digits_[static_cast<std::size_t>(index)];
        if (index == slots_ - 1) out += digits_.substr(static_cast<std::size_t>(index) + 1);
      } else if (symbol == L'?') {
        out += L' ';
      } else if (symbol == L'0') {
        out += L'0';
      }
      return;
    }
    const int position = slots_ - 1 - index;
    if (index == 0) {
      for (int extra = length - 1; extra >= slots_; --extra) Emit(extra, DigitAt(extra), out);
    }
    if (position < length) {
      Emit(position, DigitAt(position), out);
    } else if (symbol == L'0') {
      Emit(position, L'0', out);
    } else if (symbol == L'?') {
      Emit(position, L' ', out);
    }
  }

  // All digits where there are no placeholders for them (".00" shows 1.5 as "1.50").
  void WriteAll(std::wstring& out) {
    for (int position = length_ - 1; position >= 0; --position) {
      Emit(position, DigitAt(position), out);
    }
  }

 private:
  wchar_t DigitAt(int position) const {
    if (number_ != nullptr) return number_->DigitAt(position);
    return digits_[static_cast<std::size_t>(length_ - 1 - position)];
  }
  void Emit(int position, wchar_t c, std::wstring& out) const {
    out += c;
    if (grouping_ && position > 0 && position % 3 == 0) out += c == L' ' ? L' ' : L',';
  }

  std::wstring_view digits_;
  const CDisplayDecimal* number_ = nullptr;  // Not owned; outlives the writer.
  int length_;
  int slots_;
  bool grouping_;
  bool leftAligned_;
  int next_ = 0;
};

std::wstring WholeDigits(const CDisplayDecimal& number) {
  std::wstring digits;
  for (int power = number.IntegerDigitCount() - 1; power >= 0; --power) {
    digits += number.DigitAt(power);
  }
  return digits;
}

std::wstring ToDigits(std::int64_t value) {
  std::wstring digits;
  AppendDigits(value, 1, digits);
  return digits;
}

// How many decimals hold a digit other than a trailing zero. Past them a '#' shows nothing and
// a '?' a space, even before a '0' ("#.#####00#0" shows 0.456789 as ".45678900").
int SignificantDecimals(const FormatSection& section, const CDisplayDecimal& number) {
  int significant = static_cast<int>(section.fractionSymbols.size());
  while (significant > 0 && number.DigitAt(-significant) == L'0') --significant;
  return significant;
}

// The tokens of a number or scientific section over a rounded number (for scientific, the
// mantissa) and the exponent.
void RenderDigits(const FormatSection& section, const CDisplayDecimal& number, int exponent,
                  std::wstring& out) {
  CSlotWriter integer(number, section.integerDigits, section.grouping);
  const std::wstring exponentText = ToDigits(std::abs(exponent));
  CSlotWriter exponentWriter(exponentText, section.exponentDigits, false);
  const int significantDecimals = SignificantDecimals(section, number);
  int decimal = 0;
  for (const auto& token : section.tokens) {
    switch (token.kind) {
      case FormatTokenKind::Digit:
        if (token.part == DigitPart::Integer) {
          integer.Write(token.symbol, out);
        } else if (token.part == DigitPart::Fraction) {
          ++decimal;
          if (decimal <= significantDecimals || token.symbol == L'0') {
            out += number.DigitAt(-decimal);
          } else if (token.symbol == L'?') {
            out += L' ';
          }
        } else {
          exponentWriter.Write(token.symbol, out);
        }
        break;
      case FormatTokenKind::DecimalPoint:
        if (section.integerDigits == 0) integer.WriteAll(out);
        out += L'.';
        break;
      case FormatTokenKind::Exponent:
        out += token.symbol;
        if (exponent < 0) {
          out += L'-';
        } else if (token.count == 1) {
          out += L'+';
        }
        break;
      case FormatTokenKind::Percent:
        out += L'%';
        break;
      case FormatTokenKind::Literal:
        out += token.text;
        break;
      default:
        break;
    }
  }
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void RenderScientific(const FormatSection& section, double magnitude, std::wstring& out) {
  CDisplayDecimal number(magnitude);
  number.Scale(section.scale);
  const int placeholders = section.integerDigits;
  // The exponent makes the mantissa fill the integer placeholders, or with '#' among several
  // ("##0.0E+0") a multiple of their count, as engineering notation does.
  auto exponentFor = [&](const CDisplayDecimal& n) -> int {
    if (n.IsZero()) return 0;
    const int e = n.Exponent();
    if (section.engineering) return static_cast<int>(FloorDiv(e, placeholders) * placeholders);
    return e - std::max(placeholders, 0) + 1;
  };
  int exponent = exponentFor(number);
  const int before = number.Exponent();
  number.RoundToSignificant(std::max(1, before - exponent + 1 + section.fractionDigits));
  if (number.Exponent() != before) exponent = exponentFor(number);
  number.Scale(-exponent);
  RenderDigits(section, number, exponent, out);
}

// The closest p/q to x (0 <= x < 1) with q at most maxDenominator; ties go to the smaller q.
void ClosestFraction(double x, std::int64_t maxDenominator, std::int64_t& numerator,
                     std::int64_t& denominator) {
  // Continued fraction convergents h/k, then the best semiconvergent past the last that fits.
  std::int64_t h0 = 0, k0 = 1, h1 = 1, k1 = 0;
  double rest = x;
  for (int step = 0; step < 64; ++step) {
    const double a = std::floor(rest);
    if (k1 != 0 && a > static_cast<double>(maxDenominator - k0) / static_cast<double>(k1)) {
      const std::int64_t k = (maxDenominator - k0) / k1;
      const std::int64_t hs = h0 + k * h1, ks = k0 + k * k1;
      const double semi = std::fabs(x - static_cast<double>(hs) / static_cast<double>(ks));
      const double last = std::fabs(x - static_cast<double>(h1) / static_cast<double>(k1));
      if (semi < last) h1 = hs, k1 = ks;
      break;
    }
    const auto whole = static_cast<std::int64_t>(a);
    const std::int64_t h2 = whole * h1 + h0, k2 = whole * k1 + k0;
    h0 = h1, k0 = k1, h1 = h2, k1 = k2;
    const double fraction = rest - a;
    if (fraction < 1e-15) break;
    rest = 1.0 / fraction;
  }
  numerator = h1;
  denominator = k1;
}

std::int64_t RoundHalfAway(double value) {
  return static_cast<std::int64_t>(std::floor(value + 0.5));
}

std::wstring IncrementDigits(std::wstring digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != L'9') {
      ++digits[i];
      return digits;
    }
    digits[i] = L'0';
  }
  return L"1" + digits;
}

void RenderFraction(const FormatSection& section, double magnitude, std::wstring& out) {
  CDisplayDecimal number(magnitude);
  number.Scale(section.scale);
  const double x = number.ToDouble();
  std::wstring whole = WholeDigits(number);  // Truncated: the whole part.
  const double fractionPart = x - std::floor(x);

  std::int64_t fixed = 0;
  for (const auto& token : section.tokens) {
    if (token.kind == FormatTokenKind::Denominator) fixed = std::max<std::int64_t>(token.value, 1);
  }
  std::int64_t numerator = 0, denominator = 1;
  if (fixed != 0) {
    denominator = fixed;
    numerator = RoundHalfAway(fractionPart * static_cast<double>(fixed));
  } else {
    std::int64_t maxDenominator = 1;
    for (int i = 0; i < std::min(section.denominatorDigits, kMaxDenominatorDigits); ++i) {
      maxDenominator *= 10;
    }
    ClosestFraction(fractionPart, std::max<std::int64_t>(maxDenominator - 1, 1), numerator,
                    denominator);
  }
  const bool mixed = section.integerDigits > 0;
  if (mixed && numerator >= denominator) {
    whole = IncrementDigits(whole);
    numerator -= denominator;
  }
  std::wstring hugeNumerator;
  if (!mixed) {
    if (std::floor(x) >= kMaxImproperWhole) {
      // From 2^53 on every double is whole: its truncated digits are its rounded ones, and they
      // need not fit 64 bits.
      if (x >= 9007199254740992.0) {
        hugeNumerator = whole;
      } else {
        numerator = RoundHalfAway(x);
      }
      denominator = 1;
    } else {
      numerator += static_cast<std::int64_t>(std::floor(x)) * denominator;
    }
    whole.clear();
  }
  if (mixed && whole.empty() && numerator == 0) whole = L"0";

  const std::wstring numeratorText =
      hugeNumerator.empty() ? ToDigits(numerator) : hugeNumerator;
  const std::wstring denominatorText = ToDigits(denominator);
  bool zeroPadded = false;
  for (const auto& token : section.tokens) {
    if (token.kind == FormatTokenKind::Digit && token.part == DigitPart::Denominator) {
      zeroPadded = zeroPadded || token.symbol == L'0';
    }
  }
  CSlotWriter wholeWriter(whole, section.integerDigits, section.grouping);
  CSlotWriter numeratorWriter(numeratorText, section.numeratorDigits, false);
  CSlotWriter denominatorWriter(denominatorText, section.denominatorDigits, false, !zeroPadded);

  // A whole number keeps the fraction's room as spaces, so that it lines up with fractions.
  std::size_t lastWhole = 0, lastFraction = 0;
  for (std::size_t i = 0; i < section.tokens.size(); ++i) {
    const auto& token = section.tokens[i];
    if (token.kind == FormatTokenKind::Digit && token.part == DigitPart::Integer) lastWhole = i + 1;
    if ((token.kind == FormatTokenKind::Digit && token.part == DigitPart::Denominator) ||
        token.kind == FormatTokenKind::Denominator) {
      lastFraction = i + 1;
    }
  }
  const bool blank = mixed && numerator == 0;
  std::size_t blankFrom = 0;
  for (std::size_t i = 0; i < section.tokens.size(); ++i) {
    const auto& token = section.tokens[i];
    if (blank && i == lastWhole) blankFrom = out.size();
    switch (token.kind) {
      case FormatTokenKind::Digit:
        if (token.part == DigitPart::Integer) {
          wholeWriter.Write(token.symbol, out);
        } else if (token.part == DigitPart::Numerator) {
          numeratorWriter.Write(token.symbol, out);
        } else {
          denominatorWriter.Write(token.symbol, out);
        }
        break;
      case FormatTokenKind::FractionSlash:
        out += L'/';
        break;
      case FormatTokenKind::Denominator:
      case FormatTokenKind::Literal:
        out += token.text;
        break;
      case FormatTokenKind::Percent:
        out += L'%';
        break;
      default:
        break;
    }
    if (blank && i + 1 == lastFraction) {
      std::fill(out.begin() + static_cast<std::ptrdiff_t>(blankFrom), out.end(), L' ');
    }
  }
}

}  // namespace

void RenderNumberSection(const FormatSection& section, double magnitude, std::wstring& out) {
  switch (section.kind) {
    case SectionKind::Scientific:
      RenderScientific(section, magnitude, out);
      return;
    case SectionKind::Fraction:
      RenderFraction(section, magnitude, out);
      return;
    default: {
      CDisplayDecimal number(magnitude);
      number.Scale(section.scale);
      number.RoundToDecimals(section.fractionDigits);
      RenderDigits(section, number, 0, out);
      return;
    }
  }
}

}  // namespace spreadsheet
