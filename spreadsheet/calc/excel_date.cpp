// Conversions between Excel's date serials and calendar dates.
#include "spreadsheet/calc/excel_date.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace spreadsheet {
namespace {

// Days from 1 January 1970 in the proleptic Gregorian calendar (H. Hinnant's algorithm), valid
// for any year the callers pass (they stay within a few million years).
constexpr std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, ExcelDate& date) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
}

constexpr std::int64_t kDay0Of1900 = DaysFromCivil(1899, 12, 31);  // Real day before day 1.
constexpr std::int64_t kDay0Of1904 = DaysFromCivil(1904, 1, 1);
constexpr std::int64_t kFirstMarch1900 = 61;  // The first serial the real calendar agrees with.

// Arguments beyond these cannot name a day before 10000 whatever the others are (the largest
// serial is under 3 million days, 100 thousand months); refusing them keeps the arithmetic far
// from overflow.
constexpr std::int64_t kMaxYearArgument = 10'000'000;
constexpr std::int64_t kMaxMonthArgument = 1'000'000'000;
constexpr std::int64_t kMaxDayArgument = 10'000'000'000;

double MaxSerial(bool date1904) {
  return date1904 ? kMaxSerial1904 : kMaxSerial1900;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

std::optional<ExcelDate> SerialToDate(double serial, bool date1904, int secondDigits) {
  if (!std::isfinite(serial) || serial < 0.0 || serial >= MaxSerial(date1904) + 1.0) {
    return std::nullopt;
  }
  secondDigits = std::clamp(secondDigits, 0, 3);
  std::int64_t unitsPerSecond = 1;
  for (int i = 0; i < secondDigits; ++i) unitsPerSecond *= 10;
  const std::int64_t unitsPerDay = 86400 * unitsPerSecond;

  auto day = static_cast<std::int64_t>(std::floor(serial));
  const double fraction = serial - static_cast<double>(day);
  auto units = static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(unitsPerDay)));
  if (units >= unitsPerDay) {
    ++day;
    units -= unitsPerDay;
  }
  if (static_cast<double>(day) > MaxSerial(date1904)) return std::nullopt;

  ExcelDate date;
  const std::int64_t seconds = units / unitsPerSecond;
  date.millisecond = static_cast<int>((units % unitsPerSecond) * (1000 / unitsPerSecond));
  date.hour = static_cast<int>(seconds / 3600);
  date.minute = static_cast<int>(seconds / 60 % 60);
  date.second = static_cast<int>(seconds % 60);

  if (date1904) {
    CivilFromDays(kDay0Of1904 + day, date);
  } else if (day == 0) {
    date.year = 1900, date.month = 1, date.day = 0;
  } else if (day < kFirstMarch1900) {
    date.year = 1900;
    date.month = day <= 31 ? 1 : 2;
    date.day = static_cast<int>(day <= 31 ? day : day - 31);
  } else {
    CivilFromDays(kDay0Of1900 + day - 1, date);
  }
  return date;
}

std::optional<double> DateToSerial(std::int64_t year, std::int64_t month, std::int64_t day,
                                   bool date1904) {
  if (std::abs(year) > kMaxYearArgument || std::abs(month) > kMaxMonthArgument ||
      std::abs(day) > kMaxDayArgument) {
    return std::nullopt;
  }
  year += FloorDiv(month - 1, 12);
  month = month - 1 - FloorDiv(month - 1, 12) * 12 + 1;

  std::int64_t firstOfMonth = 0;
  if (date1904) {
    firstOfMonth = DaysFromCivil(year, month, 1) - kDay0Of1904;
  } else if (year == 1900 && month <= 2) {
    firstOfMonth = month == 1 ? 1 : 32;
  } else {
    firstOfMonth = DaysFromCivil(year, month, 1) - kDay0Of1900;
    // From March 1900 on, the invented leap day pushes every serial one further.
    if (year >= 1900) ++firstOfMonth;
  }
  const std::int64_t serial = firstOfMonth + day - 1;
  if (serial < 0 || static_cast<double>(serial) > MaxSerial(date1904)) return std::nullopt;
  return static_cast<double>(serial);
}

double TimeToSerial(double hour, double minute, double second) {
  return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

int GetWeekday(double serial, bool date1904) {
  if (!std::isfinite(serial)) return 0;
  // Serial 0 of the 1904 system is day 1462 of the 1900 system; serial 1 of 1900 is a Sunday.
  const double day = std::floor(serial) + (date1904 ? 1462.0 : 0.0) + 6.0;
  const double weekday = std::fmod(day, 7.0);
  return static_cast<int>(weekday < 0.0 ? weekday + 7.0 : weekday);
}

}  // namespace spreadsheet
