// Tests of the financial worksheet functions, through formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "spreadsheet/calc/calc_test_support.h"
#include "tests/support/formula_result_cases.h"

namespace spreadsheet {
namespace {

using testing::Evaluate;
using testing::IsError;
using testing::IsNumber;
using testing::NewWorkbook;
using test_support::ErrorCase;
using test_support::ExpectErrors;

// Expected values are Excel's; those its documentation prints to the cent hold to a cent.
constexpr double kCent = -1.0;

struct FinancialCase {
  const wchar_t* formula;
  double expected;
  double tolerance = 1e-9;  // Relative, or kCent.
};

double ToleranceOf(const FinancialCase& c) {
  return c.tolerance == kCent ? 0.0051 / std::max(1.0, std::fabs(c.expected)) : c.tolerance;
}

void ExpectFinancialNumbers(const std::vector<FinancialCase>& cases) {
  for (const FinancialCase& c : cases) {
    EXPECT_TRUE(IsNumber(Evaluate(c.formula), c.expected, ToleranceOf(c)))
        << std::wstring(c.formula);
  }
}

TEST(FinancialFunctions, Annuities) {
  ExpectFinancialNumbers({
      {L"PMT(0.08/12,10,10000)", -1037.03, kCent},
      {L"PMT(0.06/12,18*12,0,50000)", -129.08, kCent},
      {L"PMT(0,10,1000)", -100},
      {L"PV(0.08/12,12*20,500,,0)", -59777.15, kCent},
      {L"PV(0.05,5,500,1000,1)", -3056.5014185496402},
      {L"PV(-0.05,0,500,1000)", -1000},
      {L"PV(TRUE,5,500,1000,1)", -1000},
      {L"PV(0.05,TRUE,500,1000,1)", -1452.3809523809527},
      {L"FV(0.06/12,10,-200,-500,1)", 2581.40, kCent},
      {L"FV(0.12/12,12,-1000)", 12682.50, kCent},
      {L"FV(0,12,-100,-1000)", 2200},
      {L"NPER(0.12/12,-100,-1000,10000,1)", 59.67386567429457},
      {L"NPER(0.01,-100,-1000,10000)", 60.08212285376166},
      {L"NPER(0.01,-100,-1000)", -9.578594039813161},
      {L"NPER(0,-100,1000)", 10},
      {L"IPMT(0.1/12,1,3*12,8000)", -66.67, kCent},
      {L"IPMT(0.1,3,3,8000)", -292.45, kCent},
      {L"IPMT(0.1,1,3,8000,0,1)", 0},
      {L"PPMT(0.1/12,1,2*12,2000)", -75.62, kCent},
      {L"PPMT(0.08,10,10,200000)", -27598.05, kCent},
      {L"ISPMT(0.1/12,1,3*12,8000000)", -64814.8148148148},
      {L"PDURATION(0.025,2000,2200)", 3.859866162622662},
      {L"RRI(96,10000,11000)", 0.0009933073762913303},
  });
  ExpectErrors({
      {L"PMT(0.1,0,1000)", ErrorCode::Num},
      {L"PV(\"a\",5,500)", ErrorCode::Value},
      {L"PV(0.05,5,500,1000,\"a\")", ErrorCode::Value},
      {L"IPMT(0.1,4,3,8000)", ErrorCode::Num},
      {L"IPMT(0.1,0,3,8000)", ErrorCode::Num},
      {L"NPER(0.1,-100,2000)", ErrorCode::Num},
      {L"ISPMT(0.1,1,0,1000)", ErrorCode::Div0},
      {L"PDURATION(0,2000,2200)", ErrorCode::Num},
      {L"RRI(0,10000,11000)", ErrorCode::Num},
  });
}

TEST(FinancialFunctions, RateConvergesOnlyFromAGoodGuess) {
  ExpectFinancialNumbers({
      {L"RATE(48,-200,8000)", 0.00770147248820165},
      {L"RATE(10,0,-100,200)", 0.0717734625362931},
      {L"RATE(12,-100,1200)", 0},
      {L"RATE(50,-84.91,4667.55)", -0.003655218023690412, 1e-8},
      {L"RATE(12,2800,-10000,0,0,0.25)", 0.26300611885738284},
      {L"RATE(32,-222.16,590,0,0,0.34)", 0.3765287369495474},
      {L"RATE(360,-665.3,100000,0,0,0.01)", 0.005833302372523403},
  });
  // Excel's 20 steps of Newton's method from 10% do not reach these rates (one of them lands on
  // a root below -100%); a positive payment never repays a positive loan.
  ExpectErrors({
      {L"RATE(12,2800,-10000)", ErrorCode::Num},
      {L"RATE(32,-222.16,590)", ErrorCode::Num},
      {L"RATE(32,-222.16,590,0,0,0.3)", ErrorCode::Num},
      {L"RATE(360,-665.3,100000)", ErrorCode::Num},
      {L"RATE(10,100,1000)", ErrorCode::Num},
      {L"RATE(0,-100,1000)", ErrorCode::Num},
  });
}

TEST(FinancialFunctions, CashFlows) {
  auto book = NewWorkbook();
  CWorksheet& sheet = book->Sheet(1);
  // A1:A5 flows and B1:B5 their dates; C1:C4 and D1:D4 flows with text and a Boolean, skipped.
  const double flows[] = {-10000, 2750, 4250, 3250, 2750};
  const double dates[] = {39448, 39508, 39751, 39859, 39904};
  for (int i = 0; i < 5; ++i) {
    sheet.SetValue({i + 1, 1}, CellValue::Number(flows[i]));
    sheet.SetValue({i + 1, 2}, CellValue::Number(dates[i]));
  }
  sheet.SetValue({1, 3}, CellValue::Number(3000));
  sheet.SetValue({2, 3}, CellValue::Text(L"a"));
  sheet.SetValue({3, 3}, CellValue::Boolean(true));
  sheet.SetValue({4, 3}, CellValue::Number(4200));
  sheet.SetValue({1, 4}, CellValue::Number(-100));
  sheet.SetValue({2, 4}, CellValue::Text(L"x"));
  sheet.SetValue({3, 4}, CellValue::Number(60));
  sheet.SetValue({4, 4}, CellValue::Number(70));
  const FinancialCase cases[] = {
      {L"NPV(0.1,-10000,3000,4200,6800)", 1188.4434123352207},
      {L"NPV(0.1,-10000,C1:C5)", -3456.0480841472577},
      {L"NPV(0.1,-10000,C2,C3,3000)", -6611.570247933883},
      {L"NPV(0.1,TRUE,\"2\")", 2.56198347107438},
      {L"XNPV(0.09,A1:A5,B1:B5)", 2086.65, kCent},
      {L"XIRR(A1:A5,B1:B5)", 0.37336253351883136},
      {L"XIRR(A1:A5,B1:B5,0.5)", 0.37336253351883136},
      {L"IRR({-70000,12000,15000,18000,21000})", -0.021244848273410947},
      {L"IRR({-70000,12000,15000,18000,21000,26000})", 0.0866309480365316},
      {L"IRR({-70000,12000,15000},-0.1)", -0.4435069413347405},
      {L"IRR(D1:D4)", 0.18881944173155882},
      {L"MIRR({-120000,39000,30000,21000,37000,46000},0.1,0.12)", 0.1260941303659051},
      {L"MIRR({-120000,39000,30000,21000},0.1,0.12)", -0.048044655249980806},
      {L"MIRR({-120000,39000,30000,21000,37000,46000},0.1,0.14)", 0.13475911082831482},
  };
  for (const FinancialCase& c : cases) {
    EXPECT_TRUE(IsNumber(Evaluate(*book, c.formula), c.expected, ToleranceOf(c)))
        << std::wstring(c.formula);
  }
  const ErrorCase errors[] = {
      {L"NPV(\"a\",1,2)", ErrorCode::Value},
      {L"NPV(-1,1,2)", ErrorCode::Div0},
      {L"NPV(0.1,1,\"a\")", ErrorCode::Value},
      {L"IRR({1,2,3})", ErrorCode::Num},  // No sign change.
      {L"IRR({-1,-2})", ErrorCode::Num},
      {L"XIRR({1,2},{39448,39508})", ErrorCode::Num},
      {L"XNPV(0.09,A1:A5,B1:B4)", ErrorCode::Num},
      {L"XNPV(0.09,{1,2},{39448,39000})", ErrorCode::Num},
      {L"XNPV(TRUE,A1:A5,B1:B5)", ErrorCode::Value},
      {L"MIRR({1,2,3},0.1,0.1)", ErrorCode::Div0},
  };
  for (const ErrorCase& c : errors) {
    EXPECT_TRUE(IsError(Evaluate(*book, c.formula), c.expected)) << std::wstring(c.formula);
  }
}

TEST(FinancialFunctions, XirrFindsRatesWhereNewtonsMethodFails) {
  // Excel's answers, which it documents as good to 0.000001 percent. From these guesses
  // Newton's method steps below -100%; the rate is found by bisection instead.
  ExpectFinancialNumbers({
      {L"XIRR({105091006,-103250941.8647},{36626,36646},-0.1)", -0.2755730099976, 1e-8},
      {L"XIRR({206101714.8494,-156650972.5427},{36950,36981},-0.1)", -0.9604521892965, 1e-8},
      {L"XIRR({-1498500,-1500,-499500,-500,-499500,-500,-44955000,-45000,44630158.4897253,"
       L"44674.8333230484},{43342,43342,43475,43475,43531,43531,43543,43543,43555,43555})",
       -0.724636607244611, 1e-8},
  });
}

TEST(FinancialFunctions, Depreciation) {
  ExpectFinancialNumbers({
      {L"SLN(30000,7500,10)", 2250},
      {L"SYD(30000,7500,10,1)", 4090.91, kCent},
      {L"SYD(30000,7500,10,10)", 409.09, kCent},
      {L"DB(1000000,100000,6,1,7)", 186083.33, kCent},
      {L"DB(1000000,100000,6,2,7)", 259639.42, kCent},
      {L"DB(1000000,100000,6,4,7)", 120410.64, kCent},
      {L"DB(1000000,100000,6,7,7)", 15845.10, kCent},
      {L"DDB(2400,300,10*365,1)", 1.32, kCent},
      {L"DDB(2400,300,10*12,1,2)", 40},
      {L"DDB(2400,300,10,1,2)", 480},
      {L"DDB(2400,300,10,2,1.5)", 306},
      {L"DDB(2400,300,10,10)", 22.12, kCent},
      {L"VDB(2400,300,10*365,0,1)", 1.32, kCent},
      {L"VDB(2400,300,10*12,0,1)", 40},
      {L"VDB(2400,300,10,0,1)", 480},
      {L"VDB(2400,300,10*12,6,18)", 396.31, kCent},
      {L"VDB(2400,300,10*12,6,18,1.5)", 311.81, kCent},
      {L"VDB(2400,300,10,0,0.875,1.5)", 315},
      {L"VDB(2400,300,10,0,10)", 2100},
      {L"VDB(2400,0,10,0,10)", 2400},
      {L"VDB(2400,0,10,0,10,2,TRUE)", 2142.30196224},  // Never switches.
  });
  ExpectErrors({
      {L"SLN(1,0,0)", ErrorCode::Div0},
      {L"SYD(30000,7500,10,11)", ErrorCode::Num},
      {L"DB(1000000,100000,6,8,7)", ErrorCode::Num},
      {L"DB(1000000,100000,6,7,12)", ErrorCode::Num},
      {L"DB(1000000,100000,6,1,13)", ErrorCode::Num},
      {L"DDB(2400,300,10,11)", ErrorCode::Num},
      {L"DDB(2400,300,10,1,0)", ErrorCode::Num},
      {L"VDB(2400,300,10,5,4)", ErrorCode::Num},
      {L"VDB(2400,300,10,0,11)", ErrorCode::Num},
  });
}

TEST(FinancialFunctions, PaymentsAtTheStartOfPeriods) {
  // Excel's values to its 13 digits: the first payment carries no interest, each later one the
  // interest on what the payment before it left; start periods round up, end periods down.
  constexpr double k13Digits = 1e-11;
  ExpectFinancialNumbers({
      {L"CUMIPMT(0.6,2,100,1,2,1)", -23.07692307692, k13Digits},
      {L"CUMIPMT(0.6,10,100,1,7,1)", -212.5841471948, k13Digits},
      {L"CUMIPMT(1.5,10,150.5,5,7,1)", -267.3218099234, k13Digits},
      {L"CUMPRINC(0.6,10,100,1,7,1)", -52.32518918405, k13Digits},
      {L"CUMPRINC(1.5,2.7,150.5,1,2,1)", -119.3763651403, k13Digits},
      {L"IPMT(-0.4,1.3,2,-100,100,1)", -66.66666666667, k13Digits},
      {L"IPMT(-0.4,1.3,2,150.5,-5.4,1)", 78.85811019212, k13Digits},
      {L"CUMIPMT(0.6,10,100,2.5,3,0)", -59.14089948548, k13Digits},
      {L"CUMPRINC(0.6,10,100,1.3,5,0)", -8.155727551195, k13Digits},
      // All the principal comes back, and each payment is interest plus principal.
      {L"CUMPRINC(0.05/12,60,10000,1,60,1)", -10000},
      {L"CUMIPMT(0.05/12,60,10000,1,60,1)-10000-60*PMT(0.05/12,60,10000,0,1)", 0},
      {L"PPMT(0.05/12,7,60,10000,0,1)+IPMT(0.05/12,7,60,10000,0,1)-PMT(0.05/12,60,10000,0,1)", 0},
  });
}

TEST(FinancialFunctions, RatesAndCumulativePayments) {
  ExpectFinancialNumbers({
      {L"EFFECT(0.0525,4)", 0.05354266737075819},
      {L"EFFECT(0.0525,4.9)", 0.05354266737075819},
      {L"NOMINAL(0.053543,4)", 0.052500319868356016},
      {L"CUMIPMT(0.09/12,30*12,125000,13,24,0)", -11135.23213},
      {L"CUMIPMT(0.09/12,30*12,125000,1,1,0)", -937.5},
      {L"CUMPRINC(0.09/12,30*12,125000,13,24,0)", -934.1071234},
      {L"CUMPRINC(0.09/12,30*12,125000,1,1,0)", -68.27827118},
      {L"CUMIPMT(0.09/12,30*12,125000,1,1,1)", 0},
      {L"DOLLARDE(1.02,16)", 1.125},
      {L"DOLLARDE(1.1,32)", 1.3125},
      {L"DOLLARDE(-1.02,16)", -1.125},
      {L"DOLLARFR(1.125,16)", 1.02},
      {L"DOLLARFR(1.125,32)", 1.04},
      {L"DOLLARDE(1.5,10)", 1.5},
  });
  ExpectErrors({
      {L"EFFECT(0,4)", ErrorCode::Num},
      {L"EFFECT(0.05,0.5)", ErrorCode::Num},
      {L"EFFECT(TRUE,4)", ErrorCode::Value},
      {L"CUMIPMT(0.09/12,360,125000,0,24,0)", ErrorCode::Num},
      {L"CUMIPMT(0.09/12,360,125000,13,12,0)", ErrorCode::Num},
      {L"CUMIPMT(0.09/12,360,125000,13,24,2)", ErrorCode::Num},
      {L"DOLLARDE(1.02,0)", ErrorCode::Div0},
      {L"DOLLARDE(1.02,-1)", ErrorCode::Num},
  });
}

}  // namespace
}  // namespace spreadsheet
