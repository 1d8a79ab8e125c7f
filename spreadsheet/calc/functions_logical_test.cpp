// Tests of the logical worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "spreadsheet/calc/calc_test_support.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsBoolean;
using testing::IsError;
using testing::IsNumber;
using testing::IsText;
using testing::NewWorkbook;

// A1 TRUE, A2 "text", A3 1, A4 "TRUE" (text), B1 "x"; the rest blank.
std::unique_ptr<CWorkbook> LogicalMixedColumn() {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Boolean(true));
  sheet.SetValue({2, 1}, CellValue::Text(L"text"));
  sheet.SetValue({3, 1}, CellValue::Number(1));
  sheet.SetValue({4, 1}, CellValue::Text(L"TRUE"));
  sheet.SetValue({1, 2}, CellValue::Text(L"x"));
  return book;
}

TEST(LogicalFunctions, AndOrXorSkipTextInRanges) {
  auto book = LogicalMixedColumn();
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"AND(A1:A4)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"AND(A1:A4,0)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"OR(A2,B1,FALSE)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"XOR(A1:A3)"), false));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"XOR(TRUE,TRUE,TRUE)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"AND({TRUE,\"x\"})"), true));
  // Typed text converts when it reads as a truth value, and is #VALUE! otherwise.
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"AND(\"true\",1)"), true));
  EXPECT_TRUE(IsError(Evaluate(*book, L"AND(\"x\",TRUE)"), ErrorCode::Value));
  // Nothing to count at all.
  EXPECT_TRUE(IsError(Evaluate(*book, L"AND(A2,B1)"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(*book, L"OR(C1:C5)"), ErrorCode::Value));
  // An error wins even once the answer is known.
  EXPECT_TRUE(IsError(Evaluate(*book, L"OR(TRUE,1/0)"), ErrorCode::Div0));
}

TEST(LogicalFunctions, NotConvertsLikeIf) {
  EXPECT_TRUE(IsBoolean(Evaluate(L"NOT(0)"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"NOT(\"FALSE\")"), true));
  EXPECT_TRUE(IsError(Evaluate(L"NOT(\"1\")"), ErrorCode::Value));
  EXPECT_TRUE(IsBoolean(Evaluate(L"TRUE()"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(L"FALSE()"), false));
}

TEST(LogicalFunctions, IfMissingAndEmptyBranches) {
  EXPECT_TRUE(IsBoolean(Evaluate(L"IF(FALSE,1)"), false));
  EXPECT_TRUE(IsNumber(Evaluate(L"IF(TRUE,,1)"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(L"IF(FALSE,1,)"), 0));
  // The empty branch is 0 itself, not a blank that a cell shows as 0.
  EXPECT_TRUE(IsText(Evaluate(L"IF(FALSE,1,)&\"x\""), L"0x"));
  EXPECT_TRUE(IsText(Evaluate(L"IF(TRUE,,1)&\"x\""), L"0x"));
  EXPECT_TRUE(IsText(Evaluate(L"IFERROR(1/0,)&\"x\""), L"0x"));
  EXPECT_TRUE(IsText(Evaluate(L"IF(\"true\",\"y\",\"n\")"), L"y"));
  EXPECT_TRUE(IsError(Evaluate(L"IF(\"1\",1,2)"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(L"IF(1/0,1,2)"), ErrorCode::Div0));
  EXPECT_TRUE(IsError(Evaluate(L"IF(FALSE,1,NA())"), ErrorCode::NA));
}

TEST(LogicalFunctions, IfGivesReferences) {
  auto book = LogicalMixedColumn();
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISREF(IF(TRUE,A1:A3,5))"), true));
  EXPECT_TRUE(IsBoolean(Evaluate(*book, L"ISREF(IF(FALSE,A1:A3,5))"), false));
  EXPECT_TRUE(IsText(Evaluate(*book, L"IF(FALSE,1,B1)"), L"x"));
}

TEST(LogicalFunctions, IfErrorAndIfNa) {
  EXPECT_TRUE(IsText(Evaluate(L"IFERROR(1/0,\"e\")"), L"e"));
  EXPECT_TRUE(IsNumber(Evaluate(L"IFERROR(1/0,)"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(L"IFERROR(2,\"e\")"), 2));
  EXPECT_TRUE(IsError(Evaluate(L"IFNA(1/0,\"e\")"), ErrorCode::Div0));
  EXPECT_TRUE(IsText(Evaluate(L"IFNA(NA(),\"e\")"), L"e"));
}

TEST(LogicalFunctions, IfsTakesTheFirstTrueCondition) {
  EXPECT_TRUE(IsNumber(Evaluate(L"IFS(FALSE,1,TRUE,2,TRUE,3)"), 2));
  EXPECT_TRUE(IsError(Evaluate(L"IFS(FALSE,1,0,2)"), ErrorCode::NA));
  EXPECT_TRUE(IsError(Evaluate(L"IFS(\"x\",1)"), ErrorCode::Value));
  EXPECT_TRUE(IsError(Evaluate(L"IFS(FALSE,1,1/0,2)"), ErrorCode::Div0));
}

TEST(LogicalFunctions, SwitchMatchesWithoutConversions) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 2}, CellValue::Text(L""));  // B1: empty text; A1 stays blank.
  struct Case {
    const wchar_t* formula;
    const wchar_t* expected;  // nullptr: #N/A.
  };
  const Case cases[] = {
      {L"SWITCH(2,1,\"one\",2,\"two\",\"other\")", L"two"},
      {L"SWITCH(9,1,\"one\",2,\"two\",\"other\")", L"other"},
      {L"SWITCH(9,1,\"one\",2,\"two\")", nullptr},
      {L"SWITCH(\"ABC\",\"abc\",\"yes\")", L"yes"},
      {L"SWITCH(A1,0,\"zero\")", L"zero"},
      {L"SWITCH(A1,B1,\"empty\")", nullptr},
      {L"SWITCH(A1,FALSE,\"false\")", nullptr},
      {L"SWITCH(TRUE,1,\"one\")", nullptr},
      {L"SWITCH(\"1\",1,\"one\")", nullptr},
      {L"SWITCH(TRUE,TRUE,\"true\")", L"true"},
  };
  for (const Case& c : cases) {
    const EvalValue value = Evaluate(*book, c.formula);
    if (c.expected == nullptr) {
      EXPECT_TRUE(IsError(value, ErrorCode::NA)) << testing::Describe(value);
    } else {
      EXPECT_TRUE(IsText(value, c.expected));
    }
  }
  EXPECT_TRUE(IsError(Evaluate(L"SWITCH(2,1/0,\"a\",2,\"b\")"), ErrorCode::Div0));
  EXPECT_TRUE(IsText(Evaluate(L"SWITCH(2,2,\"b\",1/0,\"a\")"), L"b"));
  EXPECT_TRUE(IsError(Evaluate(L"SWITCH(NA(),1,\"a\",\"d\")"), ErrorCode::NA));
}

}  // namespace
}  // namespace spreadsheet
