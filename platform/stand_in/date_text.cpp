// Automation dates to and from English text.
#include "platform/stand_in/date_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>
#include <cwctype>
#include <vector>

#include "platform/char_class.h"

namespace stand_in {
namespace {

struct CivilDate {
  int year;
  int month;
  int day;
};

// Days since 30 December 1899 <-> proleptic Gregorian dates (H. Hinnant's civil algorithms).
constexpr long long kEpochShift = 693959;  // Days from 0000-03-01 to 1899-12-30.

long long DaysFromCivil(CivilDate date) {
  const long long y = date.year - (date.month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long mp = (date.month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + date.day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - kEpochShift + 60;
}

CivilDate CivilFromDays(long long days) {
  const long long z = days + kEpochShift - 60;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

constexpr std::array<const wchar_t*, 12> kMonthNames = {
    L"january", L"february", L"march",     L"april",   L"may",      L"june",
    L"july",    L"august",   L"september", L"october", L"november", L"december"};
constexpr std::array<const wchar_t*, 7> kDayNames = {
    L"sunday", L"monday", L"tuesday", L"wednesday", L"thursday", L"friday", L"saturday"};

// A full name or its first three letters; "Sept" and other lengths are not names.
bool MatchesName(const std::wstring& word, const wchar_t* name) {
  const std::wstring full(name);
  return word == full || (word.size() == 3 && full.compare(0, 3, word) == 0);
}

int MonthFromWord(const std::wstring& word) {
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (MatchesName(word, kMonthNames[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool IsDayName(const std::wstring& word) {
  for (const wchar_t* name : kDayNames) {
    if (MatchesName(word, name)) return true;
  }
  return false;
}

struct Token {
  enum class Kind { Number, Word, Colon, Separator } kind;
  long long number = 0;
  int digits = 0;
  std::wstring word;  // Lower case.
};

constexpr int kMaxTokens = 32;  // Far above any date text; longer input is not a date.

bool Tokenize(std::wstring_view text, std::vector<Token>* tokens) {
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (static_cast<int>(tokens->size()) >= kMaxTokens) return false;
    if (IsAsciiDigit(c)) {
      Token token{Token::Kind::Number, 0, 0, {}};
      while (i < text.size() && IsAsciiDigit(text[i])) {
        if (token.digits >= 9) return false;
        token.number = token.number * 10 + (text[i] - L'0');
        ++token.digits;
        ++i;
      }
      tokens->push_back(token);
    } else if (std::iswalpha(static_cast<wint_t>(c))) {
      Token token{Token::Kind::Word, 0, 0, {}};
      while (i < text.size() && std::iswalpha(static_cast<wint_t>(text[i]))) {
        token.word += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i])));
        ++i;
      }
      tokens->push_back(token);
    } else if (c == L':') {
      tokens->push_back(Token{Token::Kind::Colon, 0, 0, {}});
      ++i;
    } else if (c == L'/' || c == L'-' || c == L',') {
      // An empty field between two separators ("1//5") is not a date.
      if (!tokens->empty() && tokens->back().kind == Token::Kind::Separator) return false;
      tokens->push_back(Token{Token::Kind::Separator, 0, 0, {}});
      ++i;
    } else if (std::iswspace(static_cast<wint_t>(c))) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

struct Parsed {
  std::vector<long long> dateNumbers;
  std::vector<int> dateDigits;
  int month = 0;                 // From a month name.
  bool monthFirst = false;       // The month name came before any date number.
  bool hasTime = false;
  long long hour = 0, minute = 0, second = 0;
  int meridiem = 0;              // 0 none, 1 AM, 2 PM.
};

bool Classify(const std::vector<Token>& tokens, Parsed* parsed) {
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (token.kind == Token::Kind::Number) {
      const bool timeFollows = i + 1 < tokens.size() && tokens[i + 1].kind == Token::Kind::Colon;
      const bool meridiemFollows = i + 1 < tokens.size() && tokens[i + 1].kind == Token::Kind::Word &&
                                   (tokens[i + 1].word == L"am" || tokens[i + 1].word == L"pm" ||
                                    tokens[i + 1].word == L"a" || tokens[i + 1].word == L"p");
      if (timeFollows || meridiemFollows) {
        if (parsed->hasTime) return false;
        parsed->hasTime = true;
        parsed->hour = token.number;
        std::size_t j = i + 1;
        for (long long* part : {&parsed->minute, &parsed->second}) {
          if (j + 1 < tokens.size() && tokens[j].kind == Token::Kind::Colon &&
              tokens[j + 1].kind == Token::Kind::Number) {
            *part = tokens[j + 1].number;
            j += 2;
          } else if (j < tokens.size() && tokens[j].kind == Token::Kind::Colon) {
            return false;
          }
        }
        i = j - 1;
        continue;
      }
      parsed->dateNumbers.push_back(token.number);
      parsed->dateDigits.push_back(token.digits);
    } else if (token.kind == Token::Kind::Word) {
      const std::wstring& w = token.word;
      if (w == L"am" || w == L"a" || w == L"pm" || w == L"p") {
        if (!parsed->hasTime || parsed->meridiem != 0) return false;
        parsed->meridiem = (w == L"am" || w == L"a") ? 1 : 2;
      } else if (const int month = MonthFromWord(w); month != 0 && parsed->month == 0) {
        parsed->month = month;
        parsed->monthFirst = parsed->dateNumbers.empty();
      } else if (!IsDayName(w)) {
        return false;
      }
    } else if (token.kind == Token::Kind::Colon) {
      return false;
    }
  }
  return true;
}

// Two-digit years fall in 1950-2049, the platform's default window.
int WidenYear(long long year, int digits) {
  if (digits <= 2) return static_cast<int>(year < 50 ? 2000 + year : 1900 + year);
  return static_cast<int>(year);
}

bool LooksLikeYear(long long number, int digits) { return digits >= 3 || number > 31; }

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  return parts.tm_year + 1900;
}

bool ResolveDate(const Parsed& parsed, CivilDate* date, bool* hasDate) {
  const auto& n = parsed.dateNumbers;
  const auto& d = parsed.dateDigits;
  *hasDate = true;
  if (parsed.month != 0 && n.size() == 2) {
    // "December 9, 2026", "9 December 2026", "2026 December 9".
    if (d[0] >= 3) {
      *date = {WidenYear(n[0], d[0]), parsed.month, static_cast<int>(n[1])};
    } else {
      *date = {WidenYear(n[1], d[1]), parsed.month, static_cast<int>(n[0])};
    }
  } else if (parsed.month != 0 && n.size() == 1) {
    // "Dec 2026" is its first day; "9 December" is in the current year.
    if (LooksLikeYear(n[0], d[0])) {
      *date = {WidenYear(n[0], d[0]), parsed.month, 1};
    } else {
      *date = {CurrentYear(), parsed.month, static_cast<int>(n[0])};
    }
  } else if (parsed.month != 0) {
    return false;
  } else if (n.size() == 3) {
    if (d[0] >= 3) {
      *date = {WidenYear(n[0], d[0]), static_cast<int>(n[1]), static_cast<int>(n[2])};
    } else {
      *date = {WidenYear(n[2], d[2]), static_cast<int>(n[0]), static_cast<int>(n[1])};
    }
  } else if (n.size() == 2) {
    // "12/2026" and "2026/12" are the month's first day; "12/9" is in the current year.
    if (LooksLikeYear(n[0], d[0])) {
      *date = {WidenYear(n[0], d[0]), static_cast<int>(n[1]), 1};
    } else if (LooksLikeYear(n[1], d[1])) {
      *date = {WidenYear(n[1], d[1]), static_cast<int>(n[0]), 1};
    } else {
      *date = {CurrentYear(), static_cast<int>(n[0]), static_cast<int>(n[1])};
    }
  } else if (n.empty()) {
    *hasDate = false;
    *date = {1899, 12, 30};
    return parsed.hasTime;
  } else {
    return false;
  }
  // A month past 12 that could be the day is read as the day: "13/1/2026" is 13 January.
  if (date->month > 12 && date->day >= 1 && date->day <= 12) std::swap(date->month, date->day);
  return date->year >= 100 && date->year <= 9999 && date->month >= 1 && date->month <= 12 &&
         date->day >= 1 && date->day <= DaysInMonth(date->year, date->month);
}

bool ResolveTime(const Parsed& parsed, double* fraction) {
  *fraction = 0.0;
  if (!parsed.hasTime) return true;
  long long hour = parsed.hour;
  // "12 AM" is midnight and "1 PM" 13:00; an hour past noon keeps its value ("13 PM").
  if (parsed.meridiem == 1 && hour == 12) hour = 0;
  if (parsed.meridiem == 2 && hour < 12) hour += 12;
  if (hour > 23 || parsed.minute > 59 || parsed.second > 59) return false;
  *fraction = static_cast<double>(hour * 3600 + parsed.minute * 60 + parsed.second) / 86400.0;
  return true;
}

}  // namespace

bool IsDateInRange(double value) { return value > kMinDate - 1.0 && value < kMaxDate + 1.0; }

std::wstring FormatDateText(DATE value) {
  const double whole = value < 0.0 ? std::ceil(value) : std::floor(value);
  const double fraction = std::fabs(value - whole);
  long long days = static_cast<long long>(whole);
  // What to show is decided before the seconds are rounded, so a time just short of midnight
  // still shows ("12/10/2026 12:00:00 AM").
  const bool showDate = days != 0;
  const bool showTime = fraction != 0.0 || !showDate;
  long long seconds = std::llround(fraction * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += value < 0.0 ? -1 : 1;
  }
  const CivilDate date = CivilFromDays(days);

  wchar_t buffer[64] = {};
  int length = 0;
  if (showDate) {
    length = std::swprintf(buffer, 64, L"%d/%d/%d", date.month, date.day, date.year);
  }
  if (showTime) {
    const long long hour = seconds / 3600;
    const long long hour12 = hour % 12 == 0 ? 12 : hour % 12;
    length += std::swprintf(buffer + length, static_cast<std::size_t>(64 - length),
                            L"%ls%lld:%02lld:%02lld %ls", showDate ? L" " : L"", hour12,
                            (seconds / 60) % 60, seconds % 60, hour < 12 ? L"AM" : L"PM");
  }
  return std::wstring(buffer, static_cast<std::size_t>(length));
}

HRESULT ParseDateText(std::wstring_view text, DATE* value) {
  std::vector<Token> tokens;
  Parsed parsed;
  CivilDate date{};
  bool hasDate = false;
  double fraction = 0.0;
  if (!Tokenize(text, &tokens) || !Classify(tokens, &parsed) ||
      !ResolveDate(parsed, &date, &hasDate) || !ResolveTime(parsed, &fraction)) {
    return DISP_E_TYPEMISMATCH;
  }
  const double days = static_cast<double>(DaysFromCivil(date));
  *value = days >= 0.0 ? days + fraction : days - fraction;
  return S_OK;
}

}  // namespace stand_in
