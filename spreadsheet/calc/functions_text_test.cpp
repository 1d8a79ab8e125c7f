// Tests of the text worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <string_view>

#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/calc/eval_value.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsError;
using testing::IsText;
using testing::NewWorkbook;
using test_support::ExpectErrors;
using test_support::ExpectNumbers;
using test_support::ExpectTexts;

TEST(TextFunctions, SearchWildcardsAndEscapes) {
  ExpectNumbers({
      {L"SEARCH(\"b?d\",\"abcbed\")", 4},
      {L"SEARCH(\"a*d\",\"xxabcd\")", 3},
      {L"SEARCH(\"*\",\"abc\")", 1},
      {L"SEARCH(\"*c\",\"abc\")", 1},
      {L"SEARCH(\"a*c*e\",\"xabcde\")", 2},
      {L"SEARCH(\"~*\",\"a*b\")", 2},
      {L"SEARCH(\"~?\",\"a?b\")", 2},
      {L"SEARCH(\"~~\",\"a~b\")", 2},
      {L"SEARCH(\"~x\",\"a~xb\")", 2},  // '~' before an ordinary character is itself.
      {L"SEARCH(\"B\",\"abc\")", 2},
      {L"SEARCH(\"c\",\"abcabc\",4)", 6},
      {L"SEARCH(\"\",\"abc\",4)", 4},
  });
  ExpectErrors({
      {L"SEARCH(\"c?\",\"abc\")", ErrorCode::Value},
      {L"SEARCH(\"x*\",\"abc\")", ErrorCode::Value},
      {L"SEARCH(\"a*z\",\"aaaaaaaa\")", ErrorCode::Value},
      {L"SEARCH(\"a\",\"abc\",0)", ErrorCode::Value},
      {L"SEARCH(\"a\",\"abc\",5)", ErrorCode::Value},
  });
}

TEST(TextFunctions, FindIsCaseSensitiveWithoutWildcards) {
  ExpectNumbers({
      {L"FIND(\"b\",\"abcb\",3)", 4},
      {L"FIND(\"*\",\"a*b\")", 2},
      {L"FIND(\"\",\"abc\")", 1},
      {L"FIND(\"\",\"abc\",4)", 4},
      {L"FIND(1,2010)", 3},
      {L"FINDB(\"c\",\"abc\")", 3},
  });
  ExpectErrors({
      {L"FIND(\"B\",\"abc\")", ErrorCode::Value},
      {L"FIND(\"\",\"abc\",5)", ErrorCode::Value},
      {L"FIND(\"a\",\"abc\",0)", ErrorCode::Value},
      {L"FIND(\"a\",1/0)", ErrorCode::Div0},
  });
}

TEST(TextFunctions, SubstituteInstances) {
  ExpectTexts({
      {L"SUBSTITUTE(\"aXbXc\",\"X\",\"-\")", L"a-b-c"},
      {L"SUBSTITUTE(\"aXbXc\",\"X\",\"-\",2)", L"aXb-c"},
      {L"SUBSTITUTE(\"aXbXc\",\"X\",\"-\",3)", L"aXbXc"},
      {L"SUBSTITUTE(\"aaaa\",\"aa\",\"b\")", L"bb"},
      {L"SUBSTITUTE(\"aaa\",\"aa\",\"b\",2)", L"aaa"},
      {L"SUBSTITUTE(\"abc\",\"\",\"x\")", L"abc"},
      {L"SUBSTITUTE(\"aXb\",\"x\",\"-\")", L"aXb"},
      {L"SUBSTITUTE(36526,\"6\",\"q\",2)", L"3652q"},
  });
  ExpectErrors({{L"SUBSTITUTE(\"a\",\"a\",\"b\",0)", ErrorCode::Value}});
}

TEST(TextFunctions, TrimAndClean) {
  ExpectTexts({
      {L"TRIM(\"  a   b  \")", L"a b"},
      {L"TRIM(\"   \")", L""},
      {L"TRIM(CHAR(160)&\"a \")", L"\u00A0a"},  // Only the ASCII space goes.
      {L"TRIM(\"a\"&CHAR(9)&\" b\")", L"a\t b"},
      {L"CLEAN(CHAR(7)&\"a\"&CHAR(10)&\"b\")", L"ab"},
  });
}

TEST(TextFunctions, TextFormatsDatesPercentAndTextSections) {
  ExpectTexts({
      {L"TEXT(43895,\"yyyy-mm-dd\")", L"2020-03-05"},
      {L"TEXT(43895.75,\"dddd, mmmm d, yyyy h:mm AM/PM\")", L"Thursday, March 5, 2020 6:00 PM"},
      {L"TEXT(0.256,\"0.0%\")", L"25.6%"},
      {L"TEXT(-1,\"w;x@\")", L"-w"},
      {L"TEXT(\"X\",\"##.00;-  ##.0;\"\"ZERO\"\";->@<-@\")", L"->X<-X"},
      {L"TEXT(\"abc\",\"0.00\")", L"abc"},
      {L"TEXT(\"1.5\",\"0.00\")", L"1.50"},  // Numeric text is a number.
      {L"TEXT(TRUE,\"0.00\")", L"TRUE"},
      {L"TEXT(\"\",\"0\")", L""},
      {L"TEXT(1234.5,0)", L"1235"},
      {L"TEXT(-1,\"\")", L"-"},
      {L"TEXT(1,\"\")", L""},
      {L"TEXT(\"Plugh\",\"\")", L"Plugh"},
  });
  auto book = NewWorkbook();  // A blank is 0.
  EXPECT_TRUE(IsText(Evaluate(*book, L"TEXT(B9,\"0.0\")"), L"0.0"));
  ExpectErrors({
      {L"TEXT(-1,\"yy\")", ErrorCode::Value},
      {L"TEXT(\"X\",\"\"\"abc\")", ErrorCode::Value},
      {L"TEXT(1/0,\"0\")", ErrorCode::Div0},
  });
}

TEST(TextFunctions, FixedAndDollar) {
  ExpectTexts({
      {L"FIXED(1234.567)", L"1,234.57"},
      {L"FIXED(1234.567,1,TRUE)", L"1234.6"},
      {L"FIXED(1234.567,-2)", L"1,200"},
      {L"FIXED(-0.5,0)", L"-1"},
      {L"DOLLAR(1234.567)", L"$1,234.57"},
      {L"DOLLAR(-1234.567)", L"($1,234.57)"},
      {L"DOLLAR(1234.5,0)", L"$1,235"},
  });
  ExpectErrors({{L"FIXED(1,128)", ErrorCode::Value}, {L"FIXED(\"x\")", ErrorCode::Value}});
}

TEST(TextFunctions, PiecesAndPositions) {
  ExpectTexts({
      {L"LEFT(\"abc\")", L"a"},
      {L"LEFT(\"abc\",5)", L"abc"},
      {L"LEFT(\"abc\",0)", L""},
      {L"RIGHT(\"abc\",2)", L"bc"},
      {L"RIGHT(-2.34,2)", L"34"},
      {L"MID(\"abcdef\",3,2)", L"cd"},
      {L"MID(\"abc\",5,1)", L""},
      {L"REPLACE(\"abcdef\",2,3,\"X\")", L"aXef"},
      {L"REPLACE(\"abc\",10,1,\"X\")", L"abcX"},
      {L"REPT(\"ab\",3)", L"ababab"},
      {L"T(\"a\")&T(1)&T(TRUE)", L"a"},
  });
  ExpectNumbers({{L"LEN(123.5)", 5}, {L"LEN(REPT(\"a\",32767))", 32767}, {L"LENB(\"abc\")", 3}});
  ExpectErrors({
      {L"LEFT(\"abc\",-1)", ErrorCode::Value},
      {L"MID(\"abc\",0,1)", ErrorCode::Value},
      {L"MID(\"abc\",1,-1)", ErrorCode::Value},
      {L"REPLACE(\"abc\",0,1,\"X\")", ErrorCode::Value},
      {L"REPT(\"a\",32768)", ErrorCode::Value},
      {L"REPT(\"x\",-1)", ErrorCode::Value},
      {L"CONCATENATE(REPT(\"a\",32767),\"b\")", ErrorCode::Value},
  });
}

TEST(TextFunctions, ConcatAndTextJoinWalkRanges) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Text(L"a"));
  sheet.SetValue({3, 1}, CellValue::Number(3));
  sheet.SetValue({1, 2}, CellValue::Text(L""));
  sheet.SetValue({2, 2}, CellValue::Boolean(true));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CONCAT(A1:B3,\"!\")"), L"aTRUE3!"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"TEXTJOIN(\"-\",FALSE,A1:A3)"), L"a--3"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"TEXTJOIN(\"-\",TRUE,A1:B3)"), L"a-TRUE-3"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"TEXTJOIN({\"-\",\"+\"},TRUE,\"a\",\"b\",\"c\")"), L"a-b+c"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"CONCATENATE(A1,3,TRUE)"), L"a3TRUE"));
  sheet.SetValue({2, 1}, CellValue::Error(ErrorCode::NA));
  EXPECT_TRUE(IsError(Evaluate(*book, L"CONCAT(A1:A3)"), ErrorCode::NA));
  EXPECT_TRUE(IsError(Evaluate(*book, L"TEXTJOIN(\",\",TRUE,A1:A3)"), ErrorCode::NA));
  // A whole column of blanks would need a million delimiters.
  EXPECT_TRUE(IsError(Evaluate(*book, L"TEXTJOIN(\",\",FALSE,C:C)"), ErrorCode::Value));
  EXPECT_TRUE(IsText(Evaluate(*book, L"TEXTJOIN(\",\",TRUE,C:C)"), L""));
}

TEST(TextFunctions, CaseAndComparison) {
  ExpectTexts({
      {L"PROPER(\"2-way STREET it's\")", L"2-Way Street It'S"},
      {L"UPPER(\"caf\u00E9\")", L"CAF\u00C9"},
      {L"LOWER(\"\u00C0B\")", L"\u00E0b"},
      {L"LOWER(TRUE)", L"true"},
  });
  EXPECT_TRUE(testing::IsBoolean(Evaluate(L"EXACT(\"a\",\"A\")"), false));
  EXPECT_TRUE(testing::IsBoolean(Evaluate(L"EXACT(1,\"1\")"), true));
}

TEST(TextFunctions, CharacterCodesUseWindows1252) {
  ExpectTexts({{L"CHAR(65)", L"A"},
               {L"CHAR(128)", L"\u20AC"},
               {L"CHAR(233)", L"\u00E9"},
               {L"CHAR(129)", L"\u0081"},
               {L"UNICHAR(8364)", L"\u20AC"}});
  ExpectNumbers({
      {L"CODE(\"\u20AC\")", 128},
      {L"CODE(\"abc\")", 97},
      {L"CODE(UNICHAR(1234))", 63},
      {L"UNICODE(\"\u20AC\")", 8364},
      {L"UNICODE(UNICHAR(128512))", 128512},
  });
  ExpectErrors({
      {L"CHAR(0)", ErrorCode::Value},
      {L"CHAR(256)", ErrorCode::Value},
      {L"CODE(\"\")", ErrorCode::Value},
      {L"UNICHAR(0)", ErrorCode::Value},
      {L"UNICHAR(55296)", ErrorCode::NA},
  });
}

TEST(TextFunctions, TextBeforeAndAfter) {
  ExpectTexts({
      {L"TEXTBEFORE(\"Little red Riding Hood's red hood\",\"red\")", L"Little "},
      {L"TEXTBEFORE(\"Little red Riding Hood's red hood\",\"red\",2)",
       L"Little red Riding Hood's "},
      {L"TEXTBEFORE(\"Little red Riding Hood's red hood\",\"red\",-2)", L"Little "},
      {L"TEXTBEFORE(\"Little red Riding Hood's red hood\",\"Red\",,1)", L"Little "},
      {L"TEXTAFTER(\"Little red Riding Hood's red hood\",\"red\")", L" Riding Hood's red hood"},
      {L"TEXTAFTER(\"Little red Riding Hood's red hood\",\"red\",-1)", L" hood"},
      {L"TEXTBEFORE(\"Socrates\",\" \",,,1)", L"Socrates"},
      {L"TEXTAFTER(\"Socrates\",\" \",-1,,1)", L"Socrates"},
      {L"TEXTAFTER(\"a;b,c\",{\",\",\";\"})", L"b,c"},
      {L"TEXTBEFORE(\"abc\",\"\")", L""},
      {L"TEXTBEFORE(\"abc\",\"\",-1)", L"abc"},
      {L"TEXTBEFORE(\"abc\",\"x\",,,,\"none\")", L"none"},
  });
  ExpectErrors({
      {L"TEXTBEFORE(\"Little red\",\"Red\")", ErrorCode::NA},
      {L"TEXTBEFORE(\"a-b\",\"-\",2)", ErrorCode::NA},
      {L"TEXTBEFORE(\"abc\",\"b\",0)", ErrorCode::Value},
      {L"TEXTBEFORE(\"abc\",\"b\",4)", ErrorCode::Value},
      {L"TEXTBEFORE(\"abc\",\"b\",1,2)", ErrorCode::Value},
  });
}

TEST(TextFunctions, ValueAndArrayToText) {
  ExpectTexts({
      {L"VALUETOTEXT(\"a\"\"b\",1)", L"\"a\"\"b\""},
      {L"VALUETOTEXT(1.5)", L"1.5"},
      {L"VALUETOTEXT(1/0)", L"#DIV/0!"},
      {L"ARRAYTOTEXT({1,\"a\";TRUE,#N/A})", L"1, a, TRUE, #N/A"},
      {L"ARRAYTOTEXT({1,\"a\";TRUE,#N/A},1)", L"{1,\"a\";TRUE,#N/A}"},
  });
  ExpectErrors({{L"VALUETOTEXT(1,2)", ErrorCode::Value}, {L"ARRAYTOTEXT(1,-1)", ErrorCode::Value}});
}

}  // namespace
}  // namespace spreadsheet
