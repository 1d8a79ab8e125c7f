// Tests of the math worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/calc/function_registry.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet::testing {
namespace {

using test_support::ExpectErrors;
using test_support::ExpectNumbers;
using test_support::ExpectTexts;

EvalValue EvaluateArray(std::wstring_view formula) {
  auto book = NewWorkbook();
  return Evaluate(*book, formula, 1, {1, 1}, true);
}

// An array result, row by row.
void ExpectMathArray(const EvalValue& value, std::int32_t rows, std::int32_t columns,
                     const std::vector<double>& expected, double tolerance = 1e-9) {
  ASSERT_TRUE(value.IsArray()) << Describe(value);
  const ValueArray& array = value.AsArray();
  ASSERT_EQ(array.rows, rows) << Describe(value);
  ASSERT_EQ(array.columns, columns) << Describe(value);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(IsNumber(array.cells[i], expected[i], tolerance)) << "element " << i;
  }
}

TEST(MathFunctions, RoundingHalfAwayFromZeroOnTheDecimal) {
  ExpectNumbers({
      {L"ROUND(2.675,2)", 2.68},  // Stored as 2.67499999...
      {L"ROUND(1.005,2)", 1.01},
      {L"ROUND(0.285,2)", 0.29},
      {L"ROUND(-2.675,2)", -2.68},
      {L"ROUND(2.5,0)", 3.0},
      {L"ROUND(-2.5,0)", -3.0},
      {L"ROUND(0.5,0)", 1.0},
      {L"ROUND(999.5,0)", 1000.0},
      {L"ROUND(-0.4,0)", 0.0},
      {L"ROUND(1234.567,-2)", 1200.0},
      {L"ROUND(1250,-2)", 1300.0},
      {L"ROUND(49,-2)", 0.0},
      {L"ROUND(51,-2)", 100.0},
      {L"ROUND(5.5567,2.9)", 5.56},  // Digits are truncated.
      {L"ROUND(\"3.14159\",2)", 3.14},
  });
  // Nothing to cut leaves the value as it was, not its 15-digit decimal.
  const EvalValue third = Evaluate(L"ROUND(1/3,20)");
  ASSERT_TRUE(third.IsNumber());
  EXPECT_EQ(third.AsNumber(), 1.0 / 3.0);
}

TEST(MathFunctions, RoundUpDownAndTruncate) {
  ExpectNumbers({
      {L"ROUNDUP(3.2,0)", 4.0},
      {L"ROUNDUP(-3.2,0)", -4.0},
      {L"ROUNDUP(3.14159,3)", 3.142},
      {L"ROUNDUP(31415.92654,-2)", 31500.0},
      {L"ROUNDUP(0.001,1)", 0.1},
      {L"ROUNDUP(0.1*3,1)", 0.3},  // 0.30000000000000004 in binary.
      {L"ROUNDUP(5,0)", 5.0},
      {L"ROUNDDOWN(3.7,0)", 3.0},
      {L"ROUNDDOWN(-3.7,0)", -3.0},
      {L"ROUNDDOWN(3.14159,3)", 3.141},
      {L"ROUNDDOWN(31415.92654,-2)", 31400.0},
      {L"ROUNDDOWN(4.35*100,0)", 435.0},  // 434.99999999999994 in binary.
      {L"TRUNC(8.9)", 8.0},
      {L"TRUNC(-8.9)", -8.0},
      {L"TRUNC(8.96,1)", 8.9},
      {L"TRUNC(1234.5,-2)", 1200.0},
      {L"INT(8.9)", 8.0},
      {L"INT(-8.9)", -9.0},
      {L"INT(-0.5)", -1.0},
  });
}

TEST(MathFunctions, CeilingAndFloorWithNegativeNumbers) {
  ExpectNumbers({
      {L"CEILING(2.5,1)", 3.0},
      {L"CEILING(-2.5,2)", -2.0},   // Positive significance: toward zero.
      {L"CEILING(-2.5,-2)", -4.0},  // Negative significance: away from zero.
      {L"CEILING(1.5,0.1)", 1.5},
      {L"CEILING(0.234,0.01)", 0.24},
      {L"CEILING(4.42,0.05)", 4.45},
      {L"CEILING(1.5,0)", 0.0},
      {L"FLOOR(3.7,2)", 2.0},
      {L"FLOOR(-2.5,-2)", -2.0},
      {L"FLOOR(-2.5,2)", -4.0},
      {L"FLOOR(1.58,0.1)", 1.5},
      {L"FLOOR(0.234,0.01)", 0.23},
      {L"FLOOR(0.3,0.1)", 0.3},  // 0.3/0.1 is 2.9999999999999996.
      {L"CEILING.MATH(24.3,5)", 25.0},
      {L"CEILING.MATH(6.7)", 7.0},
      {L"CEILING.MATH(-8.1,2)", -8.0},
      {L"CEILING.MATH(-5.5,2,-1)", -6.0},
      {L"CEILING.MATH(5.5,-2)", 6.0},
      {L"FLOOR.MATH(24.3,5)", 20.0},
      {L"FLOOR.MATH(6.7)", 6.0},
      {L"FLOOR.MATH(-8.1,2)", -10.0},
      {L"FLOOR.MATH(-5.5,2,-1)", -4.0},
      {L"CEILING.PRECISE(4.3)", 5.0},
      {L"CEILING.PRECISE(-4.3)", -4.0},
      {L"CEILING.PRECISE(4.3,-2)", 6.0},
      {L"CEILING.PRECISE(-4.3,-2)", -4.0},
      {L"ISO.CEILING(-4.6,2)", -4.0},
      {L"FLOOR.PRECISE(-3.2,-1)", -4.0},
      {L"FLOOR.PRECISE(3.2,-1)", 3.0},
      {L"FLOOR.PRECISE(-3.2)", -4.0},
      {L"MROUND(10,3)", 9.0},
      {L"MROUND(-10,-3)", -9.0},
      {L"MROUND(1.3,0.2)", 1.4},
      {L"MROUND(6.05,0.1)", 6.1},  // 6.05/0.1 is 60.4999...
      {L"MROUND(7.5,5)", 10.0},
      {L"MROUND(5,0)", 0.0},
  });
  ExpectErrors({
      {L"CEILING(2.5,-2)", ErrorCode::Num},
      {L"FLOOR(2.5,-2)", ErrorCode::Num},
      {L"FLOOR(2,0)", ErrorCode::Div0},
      {L"MROUND(5,-2)", ErrorCode::Num},
      {L"MROUND(-5,2)", ErrorCode::Num},
      {L"CEILING(\"x\",1)", ErrorCode::Value},
  });
}

TEST(MathFunctions, EvenAndOddRoundAwayFromZero) {
  ExpectNumbers({
      {L"EVEN(1.5)", 2.0},
      {L"EVEN(3)", 4.0},
      {L"EVEN(2)", 2.0},
      {L"EVEN(-1)", -2.0},
      {L"EVEN(0)", 0.0},
      {L"ODD(1.5)", 3.0},
      {L"ODD(3)", 3.0},
      {L"ODD(2)", 3.0},
      {L"ODD(-1)", -1.0},
      {L"ODD(-2)", -3.0},
      {L"ODD(0)", 1.0},
  });
}

TEST(MathFunctions, ModTakesTheDivisorsSign) {
  ExpectNumbers({
      {L"MOD(3,2)", 1.0},
      {L"MOD(-3,2)", 1.0},
      {L"MOD(3,-2)", -1.0},
      {L"MOD(-3,-2)", -1.0},
      {L"MOD(5.5,2)", 1.5},
      {L"MOD(-5.5,2)", 0.5},
      {L"MOD(6,3)", 0.0},
      {L"MOD(0.3,0.1)", 0.0},  // Not 0.09999999999999998.
      {L"MOD(-0.3,0.1)", 0.0},
      {L"MOD(0,5)", 0.0},
      {L"QUOTIENT(5,2)", 2.0},
      {L"QUOTIENT(-10,3)", -3.0},
      {L"QUOTIENT(4.5,3.1)", 1.0},
  });
  ExpectErrors({
      {L"MOD(3,0)", ErrorCode::Div0},
      {L"MOD(1/0,2)", ErrorCode::Div0},
      {L"MOD(\"a\",2)", ErrorCode::Value},
      {L"QUOTIENT(1,0)", ErrorCode::Div0},
  });
}

TEST(MathFunctions, PowersRootsAndLogarithms) {
  ExpectNumbers({
      {L"POWER(-2,3)", -8.0},
      {L"POWER(4,0.5)", 2.0},
      {L"POWER(98.6,3.2)", 2401077.2220695773},
      {L"POWER(2,-1)", 0.5},
      {L"SQRT(16)", 4.0},
      {L"SQRTPI(2)", std::sqrt(2.0 * std::numbers::pi)},
      {L"EXP(1)", std::numbers::e},
      {L"LN(86)", 4.454347296253507},
      {L"LOG(8,2)", 3.0},
      {L"LOG(100)", 2.0},
      {L"LOG10(1E-5)", -5.0},
      {L"PI()", std::numbers::pi},
  });
  ExpectErrors({
      {L"POWER(0,0)", ErrorCode::Num},
      {L"POWER(0,-1)", ErrorCode::Div0},
      {L"POWER(-8,1/3)", ErrorCode::Num},
      {L"POWER(10,400)", ErrorCode::Num},
      {L"SQRT(-1)", ErrorCode::Num},
      {L"SQRTPI(-1)", ErrorCode::Num},
      {L"EXP(1000)", ErrorCode::Num},
      {L"LN(0)", ErrorCode::Num},
      {L"LOG(-1)", ErrorCode::Num},
      {L"LOG(10,0)", ErrorCode::Num},
      {L"LOG(10,1)", ErrorCode::Div0},
      {L"LOG10(0)", ErrorCode::Num},
  });
}

TEST(MathFunctions, Trigonometry) {
  const double pi = std::numbers::pi;
  ExpectNumbers(
      {
          {L"SIN(PI()/2)", 1.0},
          {L"COS(PI())", -1.0},
          {L"TAN(PI()/4)", 1.0},
          {L"ASIN(-0.5)", -pi / 6.0},
          {L"ACOS(-0.5)", 2.0 * pi / 3.0},
          {L"ATAN(1)", pi / 4.0},
          {L"ATAN2(1,1)", pi / 4.0},
          {L"ATAN2(-1,-1)", -3.0 * pi / 4.0},
          {L"ATAN2(-1,0)", pi},       // x = -1, y = 0.
          {L"ATAN2(0,-1)", -pi / 2},  // x = 0, y = -1.
          {L"COT(30)", -0.156119952161659},
          {L"CSC(15)", 1.5377805615408537},
          {L"SEC(45)", 1.9035944074044246},
          {L"ACOT(2)", 0.463647609000806},
          {L"ACOT(-1)", 3.0 * pi / 4.0},
          {L"ACOT(0)", pi / 2.0},
          {L"SINH(1)", std::sinh(1.0)},
          {L"COSH(4)", 27.3082328360165},
          {L"TANH(-2)", -0.964027580075817},
          {L"ASINH(-2.5)", -1.6472311463710958},
          {L"ACOSH(10)", 2.99322284612638},
          {L"ATANH(0.76159416)", 1.0000000096297197},
          {L"COTH(2)", 1.03731472072755},
          {L"CSCH(1.5)", 0.469642440595225},
          {L"SECH(1)", 0.648054273663885},
          {L"ACOTH(6)", 0.168236118310606},
          {L"DEGREES(PI())", 180.0},
          {L"RADIANS(270)", 4.71238898038469},
      },
      1e-8);
  ExpectErrors({
      {L"ATAN2(0,0)", ErrorCode::Div0},
      {L"SIN(2^27)", ErrorCode::Num},
      {L"COS(-2^27)", ErrorCode::Num},
      {L"COT(0)", ErrorCode::Div0},
      {L"CSC(0)", ErrorCode::Div0},
      {L"COTH(0)", ErrorCode::Div0},
      {L"CSCH(0)", ErrorCode::Div0},
      {L"ASIN(1.1)", ErrorCode::Num},
      {L"ACOS(-2)", ErrorCode::Num},
      {L"ACOSH(0.5)", ErrorCode::Num},
      {L"ATANH(1)", ErrorCode::Num},
      {L"ACOTH(1)", ErrorCode::Num},
      {L"ACOTH(-0.5)", ErrorCode::Num},
      {L"COSH(1000)", ErrorCode::Num},
      {L"SIN(\"x\")", ErrorCode::Value},
  });
}

TEST(MathFunctions, FactorialsAndCombinations) {
  ExpectNumbers({
      {L"FACT(5)", 120.0},
      {L"FACT(1.9)", 1.0},
      {L"FACT(0)", 1.0},
      {L"FACT(170)", 7.257415615307999e306},
      {L"FACTDOUBLE(6)", 48.0},
      {L"FACTDOUBLE(7)", 105.0},
      {L"FACTDOUBLE(0)", 1.0},
      {L"COMBIN(8,2)", 28.0},
      {L"COMBIN(8.9,2.9)", 28.0},
      {L"COMBIN(60,30)", 118264581564861424.0},
      {L"COMBIN(5,0)", 1.0},
      {L"COMBIN(5,5)", 1.0},
      {L"COMBINA(4,3)", 20.0},
      {L"COMBINA(10,3)", 220.0},
      {L"COMBINA(5,0)", 1.0},
      {L"PERMUT(100,3)", 970200.0},
      {L"PERMUT(3,2)", 6.0},
      {L"PERMUT(3,0)", 1.0},
      {L"PERMUTATIONA(3,2)", 9.0},
      {L"PERMUTATIONA(2,2)", 4.0},
      {L"MULTINOMIAL(2,3,4)", 1260.0},
      {L"MULTINOMIAL(5)", 1.0},
      {L"GCD(5,2)", 1.0},
      {L"GCD(24,36)", 12.0},
      {L"GCD(24.9,36)", 12.0},
      {L"GCD(7,0)", 7.0},
      {L"LCM(5,2)", 10.0},
      {L"LCM(24,36)", 72.0},
      {L"LCM(3,0)", 0.0},
  });
  // Exact integers where doubles can still hold them.
  const EvalValue combin = Evaluate(L"COMBIN(50,25)");
  ASSERT_TRUE(combin.IsNumber());
  EXPECT_EQ(combin.AsNumber(), 126410606437752.0);
  ExpectErrors({
      {L"FACT(-1)", ErrorCode::Num},
      {L"FACT(171)", ErrorCode::Num},
      {L"FACTDOUBLE(-1)", ErrorCode::Num},
      {L"COMBIN(3,4)", ErrorCode::Num},
      {L"COMBIN(-1,0)", ErrorCode::Num},
      {L"COMBIN(2000,1000)", ErrorCode::Num},
      {L"COMBINA(-1,2)", ErrorCode::Num},
      {L"PERMUT(0,0)", ErrorCode::Num},
      {L"PERMUT(3,4)", ErrorCode::Num},
      {L"PERMUTATIONA(-1,2)", ErrorCode::Num},
      {L"MULTINOMIAL(2,-1)", ErrorCode::Num},
      {L"GCD(5,-1)", ErrorCode::Num},
      {L"GCD(2^53,2)", ErrorCode::Num},
      {L"LCM(-2,4)", ErrorCode::Num},
      {L"FACT(\"x\")", ErrorCode::Value},
  });
}

// A1:A5 holds 1, "2" (text), TRUE, blank, 3; B1 holds #DIV/0!.
std::unique_ptr<CWorkbook> MathMixedColumn() {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Number(1));
  sheet.SetValue({2, 1}, CellValue::Text(L"2"));
  sheet.SetValue({3, 1}, CellValue::Boolean(true));
  sheet.SetValue({5, 1}, CellValue::Number(3));
  sheet.SetValue({1, 2}, CellValue::Error(ErrorCode::Div0));
  return book;
}

TEST(MathFunctions, SumCountsOnlyNumbersOfReferencesButConvertsTypedArguments) {
  auto book = MathMixedColumn();
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUM(A1:A5)", 1, {10, 10}), 4.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUM(A1:A5,10)", 1, {10, 10}), 14.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUM(A2)", 1, {10, 10}), 0.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUM(\"2\",TRUE,1)", 1, {10, 10}), 4.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUM({1,\"2\",TRUE})", 1, {10, 10}), 1.0));
  EXPECT_TRUE(IsError(Evaluate(*book, L"SUM(\"abc\",1)", 1, {10, 10}), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(*book, L"SUM(A1:B5)", 1, {10, 10}), ErrorCode::Div0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"PRODUCT(A1:A5)", 1, {10, 10}), 3.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"PRODUCT(A1:A5,\"2\")", 1, {10, 10}), 6.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"PRODUCT(C1:C5)", 1, {10, 10}), 0.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUMSQ(A1:A5)", 1, {10, 10}), 10.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUMSQ(3,4)", 1, {10, 10}), 25.0));
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUMSQ(A1:A5*2)", 1, {10, 10}), 60.0));
}

TEST(MathFunctions, SumsOfPairedArrays) {
  ExpectNumbers({
      {L"SUMX2MY2({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", -55.0},
      {L"SUMX2PY2({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", 521.0},
      {L"SUMXMY2({2,3,9,1,8,7,5},{6,5,11,7,5,4,4})", 79.0},
      {L"SUMXMY2({1,\"a\",3},{2,5,TRUE})", 1.0},  // Pairs with a non-number drop out.
      {L"SERIESSUM(PI()/4,0,2,{1,-0.5,0.0416666666666667,-0.00138888888888889})",
       0.7071032148228457},
  });
  ExpectErrors({
      {L"SUMX2MY2({1,2},{1,2,3})", ErrorCode::NA},
      {L"SERIESSUM(1,0,1,{1,\"a\"})", ErrorCode::Value},
  });
  auto book = MathMixedColumn();
  EXPECT_TRUE(IsNumber(Evaluate(*book, L"SUMX2PY2(A1:A5,A1:A5)", 1, {10, 10}), 20.0));
  EXPECT_TRUE(IsError(Evaluate(*book, L"SUMXMY2({1,2},B1:C1)", 1, {10, 10}), ErrorCode::Div0));
}

TEST(MathFunctions, MatrixResults) {
  ExpectMathArray(EvaluateArray(L"MMULT({1,2;3,4},{5;6})"), 2, 1, {17.0, 39.0});
  ExpectMathArray(EvaluateArray(L"MMULT({1,2},{3;4})"), 1, 1, {11.0});
  ExpectMathArray(EvaluateArray(L"MMULT({1;2},{3,4})"), 2, 2, {3.0, 4.0, 6.0, 8.0});
  ExpectMathArray(EvaluateArray(L"MINVERSE({4,-1;2,0})"), 2, 2, {0.0, 0.5, -1.0, 2.0});
  ExpectMathArray(EvaluateArray(L"MINVERSE({0,1,0;1,0,0;0,0,2})"), 3, 3,
                  {0.0, 1.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.5});
  ExpectMathArray(EvaluateArray(L"MMULT(MINVERSE({2,1,1;1,3,2;1,0,0}),{2,1,1;1,3,2;1,0,0})"), 3, 3,
                  {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0});
  ExpectMathArray(EvaluateArray(L"MUNIT(3)"), 3, 3, {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0});
  ExpectMathArray(EvaluateArray(L"SEQUENCE(2,3,10,5)"), 2, 3, {10.0, 15.0, 20.0, 25.0, 30.0, 35.0});
  ExpectMathArray(EvaluateArray(L"SEQUENCE(3)"), 3, 1, {1.0, 2.0, 3.0});
  ExpectMathArray(EvaluateArray(L"SEQUENCE(1,3,,-1)"), 1, 3, {1.0, 0.0, -1.0});
  EXPECT_TRUE(IsNumber(Evaluate(L"MDETERM({1,3,8,5;1,3,6,1;1,1,1,0;7,3,10,2})"), 88.0));
  EXPECT_TRUE(IsNumber(Evaluate(L"MDETERM({3,6;1,1})"), -3.0));
  EXPECT_TRUE(IsNumber(Evaluate(L"MDETERM({0,1;1,0})"), -1.0));  // Needs a row swap.
  EXPECT_TRUE(IsNumber(Evaluate(L"MDETERM({1,2;2,4})"), 0.0));
  ExpectErrors({
      {L"MMULT({1,2},{1,2})", ErrorCode::Value},
      {L"MMULT({1,\"a\"},{1;2})", ErrorCode::Value},
      {L"MDETERM({1,2,3})", ErrorCode::Value},
      {L"MINVERSE({1,2;2,4})", ErrorCode::Num},
      {L"MINVERSE({1,2})", ErrorCode::Value},
      {L"MUNIT(0)", ErrorCode::Value},
      {L"SEQUENCE(0)", ErrorCode::Calc},
      {L"SEQUENCE(-1)", ErrorCode::Value},
  });
  // A blank cell in a matrix is #VALUE!, not 0.
  auto book = NewWorkbook();
  book->Sheet(1).SetValue({1, 1}, CellValue::Number(2));
  EXPECT_TRUE(IsError(Evaluate(*book, L"MDETERM(A1:B2)", 1, {5, 5}), ErrorCode::Value));
}

TEST(MathFunctions, RomanArabicAndBases) {
  ExpectTexts({
      {L"ROMAN(499,0)", L"CDXCIX"},
      {L"ROMAN(499,1)", L"LDVLIV"},
      {L"ROMAN(499,2)", L"XDIX"},
      {L"ROMAN(499,3)", L"VDIV"},
      {L"ROMAN(499,4)", L"ID"},
      {L"ROMAN(499)", L"CDXCIX"},
      {L"ROMAN(499,TRUE)", L"CDXCIX"},
      {L"ROMAN(499,FALSE)", L"ID"},
      {L"ROMAN(1999)", L"MCMXCIX"},
      {L"ROMAN(3999)", L"MMMCMXCIX"},
      {L"ROMAN(0)", L""},
      {L"ROMAN(14.9)", L"XIV"},
      {L"BASE(7,2)", L"111"},
      {L"BASE(100,16,4)", L"0064"},
      {L"BASE(35,36)", L"Z"},
      {L"BASE(0,2)", L"0"},
  });
  ExpectNumbers({
      {L"ARABIC(\"LVII\")", 57.0},
      {L"ARABIC(\"mcmxii\")", 1912.0},
      {L"ARABIC(\"-XIV\")", -14.0},
      {L"ARABIC(\" MMXX \")", 2020.0},
      {L"ARABIC(\"\")", 0.0},
      {L"ARABIC(ROMAN(3888))", 3888.0},
      {L"DECIMAL(\"FF\",16)", 255.0},
      {L"DECIMAL(\"zap\",36)", 45745.0},
      {L"DECIMAL(111,2)", 7.0},
  });
  ExpectErrors({
      {L"ROMAN(4000)", ErrorCode::Value},
      {L"ROMAN(-1)", ErrorCode::Value},
      {L"ROMAN(10,5)", ErrorCode::Value},
      {L"ARABIC(\"ABC\")", ErrorCode::Value},
      {L"BASE(-1,2)", ErrorCode::Num},
      {L"BASE(5,37)", ErrorCode::Num},
      {L"BASE(5,2,256)", ErrorCode::Num},
      {L"DECIMAL(\"12\",2)", ErrorCode::Num},
      {L"DECIMAL(\"1\",1)", ErrorCode::Num},
  });
}

TEST(MathFunctions, RandomNumbersAreVolatileAndInRange) {
  for (const wchar_t* name : {L"RAND", L"RANDBETWEEN", L"RANDARRAY"}) {
    const FunctionEntry* entry = FindFunction(name);
    ASSERT_NE(entry, nullptr) << WideToUtf8(name);
    EXPECT_NE(entry->flags & kVolatile, 0) << WideToUtf8(name);
  }
  EXPECT_EQ(FindFunction(L"ROUND")->flags & kVolatile, 0);
  for (int i = 0; i < 20; ++i) {
    const EvalValue rand = Evaluate(L"RAND()");
    ASSERT_TRUE(rand.IsNumber());
    EXPECT_GE(rand.AsNumber(), 0.0);
    EXPECT_LT(rand.AsNumber(), 1.0);
    const EvalValue between = Evaluate(L"RANDBETWEEN(-2,3)");
    ASSERT_TRUE(between.IsNumber());
    EXPECT_GE(between.AsNumber(), -2.0);
    EXPECT_LE(between.AsNumber(), 3.0);
    EXPECT_EQ(between.AsNumber(), std::floor(between.AsNumber()));
  }
  EXPECT_TRUE(IsNumber(Evaluate(L"RANDBETWEEN(5,5)"), 5.0));
  EXPECT_TRUE(IsError(Evaluate(L"RANDBETWEEN(3,1)"), ErrorCode::Num));

  const EvalValue dice = EvaluateArray(L"RANDARRAY(4,3,1,6,TRUE)");
  ASSERT_TRUE(dice.IsArray()) << Describe(dice);
  EXPECT_EQ(dice.AsArray().rows, 4);
  EXPECT_EQ(dice.AsArray().columns, 3);
  for (const EvalValue& cell : dice.AsArray().cells) {
    ASSERT_TRUE(cell.IsNumber());
    EXPECT_GE(cell.AsNumber(), 1.0);
    EXPECT_LE(cell.AsNumber(), 6.0);
    EXPECT_EQ(cell.AsNumber(), std::floor(cell.AsNumber()));
  }
  ExpectErrors({
      {L"RANDARRAY(1,1,5,1)", ErrorCode::Value},
      {L"RANDARRAY(1,1,0.5,3,TRUE)", ErrorCode::Value},
  });
}

TEST(MathFunctions, ArgumentErrorsPropagate) {
  ExpectErrors({
      {L"ROUND(1/0,2)", ErrorCode::Div0},
      {L"ROUND(2,1/0)", ErrorCode::Div0},
      {L"ROUND(\"x\",1/0)", ErrorCode::Value},  // The first bad argument decides.
      {L"ABS(\"x\")", ErrorCode::Value},
      {L"SUM(1,1/0)", ErrorCode::Div0},
      {L"POWER(1/0,0)", ErrorCode::Div0},
      {L"GCD(4,1/0)", ErrorCode::Div0},
  });
  auto book = MathMixedColumn();
  EXPECT_TRUE(IsError(Evaluate(*book, L"MMULT({1,2},B1:B2)", 1, {10, 10}), ErrorCode::Div0));
  EXPECT_TRUE(IsError(Evaluate(*book, L"ROUND(B1,1)", 1, {10, 10}), ErrorCode::Div0));
}

}  // namespace
}  // namespace spreadsheet::testing
