// Windows, Window, Panes, Pane and Styles through IDispatch: state that round-trips, visible
// cells derived from it, refused values, and the workbook's named styles.
#include "spreadsheet/objects/window_object.h"

#include <gtest/gtest.h>

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

class WindowObject : public testing::Test {
 protected:
  CComPtr<IDispatch> Window() const {
    return GetObjectOf(session_.application.Get(), L"ActiveWindow");
  }
  test_support::CSpreadsheetSession session_;
};

TEST_F(WindowObject, CountsOneWindowPerOpenWorkbook) {
  session_.app->AddWorkbook(std::make_shared<CWorkbook>(L"Second.xlsx"));
  session_.app->Workbooks().back()->AddSheet(L"S");
  session_.app->Activate(session_.book);
  const CComPtr<IDispatch> all = GetObjectOf(session_.application.Get(), L"Windows");
  EXPECT_EQ(2, Get(all.Get(), L"Count").Long());
  const CComPtr<IDispatch> second = GetObjectOf(all.Get(), L"Item", {Arg(2)});
  EXPECT_EQ(L"Second.xlsx", Get(second.Get(), L"Caption").Text());
  EXPECT_EQ(2, Get(second.Get(), L"Index").Long());
  EXPECT_EQ(L"Book1.xlsx",
            Get(GetObjectOf(all.Get(), L"Item", {Arg(L"book1.xlsx")}).Get(), L"Caption").Text());
  const CComPtr<IDispatch> own = GetObjectOf(session_.Workbook().Get(), L"Windows");
  EXPECT_EQ(1, Get(own.Get(), L"Count").Long());
  EXPECT_EQ(L"Book1.xlsx", Get(GetObjectOf(own.Get(), L"Item", {Arg(1)}).Get(), L"Caption").Text());
  EXPECT_EQ(DISP_E_BADINDEX, Get(own.Get(), L"Item", {Arg(2)}).hr);
  EXPECT_EQ(1, Get(second.Get(), L"Visible").Bool());
  EXPECT_EQ(0, Get(second.Get(), L"Hwnd").Long());

  // A closed workbook's window answers no more.
  session_.app->CloseWorkbook(*session_.app->Workbooks().back());
  EXPECT_EQ(DISP_E_EXCEPTION, Get(second.Get(), L"ScrollRow").hr);
}

TEST_F(WindowObject, StateRoundTrips) {
  const CComPtr<IDispatch> window = Window();
  struct Case {
    const wchar_t* member;
    CVariant written;
    CVariant read;
  };
  const Case cases[] = {
      {L"ScrollRow", Arg(10), Arg(10)},
      {L"ScrollColumn", Arg(L"5"), Arg(5)},
      {L"Zoom", Arg(150), Arg(150.0)},
      {L"DisplayHeadings", Arg(false), Arg(false)},
      {L"DisplayOutline", Arg(0), Arg(false)},
      {L"DisplayGridlines", Arg(false), Arg(false)},
      {L"SplitRow", Arg(3), Arg(3)},
      {L"SplitColumn", Arg(2), Arg(2)},
      {L"SplitHorizontal", Arg(90.0), Arg(90.0)},
      {L"SplitVertical", Arg(144), Arg(144.0)},
      {L"FreezePanes", Arg(true), Arg(true)},
      {L"Split", Arg(true), Arg(true)},
      {L"FreezePanes", Arg(false), Arg(false)},
      {L"Split", Arg(false), Arg(false)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(S_OK, Put(window.Get(), c.member, c.written).hr) << c.member;
    const auto read = Get(window.Get(), c.member);
    ASSERT_EQ(c.read.Kind(), read.value.Kind()) << c.member;
    const VARIANT& got = *read.value.Get();
    const VARIANT& want = *c.read.Get();
    const bool same = (got.vt == VT_I4 && got.lVal == want.lVal) ||
                      (got.vt == VT_R8 && got.dblVal == want.dblVal) ||
                      (got.vt == VT_BOOL && got.boolVal == want.boolVal);
    EXPECT_TRUE(same) << c.member;
  }
  // Gridlines live on the sheet, so the workbook's writer saves them.
  EXPECT_FALSE(session_.book->Sheet(1).DisplayGridlines());
  EXPECT_EQ(150.0, session_.app->Window(*session_.book).zoom);
}

TEST_F(WindowObject, DerivesVisibleCellsFromScrollingSizesAndZoom) {
  const CComPtr<IDispatch> window = Window();
  EXPECT_EQ((RangeSeen{L"Sheet1", {{1, 1}, {40, 21}}}),
            SeeRange(Get(window.Get(), L"VisibleRange")));
  session_.book->Sheet(1).SetColumnWidth(10, 40.0);
  ASSERT_EQ(S_OK, Put(window.Get(), L"ScrollRow", Arg(100)).hr);
  ASSERT_EQ(S_OK, Put(window.Get(), L"ScrollColumn", Arg(3)).hr);
  // Columns C-I take 336 points and J 213.75 of the 1000; K-T the rest, T partly.
  EXPECT_EQ((RangeSeen{L"Sheet1", {{100, 3}, {139, 20}}}),
            SeeRange(Get(window.Get(), L"VisibleRange")));
  ASSERT_EQ(S_OK, Put(window.Get(), L"Zoom", Arg(50)).hr);
  EXPECT_EQ(179, SeeRange(Get(window.Get(), L"VisibleRange"))->range.last.row);
  EXPECT_EQ(1000.0, Get(window.Get(), L"UsableWidth").Double());
  EXPECT_EQ(600.0, Get(window.Get(), L"UsableHeight").Double());
}

TEST_F(WindowObject, FrozenPanesScrollOnlyBelowAndRightOfTheFrozenCells) {
  session_.app->Select({session_.book, 1, {{4, 3}, {6, 5}}});
  const CComPtr<IDispatch> window = Window();
  EXPECT_EQ((RangeSeen{L"Sheet1", {{4, 3}, {6, 5}}}),
            SeeRange(Get(window.Get(), L"RangeSelection")));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{4, 3}, {4, 3}}}), SeeRange(Get(window.Get(), L"ActiveCell")));
  ASSERT_EQ(S_OK, Put(window.Get(), L"FreezePanes", Arg(true)).hr);
  EXPECT_EQ(3, Get(window.Get(), L"SplitRow").Long());
  EXPECT_EQ(2, Get(window.Get(), L"SplitColumn").Long());
  const CComPtr<IDispatch> panes = GetObjectOf(window.Get(), L"Panes");
  ASSERT_EQ(4, Get(panes.Get(), L"Count").Long());
  EXPECT_EQ(4, Get(GetObjectOf(window.Get(), L"ActivePane").Get(), L"Index").Long());
  const CComPtr<IDispatch> topLeft = GetObjectOf(panes.Get(), L"Item", {Arg(1)});
  const CComPtr<IDispatch> bottomRight = GetObjectOf(panes.Get(), L"Item", {Arg(4)});
  EXPECT_EQ((RangeSeen{L"Sheet1", {{1, 1}, {3, 2}}}),
            SeeRange(Get(topLeft.Get(), L"VisibleRange")));
  ASSERT_EQ(S_OK, Put(window.Get(), L"ScrollRow", Arg(50)).hr);
  EXPECT_EQ(50, Get(bottomRight.Get(), L"ScrollRow").Long());
  EXPECT_EQ(1, Get(topLeft.Get(), L"ScrollRow").Long());
  EXPECT_EQ((RangeSeen{L"Sheet1", {{50, 3}, {86, 21}}}),
            SeeRange(Get(window.Get(), L"VisibleRange")));
  EXPECT_EQ(DISP_E_EXCEPTION, Put(topLeft.Get(), L"ScrollRow", Arg(9)).hr);
  ASSERT_EQ(S_OK, Put(bottomRight.Get(), L"ScrollColumn", Arg(30)).hr);
  EXPECT_EQ(30, Get(window.Get(), L"ScrollColumn").Long());
  EXPECT_EQ(DISP_E_BADINDEX, Get(panes.Get(), L"Item", {Arg(5)}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Get(panes.Get(), L"Item", {Arg(L"first")}).hr);

  // Unfreezing takes the panes away, and objects for the vanished ones fail.
  ASSERT_EQ(S_OK, Put(window.Get(), L"FreezePanes", Arg(false)).hr);
  EXPECT_EQ(1, Get(panes.Get(), L"Count").Long());
  EXPECT_EQ(DISP_E_EXCEPTION, Get(bottomRight.Get(), L"VisibleRange").hr);
  EXPECT_EQ(S_OK, Get(topLeft.Get(), L"VisibleRange").hr);
}

TEST_F(WindowObject, RefusesValuesExcelRefuses) {
  const CComPtr<IDispatch> window = Window();
  struct Case {
    const wchar_t* member;
    CVariant value;
    HRESULT hr;
  };
  const Case cases[] = {
      {L"ScrollRow", Arg(0), DISP_E_EXCEPTION},
      {L"ScrollRow", Arg(kMaxRows + 1), DISP_E_EXCEPTION},
      {L"ScrollColumn", Arg(L"wide"), DISP_E_TYPEMISMATCH},
      {L"Zoom", Arg(5), DISP_E_EXCEPTION},
      {L"Zoom", Arg(401), DISP_E_EXCEPTION},
      {L"SplitHorizontal", Arg(-1.0), DISP_E_EXCEPTION},
      {L"SplitVertical", Arg(5000.0), DISP_E_EXCEPTION},
      {L"SplitRow", Arg(-2), DISP_E_EXCEPTION},
      {L"Caption", Arg(L"x"), DISP_E_MEMBERNOTFOUND},
      {L"VisibleRange", Arg(1), DISP_E_MEMBERNOTFOUND},
      {L"FreezePanes", CVariant::Error(E_FAIL), DISP_E_TYPEMISMATCH},
  };
  for (const Case& c : cases) EXPECT_EQ(c.hr, Put(window.Get(), c.member, c.value).hr) << c.member;
  const WindowState& state = session_.app->Window(*session_.book);
  EXPECT_EQ(1, state.scrollRow);
  EXPECT_EQ(100.0, state.zoom);
  EXPECT_FALSE(state.split);
}

TEST(StylesObject, ListsFindsAndAddsNamedStyles) {
  test_support::CSpreadsheetSession session;
  session.book->Formats().AddNamedStyle({L"Good", CellFormat{}, 26});
  const CComPtr<IDispatch> styles = GetObjectOf(session.Workbook().Get(), L"Styles");
  EXPECT_EQ(2, Get(styles.Get(), L"Count").Long());
  const CComPtr<IDispatch> normal = GetObjectOf(styles.Get(), L"Item", {Arg(1)});
  EXPECT_EQ(L"Normal", Get(normal.Get(), L"Name").Text());
  EXPECT_EQ(L"Normal", Get(normal.Get(), L"NameLocal").Text());
  EXPECT_EQ(1, Get(normal.Get(), L"BuiltIn").Bool());
  EXPECT_EQ(L"Good", Get(GetObjectOf(styles.Get(), L"Item", {Arg(L"good")}).Get(), L"Name").Text());
  EXPECT_EQ(DISP_E_BADINDEX, Get(styles.Get(), L"Item", {Arg(3)}).hr);
  EXPECT_EQ(DISP_E_BADINDEX, Get(styles.Get(), L"Item", {Arg(L"Bad")}).hr);

  // A new style takes the format of the cell it is based on.
  CWorksheet& sheet = session.book->Sheet(1);
  CellFormat bold;
  Font font;
  font.bold = true;
  bold.font = session.book->Formats().InternFont(font);
  sheet.SetFormat({2, 2}, session.book->Formats().InternFormat(bold));
  const auto added =
      Call(styles.Get(), L"Add",
           {Arg(L"Report"), Arg(GetObjectOf(session.Sheet(1).Get(), L"Range", {Arg(L"B2")}))});
  ASSERT_EQ(S_OK, added.hr) << added.error;
  EXPECT_EQ(0, Get(added.Object().Get(), L"BuiltIn").Bool());
  const auto index = session.book->Formats().FindNamedStyle(L"Report");
  ASSERT_TRUE(index.has_value());
  EXPECT_EQ(bold.font, session.book->Formats().NamedStyles()[*index].format.font);
  EXPECT_EQ(3, Get(styles.Get(), L"Count").Long());
  EXPECT_EQ(DISP_E_EXCEPTION, Call(styles.Get(), L"Add", {Arg(L"report")}).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Call(styles.Get(), L"Add", {Arg(L"")}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(styles.Get(), L"Add", {Arg(L"X"), Arg(L"B2")}).hr);
}

}  // namespace
}  // namespace spreadsheet
