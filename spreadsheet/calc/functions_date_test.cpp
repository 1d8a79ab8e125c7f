// Tests of the date worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <string>

#include "spreadsheet/calc/calc_test_support.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsBoolean;
using testing::IsError;
using testing::IsNumber;
using testing::NewWorkbook;
using test_support::ExpectErrors;
using test_support::ExpectNumbers;
using test_support::NumberCase;

TEST(DateFunctions, LeapDayOf1900) {
  ExpectNumbers({
      {L"DATE(1900,2,29)", 60},
      {L"DATE(1900,3,1)", 61},
      {L"DAY(60)", 29},
      {L"MONTH(60)", 2},
      {L"WEEKDAY(60)", 4},
      {L"WEEKDAY(0)", 7},
      {L"DAY(0)", 0},
      {L"EOMONTH(DATE(1900,1,15),1)", 60},
      {L"EDATE(DATE(1900,1,31),1)", 60},
      {L"DAYS360(DATE(1900,2,29),DATE(1900,3,31))", 30},
  });
}

TEST(DateFunctions, DateYearsAndOverflow) {
  ExpectNumbers({
      {L"DATE(100,1,1)", 36526},
      {L"DATE(2000,1,1)", 36526},
      {L"DATE(2020,14,1)", 44228},
      {L"DATE(2020,3,0)", 43890},
      {L"DATE(2021,-1,1)", 44136},
      {L"DATE(2020,1,1.9)", 43831},
      {L"TIME(25,0,0)", 1.0 / 24},
      {L"TIME(1,-30,0)", 0.5 / 24},
      {L"TIME(12,0,0)", 0.5},
  });
  ExpectErrors({
      {L"DATE(-1,1,1)", ErrorCode::Num},
      {L"DATE(10000,1,1)", ErrorCode::Num},
      {L"DATE(1900,1,-1)", ErrorCode::Num},
      {L"DATE(\"x\",1,1)", ErrorCode::Value},
      {L"TIME(0,-1,0)", ErrorCode::Num},
  });
}

TEST(DateFunctions, PartsRoundToTheNearestSecond) {
  ExpectNumbers({
      {L"HOUR(1.24)", 5},
      {L"MINUTE(1.24)", 45},
      {L"SECOND(1.24)", 36},
      {L"SECOND(PI())", 54},
      {L"SECOND(1.5/86400)", 2},
      {L"SECOND(1.4/86400)", 1},
      {L"HOUR(0.999999999)", 0},
      {L"DAY(0.999999999)", 1},
      {L"HOUR(\"1.25\")", 6},
      {L"HOUR(\"1:23\")", 1},
      {L"DAY(TRUE)", 1},
      {L"YEAR(\"5/18/1927\")", 1927},
      {L"YEAR(2958465)", 9999},
  });
  ExpectErrors({
      {L"DAY(-1)", ErrorCode::Num},
      {L"YEAR(2958466)", ErrorCode::Num},
      {L"MONTH(\"XYZZY\")", ErrorCode::Value},
  });
}

TEST(DateFunctions, DateValueAndTimeValueReadTypedText) {
  ExpectNumbers({
      {L"DATEVALUE(\"1/2/2020\")", 43832},
      {L"DATEVALUE(\"1/2/2020 18:00\")", 43832},
      {L"TIMEVALUE(\"1:23\")", 83.0 / 1440},
      {L"TIMEVALUE(\"12:59:59 AM\")", 3599.0 / 86400},
      {L"TIMEVALUE(\"1/2/2020 18:00\")", 0.75},
  });
  ExpectErrors({
      {L"DATEVALUE(43832)", ErrorCode::Value},
      {L"DATEVALUE(\"soon\")", ErrorCode::Value},
      {L"TIMEVALUE(\"1.25\")", ErrorCode::Value},
      {L"TIMEVALUE(0.5)", ErrorCode::Value},
      {L"TIMEVALUE(FALSE)", ErrorCode::Value},
  });
}

TEST(DateFunctions, Date1904System) {
  auto book = NewWorkbook();
  book->SetDate1904(true);
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"DATE(1904,1,1)"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"DATE(2020,1,1)"), 42369));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"DATEVALUE(\"1/1/2020\")"), 42369));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"YEAR(\"1/1/2020\")"), 2020));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"WEEKDAY(0)"), 6));  // A Friday.
  EXPECT_TRUE(IsError(Evaluate(*book, L"DATE(1903,12,31)"), ErrorCode::Num));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"YEARFRAC(0,366,1)"), 1));
}

TEST(DateFunctions, WeekdayReturnTypes) {
  // 3 January 2024 is a Wednesday.
  ExpectNumbers({
      {L"WEEKDAY(45294)", 4},
      {L"WEEKDAY(45294,1)", 4},
      {L"WEEKDAY(45294,2)", 3},
      {L"WEEKDAY(45294,3)", 2},
      {L"WEEKDAY(45294,11)", 3},
      {L"WEEKDAY(45294,12)", 2},
      {L"WEEKDAY(45294,13)", 1},
      {L"WEEKDAY(45294,14)", 7},
      {L"WEEKDAY(45294,15)", 6},
      {L"WEEKDAY(45294,16)", 5},
      {L"WEEKDAY(45294,17)", 4},
      {L"WEEKDAY(45298,2)", 7},
  });
  ExpectErrors({{L"WEEKDAY(45294,4)", ErrorCode::Num}, {L"WEEKDAY(45294,18)", ErrorCode::Num}});
}

TEST(DateFunctions, WeekNumTypes) {
  ExpectNumbers({
      {L"WEEKNUM(DATE(2023,1,1))", 1},    // A Sunday.
      {L"WEEKNUM(DATE(2023,1,2))", 1},    // Weeks from Sunday: still week 1.
      {L"WEEKNUM(DATE(2023,1,2),2)", 2},  // Weeks from Monday: a new week.
      {L"WEEKNUM(DATE(2023,1,2),11)", 2},
      {L"WEEKNUM(DATE(2023,1,6),16)", 1},  // Weeks from Saturday.
      {L"WEEKNUM(DATE(2023,1,7),16)", 2},
      {L"WEEKNUM(DATE(2024,12,31))", 53},
      {L"WEEKNUM(DATE(2023,1,1),21)", 52},  // ISO: the last week of 2022.
      {L"ISOWEEKNUM(DATE(2023,1,1))", 52},
      {L"ISOWEEKNUM(DATE(2023,1,2))", 1},
      {L"ISOWEEKNUM(DATE(2021,1,1))", 53},
      {L"ISOWEEKNUM(DATE(2024,12,30))", 1},  // Belongs to 2025.
  });
  ExpectErrors({{L"WEEKNUM(45294,3)", ErrorCode::Num}, {L"WEEKNUM(45294,20)", ErrorCode::Num}});
}

TEST(DateFunctions, MonthArithmetic) {
  ExpectNumbers({
      {L"EDATE(DATE(2020,1,31),1)", 43890},   // 29 February 2020.
      {L"EDATE(DATE(2021,3,31),-1)", 44255},  // 28 February 2021.
      {L"EDATE(DATE(2020,1,15),\"50\")", 45366},
      {L"EOMONTH(DATE(2020,3,15),-1)", 43890},
      {L"EOMONTH(DATE(2021,1,15),-13)", 43830},  // 31 December 2019.
      {L"EOMONTH(100,0)", 121},
      {L"EOMONTH(DATE(2020,2,10),0.9)", 43890},
  });
  ExpectErrors({
      {L"EDATE(TRUE,1)", ErrorCode::Value},
      {L"EDATE(10000,TRUE)", ErrorCode::Value},
      {L"EDATE(-1,1)", ErrorCode::Num},
      {L"EOMONTH(DATE(1900,1,1),-1)", ErrorCode::Num},
      {L"EOMONTH(\"XYZZY\",1)", ErrorCode::Value},
  });
}

TEST(DateFunctions, DayCounts) {
  ExpectNumbers({
      {L"DAYS(DATE(2021,3,1),DATE(2021,2,1))", 28},
      {L"DAYS(\"3/15/2021\",\"2/1/2021\")", 42},
      {L"DAYS360(DATE(2011,1,30),DATE(2011,12,31))", 330},
      {L"DAYS360(DATE(2011,1,1),DATE(2011,1,31))", 30},
      {L"DAYS360(DATE(2011,1,1),DATE(2011,1,31),TRUE)", 29},
      {L"DAYS360(DATE(2011,2,28),DATE(2011,3,31))", 30},
      {L"DAYS360(DATE(2011,2,28),DATE(2011,3,31),TRUE)", 32},
      {L"DAYS360(DATE(2011,3,31),DATE(2011,2,28))", -32},
      {L"DATEDIF(DATE(2001,1,1),DATE(2003,1,1),\"Y\")", 2},
      {L"DATEDIF(DATE(2001,6,1),DATE(2002,8,15),\"D\")", 440},
      {L"DATEDIF(DATE(2001,6,1),DATE(2002,8,15),\"YD\")", 75},
      {L"DATEDIF(DATE(2001,6,1),DATE(2002,8,15),\"md\")", 14},
      {L"DATEDIF(DATE(2001,6,15),DATE(2002,8,1),\"M\")", 13},
      {L"DATEDIF(DATE(2001,6,15),DATE(2002,8,1),\"YM\")", 1},
      {L"DATEDIF(DATE(2020,1,31),DATE(2020,2,29),\"M\")", 0},
  });
  ExpectErrors({
      {L"DATEDIF(DATE(2003,1,1),DATE(2001,1,1),\"Y\")", ErrorCode::Num},
      {L"DATEDIF(DATE(2001,1,1),DATE(2003,1,1),\"W\")", ErrorCode::Num},
  });
}

TEST(DateFunctions, YearFracBases) {
  // Excel's own values, bases 0 to 4: a span within a year, one ending on 28 February after a
  // 29 February, one of three years, and one given end first.
  struct Case {
    double start, end;
    double expected[5];
  };
  const Case cases[] = {
      {36922,
       36981,
       {0.16666666666666666, 0.16164383561643836, 0.16388888888888889, 0.16164383561643836,
        0.16666666666666666}},
      {38046, 38411, {1, 0.99726775956284153, 1.0138888888888888, 1, 0.99722222222222223}},
      {36950,
       38046,
       {3, 3.0006844626967832, 3.0444444444444443, 3.0027397260273974, 3.0027777777777778}},
      {37628,
       36923,
       {1.9333333333333333, 1.9315068493150684, 1.9583333333333333, 1.9315068493150684,
        1.9333333333333333}},
      {37652,
       37043,
       {1.6666666666666667, 1.6684931506849314, 1.6916666666666667, 1.6684931506849314,
        1.663888888888889}},
  };
  for (const Case& c : cases) {
    for (int basis = 0; basis <= 4; ++basis) {
      const std::wstring formula = L"YEARFRAC(" + std::to_wstring(c.start) + L"," +
                                   std::to_wstring(c.end) + L"," + std::to_wstring(basis) + L")";
      EXPECT_TRUE(IsNumber(Evaluate(formula), c.expected[basis], 1e-12)) << formula;
    }
  }
  ExpectNumbers({
      {L"YEARFRAC(0,200)", 0.55},
      {L"YEARFRAC(1,0,0)", 1.0 / 360},
      {L"YEARFRAC(2958465,200,0)", 8099.4527777777776},
      {L"YEARFRAC(1,2958465,4)", 8099.9972222222223},
      {L"YEARFRAC(DATE(2020,1,1),DATE(2020,7,1),1)", 182.0 / 366},
  });
  // The basis is looked at before the dates.
  ExpectErrors({
      {L"YEARFRAC(1,200,5)", ErrorCode::Num},
      {L"YEARFRAC(1/0,200,-1)", ErrorCode::Num},
      {L"YEARFRAC(1/0,200,0)", ErrorCode::Div0},
      {L"YEARFRAC(1/0,200,\"plugh\")", ErrorCode::Value},
      {L"YEARFRAC(1,200,TRUE)", ErrorCode::Value},
      {L"YEARFRAC(-1,200,0)", ErrorCode::Num},
      {L"YEARFRAC(1,2958466,0)", ErrorCode::Num},
  });
}

TEST(DateFunctions, WorkingDays) {
  auto book = NewWorkbook();
  // Holidays of 2008-2009 in A1:A3 and of 2012-2013 in B1:B3.
  const double holidays[2][3] = {{39778, 39786, 39834}, {41235, 41247, 41295}};
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < 3; ++row) {
      book->Sheet(1).SetValue({row + 1, column + 1}, CellValue::Number(holidays[column][row]));
    }
  }
  const NumberCase cases[] = {
      {L"NETWORKDAYS(DATE(2012,10,1),DATE(2013,3,1))", 110},
      {L"NETWORKDAYS(DATE(2012,10,1),DATE(2013,3,1),B1)", 109},
      {L"NETWORKDAYS(DATE(2012,10,1),DATE(2013,3,1),B1:B3)", 107},
      {L"NETWORKDAYS(DATE(2013,3,1),DATE(2012,10,1),B1:B3)", -107},
      {L"NETWORKDAYS(DATE(2012,10,6),DATE(2012,10,7))", 0},
      {L"NETWORKDAYS.INTL(DATE(2006,1,1),DATE(2006,1,31))", 22},
      {L"NETWORKDAYS.INTL(DATE(2006,2,28),DATE(2006,1,31))", -21},
      {L"NETWORKDAYS.INTL(DATE(2006,1,1),DATE(2006,2,1),7,{38719,38733})", 22},
      {L"NETWORKDAYS.INTL(DATE(2006,1,1),DATE(2006,2,1),\"0010001\",{38719,38733})", 20},
      {L"NETWORKDAYS.INTL(DATE(2006,1,1),DATE(2006,1,31),11)", 26},
      {L"WORKDAY(DATE(2008,10,1),151)", 39933},
      {L"WORKDAY(DATE(2008,10,1),151,A1:A3)", 39938},
      {L"WORKDAY(39938,-151,A1:A3)", 39722},
      {L"WORKDAY(DATE(2008,10,4),0)", 39725},
      {L"WORKDAY(DATE(2008,10,4),1)", 39727},
      {L"WORKDAY.INTL(DATE(2012,1,1),30,17)", 40944},
      {L"WORKDAY.INTL(DATE(2012,1,1),-5,\"0000011\")", 40903},
  };
  for (const NumberCase& c : cases) {
    EXPECT_TRUE(IsNumber(Evaluate(*book, c.formula), c.expected)) << std::wstring(c.formula);
  }
  ExpectErrors({
      {L"NETWORKDAYS.INTL(1,100,\"1111111\")", ErrorCode::Value},
      {L"NETWORKDAYS.INTL(1,100,\"000001\")", ErrorCode::Value},
      {L"NETWORKDAYS.INTL(1,100,8)", ErrorCode::Num},
      {L"WORKDAY.INTL(DATE(2012,1,1),30,0)", ErrorCode::Num},
      {L"WORKDAY(2958465,10)", ErrorCode::Num},
      {L"WORKDAY(TRUE,10)", ErrorCode::Value},
      {L"NETWORKDAYS(1,100,{\"soon\"})", ErrorCode::Value},
  });
}

TEST(DateFunctions, NowAndTodayAreVolatile) {
  const EvalValue now = Evaluate(L"NOW()");
  const EvalValue today = Evaluate(L"TODAY()");
  ASSERT_TRUE(now.IsNumber());
  ASSERT_TRUE(today.IsNumber());
  EXPECT_EQ(today.AsNumber(), static_cast<double>(static_cast<long long>(today.AsNumber())));
  EXPECT_GE(now.AsNumber() + 1e-6, today.AsNumber());
  EXPECT_LT(now.AsNumber() - today.AsNumber(), 1.0 + 1e-6);
  EXPECT_TRUE(IsBoolean(Evaluate(L"TODAY()>DATE(2020,1,1)"), true));
}

}  // namespace
}  // namespace spreadsheet
