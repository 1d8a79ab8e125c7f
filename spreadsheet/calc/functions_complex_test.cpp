// Tests of the complex-number worksheet functions, through formulas. Texts are the results
// Microsoft's function reference prints, to their last digit.
#include <gtest/gtest.h>

#include "spreadsheet/calc/calc_test_support.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsNumber;
using testing::IsText;
using testing::NewWorkbook;
using test_support::ExpectErrors;
using test_support::ExpectTexts;

TEST(ComplexFunctions, DocumentedResultsToTheLastDigit) {
  ExpectTexts({
      {L"COMPLEX(3,4)", L"3+4i"},
      {L"COMPLEX(3,4,\"j\")", L"3+4j"},
      {L"COMPLEX(0,1)", L"i"},
      {L"COMPLEX(1,0)", L"1"},
      {L"IMCONJUGATE(\"3+4i\")", L"3-4i"},
      {L"IMSUM(\"3+4i\",\"5-3i\")", L"8+i"},
      {L"IMSUB(\"13+4i\",\"5+3i\")", L"8+i"},
      {L"IMPRODUCT(\"3+4i\",\"5-3i\")", L"27+11i"},
      {L"IMPRODUCT(\"1+2i\",30)", L"30+60i"},
      {L"IMDIV(\"-238+240i\",\"10+24i\")", L"5+12i"},
      {L"IMPOWER(\"2+3i\",3)", L"-46+9.00000000000001i"},
      {L"IMSQRT(\"1+i\")", L"1.09868411346781+0.455089860562227i"},
      {L"IMEXP(\"1+i\")", L"1.46869393991589+2.28735528717884i"},
      {L"IMLN(\"3+4i\")", L"1.6094379124341+0.927295218001612i"},
      {L"IMLOG10(\"3+4i\")", L"0.698970004336019+0.402719196273373i"},
      {L"IMLOG2(\"3+4i\")", L"2.32192809488736+1.33780421245098i"},
      {L"IMSIN(\"4+3i\")", L"-7.61923172032141-6.548120040911i"},
      {L"IMCOS(\"1+i\")", L"0.833730025131149-0.988897705762865i"},
      {L"IMTAN(\"4+3i\")", L"0.00490825806749606+1.00070953606723i"},
      {L"IMCOT(\"4+3i\")", L"0.00490118239430447-0.999266927805902i"},
      {L"IMSEC(\"4+3i\")", L"-0.0652940278579471-0.0752249603027732i"},
      {L"IMCSC(\"4+3i\")", L"-0.0754898329158637+0.0648774713706355i"},
      {L"IMSINH(\"4+3i\")", L"-27.0168132580039+3.85373803791938i"},
      {L"IMCOSH(\"4+3i\")", L"-27.0349456030742+3.85115333481178i"},
      {L"IMSECH(\"4+3i\")", L"-0.0362534969158689-0.00516434460775318i"},
      {L"IMCSCH(\"4+3i\")", L"-0.036275889628626-0.0051744731840194i"},
  });
  EXPECT_TRUE(IsNumber(Evaluate(L"IMABS(\"5+12i\")"), 13));
  EXPECT_TRUE(IsNumber(Evaluate(L"IMAGINARY(\"3+4i\")"), 4));
  EXPECT_TRUE(IsNumber(Evaluate(L"IMAGINARY(\"0-j\")"), -1));
  EXPECT_TRUE(IsNumber(Evaluate(L"IMAGINARY(4)"), 0));
  EXPECT_TRUE(IsNumber(Evaluate(L"IMREAL(\"6-9i\")"), 6));
  EXPECT_TRUE(IsNumber(Evaluate(L"IMARGUMENT(\"3+4i\")"), 0.92729522, 1e-8));
}

TEST(ComplexFunctions, ReadsEveryWrittenForm) {
  ExpectTexts({
      {L"IMSUM(\"i\")", L"i"},
      {L"IMSUM(\"-i\")", L"-i"},
      {L"IMSUM(\"+2.5j\")", L"2.5j"},
      {L"IMSUM(\"-3\")", L"-3"},
      {L"IMSUM(\"1.5E+2-1e-1i\")", L"150-0.1i"},
      {L"IMSUM(\".5+2.i\")", L"0.5+2i"},
      {L"IMSUM(\"3-i\",\"-3+i\")", L"0"},
      {L"IMSUM(7)", L"7"},
      {L"COMPLEX(1.5,-2.25)", L"1.5-2.25i"},
      {L"COMPLEX(0,-1,\"j\")", L"-j"},
      {L"COMPLEX(1E+20,1)", L"1E+20+i"},
      {L"COMPLEX(\"2\",3,\"\")", L"2+3i"},
      // A result keeps the unit its arguments wrote.
      {L"IMCONJUGATE(\"3+4j\")", L"3-4j"},
      {L"IMSUM(3,\"1+2j\")", L"4+2j"},
  });
}

TEST(ComplexFunctions, SumsAndProductsWalkRangesAndArrays) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  sheet.SetValue({1, 1}, CellValue::Text(L"1+i"));
  sheet.SetValue({2, 1}, CellValue::Number(2));
  sheet.SetValue({4, 1}, CellValue::Text(L"3-2i"));  // A3 stays blank and counts for nothing.
  EXPECT_TRUE(IsText(Evaluate(*book, L"IMSUM(A1:A4)"), L"6-i"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"IMPRODUCT(A1:A4)"), L"10+2i"));
  EXPECT_TRUE(IsText(Evaluate(*book, L"IMPRODUCT({\"i\",\"i\"},2)"), L"-2"));
}

TEST(ComplexFunctions, Errors) {
  ExpectErrors({
      {L"IMABS(\"3+4k\")", ErrorCode::Num},
      {L"IMABS(\"3 + 4i\")", ErrorCode::Num},
      {L"IMABS(\"4i+3\")", ErrorCode::Num},
      {L"IMABS(\"1e+i\")", ErrorCode::Num},
      {L"IMABS(\"\")", ErrorCode::Num},
      {L"IMABS(TRUE)", ErrorCode::Value},
      {L"IMABS(1/0)", ErrorCode::Div0},
      {L"COMPLEX(1,1,\"k\")", ErrorCode::Value},
      {L"COMPLEX(1,1,\"I\")", ErrorCode::Value},
      {L"COMPLEX(\"a\",1)", ErrorCode::Value},
      {L"COMPLEX(TRUE,1)", ErrorCode::Value},
      {L"IMSUM(\"1+i\",\"1+j\")", ErrorCode::Value},
      {L"IMDIV(\"1+i\",0)", ErrorCode::Num},
      {L"IMLN(0)", ErrorCode::Num},
      {L"IMCOT(0)", ErrorCode::Num},
      {L"IMPOWER(0,-1)", ErrorCode::Num},
      {L"IMPOWER(\"1+i\",\"x\")", ErrorCode::Value},
      {L"IMEXP(1000)", ErrorCode::Num},
      {L"IMARGUMENT(0)", ErrorCode::Div0},
  });
}

}  // namespace
}  // namespace spreadsheet
