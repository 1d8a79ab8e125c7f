// ISO 8601 text to serial dates.
#include "spreadsheet/xlsx/reader_date_time.h"

#include <charconv>
#include <cstdint>

#include "platform/char_class.h"

namespace spreadsheet {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool ReadNumber(std::string_view& text, std::size_t digits, int& value) {
  if (text.size() < digits) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + digits, value);
  if (error != std::errc() || end != text.data() + digits) return false;
  text.remove_prefix(digits);
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

std::optional<double> ParseTime(std::string_view text) {
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!ReadNumber(text, 2, hour) || !Expect(text, ':') || !ReadNumber(text, 2, minute)) {
    return std::nullopt;
  }
  double fraction = 0.0;
  if (Expect(text, ':')) {
    if (!ReadNumber(text, 2, second)) return std::nullopt;
    if (!text.empty() && text.front() == '.') {
      text.remove_prefix(1);
      double scale = 0.1;
      while (!text.empty() && IsAsciiDigit(text.front())) {
        fraction += (text.front() - '0') * scale;
        scale /= 10.0;
        text.remove_prefix(1);
      }
    }
  }
  if (text == "Z") text.remove_prefix(1);
  if (!text.empty() || hour > 24 || minute > 59 || second > 60) return std::nullopt;
  return (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
}

}  // namespace

std::optional<double> ParseIsoDateTime(std::string_view text, bool date1904) {
  if (text.size() >= 3 && text[2] == ':') return ParseTime(text);
  int year = 0;
  int month = 0;
  int day = 0;
  if (!ReadNumber(text, 4, year) || !Expect(text, '-') || !ReadNumber(text, 2, month) ||
      !Expect(text, '-') || !ReadNumber(text, 2, day) || month < 1 || month > 12 || day < 1 ||
      day > 31) {
    return std::nullopt;
  }
  double time = 0.0;
  if (Expect(text, 'T')) {
    const auto parsed = ParseTime(text);
    if (!parsed) return std::nullopt;
    time = *parsed;
  } else if (!text.empty()) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(year, month, day);
  std::int64_t serial = 0;
  if (date1904) {
    serial = days - DaysFromCivil(1904, 1, 1);
  } else {
    serial = days - DaysFromCivil(1899, 12, 30);
    // Excel counts a 29 February 1900 that never was: dates before 1 March 1900 sit one lower.
    if (serial < 61) --serial;
  }
  if (serial < 0) return std::nullopt;
  return static_cast<double>(serial) + time;
}

}  // namespace spreadsheet
