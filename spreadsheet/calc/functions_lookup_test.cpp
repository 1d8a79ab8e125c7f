// Tests of the lookup worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"
#include "tests/support/case_value_makers.h"

namespace spreadsheet::testing {
namespace {

using test_support::Err;
using test_support::N;
using test_support::Num;
using test_support::T;
using test_support::Txt;

// Rows of values written from `corner` on; blank CellValues leave the cell blank.
void Fill(CWorkbook& book, CellCoord corner, const std::vector<std::vector<CellValue>>& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (rows[r][c].IsEmpty()) continue;
      book.Sheet(1).SetValue(
          {corner.row + static_cast<std::int32_t>(r), corner.column + static_cast<std::int32_t>(c)},
          rows[r][c]);
    }
  }
}

struct LookupCase {
  const wchar_t* formula;
  EvalValue expected;
};

void VerifyAll(CWorkbook& book, const std::vector<LookupCase>& cases, bool array = false) {
  for (const LookupCase& c : cases) {
    const EvalValue got = Evaluate(book, c.formula, 1, {20, 20}, array);
    EXPECT_EQ(got, c.expected) << WideToUtf8(c.formula) << " gave " << Describe(got) << ", not "
                               << Describe(c.expected);
  }
}

TEST(LookupFunctions, SortedLookupsGiveTheLastOfEqualKeys) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1},
       {{N(1), T(L"a")},
        {N(2), T(L"b")},
        {N(2), T(L"c")},
        {N(2), T(L"d")},
        {N(3), T(L"e")},
        {N(5), T(L"f")}});
  VerifyAll(*book, {
                       {L"VLOOKUP(2,A1:B6,2)", Txt(L"d")},
                       {L"VLOOKUP(4,A1:B6,2)", Txt(L"e")},
                       {L"VLOOKUP(9,A1:B6,2,TRUE)", Txt(L"f")},
                       {L"VLOOKUP(0,A1:B6,2)", Err(ErrorCode::NA)},
                       {L"VLOOKUP(2,A1:B6,2,FALSE)", Txt(L"b")},
                       {L"MATCH(2,A1:A6)", Num(4)},
                       {L"MATCH(2,A1:A6,0)", Num(2)},
                       {L"LOOKUP(2,A1:A6,B1:B6)", Txt(L"d")},
                       {L"HLOOKUP(3,{1,3,3,7;10,20,30,40},2)", Num(30)},
                       // Whole columns: the search stays within the used rows.
                       {L"VLOOKUP(3,A:B,2)", Txt(L"e")},
                   });
}

TEST(LookupFunctions, SortedLookupOnUnsortedDataBisectsAsExcelDoes) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(5), N(10)}, {N(1), N(20)}, {N(4), N(30)}, {N(2), N(40)}, {N(3), N(50)}});
  VerifyAll(*book, {
                       // The middle value 4 is above 1: the search goes up and meets only 5.
                       {L"VLOOKUP(1,A1:B5,2)", Err(ErrorCode::NA)},
                       {L"VLOOKUP(4,A1:B5,2)", Num(50)},
                       {L"VLOOKUP(1,A1:B5,2,FALSE)", Num(20)},
                       {L"MATCH(1,A1:A5,0)", Num(2)},
                   });
}

TEST(LookupFunctions, SortedLookupSkipsBlanksAndOtherTypes) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1},
       {{CellValue()}, {N(1)}, {T(L"x")}, {N(3)}, {CellValue()}, {N(6)}, {CellValue()}});
  VerifyAll(*book, {
                       {L"MATCH(3,A1:A7)", Num(4)},
                       {L"MATCH(5,A1:A7)", Num(4)},
                       {L"MATCH(9,A1:A7)", Num(6)},
                       {L"MATCH(0.5,A1:A7)", Err(ErrorCode::NA)},
                       {L"MATCH(\"x\",A1:A7)", Num(3)},
                       {L"MATCH(TRUE,A1:A7)", Err(ErrorCode::NA)},
                   });
}

TEST(LookupFunctions, ExactLookupsTakeWildcardsWithoutRegardToCase) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1},
       {{T(L"Banana"), N(1)},
        {T(L"apple"), N(2)},
        {T(L"a*c"), N(3)},
        {T(L"abc"), N(4)},
        {N(12), N(5)}});
  VerifyAll(*book, {
                       {L"VLOOKUP(\"APPLE\",A1:B5,2,FALSE)", Num(2)},
                       {L"VLOOKUP(\"?pple\",A1:B5,2,FALSE)", Num(2)},
                       {L"VLOOKUP(\"b*\",A1:B5,2,FALSE)", Num(1)},
                       {L"VLOOKUP(\"a~*c\",A1:B5,2,FALSE)", Num(3)},
                       {L"VLOOKUP(\"a*c\",A1:B5,2,FALSE)", Num(3)},
                       {L"MATCH(\"*c\",A1:A5,0)", Num(3)},
                       {L"MATCH(\"1*\",A1:A5,0)", Err(ErrorCode::NA)},
                       {L"MATCH(12,A1:A5,0)", Num(5)},
                       {L"MATCH(\"12\",A1:A5,0)", Err(ErrorCode::NA)},
                       {L"XMATCH(\"a*c\",A1:A5)", Num(3)},
                       {L"XMATCH(\"a?c\",A1:A5)", Err(ErrorCode::NA)},
                       {L"XMATCH(\"a?c\",A1:A5,2)", Num(3)},
                   });
}

TEST(LookupFunctions, TableLookupArgumentErrors) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(1), N(2)}, {N(3), N(4)}});
  VerifyAll(*book, {
                       {L"VLOOKUP(1,A1:B2,3)", Err(ErrorCode::Ref)},
                       {L"VLOOKUP(1,A1:B2,0)", Err(ErrorCode::Value)},
                       // The column is checked before the key is sought.
                       {L"VLOOKUP(99,A1:B2,0,FALSE)", Err(ErrorCode::Value)},
                       {L"HLOOKUP(1,A1:B2,3)", Err(ErrorCode::Ref)},
                       {L"VLOOKUP(1/0,A1:B2,1)", Err(ErrorCode::Div0)},
                       {L"MATCH(1,A1:B2,0)", Err(ErrorCode::NA)},
                       {L"VLOOKUP(1,A1:B2,2.9)", Num(2)},
                   });
}

TEST(LookupFunctions, MatchTypeMinusOneReadsDescendingData) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(9)}, {N(7)}, {N(7)}, {N(4)}, {N(1)}});
  VerifyAll(*book, {
                       {L"MATCH(7,A1:A5,-1)", Num(2)},
                       {L"MATCH(5,A1:A5,-1)", Num(3)},
                       {L"MATCH(0,A1:A5,-1)", Num(5)},
                       {L"MATCH(10,A1:A5,-1)", Err(ErrorCode::NA)},
                       // Ascending data: the first value is below the key.
                       {L"MATCH(2,{1,2,3},-1)", Err(ErrorCode::NA)},
                       {L"MATCH(0,{1,2,3},-1)", Num(3)},
                   });
}

TEST(LookupFunctions, LookupVectorAndArrayForms) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(1), N(2), N(3)}, {T(L"a"), T(L"b"), T(L"c")}});
  Fill(*book, {5, 1}, {{T(L"x")}, {T(L"y")}});
  VerifyAll(*book, {
                       // Wider than tall: the first row is searched, the last row answers.
                       {L"LOOKUP(2.5,A1:C2)", Txt(L"b")},
                       {L"LOOKUP(2,{1,10;2,20;3,30})", Num(20)},
                       // A short result vector reads on past its end.
                       {L"LOOKUP(3,A1:C1,A4:A5)", Txt(L"y")},
                       {L"LOOKUP(2,A1:C1,A5)", Txt(L"y")},
                       {L"LOOKUP(2,A1:C1,A5:B6)", Err(ErrorCode::NA)},
                       {L"LOOKUP(0,A1:C1,A5:A6)", Err(ErrorCode::NA)},
                   });
}

TEST(LookupFunctions, XlookupModes) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1},
       {{N(10), T(L"a"), N(1)},
        {N(20), T(L"b"), N(2)},
        {N(20), T(L"c"), N(3)},
        {N(40), T(L"d"), N(4)}});
  VerifyAll(*book, {
                       {L"XLOOKUP(20,A1:A4,B1:B4)", Txt(L"b")},
                       {L"XLOOKUP(20,A1:A4,B1:B4,,0,-1)", Txt(L"c")},
                       {L"XLOOKUP(25,A1:A4,B1:B4)", Err(ErrorCode::NA)},
                       {L"XLOOKUP(25,A1:A4,B1:B4,\"none\")", Txt(L"none")},
                       {L"XLOOKUP(25,A1:A4,B1:B4,,-1)", Txt(L"b")},
                       {L"XLOOKUP(25,A1:A4,B1:B4,,1)", Txt(L"d")},
                       {L"XLOOKUP(50,A1:A4,B1:B4,,1)", Err(ErrorCode::NA)},
                       {L"XLOOKUP(25,A1:A4,B1:B4,,-1,2)", Txt(L"c")},
                       {L"XLOOKUP(25,A1:A4,B1:B4,,1,2)", Txt(L"d")},
                       {L"XLOOKUP(5,A1:A4,B1:B4,,1,2)", Txt(L"a")},
                       {L"XMATCH(30,{40,30,20,10},0,-2)", Num(2)},
                       {L"XMATCH(25,{40,30,20,10},1,-2)", Num(2)},
                       {L"XMATCH(25,{40,30,20,10},-1,-2)", Num(3)},
                       {L"XLOOKUP(20,A1:A4,B1:B3)", Err(ErrorCode::Value)},
                       {L"XLOOKUP(20,A1:A4,B1:B4,,3)", Err(ErrorCode::Value)},
                       // The result is a reference into the return array.
                       {L"ROW(XLOOKUP(40,A1:A4,B1:B4))", Num(4)},
                       {L"COLUMNS(XLOOKUP(20,A1:A4,B1:C4))", Num(2)},
                       {L"XLOOKUP(\"c\",B1:B4,A1:A4)", Num(20)},
                   });
}

TEST(LookupFunctions, IndexPicksCellsRowsColumnsAndAreas) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1},
       {{N(1), N(2), N(3), CellValue(), N(7)}, {N(4), N(5), N(6), CellValue(), N(8)}});
  VerifyAll(*book, {
                       {L"INDEX(A1:C2,2,3)", Num(6)},
                       {L"INDEX(A1:C1,3)", Num(3)},
                       {L"INDEX(A1:A2,2)", Num(4)},
                       {L"ROWS(INDEX(A1:C2,0,2))", Num(2)},
                       {L"COLUMN(INDEX(A1:C2,0,2))", Num(2)},
                       {L"COLUMNS(INDEX(A1:C2,2,0))", Num(3)},
                       {L"ROW(INDEX(A1:C2,2,0))", Num(2)},
                       {L"COLUMNS(INDEX(A1:C2,2))", Num(3)},
                       {L"ROWS(A1:INDEX(A1:A9,4))", Num(4)},
                       {L"INDEX((A1:B2,E1:E2),2,1,2)", Num(8)},
                       {L"INDEX((A1:B2,E1:E2),1,1,3)", Err(ErrorCode::Ref)},
                       {L"INDEX(A1:C2,3,1)", Err(ErrorCode::Ref)},
                       {L"INDEX(A1:C2,1,4)", Err(ErrorCode::Ref)},
                       // A negative index is #VALUE! even with the other out of range.
                       {L"INDEX(A1:C2,9,-1)", Err(ErrorCode::Value)},
                       {L"INDEX({1,2;3,4},2,1)", Num(3)},
                       {L"INDEX({1,2,3},2)", Num(2)},
                       {L"INDEX({1,2;3,4},1,1,2)", Err(ErrorCode::Ref)},
                   });
  const EvalValue row = Evaluate(*book, L"INDEX({1,2;3,4},2)", 1, {20, 20}, true);
  EXPECT_EQ(row, EvalValue::Array(ValueArray{1, 2, {Num(3), Num(4)}})) << Describe(row);
  const EvalValue column = Evaluate(*book, L"INDEX({1,2;3,4},,2)", 1, {20, 20}, true);
  EXPECT_EQ(column, EvalValue::Array(ValueArray{2, 1, {Num(2), Num(4)}})) << Describe(column);
}

TEST(LookupFunctions, OffsetMovesAndSizesReferences) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(1), N(10)}, {N(2), N(20)}, {N(3), N(30)}, {N(4), N(40)}});
  VerifyAll(*book, {
                       {L"OFFSET(A1,2,1)", Num(30)},
                       {L"SUMPRODUCT(OFFSET(A1,0,0,3,1))", Num(6)},
                       {L"SUMPRODUCT(OFFSET(A1:B2,1,0))", Num(2 + 20 + 3 + 30)},
                       {L"ROWS(OFFSET(A1:B2,0,0))", Num(2)},
                       {L"COLUMNS(OFFSET(A1,0,0,,2))", Num(2)},
                       {L"ROW(OFFSET(A4,0,0,-3,1))", Num(2)},
                       {L"ROWS(OFFSET(A4,0,0,-3,1))", Num(3)},
                       {L"OFFSET(A1,-1,0)", Err(ErrorCode::Ref)},
                       {L"OFFSET(A1,0,-1)", Err(ErrorCode::Ref)},
                       {L"OFFSET(A1,1048575,0)", Num(0)},
                       {L"OFFSET(A1,1048575,0,2,1)", Err(ErrorCode::Ref)},
                       {L"OFFSET(A1,0,16384)", Err(ErrorCode::Ref)},
                       {L"OFFSET(A1,0,0,0,1)", Err(ErrorCode::Ref)},
                       {L"OFFSET(5,0,0)", Err(ErrorCode::Value)},
                       {L"OFFSET(A1,1.9,0)", Num(2)},
                   });
}

TEST(LookupFunctions, ChooseIndirectRowAndColumn) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{N(1), N(10)}, {N(2), N(20)}, {N(3), N(30)}});
  VerifyAll(*book, {
                       {L"SUMPRODUCT(CHOOSE(2,A1:A3,B1:B3))", Num(60)},
                       {L"CHOOSE(2.9,\"a\",\"b\",\"c\")", Txt(L"b")},
                       {L"CHOOSE(TRUE,\"a\",\"b\")", Txt(L"a")},
                       {L"CHOOSE(0,\"a\",\"b\")", Err(ErrorCode::Value)},
                       {L"CHOOSE(3,\"a\",\"b\")", Err(ErrorCode::Value)},
                       {L"INDIRECT(\"B2\")", Num(20)},
                       {L"INDIRECT(\"R3C2\",FALSE)", Num(30)},
                       {L"SUMPRODUCT(INDIRECT(\"A1:A3\"))", Num(6)},
                       {L"ROW()", Num(20)},
                       {L"COLUMN()", Num(20)},
                       {L"ROW(C7:D9)", Num(7)},
                       {L"COLUMN(C7:D9)", Num(3)},
                       {L"ROWS({1,2;3,4;5,6})", Num(3)},
                       {L"COLUMNS(A1:D1)", Num(4)},
                       {L"AREAS((A1,B2:C3))", Num(2)},
                       {L"ROW(5)", Err(ErrorCode::Value)},
                       // INDEX takes its first argument as an array formula would.
                       {L"INDEX(ROW(A1:A3),2)", Num(2)},
                       {L"INDEX(COLUMN(A1:C1),1,3)", Num(3)},
                   });
  const EvalValue rows = Evaluate(*book, L"ROW(A3:B5)", 1, {20, 20}, true);
  EXPECT_EQ(rows, EvalValue::Array(ValueArray{3, 1, {Num(3), Num(4), Num(5)}})) << Describe(rows);
  const EvalValue columns = Evaluate(*book, L"COLUMN(B1:C1)", 1, {20, 20}, true);
  EXPECT_EQ(columns, EvalValue::Array(ValueArray{1, 2, {Num(2), Num(3)}})) << Describe(columns);
}

TEST(LookupFunctions, ReferencesOfSeveralAreas) {
  auto book = NewWorkbook();
  Fill(*book, {4, 4}, {{N(1), N(2), N(3), N(4), CellValue(), N(10), N(20), N(30)}});
  VerifyAll(*book, {
                       {L"AREAS((D4:G4,I4:J4,K4:N4))", Num(3)},
                       {L"AREAS((D4:G4,(I4:J4,K4)))", Num(3)},
                       // Rows and columns of several areas have no one answer.
                       {L"COLUMNS((D4:G4,I4:J4,K4:N4))", Err(ErrorCode::Ref)},
                       {L"ROWS((D4:G4,I4:J4))", Err(ErrorCode::Ref)},
                       {L"SUM((D4:G4,I4:J4,K4:N4))", Num(70)},
                       {L"SUM(INDEX((D4:G4,I4:J4),,,2))", Num(30)},
                       {L"COLUMNS(INDEX((D4:G4,I4:J4),,,2))", Num(2)},
                       {L"SUM((D4:G4,I4:J4) G3:G11)", Num(4)},
                       {L"SUM(((F4:G4,I4:J4) G3:I11))", Num(14)},
                   });
}

TEST(LookupFunctions, AddressForms) {
  auto book = NewWorkbook();
  VerifyAll(*book, {
                       {L"ADDRESS(2,3)", Txt(L"$C$2")},
                       {L"ADDRESS(2,3,2)", Txt(L"C$2")},
                       {L"ADDRESS(2,3,3)", Txt(L"$C2")},
                       {L"ADDRESS(2,3,4)", Txt(L"C2")},
                       {L"ADDRESS(2,3,1,FALSE)", Txt(L"R2C3")},
                       {L"ADDRESS(2,3,2,FALSE)", Txt(L"R2C[3]")},
                       {L"ADDRESS(2,3,3,FALSE)", Txt(L"R[2]C3")},
                       {L"ADDRESS(2,3,4,FALSE)", Txt(L"R[2]C[3]")},
                       {L"ADDRESS(1,16384)", Txt(L"$XFD$1")},
                       {L"ADDRESS(2,3,1,TRUE,\"Data\")", Txt(L"Data!$C$2")},
                       {L"ADDRESS(2,3,1,TRUE,\"My Sheet\")", Txt(L"'My Sheet'!$C$2")},
                       {L"ADDRESS(2,3,1,TRUE,\"O'Neil\")", Txt(L"'O''Neil'!$C$2")},
                       {L"ADDRESS(2,3,1,TRUE,\"AB12\")", Txt(L"'AB12'!$C$2")},
                       {L"ADDRESS(2,3,1,TRUE,\"2020\")", Txt(L"'2020'!$C$2")},
                       {L"ADDRESS(0,3)", Err(ErrorCode::Value)},
                       {L"ADDRESS(2,16385)", Err(ErrorCode::Value)},
                       {L"ADDRESS(2,3,5)", Err(ErrorCode::Value)},
                       {L"HYPERLINK(\"http://x\",\"Site\")", Txt(L"Site")},
                       {L"HYPERLINK(\"http://x\")", Txt(L"http://x")},
                   });
}

EvalValue Row(std::vector<EvalValue> cells) {
  const auto columns = static_cast<std::int32_t>(cells.size());
  return EvalValue::Array(ValueArray{1, columns, std::move(cells)});
}

EvalValue Column(std::vector<EvalValue> cells) {
  const auto rows = static_cast<std::int32_t>(cells.size());
  return EvalValue::Array(ValueArray{rows, 1, std::move(cells)});
}

TEST(LookupFunctions, DynamicArrays) {
  auto book = NewWorkbook();
  Fill(*book, {1, 1}, {{T(L"b"), N(2)}, {T(L"a"), N(3)}, {T(L"B"), N(1)}, {T(L"c"), N(3)}});
  VerifyAll(
      *book,
      {
          {L"UNIQUE(A1:A4)", Column({Txt(L"b"), Txt(L"a"), Txt(L"c")})},
          {L"UNIQUE(A1:A4,FALSE,TRUE)", Column({Txt(L"a"), Txt(L"c")})},
          {L"UNIQUE({1,1,2},TRUE)", Row({Num(1), Num(2)})},
          {L"UNIQUE({1;1},FALSE,TRUE)", Err(ErrorCode::Calc)},
          {L"SORT(B1:B4)", Column({Num(1), Num(2), Num(3), Num(3)})},
          {L"SORT(B1:B4,1,-1)", Column({Num(3), Num(3), Num(2), Num(1)})},
          {L"SORT({3,\"x\",TRUE,1},1,1,TRUE)",
           Row({Num(1), Num(3), Txt(L"x"), EvalValue::Boolean(true)})},
          {L"INDEX(SORT(A1:B4,2),1,1)", Txt(L"B")},
          // Stable: equal keys keep their order.
          {L"INDEX(SORT(A1:B4,2,-1),2,1)", Txt(L"c")},
          {L"SORT(A1:B4,3)", Err(ErrorCode::Value)},
          {L"SORTBY(A1:A4,B1:B4)", Column({Txt(L"B"), Txt(L"b"), Txt(L"a"), Txt(L"c")})},
          {L"SORTBY(A1:A4,B1:B4,-1,A1:A4,1)", Column({Txt(L"a"), Txt(L"c"), Txt(L"b"), Txt(L"B")})},
          {L"SORTBY(A1:A4,B1:B3)", Err(ErrorCode::Value)},
          {L"FILTER(A1:A4,B1:B4=3)", Column({Txt(L"a"), Txt(L"c")})},
          {L"FILTER(A1:A4,B1:B4>5)", Err(ErrorCode::Calc)},
          {L"FILTER(A1:A4,B1:B4>5,\"none\")", Txt(L"none")},
          {L"FILTER(A1:A4,B1:B3)", Err(ErrorCode::Value)},
          {L"TAKE({1,2,3;4,5,6},1)", Row({Num(1), Num(2), Num(3)})},
          {L"TAKE({1,2,3;4,5,6},,-1)", Column({Num(3), Num(6)})},
          {L"DROP({1,2,3;4,5,6},1,1)", Row({Num(5), Num(6)})},
          {L"DROP({1,2,3;4,5,6},2)", Err(ErrorCode::Calc)},
          {L"CHOOSEROWS({1,2;3,4;5,6},-1,1)",
           EvalValue::Array(ValueArray{2, 2, {Num(5), Num(6), Num(1), Num(2)}})},
          {L"CHOOSECOLS({1,2;3,4},2)", Column({Num(2), Num(4)})},
          {L"CHOOSEROWS({1,2;3,4},3)", Err(ErrorCode::Value)},
          {L"VSTACK({1,2},{3})",
           EvalValue::Array(ValueArray{2, 2, {Num(1), Num(2), Num(3), Err(ErrorCode::NA)}})},
          {L"HSTACK({1;2},3)",
           EvalValue::Array(ValueArray{2, 2, {Num(1), Num(3), Num(2), Err(ErrorCode::NA)}})},
          {L"TOCOL({1,2;3,4})", Column({Num(1), Num(2), Num(3), Num(4)})},
          {L"TOCOL({1,2;3,4},0,TRUE)", Column({Num(1), Num(3), Num(2), Num(4)})},
          {L"TOROW(A1:B2)", Row({Txt(L"b"), Num(2), Txt(L"a"), Num(3)})},
          {L"TOROW({1,#N/A,3},2)", Row({Num(1), Num(3)})},
          {L"TRANSPOSE({1,2;3,4;5,6})",
           EvalValue::Array(ValueArray{2, 3, {Num(1), Num(3), Num(5), Num(2), Num(4), Num(6)}})},
      },
      true);
}

}  // namespace
}  // namespace spreadsheet::testing
