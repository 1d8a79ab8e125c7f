// Date serials of both systems, the 1900 leap-day quirk and rounding at midnight.
#include "spreadsheet/calc/excel_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace spreadsheet {
namespace {

struct SerialCase {
  double serial;
  bool date1904;
  ExcelDate expected;
};

TEST(ExcelDate, SerialToDateInBothSystems) {
  const SerialCase cases[] = {
      {0, false, {1900, 1, 0, 0, 0, 0, 0}},
      {1, false, {1900, 1, 1, 0, 0, 0, 0}},
      {59, false, {1900, 2, 28, 0, 0, 0, 0}},
      {60, false, {1900, 2, 29, 0, 0, 0, 0}},
      {61, false, {1900, 3, 1, 0, 0, 0, 0}},
      {45000.75, false, {2023, 3, 15, 18, 0, 0, 0}},
      {2958465, false, {9999, 12, 31, 0, 0, 0, 0}},
      {0, true, {1904, 1, 1, 0, 0, 0, 0}},
      {1462, true, {1908, 1, 2, 0, 0, 0, 0}},
      {2957003.5, true, {9999, 12, 31, 12, 0, 0, 0}},
      {0.1, false, {1900, 1, 0, 2, 24, 0, 0}},  // 0.1 is a hair under 2:24 in binary.
      {1.0 / 86400 * 1.5, false, {1900, 1, 0, 0, 0, 1, 500}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.serial << (c.date1904 ? " (1904)" : ""));
    const auto date = SerialToDate(c.serial, c.date1904);
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(*date, c.expected);
  }
}

TEST(ExcelDate, TimeRoundsToTheRequestedPrecisionAndCarriesIntoTheDay) {
  // 0.99999999 of a day is 23:59:59.999136.
  EXPECT_EQ(*SerialToDate(1.99999999, false, 0), (ExcelDate{1900, 1, 2, 0, 0, 0, 0}));
  EXPECT_EQ(*SerialToDate(1.99999999, false, 3), (ExcelDate{1900, 1, 1, 23, 59, 59, 999}));
  EXPECT_EQ(*SerialToDate(1.99999999, false, 2), (ExcelDate{1900, 1, 2, 0, 0, 0, 0}));
  // Rounding up past the last day leaves the calendar.
  EXPECT_FALSE(SerialToDate(2958465.999999999, false, 0).has_value());
}

TEST(ExcelDate, SerialToDateRefusesWhatIsNotADay) {
  EXPECT_FALSE(SerialToDate(-0.5, false).has_value());
  EXPECT_FALSE(SerialToDate(2958466, false).has_value());
  EXPECT_FALSE(SerialToDate(2957004, true).has_value());
  EXPECT_FALSE(SerialToDate(std::numeric_limits<double>::quiet_NaN(), false).has_value());
  EXPECT_FALSE(SerialToDate(std::numeric_limits<double>::infinity(), true).has_value());
}

struct CalendarCase {
  std::int64_t year, month, day;
  bool date1904;
  double expected;  // -1: no serial.
};

TEST(ExcelDate, DateToSerialNormalisesAsDateDoes) {
  const CalendarCase cases[] = {
      {1900, 1, 0, false, 0},
      {1900, 1, 1, false, 1},
      {1900, 2, 28, false, 59},
      {1900, 2, 29, false, 60},
      {1900, 3, 1, false, 61},
      {1900, 3, 0, false, 60},
      {1900, 2, 30, false, 61},
      {2023, 3, 15, false, 45000},
      {2020, 14, 1, false, 44228},
      {2021, 0, 31, false, 44196},
      {2021, 1, -1, false, 44195},
      {2021, -11, 1, false, 43831},
      {9999, 12, 31, false, 2958465},
      {10000, 1, 1, false, -1},
      {1899, 12, 30, false, -1},
      {1904, 1, 1, true, 0},
      {1908, 1, 2, true, 1462},
      {1903, 12, 31, true, -1},
      {9999, 12, 31, true, 2957003},
      {1900, 1, 4'000'000, false, -1},
      {1, 1, 9'000'000'000'000'000'000, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.year << "-" << c.month << "-" << c.day);
    const auto serial = DateToSerial(c.year, c.month, c.day, c.date1904);
    if (c.expected < 0) {
      EXPECT_FALSE(serial.has_value());
    } else {
      ASSERT_TRUE(serial.has_value());
      EXPECT_EQ(*serial, c.expected);
    }
  }
}

TEST(ExcelDate, EveryDayRoundTrips) {
  for (const bool date1904 : {false, true}) {
    const double last = date1904 ? kMaxSerial1904 : kMaxSerial1900;
    for (double serial = 0; serial <= last; serial += 1) {
      const auto date = SerialToDate(serial, date1904);
      ASSERT_TRUE(date.has_value()) << serial;
      ASSERT_EQ(DateToSerial(date->year, date->month, date->day, date1904), serial);
    }
  }
}

TEST(ExcelDate, WeekdaysFollowExcelsCalendar) {
  EXPECT_EQ(GetWeekday(0, false), 6);        // "January 0, 1900" is a Saturday.
  EXPECT_EQ(GetWeekday(1, false), 0);        // 1 January 1900, a Sunday in Excel.
  EXPECT_EQ(GetWeekday(61, false), 4);       // 1 March 1900, a Thursday as in reality.
  EXPECT_EQ(GetWeekday(45000.9, false), 3);  // 15 March 2023, a Wednesday.
  EXPECT_EQ(GetWeekday(0, true), 5);         // 1 January 1904, a Friday.
  EXPECT_EQ(GetWeekday(45000 - 1462, true), 3);
}

TEST(ExcelDate, TimeToSerialCarriesOver) {
  EXPECT_DOUBLE_EQ(TimeToSerial(18, 0, 0), 0.75);
  EXPECT_DOUBLE_EQ(TimeToSerial(0, 90, 30), (90 * 60 + 30) / 86400.0);
  EXPECT_DOUBLE_EQ(TimeToSerial(36, 0, 0), 1.5);
}

}  // namespace
}  // namespace spreadsheet
