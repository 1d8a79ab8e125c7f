// Tests of the aggregate worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/calc/criteria.h"
#include "tests/support/case_value_makers.h"

namespace spreadsheet::testing {
namespace {

using test_support::Err;
using test_support::N;
using test_support::Num;
using test_support::T;

void FillColumn(CWorkbook& book, CellCoord top, const std::vector<CellValue>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i].IsEmpty()) continue;
    book.Sheet(1).SetValue({top.row + static_cast<std::int32_t>(i), top.column}, values[i]);
  }
}

struct AggregateCase {
  const wchar_t* formula;
  EvalValue expected;
};

void ExpectAll(CWorkbook& book, const std::vector<AggregateCase>& cases) {
  for (const AggregateCase& c : cases) {
    const EvalValue got = Evaluate(book, c.formula, 1, {30, 30});
    if (c.expected.IsNumber()) {
      EXPECT_TRUE(IsNumber(got, c.expected.AsNumber())) << WideToUtf8(c.formula);
    } else {
      EXPECT_EQ(got, c.expected) << WideToUtf8(c.formula) << " gave " << Describe(got);
    }
  }
}

TEST(AggregateFunctions, WildcardPatterns) {
  struct PatternCase {
    const wchar_t* pattern;
    const wchar_t* text;
    bool matches;
  };
  const PatternCase cases[] = {
      {L"a*", L"Apple", true},     {L"*e", L"apple", true},
      {L"a?ple", L"APPLE", true},  {L"a?ple", L"aple", false},
      {L"*", L"", true},           {L"?", L"", false},
      {L"a*b*c", L"aXbYbc", true}, {L"a*b*c", L"aXbYb", false},
      {L"~*", L"*", true},         {L"~*", L"x", false},
      {L"a~?", L"a?", true},       {L"a~?", L"ab", false},
      {L"~~", L"~", true},         {L"a~b", L"a~b", true},
      {L"**x", L"abx", true},      {L"*a*a*a*b", L"aaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches)
        << WideToUtf8(c.pattern) << " against " << WideToUtf8(c.text);
  }
}

TEST(AggregateFunctions, CountIfCriteria) {
  auto book = NewWorkbook();
  // A1:A10: 1, 5, "5", "apple", "Apricot", TRUE, blank, "", 43831 (1/1/2020), "a*b".
  FillColumn(*book, {1, 1},
             {N(1), N(5), T(L"5"), T(L"apple"), T(L"Apricot"), CellValue::Boolean(true),
              CellValue(), T(L""), N(43831), T(L"a*b")});
  ExpectAll(*book, {
                       {L"COUNTIF(A1:A10,5)", Num(2)},
                       {L"COUNTIF(A1:A10,\"5\")", Num(2)},
                       {L"COUNTIF(A1:A10,\"=5\")", Num(2)},
                       {L"COUNTIF(A1:A10,\">=5\")", Num(2)},
                       {L"COUNTIF(A1:A10,\">1\")", Num(2)},
                       {L"COUNTIF(A1:A10,\"<>5\")", Num(8)},
                       {L"COUNTIF(A1:A10,\"a*\")", Num(3)},
                       {L"COUNTIF(A1:A10,\"AP*\")", Num(2)},
                       {L"COUNTIF(A1:A10,\"?pple\")", Num(1)},
                       {L"COUNTIF(A1:A10,\"<>a*\")", Num(7)},
                       {L"COUNTIF(A1:A10,\"a~*b\")", Num(1)},
                       {L"COUNTIF(A1:A10,\">b\")", Num(0)},
                       {L"COUNTIF(A1:A10,\"<b\")", Num(5)},
                       {L"COUNTIF(A1:A10,TRUE)", Num(1)},
                       {L"COUNTIF(A1:A10,\"true\")", Num(1)},
                       {L"COUNTIF(A1:A10,\"\")", Num(2)},
                       {L"COUNTIF(A1:A10,\"=\")", Num(1)},
                       {L"COUNTIF(A1:A10,\"<>\")", Num(9)},
                       {L"COUNTIF(A1:A10,\">=1/1/2020\")", Num(1)},
                       {L"COUNTIF(A1:A10,\"<1/1/2020\")", Num(2)},
                       {L"COUNTIF(A1:A20,\"=\")", Num(11)},
                       {L"COUNTIF(A:A,\"<>\")", Num(9)},
                       {L"COUNTIF(A:A,\"\")", Num(1048576 - 8)},
                       {L"COUNTIF((A1:A2,A9),\">1\")", Num(2)},
                   });
}

TEST(AggregateFunctions, CountIfMatchesErrors) {
  auto book = NewWorkbook();
  FillColumn(*book, {1, 1},
             {CellValue::Error(ErrorCode::NA), CellValue::Error(ErrorCode::Div0), N(1)});
  ExpectAll(*book, {
                       {L"COUNTIF(A1:A3,\"#N/A\")", Num(1)},
                       {L"COUNTIF(A1:A3,\"<>#N/A\")", Num(2)},
                       {L"COUNTIF(A1:A3,NA())", Num(1)},
                   });
}

TEST(AggregateFunctions, SumIfTakesTheSumRangeShapeFromTheCriteria) {
  auto book = NewWorkbook();
  FillColumn(*book, {1, 1}, {N(1), N(2), N(3), N(4)});
  FillColumn(*book, {1, 3}, {N(10), N(20), N(30), N(40), N(1000)});
  FillColumn(*book, {1, 4}, {T(L"x"), N(5), CellValue::Error(ErrorCode::Div0), N(7)});
  ExpectAll(*book, {
                       {L"SUMIF(A1:A4,\">2\")", Num(7)},
                       {L"SUMIF(A1:A4,\">2\",C1:C4)", Num(70)},
                       // Only the top-left cell of the sum range counts: C1 stands for C1:C4.
                       {L"SUMIF(A1:A4,\">2\",C1)", Num(70)},
                       {L"SUMIF(A1:A4,\">=2\",C2:C2)", Num(30 + 40 + 1000)},
                       {L"SUMIF(A1:A4,\"<3\",D1:D4)", Num(5)},
                       {L"SUMIF(A1:A4,3,D1:D4)", Err(ErrorCode::Div0)},
                       {L"AVERAGEIF(A1:A4,\">1\",C1)", Num(30)},
                       {L"AVERAGEIF(A1:A4,\">9\")", Err(ErrorCode::Div0)},
                       {L"AVERAGEIF(A1:A4,1,D1:D4)", Err(ErrorCode::Div0)},
                       {L"SUMIF({1,2},1)", Err(ErrorCode::Value)},
                   });
}

TEST(AggregateFunctions, MultipleCriteria) {
  auto book = NewWorkbook();
  FillColumn(*book, {1, 1}, {T(L"east"), T(L"west"), T(L"East"), T(L"east"), T(L"north")});
  FillColumn(*book, {1, 2}, {N(1), N(2), N(3), N(4), N(5)});
  FillColumn(*book, {1, 3}, {N(100), N(200), N(300), N(400), N(500)});
  ExpectAll(*book, {
                       {L"SUMIFS(C1:C5,A1:A5,\"east\",B1:B5,\">1\")", Num(700)},
                       {L"COUNTIFS(A1:A5,\"east\",B1:B5,\"<4\")", Num(2)},
                       {L"COUNTIFS(A1:A5,\"<>east\")", Num(2)},
                       {L"AVERAGEIFS(C1:C5,A1:A5,\"east\")", Num(800.0 / 3.0)},
                       {L"AVERAGEIFS(C1:C5,A1:A5,\"south\")", Err(ErrorCode::Div0)},
                       {L"MAXIFS(C1:C5,A1:A5,\"e*\")", Num(400)},
                       {L"MINIFS(C1:C5,A1:A5,\"e*\",B1:B5,\">1\")", Num(300)},
                       {L"MAXIFS(C1:C5,A1:A5,\"south\")", Num(0)},
                       {L"SUMIFS(C1:C5,A1:A4,\"east\")", Err(ErrorCode::Value)},
                       {L"COUNTIFS(A1:A5,\"east\",B1:B4,1)", Err(ErrorCode::Value)},
                       // Blanks past the data count when every criterion takes blanks.
                       {L"COUNTIFS(A1:A9,\"\",B1:B9,\"<>1\")", Num(4)},
                       {L"SUMIFS(C1:C5,B1:B5,\">\"&B2,A1:A5,A1)", Num(700)},
                   });
  // An array of criteria gives an array of answers.
  const EvalValue counts =
      Evaluate(*book, L"COUNTIFS(A1:A5,{\"east\",\"west\"})", 1, {30, 30}, true);
  EXPECT_EQ(counts, EvalValue::Array(ValueArray{1, 2, {Num(3), Num(1)}})) << Describe(counts);
  const EvalValue sums =
      Evaluate(*book, L"SUMIF(A1:A5,{\"west\";\"north\"},C1:C5)", 1, {30, 30}, true);
  EXPECT_EQ(sums, EvalValue::Array(ValueArray{2, 1, {Num(200), Num(500)}})) << Describe(sums);
}

TEST(AggregateFunctions, SumProduct) {
  auto book = NewWorkbook();
  FillColumn(*book, {1, 1}, {N(1), N(2), N(3)});
  FillColumn(*book, {1, 2}, {N(4), T(L"x"), N(6)});
  FillColumn(*book, {1, 3}, {N(1), CellValue::Error(ErrorCode::NA), N(1)});
  ExpectAll(*book, {
                       {L"SUMPRODUCT(A1:A3,B1:B3)", Num(4 + 18)},
                       {L"SUMPRODUCT(A1:A3)", Num(6)},
                       {L"SUMPRODUCT((A1:A3>1)*A1:A3)", Num(5)},
                       {L"SUMPRODUCT(A1:A3,{1;1;1})", Num(6)},
                       {L"SUMPRODUCT(A1:A3,B1:B2)", Err(ErrorCode::Value)},
                       {L"SUMPRODUCT(A1:A3,{1,1,1})", Err(ErrorCode::Value)},
                       {L"SUMPRODUCT(A1:A3,C1:C3)", Err(ErrorCode::NA)},
                       {L"SUMPRODUCT({TRUE,2})", Num(2)},
                   });
}

TEST(AggregateFunctions, SubtotalAndAggregateLeaveOutNestedTotals) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  FillColumn(*book, {1, 1}, {N(1), N(2), N(3)});
  sheet.SetFormula({4, 1}, L"SUBTOTAL(9,A1:A3)");
  FillColumn(*book, {5, 1}, {N(4), T(L"t")});
  sheet.SetFormula({7, 1}, L"AGGREGATE(9,0,A5)");
  FillColumn(*book, {1, 2}, {N(5), CellValue::Error(ErrorCode::Div0), N(1), N(3)});
  ExpectAll(*book, {
                       {L"SUBTOTAL(9,A1:A7)", Num(10)},
                       {L"SUBTOTAL(109,A1:A7)", Num(10)},
                       {L"SUBTOTAL(1,A1:A7)", Num(2.5)},
                       {L"SUBTOTAL(2,A1:A7)", Num(4)},
                       {L"SUBTOTAL(3,A1:A7)", Num(5)},
                       {L"SUBTOTAL(4,A1:A7)", Num(4)},
                       {L"SUBTOTAL(6,A1:A7)", Num(24)},
                       {L"SUBTOTAL(7,A1:A3)", Num(1)},
                       {L"SUBTOTAL(8,A1:A3)", Num(0.816496580927726)},
                       {L"SUBTOTAL(10,A1:A3)", Num(1)},
                       {L"SUBTOTAL(11,A1:A3)", Num(2.0 / 3.0)},
                       {L"SUBTOTAL(9,A1:A2,A3)", Num(6)},
                       {L"SUBTOTAL(12,A1:A3)", Err(ErrorCode::Value)},
                       {L"SUBTOTAL(9,B1:B4)", Err(ErrorCode::Div0)},
                       {L"SUBTOTAL(3,B1:B4)", Num(4)},
                       {L"AGGREGATE(9,4,A1:A7)", Num(10 + 6 + 4)},
                       {L"AGGREGATE(9,6,B1:B4)", Num(9)},
                       {L"AGGREGATE(9,0,B1:B4)", Err(ErrorCode::Div0)},
                       {L"AGGREGATE(14,6,B1:B4,2)", Num(3)},
                       {L"AGGREGATE(15,6,B1:B4,1)", Num(1)},
                       {L"AGGREGATE(12,6,B1:B4)", Num(3)},
                       {L"AGGREGATE(16,6,B1:B4,0.5)", Num(3)},
                       {L"AGGREGATE(17,6,B1:B4,1)", Num(2)},
                       {L"AGGREGATE(18,6,B1:B4,0.25)", Num(1)},
                       {L"AGGREGATE(19,6,B1:B4,0)", Err(ErrorCode::Num)},
                       {L"AGGREGATE(14,6,B1:B4)", Err(ErrorCode::Value)},
                       {L"AGGREGATE(14,6,B1:B4,4)", Err(ErrorCode::Num)},
                       {L"AGGREGATE(20,6,B1:B4)", Err(ErrorCode::Value)},
                       {L"AGGREGATE(13,6,{1,2,2,3,3})", Num(2)},
                       {L"AGGREGATE(13,6,{1,2,3})", Err(ErrorCode::NA)},
                   });
}

TEST(AggregateFunctions, DatabaseFunctions) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  const std::vector<std::vector<CellValue>> database = {
      {T(L"Tree"), T(L"Height"), T(L"Yield")},
      {T(L"Apple"), N(18), N(14)},
      {T(L"Pear"), N(12), N(10)},
      {T(L"Cherry"), N(13), N(9)},
      {T(L"Apple"), N(14), N(10)},
      {T(L"Pear"), N(9), N(8)},
      {T(L"Apple"), N(8), N(6)},
  };
  for (std::size_t r = 0; r < database.size(); ++r) {
    for (std::size_t c = 0; c < database[r].size(); ++c) {
      sheet.SetValue({static_cast<std::int32_t>(r) + 1, static_cast<std::int32_t>(c) + 1},
                     database[r][c]);
    }
  }
  // Criteria F1:G3: Tree = Apple with Height > 10, or any Pear.
  sheet.SetValue({1, 6}, T(L"tree"));
  sheet.SetValue({1, 7}, T(L"Height"));
  sheet.SetValue({2, 6}, T(L"Apple"));
  sheet.SetValue({2, 7}, T(L">10"));
  sheet.SetValue({3, 6}, T(L"Pear"));
  // I1:I2: trees starting with "Ch" (database text criteria match the start).
  sheet.SetValue({1, 9}, T(L"Tree"));
  sheet.SetValue({2, 9}, T(L"Ch"));
  ExpectAll(*book, {
                       {L"DSUM(A1:C7,\"Yield\",F1:G3)", Num(14 + 10 + 10 + 8)},
                       {L"DSUM(A1:C7,3,F1:G3)", Num(42)},
                       {L"DCOUNT(A1:C7,\"Height\",F1:G3)", Num(4)},
                       {L"DCOUNT(A1:C7,,F1:G3)", Num(4)},
                       {L"DCOUNTA(A1:C7,\"Tree\",F1:G2)", Num(2)},
                       {L"DAVERAGE(A1:C7,\"Yield\",F1:G2)", Num(12)},
                       {L"DMAX(A1:C7,\"Height\",F1:G3)", Num(18)},
                       {L"DMIN(A1:C7,\"Height\",F1:G3)", Num(9)},
                       {L"DPRODUCT(A1:C7,\"Yield\",F1:G2)", Num(140)},
                       {L"DGET(A1:C7,\"Yield\",I1:I2)", Num(9)},
                       {L"DGET(A1:C7,\"Yield\",F1:G3)", Err(ErrorCode::Num)},
                       {L"DSUM(A1:C7,\"Width\",F1:G3)", Err(ErrorCode::Value)},
                       {L"DSUM(A1:C7,4,F1:G3)", Err(ErrorCode::Value)},
                       {L"DVARP(A1:C7,\"Height\",F1:G2)", Num(4)},
                       {L"DSTDEV(A1:C7,\"Height\",F1:G2)", Num(2.8284271247461903)},
                   });
}

}  // namespace
}  // namespace spreadsheet::testing
