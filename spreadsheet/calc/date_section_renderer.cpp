// Dates, times and elapsed durations of a number format section.
#include "spreadsheet/calc/date_section_renderer.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "spreadsheet/calc/display_decimal.h"
#include "spreadsheet/calc/excel_date.h"

namespace spreadsheet {
namespace {

constexpr std::array<std::wstring_view, 12> kMonths = {
    L"January", L"February", L"March",     L"April",   L"May",      L"June",
    L"July",    L"August",   L"September", L"October", L"November", L"December"};
constexpr std::array<std::wstring_view, 7> kWeekdays = {
    L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"};

void AppendNumber(std::int64_t value, int minDigits, std::wstring& out) {
  AppendDigits(value, minDigits, out);
}

// "AM/PM" shows its first or second half as written; "A/P" likewise.
void AppendAmPm(std::wstring_view written, bool afternoon, std::wstring& out) {
  const std::size_t slash = written.find(L'/');
  out += afternoon ? written.substr(slash + 1) : written.substr(0, slash);
}

// Durations past this many seconds would overflow the count of thousandths kept.
constexpr double kMaxElapsedSeconds = 9e12;

// A section of durations alone: days need no calendar, so any number of them shows.
bool RenderDuration(const FormatSection& section, double days, std::wstring& out) {
  const double seconds = days * 86400.0;
  if (!std::isfinite(seconds) || seconds > kMaxElapsedSeconds) return false;
  std::int64_t unitsPerSecond = 1;
  for (int i = 0; i < section.secondDigits; ++i) unitsPerSecond *= 10;
  const std::int64_t units = std::llround(seconds * static_cast<double>(unitsPerSecond));
  const std::int64_t total = units / unitsPerSecond;
  const auto millisecond = (units % unitsPerSecond) * (1000 / unitsPerSecond);
  for (const auto& token : section.tokens) {
    switch (token.kind) {
      case FormatTokenKind::Literal:
        out += token.text;
        break;
      case FormatTokenKind::ElapsedHours:
        AppendNumber(total / 3600, token.count, out);
        break;
      case FormatTokenKind::ElapsedMinutes:
        AppendNumber(total / 60, token.count, out);
        break;
      case FormatTokenKind::ElapsedSeconds:
        AppendNumber(total, token.count, out);
        break;
      case FormatTokenKind::Minute:
        AppendNumber(total / 60 % 60, token.count >= 2 ? 2 : 1, out);
        break;
      case FormatTokenKind::Second:
        AppendNumber(total % 60, token.count >= 2 ? 2 : 1, out);
        break;
      case FormatTokenKind::SecondFraction: {
        out += L'.';
        std::wstring thousandths;
        AppendNumber(millisecond, 3, thousandths);
        out += thousandths.substr(0, static_cast<std::size_t>(token.count));
        break;
      }
      default:
        break;
    }
  }
  return true;
}

}  // namespace

bool RenderDateSection(const FormatSection& section, double serial, bool date1904,
                       std::wstring& out) {
  if (section.elapsedOnly) return RenderDuration(section, serial, out);
  const auto date = SerialToDate(serial, date1904, section.secondDigits);
  if (!date) return false;

  // Elapsed totals and the weekday follow the rounded date, which may be the next day.
  const auto day = static_cast<std::int64_t>(
      DateToSerial(date->year, date->month, date->day, date1904).value_or(0.0));
  const std::int64_t totalSeconds = day * 86400 + std::int64_t{date->hour} * 3600 +
                                    std::int64_t{date->minute} * 60 + date->second;

  for (const auto& token : section.tokens) {
    const int count = token.count;
    switch (token.kind) {
      case FormatTokenKind::Literal:
        out += token.text;
        break;
      case FormatTokenKind::Year:
        if (count <= 2) {
          AppendNumber(date->year % 100, 2, out);
        } else {
          AppendNumber(date->year, 4, out);
        }
        break;
      case FormatTokenKind::Month: {
        const std::wstring_view name = kMonths[static_cast<std::size_t>(date->month - 1)];
        if (count <= 2) {
          AppendNumber(date->month, count, out);
        } else if (count == 3) {
          out += name.substr(0, 3);
        } else if (count == 5) {
          out += name.substr(0, 1);
        } else {
          out += name;
        }
        break;
      }
      case FormatTokenKind::Day:
        if (count <= 2) {
          AppendNumber(date->day, count, out);
        } else {
          const std::wstring_view name =
              kWeekdays[static_cast<std::size_t>(GetWeekday(static_cast<double>(day), date1904))];
          out += count == 3 ? name.substr(0, 3) : name;
        }
        break;
      case FormatTokenKind::Hour: {
        int hour = date->hour;
        if (section.twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
        AppendNumber(hour, count >= 2 ? 2 : 1, out);
        break;
      }
      case FormatTokenKind::Minute:
        AppendNumber(date->minute, count >= 2 ? 2 : 1, out);
        break;
      case FormatTokenKind::Second:
        AppendNumber(date->second, count >= 2 ? 2 : 1, out);
        break;
      case FormatTokenKind::ElapsedHours:
        AppendNumber(totalSeconds / 3600, count, out);
        break;
      case FormatTokenKind::ElapsedMinutes:
        AppendNumber(totalSeconds / 60, count, out);
        break;
      case FormatTokenKind::ElapsedSeconds:
        AppendNumber(totalSeconds, count, out);
        break;
      case FormatTokenKind::AmPm:
        AppendAmPm(token.text, date->hour >= 12, out);
        break;
      case FormatTokenKind::SecondFraction: {
        out += L'.';
        std::wstring thousandths;
        AppendNumber(date->millisecond, 3, thousandths);
        out += thousandths.substr(0, static_cast<std::size_t>(count));
        break;
      }
      default:
        break;
    }
  }
  return true;
}

}  // namespace spreadsheet
