// Tests of the statistical worksheet functions, through formulas. Expected values are Excel's:
// its documentation's examples, the values it cached in real workbooks, and for far tails
// references computed to 40 digits.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {
namespace {

using testing::Describe;
using testing::Evaluate;
using testing::IsError;
using testing::IsNumber;
using testing::NewWorkbook;

using Expected = std::variant<double, ErrorCode>;

struct StatisticalCase {
  const wchar_t* formula;
  Expected expected;
  double tolerance = 1e-9;  // Relative, also for numbers below 1.
};

::testing::AssertionResult Matches(const EvalValue& value, const Expected& expected,
                                   double tolerance) {
  if (const auto* code = std::get_if<ErrorCode>(&expected)) return IsError(value, *code);
  const double number = std::get<double>(expected);
  return IsNumber(value, number, tolerance * std::min(1.0, std::fabs(number)));
}

void ExpectCases(CWorkbook& book, const std::vector<StatisticalCase>& cases) {
  for (const StatisticalCase& c : cases) {
    EXPECT_TRUE(Matches(Evaluate(book, c.formula), c.expected, c.tolerance)) << WideToUtf8(c.formula);
  }
}

void ExpectCases(const std::vector<StatisticalCase>& cases) {
  auto book = NewWorkbook();
  ExpectCases(*book, cases);
}

// An array formula's result against rows of expected values.
void ExpectArray(CWorkbook& book, const wchar_t* formula,
                 const std::vector<std::vector<Expected>>& rows, double tolerance = 1e-9) {
  const EvalValue value = Evaluate(book, formula, 1, {1, 1}, true);
  ASSERT_TRUE(value.IsArray()) << WideToUtf8(formula) << " gave " << Describe(value);
  const ValueArray& array = value.AsArray();
  ASSERT_EQ(array.rows, static_cast<std::int32_t>(rows.size())) << WideToUtf8(formula);
  ASSERT_EQ(array.columns, static_cast<std::int32_t>(rows.front().size())) << WideToUtf8(formula);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      EXPECT_TRUE(Matches(array.At(static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)),
                          rows[r][c], tolerance))
          << WideToUtf8(formula) << " at " << r << "," << c;
    }
  }
}

void SetNumbers(CWorksheet& sheet, CellCoord at, const std::vector<std::vector<double>>& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      sheet.SetValue(
          {at.row + static_cast<std::int32_t>(r), at.column + static_cast<std::int32_t>(c)},
          CellValue::Number(rows[r][c]));
    }
  }
}

// A1:A8 hold 1, "text", TRUE, a blank, #N/A, "" from a formula, 3 and "4" as text.
std::unique_ptr<CWorkbook> StatisticalMixedColumn() {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Number(1));
  sheet.SetValue({2, 1}, CellValue::Text(L"text"));
  sheet.SetValue({3, 1}, CellValue::Boolean(true));
  sheet.SetValue({5, 1}, CellValue::Error(ErrorCode::NA));
  sheet.SetFormula({6, 1}, L"\"\"");
  sheet.SetValue({7, 1}, CellValue::Number(3));
  sheet.SetValue({8, 1}, CellValue::Text(L"4"));
  return book;
}

TEST(StatisticalFunctions, CountingKindsOfCells) {
  auto book = StatisticalMixedColumn();
  ExpectCases(*book, {
                         {L"COUNT(A1:A8)", 2.0},  // The error is skipped, not returned.
                         {L"COUNT(A1:A8,1,\"2\",TRUE,\"x\")", 5.0},
                         {L"COUNT({1,\"2\",TRUE})", 1.0},
                         {L"COUNTA(A1:A8)", 7.0},  // Errors and empty text count.
                         {L"COUNTA(A1:A8,\"\")", 8.0},
                         {L"COUNTBLANK(A1:A8)", 2.0},  // The blank and the empty text.
                         {L"COUNTBLANK(A1:C10)", 24.0},
                         {L"COUNTBLANK(Z100:Z109)", 10.0},
                     });
}

TEST(StatisticalFunctions, AveragesAndExtremesFollowTheSumRulesAndTheARules) {
  auto book = StatisticalMixedColumn();
  book->Sheet(1).SetValue({5, 1}, CellValue::Number(8));  // No error for these.
  ExpectCases(*book, {
                         {L"AVERAGE(A1:A8)", 4.0},        // 1, 8, 3.
                         {L"AVERAGEA(A1:A8)", 13.0 / 7},  // text 0, TRUE 1, "" 0, "4" 0.
                         {L"AVERAGE(A1:A8,TRUE,\"5\")", 18.0 / 5},
                         {L"MAX(A1:A8)", 8.0},
                         {L"MINA(A1:A8)", 0.0},
                         {L"MIN(A1:A8)", 1.0},
                         {L"AVERAGE(Z1:Z5)", ErrorCode::Div0},
                         {L"MIN(Z1:Z5)", 0.0},
                         {L"MAX(Z1:Z5,-3)", -3.0},
                         {L"AVERAGE(1,\"x\")", ErrorCode::Value},
                         {L"MAX(1,#N/A)", ErrorCode::NA},
                         {L"MEDIAN(4,1,3)", 3.0},
                         {L"MEDIAN(4,1,3,2)", 2.5},
                         {L"MEDIAN(Z1:Z5)", ErrorCode::Num},
                     });
}

TEST(StatisticalFunctions, SampleAndPopulationSpreads) {
  // Excel's documentation: strengths of ten tools.
  const wchar_t* data = L"{1345,1301,1368,1322,1310,1370,1318,1350,1303,1299}";
  std::vector<StatisticalCase> cases;
  std::vector<std::wstring> formulas;
  for (const auto& [name, value] :
       std::vector<std::pair<const wchar_t*, double>>{{L"STDEV", 27.46391572},
                                                      {L"STDEV.S", 27.46391572},
                                                      {L"STDEVP", 26.05455814},
                                                      {L"STDEV.P", 26.05455814},
                                                      {L"VAR", 754.2666667},
                                                      {L"VAR.S", 754.2666667},
                                                      {L"VARP", 678.84},
                                                      {L"VAR.P", 678.84}}) {
    formulas.push_back(std::wstring(name) + L"(" + data + L")");
    cases.push_back({nullptr, value, 1e-9});
  }
  for (std::size_t i = 0; i < cases.size(); ++i) cases[i].formula = formulas[i].c_str();
  ExpectCases(cases);
  ExpectCases({
      {L"STDEV(5)", ErrorCode::Div0},
      {L"VAR.S(5)", ErrorCode::Div0},
      {L"STDEV.P(5)", 0.0},
      {L"VARP(Z1:Z3)", ErrorCode::Div0},
      {L"STDEVA({1,2},TRUE)", std::sqrt(1.0 / 3)},  // TRUE typed in counts as 1.
      {L"VARPA(1,3)", 1.0},
      // A large offset costs a naive one-pass formula all its digits.
      {L"VAR(1e9+1,1e9+2,1e9+3)", 1.0},
  });
}

TEST(StatisticalFunctions, ShapeAndMeansOfData) {
  ExpectCases({
      {L"KURT(3,4,5,2,3,4,5,6,4,7)", -0.151799637, 1e-8},
      {L"SKEW(3,4,5,2,3,4,5,6,4,7)", 0.359543071, 1e-8},
      {L"SKEW.P(3,4,5,2,3,4,5,6,4,7)", 0.303193339, 1e-8},
      {L"KURT(1,2,3)", ErrorCode::Div0},
      {L"SKEW(2,2,2)", ErrorCode::Div0},
      {L"AVEDEV(4,5,6,7,5,4,3)", 50.0 / 49},
      {L"DEVSQ(4,5,8,7,11,4,3)", 48.0},
      {L"GEOMEAN(4,5,8,7,11,4,3)", 5.476986969, 1e-9},
      {L"HARMEAN(4,5,8,7,11,4,3)",
       7 / (1.0 / 4 + 1.0 / 5 + 1.0 / 8 + 1.0 / 7 + 1.0 / 11 + 1.0 / 4 + 1.0 / 3)},
      {L"GEOMEAN(4,0)", ErrorCode::Num},
      {L"HARMEAN(4,-1)", ErrorCode::Num},
      {L"TRIMMEAN({4,5,6,7,2,3,4,5,1,2,3},0.2)", 3.777777778, 1e-9},
      {L"TRIMMEAN({1,2,3,4,100},0.3)", 22.0},  // 1.5 points rounds down to none.
      {L"TRIMMEAN({1,2,3,4,100},0.4)", 3.0},
      {L"TRIMMEAN({1,2},1)", ErrorCode::Num},
  });
}

TEST(StatisticalFunctions, ModesInOrderOfFirstOccurrence) {
  auto book = NewWorkbook();
  ExpectCases(*book, {
                         {L"MODE(5.6,4,4,3,2,4)", 4.0},
                         {L"MODE(3,1,1,3)", 3.0},  // A tie goes to the first seen.
                         {L"MODE.SNGL(1,2,3)", ErrorCode::NA},
                     });
  ExpectArray(*book, L"MODE.MULT({1,2,3,4,3,2,1,2,3})", {{2.0}, {3.0}});
}

TEST(StatisticalFunctions, OrderStatisticsAndRanks) {
  auto book = NewWorkbook();
  SetNumbers(book->Sheet(1), {1, 1}, {{7}, {3.5}, {3.5}, {1}, {2}});
  ExpectCases(*book, {
                         {L"LARGE(A1:A5,1)", 7.0},
                         {L"LARGE(A1:A5,2)", 3.5},
                         {L"LARGE(A1:A5,1.2)", 3.5},  // Fractional k rounds up.
                         {L"SMALL(A1:A5,4)", 3.5},
                         {L"SMALL(A1:A5,0)", ErrorCode::Num},
                         {L"LARGE(A1:A5,6)", ErrorCode::Num},
                         {L"RANK(3.5,A1:A5)", 2.0},
                         {L"RANK.EQ(7,A1:A5,1)", 5.0},
                         {L"RANK.AVG(3.5,A1:A5)", 2.5},
                         {L"RANK.AVG(2,A1:A5,1)", 2.0},
                         {L"RANK(4,A1:A5)", ErrorCode::NA},
                     });
}

TEST(StatisticalFunctions, PercentilesInterpolateInclusivelyAndExclusively) {
  ExpectCases({
      {L"PERCENTILE({1,2,3,4},0.3)", 1.9},
      {L"PERCENTILE.INC({1,3,2,4},0)", 1.0},
      {L"PERCENTILE.INC({1,3,2,4},1)", 4.0},
      {L"PERCENTILE.INC({1,3,2,4},1.1)", ErrorCode::Num},
      {L"PERCENTILE.EXC({1,2,3,6,6,6,7,8,9},0.25)", 2.5},
      {L"PERCENTILE.EXC({1,2,3,6,6,6,7,8,9},0)", ErrorCode::Num},
      {L"PERCENTILE.EXC({1,2,3,6,6,6,7,8,9},0.01)", ErrorCode::Num},  // Below 1/(n+1).
      {L"PERCENTILE.EXC({1,2,3,6,6,6,7,8,9},0.9)", 9.0},
      {L"QUARTILE({1,2,4,7,8,9,10,12},1)", 3.5},
      {L"QUARTILE.INC({1,2,4,7,8,9,10,12},3.9)", 9.25},  // The quart is truncated.
      {L"QUARTILE.INC({1,2,4,7,8,9,10,12},5)", ErrorCode::Num},
      {L"QUARTILE.EXC({6,7,15,36,39,40,41,42,43,47,49},1)", 15.0},
      {L"QUARTILE.EXC({6,7,15,36,39,40,41,42,43,47,49},3)", 43.0},
      {L"QUARTILE.EXC({6,7,15,36,39,40,41,42,43,47,49},0)", ErrorCode::Num},
      {L"PERCENTILE(Z1:Z3,0.5)", ErrorCode::Num},
  });
}

TEST(StatisticalFunctions, PercentRanksAreTruncatedToTheirSignificance) {
  ExpectCases({
      {L"PERCENTRANK.INC({13,12,11,8,4,3,2,1,1,1},2)", 0.333},
      {L"PERCENTRANK.INC({13,12,11,8,4,3,2,1,1,1},4)", 0.555},
      {L"PERCENTRANK.INC({13,12,11,8,4,3,2,1,1,1},8)", 0.666},
      {L"PERCENTRANK({13,12,11,8,4,3,2,1,1,1},5)", 0.583},
      {L"PERCENTRANK({13,12,11,8,4,3,2,1,1,1},5,1)", 0.5},
      {L"PERCENTRANK({1,2,3,4,5,6,7,8,9,10,11},3.9)", 0.29},  // Not 0.289.
      {L"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9},7)", 0.7},
      {L"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9},5.43)", 0.381},
      {L"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9},5.43,1)", 0.3},
      {L"PERCENTRANK({1,2,3},4)", ErrorCode::NA},
      {L"PERCENTRANK({1,2,3},2,0)", ErrorCode::Num},
  });
}

TEST(StatisticalFunctions, FrequencyCountsIntoTheBinsAsGiven) {
  auto book = NewWorkbook();
  ExpectArray(*book, L"FREQUENCY({79,85,78,85,50,81,95,88,97},{70,79,89})",
              {{1.0}, {2.0}, {4.0}, {2.0}});
  // Unsorted and repeated bins: each counts the data above the next lower bin.
  ExpectArray(*book, L"FREQUENCY({79,85,78,85,50,81,95,88,97},{89,70,79,70})",
              {{4.0}, {1.0}, {2.0}, {0.0}, {2.0}});
  ExpectArray(*book, L"FREQUENCY({1,2,3},{\"a\"})", {{3.0}});
}

TEST(StatisticalFunctions, PairedData) {
  ExpectCases({
      {L"CORREL({3,2,4,5,6},{9,7,12,15,17})", 0.997054486, 2e-9},
      {L"PEARSON({9,7,5,3,1},{10,6,1,5,3})", 0.699379, 1e-6},
      {L"RSQ({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", 121.0 / 2088},
      {L"COVAR({3,2,4,5,6},{9,7,12,15,17})", 5.2},
      {L"COVARIANCE.P({3,2,4,5,6},{9,7,12,15,17})", 5.2},
      {L"COVARIANCE.S({2,4,8},{5,11,12})", 9.666666667, 1e-9},
      {L"SLOPE({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", 11.0 / 36},
      {L"INTERCEPT({2,3,9,1,8},{6,5,11,7,5})", 3.0 / 62},
      {L"STEYX({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", std::sqrt(1967.0 / 180)},
      {L"FORECAST(30,{6,7,9,15,21},{20,28,31,38,40})", 10.607253, 1e-7},
      {L"FORECAST.LINEAR(30,{6,7,9,15,21},{20,28,31,38,40})", 10.607253, 1e-7},
      // Pairs with a non-number on either side drop out.
      {L"SLOPE({1,2,\"x\",4},{1,2,100,4})", 1.0},
      {L"SLOPE({1,2,3},{1,2})", ErrorCode::NA},
      {L"SLOPE({1,2,3},{5,5,5})", ErrorCode::Div0},
      {L"CORREL({1,2,3},{5,5,5})", ErrorCode::Div0},
      {L"STEYX({1,2},{3,4})", ErrorCode::Div0},
      {L"COVARIANCE.S({1},{2})", ErrorCode::Div0},
      {L"INTERCEPT({1,#N/A},{1,2})", ErrorCode::NA},
  });
}

// The data of a regression sheet Excel calculated: rows 3 to 7 of J:N.
std::unique_ptr<CWorkbook> RegressionSheet() {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  SetNumbers(sheet, {3, 10},
             {{1, 2.1}, {-2, -4, -7, -9, -11}, {1, 3, 6, 9, 12}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}});
  sheet.SetFormula({3, 12}, L"K3+1");
  sheet.SetFormula({3, 13}, L"L3+1");
  sheet.SetFormula({3, 14}, L"M3+1");
  SetNumbers(sheet, {33, 2}, {{1, 2}, {2, 3}, {3, 4}});           // B33:C35.
  SetNumbers(sheet, {16, 6}, {{1, 2, 3}, {2, 2, 3}, {3, 2, 3}});  // F16:H18.
  SetNumbers(sheet, {10, 10},  // J10:L14, the rows of J3:N5 as columns.
             {{1, -2, 1}, {2.1, -4, 3}, {3.1, -7, 6}, {4.1, -9, 9}, {5.1, -11, 12}});
  return book;
}

TEST(StatisticalFunctions, SimpleRegressionMatchesExcel) {
  auto book = RegressionSheet();
  ExpectCases(*book, {
                         {L"SLOPE(J3:N3,J4:N4)", -0.44097744360902247},
                         {L"INTERCEPT(J3:N3,J4:N4)", 0.16954887218045211},
                         {L"FORECAST(2.5,J4:N4,J3:N3)", -5.2926594926979238},
                         {L"SLOPE(J3:N3,J4:N5)", ErrorCode::NA},
                         {L"INTERCEPT(J5:N5,J6:N6)", ErrorCode::Div0},
                         {L"SLOPE(J6:N6,J5:N5)", 0.0},
                     });
  ExpectArray(*book, L"TREND(J3:N3,J4:N4,{2.5,3.5})",
              {{-0.93289473684210633, -1.3738721804511291}});
  ExpectArray(*book, L"LINEST(J5:N5,J4:N4)", {{-1.2105263157894739, -1.7894736842105274}});
  // A constant regressor carries nothing: the constant takes the mean.
  ExpectArray(*book, L"LINEST(J5:N5,J6:N6)", {{0.0, 6.2}});
  ExpectArray(*book, L"LINEST(J5:N5,J7:N7)", {{0.0, 6.2}});
  ExpectArray(*book, L"TREND(J4:N4,J7:N7,2.5)", {{-6.6}});
}

TEST(StatisticalFunctions, LinestStatisticsLayout) {
  auto book = RegressionSheet();
  const Expected na = ErrorCode::NA;
  ExpectArray(*book, L"LINEST(J3:N3,J4:N4,,TRUE)",
              {{-0.44097744360902269, 0.16954887218045034},
               {1.981575107847483E-2, 0.14588484603131655},
               {0.99397874971826183, 0.14453277936432571},
               {495.2353929214176, 3.0},
               {10.345330827067666, 6.2669172932330569E-2}});
  // Through the origin: no error for the constant, and sums of squares about zero.
  ExpectArray(*book, L"LINEST(B33:B35,C33:C35,FALSE,TRUE)",
              {{0.68965517241379315, 0.0},
               {5.9725889916168139E-2, na},
               {0.98522167487684731, 0.32163376045133824},
               {133.33333333333354, 2.0},
               {13.793103448275863, 0.20689655172413762}});
  ExpectArray(*book, L"LINEST(B33:B35,C33:C35,FALSE,FALSE)", {{0.68965517241379315, 0.0}});
  // An exact fit: no residual, so F divides by zero.
  ExpectArray(*book, L"LINEST(B33:B35,C33:C35,TRUE,TRUE)",
              {{1.0, -1.0}, {0.0, 0.0}, {1.0, 0.0}, {ErrorCode::Num, 1.0}, {2.0, 0.0}});
  // Regressors that are constant columns: coefficients 0, and Excel's degrees of freedom.
  ExpectArray(*book, L"LINEST(F16:F18,G16:H18,,TRUE)",
              {{0.0, 0.0, 2.0},
               {0.0, 0.0, 0.0},
               {1.0, 0.0, na},
               {ErrorCode::Num, 0.0, na},
               {2.0, 0.0, na}});
}

TEST(StatisticalFunctions, DependentRegressorIsLeftOutAndGivesBackItsDegreeOfFreedom) {
  auto book = NewWorkbook();
  // y, x and 2x: the fit is the simple one of y on x.
  SetNumbers(book->Sheet(1), {1, 1}, {{1, 1, 2}, {2, 2, 4}, {4, 3, 6}, {3, 4, 8}, {5, 5, 10}});
  // Σ(x-x̄)² = 10, Σ(x-x̄)(y-ȳ) = 9, Σ(y-ȳ)² = 10, means 3 and 3.
  const double residual = 10 - 8.1;
  const double errorOfY = std::sqrt(residual / 3);
  const Expected na = ErrorCode::NA;
  ExpectArray(*book, L"LINEST(A1:A5,B1:C5,TRUE,TRUE)",
              {{0.0, 0.9, 0.3},
               {0.0, errorOfY / std::sqrt(10.0), errorOfY * std::sqrt(1.0 / 5 + 9.0 / 10)},
               {0.81, errorOfY, na},
               {8.1 / (residual / 3), 3.0, na},
               {8.1, residual, na}});
}

TEST(StatisticalFunctions, MultipleRegressionByRowsAndByColumns) {
  auto book = RegressionSheet();
  // Two regressors in rows (known_y's is a row), coefficients last regressor first.
  ExpectArray(*book, L"LINEST(J3:N3,J4:N5,TRUE,FALSE)",
              {{0.14374999999999988, -0.26696428571428582, 0.42678571428571443}});
  ExpectArray(*book, L"LINEST(J3:N3,J4:N5,FALSE,FALSE)",
              {{-4.4351851851851712E-2, -0.50564814814814796, 0.0}});
  // The same regressors as columns; new x's then one observation per row.
  ExpectArray(*book, L"LINEST(J10:J14,K10:L14,TRUE,FALSE)",
              {{0.14374999999999988, -0.26696428571428582, 0.42678571428571443}});
  ExpectArray(*book, L"TREND(J3:N3,J4:N5,{-3;5})",
              {{0.42678571428571443 - 0.26696428571428582 * -3 + 0.14374999999999988 * 5}});
  ExpectArray(*book, L"TREND(J10:J14,K10:L14,{-3,5;0,0})",
              {{0.42678571428571443 - 0.26696428571428582 * -3 + 0.14374999999999988 * 5},
               {0.42678571428571443}});
  for (const wchar_t* formula :
       {L"LINEST(J3:N4,J5:N7)", L"LINEST(J3:N4,J5:N5)", L"LINEST(J3:N3,K4:N4)",
        L"TREND(J3:N3,J4:N5,2.5)", L"TREND(J3:N3,K4:N4,2.5)"}) {
    EXPECT_TRUE(IsError(Evaluate(*book, formula, 1, {1, 1}, true), ErrorCode::Ref))
        << WideToUtf8(formula);
  }
  // Shapes are checked first; then a blank known_y is #VALUE!.
  EXPECT_TRUE(IsError(Evaluate(*book, L"LINEST(J3:O3,J4:O4)", 1, {1, 1}, true), ErrorCode::Value));
}

TEST(StatisticalFunctions, PolynomialRegressionWithStatistics) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  for (std::int32_t i = 0; i < 12; ++i) {
    const double x = -6 + i;
    sheet.SetValue({2 + i, 1}, CellValue::Number(x));
    const double y = 0.4 * (x * x) - 0.2 * x + 1.1;
    sheet.SetValue({2 + i, 2}, CellValue::Number(i == 3 ? y + 0.1 : y));
  }
  const Expected na = ErrorCode::NA;
  ExpectArray(*book, L"LINEST(B2:B13,A2:A13^{1,2},TRUE,TRUE)",
              {{0.39957542457542461, -0.20217282717282734, 1.1124125874125879},
               {8.40660973012326E-4, 2.7023469440424649E-3, 1.3283152773193276E-2},
               {0.99996795178621078, 3.0711943006319794E-2, na},
               {140408.94174757402, 9.0, na},
               {264.87401098901103, 8.4890109890109183E-3, na}},
              1e-8);
  ExpectArray(*book, L"LINEST(B2:B13)", {{-0.60174825174825197, 9.9863636363636381}});
  ExpectArray(*book, L"TREND(B2:B13,A2:A13^{1,2},{-6,36})", {{16.710164835164839}});
}

TEST(StatisticalFunctions, ExponentialRegression) {
  auto book = NewWorkbook();
  SetNumbers(book->Sheet(1), {2, 1},
             {{11, 33100}, {12, 47300}, {13, 69000}, {14, 102000}, {15, 150000}, {16, 220000}});
  ExpectArray(*book, L"LOGEST(B2:B7,A2:A7,TRUE,FALSE)", {{1.463275628, 495.3047732}}, 1e-8);
  ExpectArray(*book, L"GROWTH(B2:B7,A2:A7,{17;18})", {{320196.7184}, {468536.0539}}, 1e-9);
  ExpectArray(*book, L"GROWTH(B2:B7,A2:A7,11)", {{32618.20377}}, 1e-9);
  EXPECT_TRUE(IsError(Evaluate(*book, L"LOGEST({1,-2,3})", 1, {1, 1}, true), ErrorCode::Num));
}

TEST(DistributionFunctions, ExcelDocumentationExamples) {
  ExpectCases({
      {L"NORM.DIST(42,40,1.5,TRUE)", 0.9087888, 1e-7},
      {L"NORMDIST(42,40,1.5,FALSE)", 0.10934, 1e-4},
      {L"NORM.INV(0.908789,40,1.5)", 42.000002, 1e-8},
      {L"NORM.S.DIST(1.333333,TRUE)", 0.908788726, 2e-9},
      {L"NORMSINV(0.908789)", 1.3333347, 1e-6},
      {L"LOGNORM.DIST(4,3.5,1.2,TRUE)", 0.0390836, 1e-5},
      {L"LOGNORM.DIST(4,3.5,1.2,FALSE)", 0.0176176, 1e-5},
      {L"LOGINV(0.039084,3.5,1.2)", 4.0000252, 1e-7},
      {L"T.DIST(60,1,TRUE)", 0.99469533, 1e-8},
      {L"T.DIST(8,3,FALSE)", 0.00073691, 1e-4},
      {L"T.DIST.2T(1.959999998,60)", 0.054645, 1e-5},
      {L"TDIST(1.959999998,60,1)", 0.027322465, 1e-7},
      {L"T.INV(0.75,2)", 0.8164966, 1e-7},
      {L"TINV(0.546449,60)", 0.606533, 1e-6},
      {L"CHISQ.DIST(0.5,1,TRUE)", 0.52049988, 2e-8},
      {L"CHISQ.DIST(2,3,FALSE)", 0.20755375, 5e-8},
      {L"CHIDIST(18.307,10)", 0.0500006, 1e-5},
      {L"CHISQ.INV(0.93,1)", 3.283020287, 1e-9},
      {L"CHISQ.INV(0.6,2)", 1.832581464, 1e-9},
      {L"CHIINV(0.050001,10)", 18.30697346, 1e-9},
      {L"F.DIST(15.2069,6,4,TRUE)", 0.99, 1e-6},
      {L"F.DIST(15.2069,6,4,FALSE)", 0.0012238, 1e-4},
      {L"FDIST(15.2069,6,4)", 0.01, 1e-4},
      {L"F.INV(0.01,6,4)", 0.10930991, 1e-7},
      {L"FINV(0.01,6,4)", 15.20686486, 1e-9},
      {L"BINOM.DIST(6,10,0.5,FALSE)", 0.205078125},
      {L"BINOMDIST(6,10,0.5,TRUE)", 0.828125},
      {L"BINOM.INV(6,0.5,0.75)", 4.0},
      {L"CRITBINOM(1,0.5,0.5)", 0.0},  // The tie at exactly alpha counts.
      {L"NEGBINOM.DIST(10,5,0.25,TRUE)", 0.3135141, 1e-6},
      {L"NEGBINOMDIST(10,5,0.25)", 0.0550487, 1e-6},
      {L"POISSON.DIST(2,5,TRUE)", 0.124652, 1e-5},
      {L"POISSON(2,5,FALSE)", 0.084224, 1e-5},
      {L"EXPON.DIST(0.2,10,TRUE)", 0.86466472, 1e-8},
      {L"EXPONDIST(0.2,10,FALSE)", 1.35335283, 1e-8},
      {L"GAMMA.DIST(10.00001131,9,2,FALSE)", 0.032639, 1e-4},
      {L"GAMMADIST(10.00001131,9,2,TRUE)", 0.068094, 1e-5},
      {L"GAMMA.INV(0.068094,9,2)", 10.0000112, 1e-5},
      {L"GAMMALN.PRECISE(4)", std::log(6.0)},
      {L"GAMMA(2.5)", 1.329340388},
      {L"GAMMA(-3.75)", 0.267866128861, 1e-11},
      {L"BETA.DIST(2,8,10,TRUE,1,3)", 0.6854706, 1e-7},
      {L"BETA.DIST(2,8,10,FALSE,1,3)", 1.4837646, 1e-7},
      {L"BETAINV(0.685470581,8,10,1,3)", 2.0, 1e-8},
      {L"WEIBULL.DIST(105,20,100,TRUE)", 0.929581, 1e-6},
      {L"WEIBULL(105,20,100,FALSE)", 0.035589, 1e-4},
      {L"HYPGEOM.DIST(1,4,8,20,TRUE)", 0.4654, 1e-3},
      {L"HYPGEOMDIST(1,4,8,20)", 0.3633, 1e-3},
      {L"CONFIDENCE.NORM(0.05,2.5,50)", 0.692951912, 2e-9},
      {L"CONFIDENCE.T(0.05,1,50)", 0.284196855, 3e-9},
      {L"Z.TEST({3,6,7,8,6,5,4,2,1,9},4)", 0.090574, 1e-5},
      {L"ZTEST({3,6,7,8,6,5,4,2,1,9},6)", 0.863043, 1e-6},
      {L"T.TEST({3,4,5,8,9,1,2,4,5},{6,19,3,2,14,4,5,17,1},2,1)", 0.196016, 1e-5},
      {L"FISHER(0.75)", 0.972955, 1e-6},
      {L"FISHERINV(0.972955)", 0.75, 1e-6},
      {L"PHI(0.75)", 0.301137432, 3e-9},
      {L"GAUSS(2)", 0.477249868, 3e-9},
      {L"STANDARDIZE(42,40,1.5)", 4.0 / 3},
  });
}

TEST(DistributionFunctions, FarTailsKeepTheirPrecision) {
  ExpectCases({
      {L"NORM.S.DIST(-30,TRUE)", 4.9067139271481870595e-198},
      {L"NORM.S.INV(1e-10)", -6.3613409024040562047},
      {L"NORM.S.INV(0.975)", 1.9599639845400542355},
      {L"T.DIST.RT(50,3)", 8.808576020635987078e-6},
      {L"T.DIST.RT(3,1000000)", 0.0013499312707108985294},
      {L"T.DIST.RT(0.1,5)", 0.46211507057733018723},
      {L"T.INV(0.001,3)", -10.21453185240738655},
      {L"T.INV.2T(2e-12,2)", 707106.78118548686423},
      {L"CHISQ.DIST.RT(200,10)", 1.613930533697730479e-37},
      {L"CHISQ.DIST(0.001,10,TRUE)", 2.6030818297031985217e-19},
      {L"CHISQ.INV.RT(1e-10,4)", 52.66796321106173951},
      {L"GAMMA.DIST(100300,100000,1,TRUE)", 0.82863631125120764767},
      {L"GAMMA.INV(0.5,0.1,1)", 0.00059339110446022594266},
      {L"BETA.INV(0.001,0.5,2)", 4.4444457613175552512e-7},
      {L"F.DIST.RT(50,5,7)", 0.000025063005327241725453},
      {L"BINOM.DIST(5,1000,0.5,TRUE)", 7.7385053062943519113e-289},
      {L"BINOM.DIST(500,1000,0.5,FALSE)", 0.025225018178360801907},
      {L"POISSON.DIST(2,50,TRUE)", 2.5093035522010570357e-19},
      {L"BINOM.INV(100000,0.5,0.5)", 50000.0},  // First masses underflow: bisection.
      {L"BINOM.INV(1000000000,1e-7,1)", 1e9},   // Must not walk a billion masses.
      {L"GAMMALN(0.5)", 0.57236494292470008707},
      {L"GAMMALN(1e10)", 220258509288.8105814700419},
  });
}

TEST(DistributionFunctions, ArgumentsOutsideTheirDomains) {
  const Expected num = ErrorCode::Num;
  ExpectCases({
      {L"NORM.DIST(1,0,0,TRUE)", num},
      {L"NORM.INV(0,0,1)", num},
      {L"NORM.S.INV(1)", num},
      {L"LOGNORM.DIST(0,0,1,TRUE)", num},
      {L"T.DIST(1,0.5,TRUE)", num},
      {L"T.DIST.2T(-1,3)", num},
      {L"TDIST(1,3,3)", num},
      {L"T.INV.2T(1,5)", 0.0},
      {L"T.INV.2T(0,5)", num},
      {L"CHISQ.DIST(-1,2,TRUE)", num},
      {L"CHISQ.INV(0,3)", 0.0},
      {L"CHISQ.INV(1,3)", num},
      {L"CHISQ.INV.RT(1,3)", 0.0},
      {L"F.INV.RT(1.5,2,3)", num},
      {L"FDIST(1,0,3)", num},
      {L"GAMMA.DIST(1,0,1,TRUE)", num},
      {L"BETA.DIST(4,2,3,TRUE,1,3)", num},
      {L"BETA.INV(0,2,3)", num},
      {L"BINOM.DIST(11,10,0.5,TRUE)", num},
      {L"BINOM.DIST(2,10,1.5,TRUE)", num},
      {L"NEGBINOM.DIST(1,0.5,0.5,TRUE)", num},
      {L"POISSON(-1,2,TRUE)", num},
      {L"EXPON.DIST(1,0,TRUE)", num},
      {L"WEIBULL(-1,1,1,TRUE)", num},
      {L"HYPGEOM.DIST(5,4,8,20,TRUE)", num},
      {L"GAMMA(0)", num},
      {L"GAMMA(-2)", num},
      {L"GAMMALN(0)", num},
      {L"FISHER(1)", num},
      {L"CONFIDENCE.T(0.05,1,1)", ErrorCode::Div0},
      {L"CONFIDENCE(1,1,10)", num},
      {L"Z.TEST({1},1)", ErrorCode::Div0},
      {L"T.TEST({1,2},{3,4},3,1)", num},
      {L"T.TEST({1,2,3},{1,2},1,1)", ErrorCode::NA},
      {L"NORM.DIST(\"a\",0,1,TRUE)", ErrorCode::Value},
      {L"T.DIST(#DIV/0!,1,TRUE)", ErrorCode::Div0},
  });
}

TEST(DistributionFunctions, DegreesOfFreedomAreTruncated) {
  auto book = NewWorkbook();
  ExpectCases(*book, {
                         {L"T.DIST(1.5,2.9,TRUE)-T.DIST(1.5,2,TRUE)", 0.0},
                         {L"CHISQ.DIST.RT(3,4.5)-CHISQ.DIST.RT(3,4)", 0.0},
                         {L"F.DIST(2,3.7,5.2,TRUE)-F.DIST(2,3,5,TRUE)", 0.0},
                         {L"BINOM.DIST(2.9,10.5,0.3,FALSE)-BINOM.DIST(2,10,0.3,FALSE)", 0.0},
                     });
}

TEST(DistributionFunctions, TTestTypes) {
  // Two samples with equal and with unequal variances; tails double the one-tailed value.
  auto book = NewWorkbook();
  ExpectCases(*book,
              {
                  {L"T.TEST({3,4,5,8,9,1,2,4,5},{6,19,3,2,14,4,5,17,1},2,2)", 0.191995886760396217},
                  // Welch's degrees of freedom (10.26 here) are not rounded.
                  {L"TTEST({3,4,5,8,9,1,2,4,5},{6,19,3,2,14,4,5,17,1},1,3)", 0.101146961684338946},
                  {L"T.TEST({3,4,5,8,9,1,2,4,5},{6,19,3,2,14,4,5,17,1},1,1)*2-"
                   L"T.TEST({3,4,5,8,9,1,2,4,5},{6,19,3,2,14,4,5,17,1},2,1)",
                   0.0},
              });
}

TEST(DistributionFunctions, TestsOfFitAndVarianceAndRangesOfOutcomes) {
  const Expected na = ErrorCode::NA;
  const Expected num = ErrorCode::Num;
  const Expected div0 = ErrorCode::Div0;
  // Microsoft's examples, to the digits they print.
  ExpectCases({
      {L"CHISQ.TEST({58,35;11,25;10,23},{45.35,47.65;17.56,18.44;16.09,16.91})", 0.0003082, 2e-4},
      {L"CHITEST({58,35;11,25;10,23},{45.35,47.65;17.56,18.44;16.09,16.91})", 0.0003082, 2e-4},
      {L"F.TEST({6,7,9,15,21},{20,28,31,38,40})", 0.64831785, 1e-8},
      {L"FTEST({20,28,31,38,40},{6,7,9,15,21})", 0.64831785, 1e-8},
      {L"PROB({0,1,2,3},{0.2,0.3,0.1,0.4},2)", 0.1},
      {L"PROB({0,1,2,3},{0.2,0.3,0.1,0.4},1,3)", 0.8},
      {L"BINOM.DIST.RANGE(60,0.75,48)", 0.084, 1e-2},
      {L"BINOM.DIST.RANGE(60,0.75,45,50)", 0.524, 1e-3},
      // A single row's degrees of freedom are its length less one.
      {L"CHISQ.TEST({10,20,30},{20,20,20})", 0.006737947, 1e-9},
      // Excel checks only the probabilities' sum.
      {L"PROB({1,2,3},{1.5,-0.5,0},1)", 1.5},
      {L"BINOM.DIST.RANGE(10,0.5,0,10)", 1.0},
      {L"CHISQ.TEST({1,2,3},{1,2})", na},
      {L"CHISQ.TEST({5},{4})", na},
      {L"CHISQ.TEST({1,2},{0,3})", div0},
      {L"F.TEST({1},{1,2})", div0},
      {L"F.TEST({3,3,3},{1,2})", div0},
      {L"PROB({1,2},{0.5,0.4},1)", num},
      {L"PROB({1,2},{1},1)", na},
      {L"BINOM.DIST.RANGE(60,0.75,50,45)", num},
      {L"BINOM.DIST.RANGE(60,1.5,1)", num},
      {L"BINOM.DIST.RANGE(10,0.5,11)", num},
  });
}

TEST(DistributionFunctions, InversesUndoTheirDistributions) {
  auto book = NewWorkbook();
  ExpectCases(*book, {
                         {L"T.DIST(T.INV(0.3,7),7,TRUE)", 0.3},
                         {L"T.DIST.2T(T.INV.2T(1e-8,4),4)", 1e-8},
                         {L"CHISQ.DIST(CHISQ.INV(0.999,2.5),2,TRUE)", 0.999},
                         {L"F.DIST.RT(F.INV.RT(1e-9,3,5),3,5)", 1e-9},
                         {L"GAMMA.DIST(GAMMA.INV(0.25,0.3,4),0.3,4,TRUE)", 0.25},
                         {L"BETA.DIST(BETA.INV(0.9,0.5,0.5,-1,1),0.5,0.5,TRUE,-1,1)", 0.9},
                         {L"LOGNORM.DIST(LOGNORM.INV(0.2,1,2),1,2,TRUE)", 0.2},
                     });
}

}  // namespace
}  // namespace spreadsheet
