// FormatCode: a number format code read into sections of tokens, once, for fast display.
//
// Grammar (Excel's, en-US):
//   code     := section (';' section){0,3}
//   section  := item*
//   item     := '"' text '"' | '\' char | '_' char (a space) | '*' char (fill: shows nothing)
//             | '[' (colour | 'Color' n | condition | '$' currency ['-' locale] | h+ | m+ | s+) ']'
//             | '0' | '#' | '?' | '.' | ',' | '%' | ('E'|'e') ('+'|'-') | '/' | '@' | 'General'
//             | y+ | m+ | d+ | h+ | s+ | 'AM/PM' | 'A/P' | any other character (shown as is)
//   condition := ('<' | '<=' | '>' | '>=' | '=' | '<>') number
// A section with a date or time part is a date section, where '.', ',', '/' and the like are
// text and ".0" to ".000" are fractions of a second; one with '@' is the text section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

enum class FormatTokenKind : std::uint8_t {
  Literal,  // text
  Digit,    // symbol '0', '#' or '?'; part says which number it belongs to
  DecimalPoint,
  Percent,
  Exponent,  // symbol 'E' or 'e'; count 1 when a '+' is shown for positive exponents
  FractionSlash,
  Denominator,  // a fixed denominator: value
  TextValue,    // '@'
  General,
  Year,  // count letters, as are the date parts below
  Month,
  Day,
  Hour,
  Minute,
  Second,
  ElapsedHours,    // [h]
  ElapsedMinutes,  // [m]
  ElapsedSeconds,  // [s]
  AmPm,            // text as written, "AM/PM" or "A/P" in either case
  SecondFraction,  // count decimals of a second, 1-3
};

// The number a digit placeholder belongs to.
enum class DigitPart : std::uint8_t { Integer, Fraction, Exponent, Numerator, Denominator };

struct FormatToken {
  FormatTokenKind kind = FormatTokenKind::Literal;
  DigitPart part = DigitPart::Integer;
  wchar_t symbol = 0;
  int count = 0;
  std::int64_t value = 0;
  std::wstring text;  // What a literal shows; the source text of other tokens.
};

enum class SectionKind : std::uint8_t { Number, Scientific, Fraction, Date, Text, General };

struct FormatCondition {
  enum class Op : std::uint8_t { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };
  Op op = Op::Equal;
  double value = 0.0;
  bool Matches(double number) const;
};

// One section, with the layout facts its renderer needs worked out when it is read.
struct FormatSection {
  SectionKind kind = SectionKind::Number;
  std::vector<FormatToken> tokens;
  std::optional<FormatCondition> condition;
  int integerDigits = 0;   // Placeholders of the integer part, mantissa or whole number.
  int fractionDigits = 0;  // Placeholders after the decimal point.
  int numeratorDigits = 0;
  int denominatorDigits = 0;  // Placeholders of a denominator to find; 0 with a fixed one.
  int exponentDigits = 0;
  std::wstring fractionSymbols;  // The decimal placeholders in order, as "00#".
  bool grouping = false;         // A thousands separator between integer placeholders.
  bool engineering = false;      // Scientific with '#' among several integer placeholders.
  int scale = 0;                 // Power of ten applied first: +2 per '%', -3 per trailing ','.
  int secondDigits = 0;          // Decimals of a second shown, which the time is rounded to.
  bool twelveHour = false;       // AM/PM or A/P present.
  bool elapsedOnly = false;      // A duration ([h], [m] or [s], minutes, seconds) and no date.
  bool signedElapsed = false;    // One elapsed count and nothing else: negatives show too.
};

// Invariant: 1 to 4 sections in all; the text section, when there is one, is not among
// numberSections.
struct FormatCode {
  std::vector<FormatSection> numberSections;  // In the code's order; may be empty ("@").
  std::optional<FormatSection> textSection;
  bool isGeneral = false;  // The whole code is "General" (or empty).
};

// Excel keeps codes of at most 255 characters; longer ones come from other writers or damage.
// Four times that still reads any real code and bounds what one code can cost.
inline constexpr std::size_t kMaxFormatCodeLength = 1024;

// Nothing for a code Excel would refuse: an open quote or bracket, a trailing '\', more than four
// sections, a condition without a number, '@' outside the text section or beside placeholders or
// date parts, number placeholders in a date, or more than kMaxFormatCodeLength characters.
std::optional<FormatCode> ParseFormatCode(std::wstring_view code);

}  // namespace spreadsheet
