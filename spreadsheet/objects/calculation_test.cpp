// Calculation through the object model: writes recalculate their dependents, manual calculation
// waits for Calculate or for Evaluate of a cell's address, and Worksheet.Evaluate hands out
// ranges, arrays, errors and values as Excel does.
#include <gtest/gtest.h>

#include "spreadsheet/model/error_code.h"
#include "tests/support/spreadsheet_session.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Call;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;
using test_support::RangeSeen;
using test_support::SeeRange;

class ObjectModelCalculation : public ::testing::Test {
 protected:
  CComPtr<IDispatch> Range(const wchar_t* address) {
    return GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)});
  }
  double ValueOf(const wchar_t* address) { return Get(Range(address).Get(), L"Value").Double(); }
  void Write(const wchar_t* address, const wchar_t* text) {
    ASSERT_EQ(S_OK, Put(Range(address).Get(), L"Formula", Arg(text)).hr);
  }
  test_support::CSpreadsheetSession session_;
};

TEST_F(ObjectModelCalculation, WritesRecalculateDependentsAtOnce) {
  Write(L"A1", L"5");
  Write(L"B1", L"=A1*2");
  Write(L"C1", L"=SUM(A1:B1)");
  EXPECT_EQ(10.0, ValueOf(L"B1"));
  EXPECT_EQ(15.0, ValueOf(L"C1"));
  Write(L"A1", L"7");
  EXPECT_EQ(21.0, ValueOf(L"C1"));
  EXPECT_EQ(S_OK, Call(Range(L"A1").Get(), L"ClearContents").hr);
  EXPECT_EQ(0.0, ValueOf(L"C1"));
}

TEST_F(ObjectModelCalculation, ManualCalculationWaitsUntilAsked) {
  Write(L"A1", L"1");
  Write(L"B1", L"=A1+1");
  ASSERT_EQ(S_OK, Put(session_.application.Get(), L"Calculation", Arg(kCalculationManual)).hr);
  Write(L"A1", L"10");
  EXPECT_EQ(2.0, ValueOf(L"B1"));
  // Evaluate of the cell's address calculates that cell (what EvaluateInCell relies on).
  EXPECT_TRUE(SeeRange(Call(session_.Sheet(1).Get(), L"Evaluate", {Arg(L"$B$1")})));
  EXPECT_EQ(11.0, ValueOf(L"B1"));
  Write(L"A1", L"20");
  EXPECT_EQ(S_OK, Call(session_.application.Get(), L"Calculate").hr);
  EXPECT_EQ(21.0, ValueOf(L"B1"));
  Write(L"A1", L"30");
  ASSERT_EQ(S_OK, Put(session_.application.Get(), L"Calculation", Arg(kCalculationAutomatic)).hr);
  EXPECT_EQ(31.0, ValueOf(L"B1"));
}

TEST_F(ObjectModelCalculation, EvaluateHandsOutRangesArraysErrorsAndValues) {
  session_.book->AddSheet(L"Data");
  const CComPtr<IDispatch> data = session_.Sheet(2);
  EXPECT_EQ((RangeSeen{L"Data", {{2, 2}, {2, 2}}}),
            SeeRange(Call(data.Get(), L"Evaluate", {Arg(L"OFFSET(A1,1,1)")})));
  const auto error = Call(data.Get(), L"Evaluate", {Arg(L"1/0")});
  ASSERT_EQ(VT_ERROR, error.value.Kind());
  EXPECT_EQ(ErrorScode(ErrorCode::Div0), error.value.Get()->scode);
  const auto truth = Call(data.Get(), L"Evaluate", {Arg(L"1=1")});
  EXPECT_EQ(1, truth.Bool());
  const auto array = Call(data.Get(), L"Evaluate", {Arg(L"{1,2;3,4}*2")});
  ASSERT_EQ(VT_ARRAY | VT_VARIANT, array.value.Kind());
  EXPECT_EQ(2u, SafeArrayGetDim(array.value.Get()->parray));
  const auto text = Call(data.Get(), L"Evaluate", {Arg(L"\"a\"&ROW(A7)")});
  EXPECT_EQ(L"a7", text.Text());
  // ISERROR of an address, as the error scan asks it.
  Write(L"A3", L"=1/0");
  EXPECT_EQ(1, Call(session_.Sheet(1).Get(), L"Evaluate", {Arg(L"ISERROR($A$3)")}).Bool());
}

TEST_F(ObjectModelCalculation, NewNamesAndSheetsRecalculateWhatUsesThem) {
  Write(L"B1", L"=Rate*3");
  EXPECT_EQ(VT_ERROR, Get(Range(L"B1").Get(), L"Value").value.Kind());
  const CComPtr<IDispatch> names = GetObjectOf(session_.Workbook().Get(), L"Names");
  ASSERT_EQ(S_OK, Call(names.Get(), L"Add", {Arg(L"Rate"), Arg(L"=2")}).hr);
  EXPECT_EQ(6.0, ValueOf(L"B1"));
  // A sheet added in front moves Sheet1 to position 2; its formulas still calculate.
  Write(L"C1", L"=B1+1");
  const CComPtr<IDispatch> sheets = session_.Sheets();
  ASSERT_EQ(S_OK, Call(sheets.Get(), L"Add", {Arg(session_.Sheet(1))}).hr);
  const CComPtr<IDispatch> moved = GetObjectOf(
      GetObjectOf(sheets.Get(), L"Item", {Arg(L"Sheet1")}).Get(), L"Range", {Arg(L"B1")});
  ASSERT_EQ(S_OK, Put(moved.Get(), L"Formula", Arg(L"=Rate*10")).hr);
  const CComPtr<IDispatch> dependent = GetObjectOf(
      GetObjectOf(sheets.Get(), L"Item", {Arg(L"Sheet1")}).Get(), L"Range", {Arg(L"C1")});
  EXPECT_EQ(21.0, Get(dependent.Get(), L"Value").Double());
}

}  // namespace
}  // namespace spreadsheet
