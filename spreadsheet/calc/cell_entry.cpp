// Reading typed text as Excel reads a cell entry.
//
// Numbers:   [(] [+|-] [$] [+|-] digits[,ddd...][.digits] [E[+|-]digits] [%] [)]
//            and mixed fractions "[+|-]whole numerator/denominator".
// Dates:     m/d/y, m-d-y, y-m-d (four-digit year first), m/d, m/yyyy, d-mmm-y, d mmm y,
//            d-mmm, mmm-yy, mmm d, mmm d, yyyy (month names in full or in three letters).
// Times:     h:mm[:ss[.fff]] [AM|PM], h AM|PM; after a date, separated by a space.
// Anything else is text. Entries stay short (a cell holds 32767 characters), and every loop
// here is linear in the entry's length.
#include "spreadsheet/calc/cell_entry.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/calc/excel_date.h"
#include "spreadsheet/model/error_code.h"

namespace spreadsheet {
namespace {

// Built-in number format ids (see BuiltinNumberFormat).
constexpr std::uint32_t kFormatThousands = 3;
constexpr std::uint32_t kFormatThousandsDecimals = 4;
constexpr std::uint32_t kFormatCurrency = 5;
constexpr std::uint32_t kFormatCurrencyDecimals = 7;
constexpr std::uint32_t kFormatPercent = 9;
constexpr std::uint32_t kFormatPercentDecimals = 10;
constexpr std::uint32_t kFormatScientific = 11;
constexpr std::uint32_t kFormatFraction = 12;
constexpr std::uint32_t kFormatFractionTwoDigits = 13;
constexpr std::uint32_t kFormatDate = 14;
constexpr std::uint32_t kFormatDayMonthYear = 15;
constexpr std::uint32_t kFormatDayMonth = 16;
constexpr std::uint32_t kFormatMonthYear = 17;
constexpr std::uint32_t kFormatTime12 = 18;
constexpr std::uint32_t kFormatTime12Seconds = 19;
constexpr std::uint32_t kFormatTime = 20;
constexpr std::uint32_t kFormatTimeSeconds = 21;
constexpr std::uint32_t kFormatDateTime = 22;
constexpr std::uint32_t kFormatMinutesSecondsTenths = 47;

// Digits in one part of a number entry beyond this make it text: no double holds them anyway,
// and it keeps the conversion buffer small.
constexpr std::size_t kMaxNumberChars = 400;

struct Number {
  double value = 0.0;
  std::uint32_t format = 0;
};

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == 0xA0;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<double> ToDouble(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Digits, with thousands separators when `grouping` allows; appends them to `out`. Returns the
// number of characters read (0 when there is no digit) and whether a separator was met.
std::size_t ReadDigits(std::wstring_view text, bool grouping, std::string* out, bool* grouped) {
  std::size_t i = 0;
  std::size_t groupLength = 0;
  bool inGroups = false;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (IsAsciiDigit(c)) {
      out->push_back(static_cast<char>(c));
      ++groupLength;
      ++i;
    } else if (grouping && c == L',' && i + 1 < text.size() && IsAsciiDigit(text[i + 1]) &&
               (inGroups ? groupLength == 3 : (groupLength >= 1 && groupLength <= 3))) {
      inGroups = true;
      *grouped = true;
      groupLength = 0;
      ++i;
    } else {
      break;
    }
    if (out->size() > kMaxNumberChars) return 0;
  }
  if (inGroups && groupLength != 3) return 0;
  return i;
}

std::optional<Number> ParseDecimal(std::wstring_view text) {
  bool negative = false;
  bool currency = false;
  bool percent = false;
  if (text.size() >= 2 && text.front() == L'(' && text.back() == L')') {
    negative = true;
    text = Trim(text.substr(1, text.size() - 2));
  }
  bool signSeen = false;
  for (int pass = 0; pass < 2 && !text.empty(); ++pass) {
    if (!signSeen && (text.front() == L'+' || text.front() == L'-')) {
      if (text.front() == L'-') {
        if (negative) return std::nullopt;  // "(-5)" is text.
        negative = true;
      }
      signSeen = true;
      text.remove_prefix(1);
    } else if (!currency && text.front() == L'$') {
      currency = true;
      text.remove_prefix(1);
    }
  }
  if (!text.empty() && text.back() == L'%') {
    percent = true;
    text.remove_suffix(1);
  }
  std::string digits;
  bool grouped = false;
  std::size_t read = ReadDigits(text, true, &digits, &grouped);
  std::size_t i = read;
  const bool integerDigits = read > 0;
  bool decimals = false;
  if (i < text.size() && text[i] == L'.') {
    digits.push_back('.');
    ++i;
    const std::size_t fraction = ReadDigits(text.substr(i), false, &digits, &grouped);
    decimals = fraction > 0;
    i += fraction;
  }
  if (!integerDigits && !decimals) return std::nullopt;
  bool exponent = false;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E') && !currency && !percent) {
    std::size_t j = i + 1;
    std::string power = "e";
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) {
      power.push_back(static_cast<char>(text[j]));
      ++j;
    }
    const std::size_t powerDigits = ReadDigits(text.substr(j), false, &power, &grouped);
    if (powerDigits == 0) return std::nullopt;
    digits += power;
    i = j + powerDigits;
    exponent = true;
  }
  if (i != text.size()) return std::nullopt;
  const auto value = ToDouble(digits);
  if (!value) return std::nullopt;
  Number number{negative ? -*value : *value, 0};
  if (percent) {
    number.value /= 100.0;
    number.format = decimals ? kFormatPercentDecimals : kFormatPercent;
  } else if (currency) {
    number.format = decimals ? kFormatCurrencyDecimals : kFormatCurrency;
  } else if (exponent) {
    number.format = kFormatScientific;
  } else if (grouped) {
    number.format = decimals ? kFormatThousandsDecimals : kFormatThousands;
  }
  return number;
}

// "[+|-]whole numerator/denominator", as "1 1/2".
std::optional<Number> ParseFraction(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  std::string whole, numerator, denominator;
  bool grouped = false;
  std::size_t i = ReadDigits(text, false, &whole, &grouped);
  if (i == 0 || i >= text.size() || !IsSpace(text[i])) return std::nullopt;
  while (i < text.size() && IsSpace(text[i])) ++i;
  const std::size_t top = ReadDigits(text.substr(i), false, &numerator, &grouped);
  if (top == 0 || i + top >= text.size() || text[i + top] != L'/') return std::nullopt;
  i += top + 1;
  const std::size_t bottom = ReadDigits(text.substr(i), false, &denominator, &grouped);
  if (bottom == 0 || i + bottom != text.size()) return std::nullopt;
  const auto w = ToDouble(whole), n = ToDouble(numerator), d = ToDouble(denominator);
  if (!w || !n || !d || *d == 0.0) return std::nullopt;
  const double value = *w + *n / *d;
  return Number{negative ? -value : value,
                denominator.size() > 1 ? kFormatFractionTwoDigits : kFormatFraction};
}

// --- Dates and times -------------------------------------------------------------------------

struct Token {
  enum class Kind : std::uint8_t { Number, Word, Separator };
  Kind kind;
  std::wstring_view text;
  std::int32_t value = 0;  // Number: its value, saturating past eight digits.
  wchar_t separator = 0;   // Separator: '/', '-', ':', ',', '.' or ' '.
};

// Nothing for text with characters no date or time has, or numbers too long for one.
std::optional<std::vector<Token>> Tokenize(std::wstring_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    const std::size_t start = i;
    if (IsAsciiDigit(c)) {
      std::int32_t value = 0;
      while (i < text.size() && IsAsciiDigit(text[i])) {
        // Long runs are fractions of a second; what they count beyond eight digits is moot.
        if (i - start >= 15) return std::nullopt;
        if (value < 10000000) value = value * 10 + (text[i] - L'0');
        ++i;
      }
      tokens.push_back({Token::Kind::Number, text.substr(start, i - start), value, 0});
    } else if (std::iswalpha(static_cast<wint_t>(c))) {
      while (i < text.size() && std::iswalpha(static_cast<wint_t>(text[i]))) ++i;
      tokens.push_back({Token::Kind::Word, text.substr(start, i - start), 0, 0});
    } else if (IsSpace(c)) {
      while (i < text.size() && IsSpace(text[i])) ++i;
      // Spaces around another separator belong to it: "Jan 5, 2020".
      if (!tokens.empty() && tokens.back().kind == Token::Kind::Separator) continue;
      tokens.push_back({Token::Kind::Separator, text.substr(start, 1), 0, L' '});
    } else if (c == L'/' || c == L'-' || c == L':' || c == L',' || c == L'.') {
      ++i;
      if (!tokens.empty() && tokens.back().kind == Token::Kind::Separator) {
        if (tokens.back().separator != L' ') return std::nullopt;
        tokens.pop_back();
      }
      tokens.push_back({Token::Kind::Separator, text.substr(start, 1), 0, c});
    } else {
      return std::nullopt;
    }
  }
  return tokens;
}

std::optional<std::int32_t> MonthOfName(std::wstring_view word) {
  static constexpr std::array<std::wstring_view, 12> kMonths = {
      L"January", L"February", L"March",     L"April",   L"May",      L"June",
      L"July",    L"August",   L"September", L"October", L"November", L"December"};
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    if (EqualsIgnoringCase(word, kMonths[m]) ||
        (word.size() == 3 && EqualsIgnoringCase(word, kMonths[m].substr(0, 3)))) {
      return static_cast<std::int32_t>(m + 1);
    }
  }
  return std::nullopt;
}

// A year as typed: two digits are 1930-2029, four are taken as written.
std::optional<std::int32_t> YearOf(const Token& token) {
  if (token.kind != Token::Kind::Number) return std::nullopt;
  if (token.text.size() <= 2) return token.value < 30 ? 2000 + token.value : 1900 + token.value;
  if (token.text.size() == 4) return token.value;
  return std::nullopt;
}

bool IsLeapYear(std::int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::optional<double> DaySerial(std::int32_t year, std::int32_t month, std::int32_t day,
                                bool date1904) {
  static constexpr std::array<std::int32_t, 12> kDays = {31, 28, 31, 30, 31, 30,
                                                         31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return std::nullopt;
  std::int32_t days = kDays[static_cast<std::size_t>(month - 1)];
  // 29 February 1900 exists in the 1900 system, as it does in Excel.
  if (month == 2 && (IsLeapYear(year) || (year == 1900 && !date1904))) days = 29;
  if (day > days) return std::nullopt;
  return DateToSerial(year, month, day, date1904);
}

struct DatePart {
  double serial = 0.0;
  std::uint32_t format = 0;
};

bool IsNumber(const Token& t) {
  return t.kind == Token::Kind::Number;
}
bool IsSeparator(const Token& t, wchar_t c) {
  return t.kind == Token::Kind::Separator && t.separator == c;
}
bool IsDateSeparator(const Token& t) {
  return IsSeparator(t, L'/') || IsSeparator(t, L'-') || IsSeparator(t, L' ');
}

std::optional<DatePart> ParseDate(const std::vector<Token>& t, bool date1904,
                                  std::int32_t currentYear) {
  auto make = [&](std::int32_t y, std::int32_t m, std::int32_t d,
                  std::uint32_t format) -> std::optional<DatePart> {
    const auto serial = DaySerial(y, m, d, date1904);
    if (!serial) return std::nullopt;
    return DatePart{*serial, format};
  };
  const std::size_t n = t.size();
  if (n == 5 && IsNumber(t[0]) && IsNumber(t[2]) && IsNumber(t[4]) &&
      (IsSeparator(t[1], L'/') || IsSeparator(t[1], L'-')) && t[3].separator == t[1].separator) {
    if (t[0].text.size() == 4) return make(t[0].value, t[2].value, t[4].value, kFormatDate);
    const auto year = YearOf(t[4]);
    if (!year || t[0].text.size() > 2 || t[2].text.size() > 2) return std::nullopt;
    return make(*year, t[0].value, t[2].value, kFormatDate);
  }
  if (n == 3 && IsNumber(t[0]) && IsNumber(t[2]) &&
      (IsSeparator(t[1], L'/') || IsSeparator(t[1], L'-')) && t[0].text.size() <= 2) {
    if (t[2].text.size() == 4 || t[2].value > 31) {
      const auto year = YearOf(t[2]);
      if (!year) return std::nullopt;
      return make(*year, t[0].value, 1, kFormatMonthYear);
    }
    return make(currentYear, t[0].value, t[2].value, kFormatDayMonth);
  }
  // Forms with a month name.
  std::optional<std::int32_t> month;
  if (n == 5 && IsNumber(t[0]) && t[2].kind == Token::Kind::Word && IsNumber(t[4]) &&
      IsDateSeparator(t[1]) && t[3].separator == t[1].separator &&
      (month = MonthOfName(t[2].text))) {
    const auto year = YearOf(t[4]);
    if (!year) return std::nullopt;
    return make(*year, *month, t[0].value, kFormatDayMonthYear);
  }
  if (n == 3 && IsNumber(t[0]) && t[2].kind == Token::Kind::Word && IsDateSeparator(t[1]) &&
      (month = MonthOfName(t[2].text))) {
    return make(currentYear, *month, t[0].value, kFormatDayMonth);
  }
  if (n == 3 && t[0].kind == Token::Kind::Word && IsNumber(t[2]) && IsDateSeparator(t[1]) &&
      (month = MonthOfName(t[0].text))) {
    if (t[2].text.size() == 4 || t[2].value > 31) {
      const auto year = YearOf(t[2]);
      if (!year) return std::nullopt;
      return make(*year, *month, 1, kFormatMonthYear);
    }
    return make(currentYear, *month, t[2].value, kFormatDayMonth);
  }
  if (n == 5 && t[0].kind == Token::Kind::Word && IsNumber(t[2]) && IsNumber(t[4]) &&
      IsSeparator(t[1], L' ') && (IsSeparator(t[3], L',') || IsSeparator(t[3], L' ')) &&
      (month = MonthOfName(t[0].text))) {
    const auto year = YearOf(t[4]);
    if (!year) return std::nullopt;
    return make(*year, *month, t[2].value, kFormatDayMonthYear);
  }
  return std::nullopt;
}

struct TimePart {
  double fraction = 0.0;
  std::uint32_t format = 0;
};

std::optional<TimePart> ParseTime(const std::vector<Token>& t) {
  std::size_t n = t.size();
  std::optional<bool> pm;
  bool spaced = false;
  if (n >= 2 && t[n - 1].kind == Token::Kind::Word) {
    if (EqualsIgnoringCase(t[n - 1].text, L"AM") || EqualsIgnoringCase(t[n - 1].text, L"A")) {
      pm = false;
    } else if (EqualsIgnoringCase(t[n - 1].text, L"PM") ||
               EqualsIgnoringCase(t[n - 1].text, L"P")) {
      pm = true;
    } else {
      return std::nullopt;
    }
    --n;
    spaced = IsSeparator(t[n - 1], L' ');
    if (spaced) --n;
  }
  if (n == 0 || !IsNumber(t[0])) return std::nullopt;
  std::int32_t hour = t[0].value;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  double milliseconds = 0.0;
  bool seconds = false;
  bool tenths = false;
  auto fractionOf = [](const Token& digits) {
    double value = 0.0;
    double scale = 100.0;
    for (const wchar_t c : digits.text) {
      value += (c - L'0') * scale;
      scale /= 10.0;
    }
    return value;
  };
  // Past the first number, parts may run over their range and carry ("0:59:99" is 1:00:39),
  // as Excel reads them; the hour may not.
  if (n == 1) {
    // A bare number is not a time, and "12a" is not "12 AM".
    if (!pm || !spaced) return std::nullopt;
  } else if (n == 5 && IsSeparator(t[1], L':') && IsNumber(t[2]) && IsSeparator(t[3], L'.') &&
             IsNumber(t[4]) && !pm) {
    // "mm:ss.0": minutes, seconds and a fraction of a second.
    minute = hour;
    hour = 0;
    second = t[2].value;
    milliseconds = fractionOf(t[4]);
    seconds = true;
    tenths = true;
    if (minute > 59) return std::nullopt;
  } else if (n == 3 || n == 4 || n == 5 || n == 7) {
    if (!IsSeparator(t[1], L':') || !IsNumber(t[2])) return std::nullopt;
    minute = t[2].value;
    if (n == 4 && !IsSeparator(t[3], L'.')) return std::nullopt;  // "23:59." is 23:59.
    if (n >= 5) {
      if (!IsSeparator(t[3], L':') || !IsNumber(t[4])) return std::nullopt;
      second = t[4].value;
      seconds = true;
      if (minute > 59) return std::nullopt;
    }
    if (n == 7) {
      if (!IsSeparator(t[5], L'.') || !IsNumber(t[6])) return std::nullopt;
      milliseconds = fractionOf(t[6]);
      tenths = true;
    }
  } else {
    return std::nullopt;
  }
  if (t[0].text.size() > 2) return std::nullopt;
  for (std::size_t i = 2; i < n && i < 5; i += 2) {
    if (IsSeparator(t[i - 1], L':') && t[i].text.size() > 4) return std::nullopt;
  }
  if (pm) {
    if (hour > 12) return std::nullopt;
    hour = hour % 12 + (*pm ? 12 : 0);
  } else if (hour > 23) {
    return std::nullopt;
  }
  TimePart time;
  time.fraction = (hour * 3600.0 + minute * 60.0 + second + milliseconds / 1000.0) / 86400.0;
  if (tenths) {
    time.format = kFormatMinutesSecondsTenths;
  } else if (pm) {
    time.format = seconds ? kFormatTime12Seconds : kFormatTime12;
  } else {
    time.format = seconds ? kFormatTimeSeconds : kFormatTime;
  }
  return time;
}

std::optional<Number> ParseDateTime(std::wstring_view text, bool date1904,
                                    std::int32_t currentYear) {
  const auto tokens = Tokenize(text);
  if (!tokens || tokens->empty()) return std::nullopt;
  const std::vector<Token>& t = *tokens;
  // The time starts at the number before the first ':', or at the number before a final AM/PM.
  std::size_t timeStart = t.size();
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (IsSeparator(t[i], L':') && IsNumber(t[i - 1])) {
      timeStart = i - 1;
      break;
    }
  }
  if (timeStart == t.size() && t.size() >= 2 && t.back().kind == Token::Kind::Word &&
      !MonthOfName(t.back().text)) {
    timeStart = IsSeparator(t[t.size() - 2], L' ') ? t.size() - 3 : t.size() - 2;
    if (timeStart >= t.size() || !IsNumber(t[timeStart])) return std::nullopt;
  }
  std::vector<Token> datePart(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(timeStart));
  const std::vector<Token> timePart(t.begin() + static_cast<std::ptrdiff_t>(timeStart), t.end());
  if (!datePart.empty()) {
    if (!timePart.empty() && !IsSeparator(datePart.back(), L' ')) return std::nullopt;
    if (!timePart.empty()) datePart.pop_back();
  }
  std::optional<DatePart> date;
  if (!datePart.empty()) {
    date = ParseDate(datePart, date1904, currentYear);
    if (!date) return std::nullopt;
  }
  std::optional<TimePart> time;
  if (!timePart.empty()) {
    time = ParseTime(timePart);
    if (!time) return std::nullopt;
  }
  if (date && time) return Number{date->serial + time->fraction, kFormatDateTime};
  if (date) return Number{date->serial, date->format};
  return Number{time->fraction, time->format};
}

}  // namespace

CellEntry ParseCellEntry(std::wstring_view text, bool date1904, std::int32_t currentYear) {
  CellEntry entry;
  if (text.empty()) return entry;
  if (text.front() == L'=') {
    if (Trim(text.substr(1)).empty()) {
      entry.kind = CellEntry::Kind::Invalid;
      return entry;
    }
    entry.kind = CellEntry::Kind::Formula;
    entry.formula = std::wstring(text);
    return entry;
  }
  if (text.front() == L'\'') {
    entry.value = CellValue::Text(std::wstring(text.substr(1)));
    return entry;
  }
  const std::wstring_view trimmed = Trim(text);
  if (EqualsIgnoringCase(trimmed, L"TRUE") || EqualsIgnoringCase(trimmed, L"FALSE")) {
    entry.value = CellValue::Boolean(EqualsIgnoringCase(trimmed, L"TRUE"));
    return entry;
  }
  if (const auto error = ParseErrorText(trimmed)) {
    entry.value = CellValue::Error(*error);
    return entry;
  }
  std::optional<Number> number = ParseDecimal(trimmed);
  if (!number) number = ParseFraction(trimmed);
  if (!number) number = ParseDateTime(trimmed, date1904, currentYear);
  if (number) {
    entry.value = CellValue::Number(number->value);
    entry.numberFormat = number->format;
    return entry;
  }
  entry.value = CellValue::Text(std::wstring(text));
  return entry;
}

std::int32_t CurrentYear() {
  const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  return static_cast<std::int32_t>(std::chrono::year_month_day(today).year());
}

}  // namespace spreadsheet
