// Excel's date serials: day numbers with the time as a fraction, in the 1900 and 1904 systems.
//
// The 1900 system counts 1 January 1900 as day 1 and keeps Lotus 1-2-3's mistake of a 29 February
// 1900 (day 60), so days 1-59 are one day off the real calendar; day 0 is "January 0, 1900". The
// 1904 system counts 1 January 1904 as day 0. Both end at 31 December 9999.
#pragma once

#include <cstdint>
#include <optional>

namespace spreadsheet {

// A calendar date and time of day as Excel names it. Day 0 of January 1900 and 29 February 1900
// exist here because they exist in the 1900 system.
struct ExcelDate {
  int year = 1900;
  int month = 1;  // 1-12.
  int day = 0;    // 0-31.
  int hour = 0;   // 0-23.
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const ExcelDate&, const ExcelDate&) = default;
};

// The last serial of each system: 31 December 9999.
inline constexpr double kMaxSerial1900 = 2958465.0;
inline constexpr double kMaxSerial1904 = 2957003.0;

// The time of a serial rounded to the nearest second (secondDigits 0) or to 1-3 decimals of a
// second, carried into the date when it rounds up to midnight. Nothing for a negative serial, one
// past 31 December 9999 after rounding, or one that is not a number.
std::optional<ExcelDate> SerialToDate(double serial, bool date1904, int secondDigits = 3);

// The serial of a day. Months outside 1-12 move into other years and days outside the month into
// other months, as DATE does (month 14 of 2020 is February 2021, day 0 the last of the month
// before). Years are taken as written; DATE's reading of 0-1899 as 1900-3799 is its own. Nothing
// when the day falls before the system's first day or after 31 December 9999.
std::optional<double> DateToSerial(std::int64_t year, std::int64_t month, std::int64_t day,
                                   bool date1904);

// The fraction of a day of a time; hours, minutes and seconds past their ranges carry over, so
// the result may exceed 1 (TIME keeps only the fraction; that is its business).
double TimeToSerial(double hour, double minute, double second);

// The weekday of a serial's day, 0 for Sunday to 6 for Saturday, as Excel counts it: in the 1900
// system days before 1 March 1900 follow the invented leap day, so day 1 is a Sunday.
int GetWeekday(double serial, bool date1904);

}  // namespace spreadsheet
