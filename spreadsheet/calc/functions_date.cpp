// Worksheet functions: date.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "spreadsheet/calc/cell_entry.h"
#include "spreadsheet/calc/excel_date.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

using Args = std::span<const EvalValue>;

double MaxSerial(const CFunctionContext& context) {
  return context.Date1904() ? kMaxSerial1904 : kMaxSerial1900;
}

// Text read as typed into a cell of this workbook, so "1/2/2020" lands in its date system.
std::optional<EvalValue> ParseTypedNumber(const std::wstring& text, const CFunctionContext& context,
                                          double& out, std::uint32_t* format = nullptr) {
  static const std::int32_t year = CurrentYear();
  const CellEntry entry = ParseCellEntry(text, context.Date1904(), year);
  if (entry.kind != CellEntry::Kind::Constant || entry.value.Kind() != ValueKind::Number) {
    return Error(ErrorCode::Value);
  }
  out = entry.value.AsNumber();
  if (format) *format = entry.numberFormat;
  return std::nullopt;
}

// A number argument; `refuseBoolean` is the rule of the functions that came from the Analysis
// ToolPak (EDATE, YEARFRAC, WORKDAY ...), which answer #VALUE! for TRUE and FALSE.
std::optional<EvalValue> GetDateNumber(const EvalValue& value, const CFunctionContext& context,
                                       double& out, bool refuseBoolean = false) {
  if (value.IsText() && !value.AsText().empty()) {
    return ParseTypedNumber(value.AsText(), context, out);
  }
  if (refuseBoolean && value.IsBoolean()) return Error(ErrorCode::Value);
  return GetNumber(value, out);
}

// A date argument: truncated to its day and within the workbook's calendar, else #NUM!.
std::optional<EvalValue> GetSerial(const EvalValue& value, const CFunctionContext& context,
                                   double& out, bool refuseBoolean = false) {
  if (auto error = GetDateNumber(value, context, out, refuseBoolean)) return error;
  out = std::floor(out);
  if (out < 0.0 || out > MaxSerial(context)) return Error(ErrorCode::Num);
  return std::nullopt;
}

// A date argument with its time kept.
std::optional<EvalValue> GetMoment(const EvalValue& value, const CFunctionContext& context,
                                   double& out) {
  if (auto error = GetDateNumber(value, context, out)) return error;
  if (out < 0.0 || out >= MaxSerial(context) + 1.0) return Error(ErrorCode::Num);
  return std::nullopt;
}

std::optional<EvalValue> GetTruncated(const EvalValue& value, const CFunctionContext& context,
                                      double& out, bool refuseBoolean = false) {
  if (auto error = GetDateNumber(value, context, out, refuseBoolean)) return error;
  out = std::trunc(out);
  return std::nullopt;
}

// The serial's calendar date; the callers have checked the serial's range.
ExcelDate DateOf(double serial, const CFunctionContext& context) {
  return SerialToDate(std::floor(serial), context.Date1904(), 0).value_or(ExcelDate{});
}

EvalValue SerialResult(std::optional<double> serial, const CFunctionContext& context) {
  if (!serial || *serial < 0.0 || *serial > MaxSerial(context)) return Error(ErrorCode::Num);
  return NumberResult(*serial);
}

std::optional<double> Serial(std::int64_t year, std::int64_t month, std::int64_t day,
                             const CFunctionContext& context) {
  return DateToSerial(year, month, day, context.Date1904());
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days in a month as the workbook's calendar has them (February 1900 has 29 in the 1900 system).
int DaysInMonth(int year, int month, const CFunctionContext& context) {
  const auto first = Serial(year, month, 1, context);
  const auto next = Serial(year, month + 1, 1, context);
  if (first && next) return static_cast<int>(*next - *first);
  // Months at the ends of the calendar.
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// --- Building dates and times ----------------------------------------------------------------

EvalValue Date(Args args, CFunctionContext& context) {
  double parts[3];
  for (std::size_t i = 0; i < 3; ++i) {
    if (auto error = GetTruncated(args[i], context, parts[i])) return *error;
  }
  double year = parts[0];
  if (year < 0.0 || year >= 10000.0) return Error(ErrorCode::Num);
  if (year < 1900.0) year += 1900.0;
  // Months and days far beyond any calendar only ever give #NUM!; keep them within int64.
  if (std::fabs(parts[1]) > 1e12 || std::fabs(parts[2]) > 1e12) return Error(ErrorCode::Num);
  return SerialResult(Serial(static_cast<std::int64_t>(year), static_cast<std::int64_t>(parts[1]),
                             static_cast<std::int64_t>(parts[2]), context),
                      context);
}

EvalValue Time(Args args, CFunctionContext& context) {
  double parts[3];
  for (std::size_t i = 0; i < 3; ++i) {
    if (auto error = GetTruncated(args[i], context, parts[i])) return *error;
    if (parts[i] > 32767.0) return Error(ErrorCode::Num);
  }
  const double seconds = parts[0] * 3600.0 + parts[1] * 60.0 + parts[2];
  if (seconds < 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::fmod(seconds, 86400.0) / 86400.0);
}

bool IsDateOrTimeFormat(std::uint32_t format) {
  return (format >= 14 && format <= 22) || (format >= 45 && format <= 47);
}

// DATEVALUE and TIMEVALUE read text only, and only text that reads as a date or a time.
std::optional<EvalValue> GetTypedDateTime(const EvalValue& value, const CFunctionContext& context,
                                          double& out) {
  if (value.IsError()) return value;
  if (!value.IsText()) return Error(ErrorCode::Value);
  std::uint32_t format = 0;
  if (auto error = ParseTypedNumber(value.AsText(), context, out, &format)) return error;
  if (!IsDateOrTimeFormat(format) || out < 0.0) return Error(ErrorCode::Value);
  return std::nullopt;
}

EvalValue DateValue(Args args, CFunctionContext& context) {
  double serial = 0.0;
  if (auto error = GetTypedDateTime(args[0], context, serial)) return *error;
  return NumberResult(std::floor(serial));
}

EvalValue TimeValue(Args args, CFunctionContext& context) {
  double serial = 0.0;
  if (auto error = GetTypedDateTime(args[0], context, serial)) return *error;
  return NumberResult(serial - std::floor(serial));
}

// --- Taking dates apart ------------------------------------------------------------------------

enum class Part : std::uint8_t { Year, Month, Day, Hour, Minute, Second };

EvalValue DatePart(Args args, CFunctionContext& context, Part part) {
  double serial = 0.0;
  if (auto error = GetMoment(args[0], context, serial)) return *error;
  // Times are rounded to the nearest second, which may carry into the next day.
  const auto date = SerialToDate(serial, context.Date1904(), 0);
  if (!date) return Error(ErrorCode::Num);
  switch (part) {
    case Part::Year:
      return NumberResult(date->year);
    case Part::Month:
      return NumberResult(date->month);
    case Part::Day:
      return NumberResult(date->day);
    case Part::Hour:
      return NumberResult(date->hour);
    case Part::Minute:
      return NumberResult(date->minute);
    case Part::Second:
      return NumberResult(date->second);
  }
  return Error(ErrorCode::Value);
}

EvalValue Year(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Year);
}
EvalValue Month(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Month);
}
EvalValue Day(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Day);
}
EvalValue Hour(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Hour);
}
EvalValue Minute(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Minute);
}
EvalValue Second(Args args, CFunctionContext& context) {
  return DatePart(args, context, Part::Second);
}

// The first day of the week a WEEKDAY or WEEKNUM return type counts from (0 Sunday - 6
// Saturday), or nothing for a type the function does not know.
std::optional<int> WeekStart(std::int64_t type) {
  if (type == 1) return 0;
  if (type == 2) return 1;
  if (type >= 11 && type <= 17) return static_cast<int>((type - 10) % 7);
  return std::nullopt;
}

EvalValue Weekday(Args args, CFunctionContext& context) {
  double serial = 0.0;
  if (auto error = GetSerial(args[0], context, serial)) return *error;
  std::int64_t type = 1;
  if (args.size() > 1 && !args[1].IsEmpty()) {
    double number = 0.0;
    if (auto error = GetTruncated(args[1], context, number)) return *error;
    type = static_cast<std::int64_t>(std::clamp(number, -1.0, 100.0));
  }
  const int weekday = GetWeekday(serial, context.Date1904());
  if (type == 3) return NumberResult((weekday + 6) % 7);
  const auto start = WeekStart(type);
  if (!start) return Error(ErrorCode::Num);
  return NumberResult((weekday - *start + 7) % 7 + 1);
}

double FloorDiv7(double value) {
  return std::floor(value / 7.0);
}

// The ISO week: the week (from Monday) belongs to the year its Thursday falls in.
EvalValue IsoWeekOf(double serial, const CFunctionContext& context) {
  const int isoWeekday = (GetWeekday(serial, context.Date1904()) + 6) % 7;  // Monday 0.
  const double thursday = serial - isoWeekday + 3;
  double jan1 = 0.0;
  if (thursday < (context.Date1904() ? 0.0 : 1.0)) {
    // Before the calendar's first day: the week of 1899 or 1903, both of 365 days.
    jan1 = (context.Date1904() ? 0.0 : 1.0) - 365.0;
  } else {
    const ExcelDate date = DateOf(thursday, context);
    jan1 = Serial(date.year, 1, 1, context).value_or(0.0);
  }
  return NumberResult(FloorDiv7(thursday - jan1) + 1.0);
}

EvalValue IsoWeekNum(Args args, CFunctionContext& context) {
  double serial = 0.0;
  if (auto error = GetSerial(args[0], context, serial)) return *error;
  return IsoWeekOf(serial, context);
}

EvalValue WeekNum(Args args, CFunctionContext& context) {
  double serial = 0.0;
  if (auto error = GetSerial(args[0], context, serial)) return *error;
  std::int64_t type = 1;
  if (args.size() > 1 && !args[1].IsEmpty()) {
    double number = 0.0;
    if (auto error = GetTruncated(args[1], context, number)) return *error;
    type = static_cast<std::int64_t>(std::clamp(number, -1.0, 100.0));
  }
  if (type == 21) return IsoWeekOf(serial, context);
  const auto start = WeekStart(type);
  if (!start) return Error(ErrorCode::Num);
  // Week 1 is the one holding 1 January (serial 0 of 1900, "January 0", falls in week 0).
  const double jan1 = Serial(DateOf(serial, context).year, 1, 1, context).value_or(0.0);
  const int offset = (GetWeekday(jan1, context.Date1904()) - *start + 7) % 7;
  return NumberResult(FloorDiv7(serial - jan1 + offset) + 1.0);
}

// --- Date arithmetic ---------------------------------------------------------------------------

EvalValue MonthsLater(Args args, CFunctionContext& context, bool endOfMonth) {
  double start = 0.0;
  double months = 0.0;
  if (auto error = GetSerial(args[0], context, start, true)) return *error;
  if (auto error = GetTruncated(args[1], context, months, true)) return *error;
  if (std::fabs(months) > 1e6) return Error(ErrorCode::Num);
  const ExcelDate date = DateOf(start, context);
  const auto shift = static_cast<std::int64_t>(months);
  const std::int64_t total = date.year * 12LL + (date.month - 1) + shift;
  const auto year = static_cast<int>(total >= 0 ? total / 12 : (total - 11) / 12);
  const auto month = static_cast<int>(total - year * 12LL + 1);
  // Day 0 of 1900 has no month before it.
  if (year < 1900 || year > 9999) return Error(ErrorCode::Num);
  // EDATE keeps the day of the month, or takes the last day when the month is shorter.
  const int last = DaysInMonth(year, month, context);
  const int day = endOfMonth ? last : std::min(date.day, last);
  return SerialResult(Serial(year, month, day, context), context);
}

EvalValue EDate(Args args, CFunctionContext& context) {
  return MonthsLater(args, context, false);
}
EvalValue EOMonth(Args args, CFunctionContext& context) {
  return MonthsLater(args, context, true);
}

EvalValue Days(Args args, CFunctionContext& context) {
  double end = 0.0;
  double start = 0.0;
  if (auto error = GetSerial(args[0], context, end)) return *error;
  if (auto error = GetSerial(args[1], context, start)) return *error;
  return NumberResult(end - start);
}

EvalValue Days360(Args args, CFunctionContext& context) {
  double start = 0.0;
  double end = 0.0;
  if (auto error = GetSerial(args[0], context, start)) return *error;
  if (auto error = GetSerial(args[1], context, end)) return *error;
  bool european = false;
  if (args.size() > 2) {
    if (auto error = GetBoolean(args[2], european)) return *error;
  }
  const ExcelDate a = DateOf(start, context);
  const ExcelDate b = DateOf(end, context);
  int d1 = a.day;
  int d2 = b.day;
  if (european) {
    d1 = std::min(d1, 30);
    d2 = std::min(d2, 30);
  } else {
    // The US method makes the last day of February the 30th only for the start date.
    if (d1 == 31 || (a.month == 2 && d1 == DaysInMonth(a.year, 2, context))) d1 = 30;
    if (d2 == 31 && d1 == 30) d2 = 30;
  }
  return NumberResult((b.year - a.year) * 360.0 + (b.month - a.month) * 30.0 + (d2 - d1));
}

EvalValue DateDif(Args args, CFunctionContext& context) {
  double start = 0.0;
  double end = 0.0;
  if (auto error = GetSerial(args[0], context, start)) return *error;
  if (auto error = GetSerial(args[1], context, end)) return *error;
  std::wstring unit;
  if (auto error = GetText(args[2], unit)) return *error;
  if (start > end) return Error(ErrorCode::Num);
  unit = ToUpper(unit);
  const ExcelDate a = DateOf(start, context);
  const ExcelDate b = DateOf(end, context);
  const bool dayBefore = b.day < a.day;
  const bool monthDayBefore = b.month < a.month || (b.month == a.month && dayBefore);
  if (unit == L"D") return NumberResult(end - start);
  if (unit == L"Y") return NumberResult(b.year - a.year - (monthDayBefore ? 1 : 0));
  if (unit == L"M") {
    return NumberResult((b.year - a.year) * 12 + b.month - a.month - (dayBefore ? 1 : 0));
  }
  if (unit == L"YM") return NumberResult((b.month - a.month - (dayBefore ? 1 : 0) + 24) % 12);
  if (unit == L"MD") {
    // Excel counts from the start's day in the end's month or the one before, letting that day
    // overflow a short month; hence its negative answers after 31 January.
    const auto from = Serial(b.year, b.month - (dayBefore ? 1 : 0), a.day, context);
    if (!from) return Error(ErrorCode::Num);
    return NumberResult(end - *from);
  }
  if (unit == L"YD") {
    auto from = Serial(b.year, a.month, a.day, context);
    if (!from || *from > end) from = Serial(b.year - 1, a.month, a.day, context);
    if (!from) return Error(ErrorCode::Num);
    return NumberResult(end - *from);
  }
  return Error(ErrorCode::Num);
}

// --- YEARFRAC ----------------------------------------------------------------------------------

double Days30(const ExcelDate& a, int d1, const ExcelDate& b, int d2) {
  return (b.year - a.year) * 360.0 + (b.month - a.month) * 30.0 + (d2 - d1);
}

bool IsLastOfFebruary(const ExcelDate& date, const CFunctionContext& context) {
  return date.month == 2 && date.day == DaysInMonth(date.year, 2, context);
}

double YearFracUs30(const ExcelDate& a, const ExcelDate& b, const CFunctionContext& context) {
  int d1 = a.day;
  int d2 = b.day;
  if (d1 == 31 && d2 == 31) {
    d1 = d2 = 30;
  } else if (d1 == 31) {
    d1 = 30;
  } else if (d1 == 30 && d2 == 31) {
    d2 = 30;
  } else if (IsLastOfFebruary(a, context) && IsLastOfFebruary(b, context)) {
    d1 = d2 = 30;
  } else if (IsLastOfFebruary(a, context)) {
    d1 = 30;
  }
  return Days30(a, d1, b, d2) / 360.0;
}

// Actual/actual: spans within a year take that year's length (366 when a 29 February lies in
// them), longer spans the average length of the calendar years they touch.
double YearFracActual(double start, double end, const ExcelDate& a, const ExcelDate& b,
                      const CFunctionContext& context) {
  if (start == end) return 0.0;
  const bool withinAYear =
      a.year == b.year ||
      (b.year == a.year + 1 && (a.month > b.month || (a.month == b.month && a.day >= b.day)));
  double yearDays = 365.0;
  if (withinAYear) {
    if (a.year == b.year) {
      if (IsLeapYear(a.year)) yearDays = 366.0;
    } else {
      const double march1Start = Serial(a.year, 3, 1, context).value_or(0.0);
      const double march1End = Serial(b.year, 3, 1, context).value_or(0.0);
      if ((IsLeapYear(a.year) && start < march1Start) || (IsLeapYear(b.year) && end >= march1End) ||
          (b.month == 2 && b.day == 29)) {
        yearDays = 366.0;
      }
    }
  } else {
    const double first = Serial(a.year, 1, 1, context).value_or(0.0);
    // 1 January 10000 is past the calendar; 9999 has 365 days.
    const double last =
        b.year >= 9999 ? MaxSerial(context) + 1.0 : Serial(b.year + 1, 1, 1, context).value_or(0.0);
    yearDays = (last - first) / (b.year - a.year + 1);
  }
  return (end - start) / yearDays;
}

EvalValue YearFrac(Args args, CFunctionContext& context) {
  // Excel looks at the basis before the dates: a bad basis wins over a bad date.
  double basis = 0.0;
  if (args.size() > 2) {
    if (auto error = GetTruncated(args[2], context, basis, true)) return *error;
  }
  if (basis < 0.0 || basis > 4.0) return Error(ErrorCode::Num);
  double start = 0.0;
  double end = 0.0;
  if (auto error = GetSerial(args[0], context, start, true)) return *error;
  if (auto error = GetSerial(args[1], context, end, true)) return *error;
  if (start > end) std::swap(start, end);
  const ExcelDate a = DateOf(start, context);
  const ExcelDate b = DateOf(end, context);
  switch (static_cast<int>(basis)) {
    case 0:
      return NumberResult(YearFracUs30(a, b, context));
    case 1:
      return NumberResult(YearFracActual(start, end, a, b, context));
    case 2:
      return NumberResult((end - start) / 360.0);
    case 3:
      return NumberResult((end - start) / 365.0);
    default:
      return NumberResult(Days30(a, std::min(a.day, 30), b, std::min(b.day, 30)) / 360.0);
  }
}

// --- Working days ------------------------------------------------------------------------------

// Weekend days indexed by weekday, 0 Sunday.
using Weekend = std::array<bool, 7>;

std::optional<EvalValue> GetWeekend(Args args, std::size_t index, const CFunctionContext& context,
                                    Weekend& out) {
  out.fill(false);
  if (args.size() <= index || args[index].IsEmpty()) {
    out[0] = out[6] = true;
    return std::nullopt;
  }
  const EvalValue& value = args[index];
  if (value.IsError()) return value;
  if (value.IsText()) {
    // Seven 0s and 1s from Monday; a week with no working day is refused.
    const std::wstring& mask = value.AsText();
    if (mask.size() != 7 || mask == L"1111111") return Error(ErrorCode::Value);
    for (std::size_t i = 0; i < 7; ++i) {
      if (mask[i] != L'0' && mask[i] != L'1') return Error(ErrorCode::Value);
      out[(i + 1) % 7] = mask[i] == L'1';
    }
    return std::nullopt;
  }
  double code = 0.0;
  if (auto error = GetTruncated(value, context, code, true)) return error;
  if (code >= 1.0 && code <= 7.0) {
    const auto n = static_cast<std::size_t>(code);
    out[(n + 5) % 7] = out[(n + 6) % 7] = true;
  } else if (code >= 11.0 && code <= 17.0) {
    out[static_cast<std::size_t>(code) - 11] = true;
  } else {
    return Error(ErrorCode::Num);
  }
  return std::nullopt;
}

bool IsWorkday(double serial, const Weekend& weekend, const CFunctionContext& context) {
  return !weekend[static_cast<std::size_t>(GetWeekday(serial, context.Date1904()))];
}

// The holidays that fall on working days, sorted, each once.
std::optional<EvalValue> GetHolidays(Args args, std::size_t index, const Weekend& weekend,
                                     CFunctionContext& context, std::vector<double>& out) {
  if (args.size() <= index) return std::nullopt;
  std::optional<EvalValue> error;
  ForEachValue(args[index], context, [&](const EvalValue& value, ValueSource) {
    if (value.IsEmpty()) return true;
    double serial = 0.0;
    if (auto bad = GetSerial(value, context, serial, true)) {
      error = *bad;
      return false;
    }
    if (IsWorkday(serial, weekend, context)) out.push_back(serial);
    return true;
  });
  if (error) return error;
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return std::nullopt;
}

// Holidays in [from, to].
double HolidaysBetween(const std::vector<double>& holidays, double from, double to) {
  const auto first = std::lower_bound(holidays.begin(), holidays.end(), from);
  const auto last = std::upper_bound(holidays.begin(), holidays.end(), to);
  return last > first ? static_cast<double>(last - first) : 0.0;
}

bool IsHoliday(const std::vector<double>& holidays, double serial) {
  return std::binary_search(holidays.begin(), holidays.end(), serial);
}

EvalValue NetworkDaysWith(Args args, CFunctionContext& context, std::size_t weekendIndex,
                          std::size_t holidaysIndex) {
  double start = 0.0;
  double end = 0.0;
  if (auto error = GetSerial(args[0], context, start, true)) return *error;
  if (auto error = GetSerial(args[1], context, end, true)) return *error;
  Weekend weekend;
  if (auto error = GetWeekend(args, weekendIndex, context, weekend)) return *error;
  std::vector<double> holidays;
  if (auto error = GetHolidays(args, holidaysIndex, weekend, context, holidays)) return *error;
  const double sign = start > end ? -1.0 : 1.0;
  const double from = std::min(start, end);
  const double to = std::max(start, end);
  const double span = to - from + 1.0;
  const double weeks = std::floor(span / 7.0);
  double workdaysPerWeek = 0.0;
  for (bool off : weekend) workdaysPerWeek += off ? 0.0 : 1.0;
  double count = weeks * workdaysPerWeek;
  for (double day = from + weeks * 7.0; day <= to; ++day) {
    if (IsWorkday(day, weekend, context)) ++count;
  }
  count -= HolidaysBetween(holidays, from, to);
  return NumberResult(sign * count);
}

EvalValue NetworkDays(Args args, CFunctionContext& context) {
  return NetworkDaysWith(args, context, args.size(), 2);
}
EvalValue NetworkDaysIntl(Args args, CFunctionContext& context) {
  return NetworkDaysWith(args, context, 2, 3);
}

EvalValue WorkdayWith(Args args, CFunctionContext& context, std::size_t weekendIndex,
                      std::size_t holidaysIndex) {
  double start = 0.0;
  double days = 0.0;
  if (auto error = GetSerial(args[0], context, start, true)) return *error;
  if (auto error = GetTruncated(args[1], context, days, true)) return *error;
  Weekend weekend;
  if (auto error = GetWeekend(args, weekendIndex, context, weekend)) return *error;
  std::vector<double> holidays;
  if (auto error = GetHolidays(args, holidaysIndex, weekend, context, holidays)) return *error;
  double workdaysPerWeek = 0.0;
  for (bool off : weekend) workdaysPerWeek += off ? 0.0 : 1.0;
  const double step = days < 0.0 ? -1.0 : 1.0;
  double remaining = std::fabs(days);
  double current = start;
  const double last = MaxSerial(context);
  while (remaining > 0.0) {
    if (current < 0.0 || current > last) return Error(ErrorCode::Num);
    // Whole weeks at a time, short of the last working day so that it is found day by day.
    const double weeks = std::floor((remaining - 1.0) / workdaysPerWeek);
    if (weeks >= 1.0) {
      const double next = current + step * 7.0 * weeks;
      const double skipped = step > 0.0 ? HolidaysBetween(holidays, current + 1.0, next)
                                        : HolidaysBetween(holidays, next, current - 1.0);
      remaining -= weeks * workdaysPerWeek - skipped;
      current = next;
      continue;
    }
    current += step;
    if (IsWorkday(current, weekend, context) && !IsHoliday(holidays, current)) --remaining;
  }
  return SerialResult(current, context);
}

EvalValue Workday(Args args, CFunctionContext& context) {
  return WorkdayWith(args, context, args.size(), 2);
}
EvalValue WorkdayIntl(Args args, CFunctionContext& context) {
  return WorkdayWith(args, context, 2, 3);
}

// --- Now ---------------------------------------------------------------------------------------

EvalValue Now(Args, CFunctionContext& context) {
  return NumberResult(context.Now());
}
EvalValue Today(Args, CFunctionContext& context) {
  return NumberResult(std::floor(context.Now()));
}

}  // namespace

void RegisterDateFunctions(CFunctionTable& table) {
  AddFunction(table, {L"DATE", 3, 3, "v", Date});
  AddFunction(table, {L"TIME", 3, 3, "v", Time});
  AddFunction(table, {L"DATEVALUE", 1, 1, "v", DateValue});
  AddFunction(table, {L"TIMEVALUE", 1, 1, "v", TimeValue});
  AddFunction(table, {L"YEAR", 1, 1, "v", Year});
  AddFunction(table, {L"MONTH", 1, 1, "v", Month});
  AddFunction(table, {L"DAY", 1, 1, "v", Day});
  AddFunction(table, {L"HOUR", 1, 1, "v", Hour});
  AddFunction(table, {L"MINUTE", 1, 1, "v", Minute});
  AddFunction(table, {L"SECOND", 1, 1, "v", Second});
  AddFunction(table, {L"WEEKDAY", 1, 2, "v", Weekday});
  AddFunction(table, {L"WEEKNUM", 1, 2, "v", WeekNum});
  AddFunction(table, {L"ISOWEEKNUM", 1, 1, "v", IsoWeekNum});
  AddFunction(table, {L"EDATE", 2, 2, "v", EDate});
  AddFunction(table, {L"EOMONTH", 2, 2, "v", EOMonth});
  AddFunction(table, {L"DAYS", 2, 2, "v", Days});
  AddFunction(table, {L"DAYS360", 2, 3, "v", Days360});
  AddFunction(table, {L"DATEDIF", 3, 3, "v", DateDif});
  AddFunction(table, {L"YEARFRAC", 2, 3, "v", YearFrac});
  AddFunction(table, {L"NETWORKDAYS", 2, 3, "vva", NetworkDays});
  AddFunction(table, {L"NETWORKDAYS.INTL", 2, 4, "vvva", NetworkDaysIntl});
  AddFunction(table, {L"WORKDAY", 2, 3, "vva", Workday});
  AddFunction(table, {L"WORKDAY.INTL", 2, 4, "vvva", WorkdayIntl});
  AddFunction(table, {L"NOW", 0, 0, "v", Now, kVolatile});
  AddFunction(table, {L"TODAY", 0, 0, "v", Today, kVolatile});
}

}  // namespace spreadsheet
