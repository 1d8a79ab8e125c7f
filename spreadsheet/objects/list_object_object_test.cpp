// ListObjects, ListObject, ListColumns and ListColumn through IDispatch: the parts of a table,
// the parts it lacks (Nothing, as in Excel), and its columns by position or name.
#include "spreadsheet/objects/list_object_object.h"

#include <gtest/gtest.h>

#include "tests/support/spreadsheet_session.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::RangeSeen;
using test_support::SeeRange;

class ListObjects : public testing::Test {
 protected:
  void SetUp() override {
    auto& tables = session_.book->Sheet(1).Tables();
    // B2:D6: header row 2, data rows 3-5, totals row 6.
    tables.push_back({L"Sales", {{2, 2}, {6, 4}}, true, true, {L"Region", L"Amount", L"Share"}});
    // F1:G1: a header row and no data.
    tables.push_back({L"Empty", {{1, 6}, {1, 7}}, true, false, {L"A", L"B"}});
    // I3:I5: data only, and a column a damaged file left unnamed.
    tables.push_back({L"Bare", {{3, 9}, {5, 9}}, false, false, {}});
  }
  CComPtr<IDispatch> Tables() const { return GetObjectOf(session_.Sheet(1).Get(), L"ListObjects"); }
  CComPtr<IDispatch> Table(const wchar_t* name) const {
    return GetObjectOf(Tables().Get(), L"Item", {Arg(name)});
  }
  test_support::CSpreadsheetSession session_;
};

TEST_F(ListObjects, FindsTablesByPositionOrName) {
  const CComPtr<IDispatch> tables = Tables();
  EXPECT_EQ(3, Get(tables.Get(), L"Count").Long());
  EXPECT_EQ(L"Empty", Get(GetObjectOf(tables.Get(), L"Item", {Arg(2)}).Get(), L"Name").Text());
  EXPECT_EQ(L"Sales",
            Get(GetObjectOf(tables.Get(), L"Item", {Arg(L"SALES")}).Get(), L"Name").Text());
  EXPECT_EQ(DISP_E_BADINDEX, Get(tables.Get(), L"Item", {Arg(4)}).hr);
  EXPECT_EQ(DISP_E_BADINDEX, Get(tables.Get(), L"Item", {Arg(L"Missing")}).hr);
}

TEST_F(ListObjects, AnswersEachPartAndNothingForAPartTheTableLacks) {
  struct Case {
    const wchar_t* table;
    const wchar_t* member;
    std::optional<CellRect> range;  // Nothing expected when empty.
  };
  const Case cases[] = {
      {L"Sales", L"Range", CellRect{{2, 2}, {6, 4}}},
      {L"Sales", L"HeaderRowRange", CellRect{{2, 2}, {2, 4}}},
      {L"Sales", L"DataBodyRange", CellRect{{3, 2}, {5, 4}}},
      {L"Sales", L"TotalsRowRange", CellRect{{6, 2}, {6, 4}}},
      {L"Empty", L"HeaderRowRange", CellRect{{1, 6}, {1, 7}}},
      {L"Empty", L"DataBodyRange", std::nullopt},
      {L"Empty", L"TotalsRowRange", std::nullopt},
      {L"Bare", L"HeaderRowRange", std::nullopt},
      {L"Bare", L"DataBodyRange", CellRect{{3, 9}, {5, 9}}},
  };
  for (const Case& c : cases) {
    const auto answer = Get(Table(c.table).Get(), c.member);
    ASSERT_EQ(S_OK, answer.hr) << c.table << "." << c.member;
    EXPECT_EQ(VT_DISPATCH, answer.value.Kind());
    if (c.range) {
      EXPECT_EQ((RangeSeen{L"Sheet1", *c.range}), SeeRange(answer)) << c.table << "." << c.member;
    } else {
      EXPECT_FALSE(answer.Object()) << c.table << "." << c.member;
    }
  }
  EXPECT_EQ(1, Get(Table(L"Sales").Get(), L"ShowTotals").Bool());
  EXPECT_EQ(0, Get(Table(L"Empty").Get(), L"ShowTotals").Bool());
  EXPECT_EQ(L"Sheet1", Get(GetObjectOf(Table(L"Sales").Get(), L"Parent").Get(), L"Name").Text());
}

TEST_F(ListObjects, ColumnsAnswerTheirNamesPositionsAndRanges) {
  const CComPtr<IDispatch> columns = GetObjectOf(Table(L"Sales").Get(), L"ListColumns");
  EXPECT_EQ(3, Get(columns.Get(), L"Count").Long());
  const CComPtr<IDispatch> amount = GetObjectOf(columns.Get(), L"Item", {Arg(L"amount")});
  EXPECT_EQ(L"Amount", Get(amount.Get(), L"Name").Text());
  EXPECT_EQ(2, Get(amount.Get(), L"Index").Long());
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 3}, {6, 3}}}), SeeRange(Get(amount.Get(), L"Range")));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{3, 3}, {5, 3}}}),
            SeeRange(Get(amount.Get(), L"DataBodyRange")));
  EXPECT_EQ(L"Share", Get(GetObjectOf(columns.Get(), L"Item", {Arg(3)}).Get(), L"Name").Text());
  EXPECT_EQ(DISP_E_BADINDEX, Get(columns.Get(), L"Item", {Arg(4)}).hr);
  EXPECT_EQ(L"Sales", Get(GetObjectOf(amount.Get(), L"Parent").Get(), L"Name").Text());

  const CComPtr<IDispatch> bare =
      GetObjectOf(GetObjectOf(Table(L"Bare").Get(), L"ListColumns").Get(), L"Item", {Arg(1)});
  EXPECT_EQ(L"Column1", Get(bare.Get(), L"Name").Text());
  const auto emptyBody =
      Get(GetObjectOf(GetObjectOf(Table(L"Empty").Get(), L"ListColumns").Get(), L"Item", {Arg(1)})
              .Get(),
          L"DataBodyRange");
  EXPECT_EQ(S_OK, emptyBody.hr);
  EXPECT_FALSE(emptyBody.Object());
}

TEST_F(ListObjects, ATableGoneFromTheSheetMakesItsObjectsFail) {
  const CComPtr<IDispatch> sales = Table(L"Sales");
  const CComPtr<IDispatch> column =
      GetObjectOf(GetObjectOf(sales.Get(), L"ListColumns").Get(), L"Item", {Arg(3)});
  session_.book->Sheet(1).Tables().front().range = {{2, 2}, {6, 3}};  // Narrowed to two columns.
  EXPECT_EQ(DISP_E_EXCEPTION, Get(column.Get(), L"Name").hr);
  session_.book->Sheet(1).Tables().erase(session_.book->Sheet(1).Tables().begin());
  EXPECT_EQ(DISP_E_EXCEPTION, Get(sales.Get(), L"Range").hr);
  EXPECT_EQ(2, Get(Tables().Get(), L"Count").Long());
}

}  // namespace
}  // namespace spreadsheet
