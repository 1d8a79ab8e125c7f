// The Range object through IDispatch by name, as the system calls it: values and formulas,
// navigation, addresses, protection, arrays, merged cells, selection and sizes.
#include "spreadsheet/objects/range_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "spreadsheet/model/error_code.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/range_navigation.h"
#include "tests/support/value_block.h"
#include "tests/support/workbook_dispatch.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Call;
using test_support::Get;
using test_support::MakeBlock;
using test_support::MakeRow;
using test_support::Put;
using test_support::SeeBlock;

class RangeObject : public testing::Test {
 protected:
  RangeObject() {
    sheet_ = &book_->AddSheet(L"Sheet1");
    app_->AddWorkbook(book_);
  }

  CComPtr<IDispatch> At(std::wstring_view address, CWorksheet* sheet = nullptr) {
    const auto range = ParseA1Range(address);
    EXPECT_TRUE(range.has_value()) << std::string(address.begin(), address.end());
    return CreateRangeObject({app_, book_, sheet == nullptr ? sheet_ : sheet},
                             range.value_or(CellRect{}));
  }
  static std::wstring AddressOf(const test_support::DispatchAnswer& answer) {
    return Get(answer.Object().Get(), L"Address").Text();
  }
  void Number(std::wstring_view address, double value) {
    sheet_->SetValue(ParseA1Range(address)->first, CellValue::Number(value));
  }

  std::shared_ptr<CSpreadsheetApplication> app_ = std::make_shared<CSpreadsheetApplication>();
  std::shared_ptr<CWorkbook> book_ = std::make_shared<CWorkbook>(L"Book1.xlsx");
  CWorksheet* sheet_ = nullptr;
};

// --- Values -------------------------------------------------------------------------------------

TEST_F(RangeObject, ReadsEachKindOfValueAsExcelHandsItOut) {
  sheet_->SetValue({1, 1}, CellValue::Number(2.5));
  sheet_->SetValue({2, 1}, CellValue::Text(L"text"));
  sheet_->SetValue({3, 1}, CellValue::Boolean(true));
  sheet_->SetValue({4, 1}, CellValue::Error(ErrorCode::Div0));
  sheet_->SetFormula({5, 1}, L"=1/0", CellValue::Error(ErrorCode::Div0));

  EXPECT_EQ(2.5, Get(At(L"A1").Get(), L"Value").Double());
  EXPECT_EQ(L"text", Get(At(L"A2").Get(), L"value").Text());  // Names ignore case.
  EXPECT_EQ(1, Get(At(L"A3").Get(), L"Value").Bool());
  EXPECT_EQ(VARIANT_TRUE, Get(At(L"A3").Get(), L"Value").value.Get()->boolVal);
  for (const wchar_t* cell : {L"A4", L"A5"}) {
    const auto error = Get(At(cell).Get(), L"Value");
    ASSERT_EQ(VT_ERROR, error.value.Kind()) << cell;
    EXPECT_EQ(static_cast<SCODE>(0x800A07D7u), error.value.Get()->scode);
  }
  EXPECT_EQ(VT_EMPTY, Get(At(L"A6").Get(), L"Value").value.Kind());
  EXPECT_EQ(DISP_E_UNKNOWNNAME, Get(At(L"A1").Get(), L"Valu").hr);
}

TEST_F(RangeObject, ReadsABlockAsATwoDimensionalArrayFromOne) {
  Number(L"B2", 1);
  Number(L"C2", 2);
  Number(L"B4", 3);
  sheet_->SetValue({3, 3}, CellValue::Text(L"x"));
  const auto block = SeeBlock(Get(At(L"B2:C4").Get(), L"Value").value);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(1, block->rowLower);
  EXPECT_EQ(1, block->columnLower);
  EXPECT_EQ(3, block->rows);
  EXPECT_EQ(2, block->columns);
  EXPECT_EQ(2.0, block->At(1, 2).Get()->dblVal);
  EXPECT_EQ(L"x", std::wstring(block->At(2, 2).Get()->bstrVal));
  EXPECT_EQ(3.0, block->At(3, 1).Get()->dblVal);
  EXPECT_EQ(VT_EMPTY, block->At(3, 2).Kind());
}

TEST_F(RangeObject, WritesBlocksScalarsAndRowsAsExcelDoes) {
  auto block = At(L"A1:B2");
  ASSERT_EQ(S_OK, Put(block.Get(), L"Value",
                      MakeBlock({{Arg(1), Arg(L"two")},
                                 {Arg(true), CVariant::Error(ErrorScode(ErrorCode::NA))}}))
                      .hr);
  EXPECT_EQ(CellValue::Number(1), sheet_->Value({1, 1}));
  EXPECT_EQ(CellValue::Text(L"two"), sheet_->Value({1, 2}));
  EXPECT_EQ(CellValue::Boolean(true), sheet_->Value({2, 1}));
  EXPECT_EQ(CellValue::Error(ErrorCode::NA), sheet_->Value({2, 2}));

  // A one-dimensional array is a row, repeated down the range; past its end cells get #N/A.
  ASSERT_EQ(S_OK, Put(At(L"D1:F2").Get(), L"Value", MakeRow({Arg(7), Arg(8)})).hr);
  EXPECT_EQ(CellValue::Number(8), sheet_->Value({2, 5}));
  EXPECT_EQ(CellValue::Error(ErrorCode::NA), sheet_->Value({1, 6}));

  // A range written into a range gives its values, as Range("A1:B2").Value = Range(...).
  ASSERT_EQ(S_OK, Put(At(L"C5:D6").Get(), L"Value", Arg(At(L"A1:B2"))).hr);
  EXPECT_EQ(CellValue::Text(L"two"), sheet_->Value({5, 4}));

  ASSERT_EQ(S_OK, Put(At(L"A1:B2").Get(), L"Value", Arg(5)).hr);
  EXPECT_EQ(CellValue::Number(5), sheet_->Value({2, 2}));
  ASSERT_EQ(S_OK, Put(At(L"A1:B2").Get(), L"Value", CVariant()).hr);
  EXPECT_EQ(nullptr, sheet_->Find({1, 1}));

  // A value that no cell can hold changes nothing, even where earlier elements were fine.
  Number(L"A1", 9);
  EXPECT_EQ(DISP_E_TYPEMISMATCH,
            Put(At(L"A1:B1").Get(), L"Value", MakeBlock({{Arg(1), CVariant::Error(E_FAIL)}})).hr);
  EXPECT_EQ(CellValue::Number(9), sheet_->Value({1, 1}));
}

TEST_F(RangeObject, ReadsTextWrittenAsATypedEntry) {
  struct Case {
    const wchar_t* text;
    VARTYPE kind;
    std::wstring formula;  // What Formula reads back.
  };
  const Case cases[] = {
      {L"12", VT_R8, L"12"},          {L"'12", VT_BSTR, L"12"},     {L"=A2+1", VT_R8, L"=A2+1"},
      {L"true", VT_BOOL, L"TRUE"},    {L"#N/A", VT_ERROR, L"#N/A"}, {L"twelve", VT_BSTR, L"twelve"},
      {L"1/2/2020", VT_R8, L"43832"}, {L"", VT_EMPTY, L""},
  };
  for (const Case& c : cases) {
    auto cell = At(L"A1");
    ASSERT_EQ(S_OK, Put(cell.Get(), L"Value", Arg(c.text)).hr) << c.text;
    EXPECT_EQ(c.kind, Get(cell.Get(), L"Value").value.Kind()) << c.text;
    EXPECT_EQ(c.formula, Get(cell.Get(), L"Formula").Text()) << c.text;
  }
  // A cell formatted as text keeps what is written as written.
  CFormatTable& formats = book_->Formats();
  CellFormat text;
  text.numberFormat = 49;
  sheet_->SetFormat({1, 2}, formats.InternFormat(text));
  ASSERT_EQ(S_OK, Put(At(L"B1").Get(), L"Value", Arg(L"=A1")).hr);
  EXPECT_EQ(CellValue::Text(L"=A1"), sheet_->Value({1, 2}));
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"C1").Get(), L"Value", Arg(L"=")).hr);
  // Text and formulas beyond what a cell holds are refused, not cut.
  EXPECT_EQ(DISP_E_EXCEPTION,
            Put(At(L"C1").Get(), L"Value", Arg(std::wstring(32768, L'x').c_str())).hr);
  EXPECT_EQ(DISP_E_EXCEPTION,
            Put(At(L"C1").Get(), L"Formula", Arg((L"=" + std::wstring(8192, L'1')).c_str())).hr);
  EXPECT_EQ(nullptr, sheet_->Find({1, 3}));
}

TEST_F(RangeObject, MovesOneFormulaWrittenToManyCells) {
  ASSERT_EQ(S_OK, Put(At(L"B1:B3").Get(), L"Formula", Arg(L"=A1*$C$1")).hr);
  EXPECT_EQ(L"=A3*$C$1", Get(At(L"B3").Get(), L"Formula").Text());
  const auto block = SeeBlock(Get(At(L"A1:B2").Get(), L"Formula").value);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(VT_BSTR, block->At(1, 1).Kind());
  EXPECT_EQ(0u, SysStringLen(block->At(1, 1).Get()->bstrVal));
  EXPECT_EQ(L"=A2*$C$1", std::wstring(block->At(2, 2).Get()->bstrVal));
  // Written formulas are calculated at once: A2 and C1 are blank.
  EXPECT_EQ(0.0, Get(At(L"B2").Get(), L"Value").Double());
  EXPECT_EQ(L"=A2*$C$1", Get(At(L"B2").Get(), L"FormulaLocal").Text());
}

TEST_F(RangeObject, AnswersHasFormulaWithNullForAMixedRange) {
  sheet_->SetFormula({1, 1}, L"=1");
  sheet_->SetFormula({2, 1}, L"=2");
  Number(L"A3", 3);
  EXPECT_EQ(1, Get(At(L"A1:A2").Get(), L"HasFormula").Bool());
  EXPECT_EQ(0, Get(At(L"A3:A9").Get(), L"HasFormula").Bool());
  EXPECT_EQ(VT_NULL, Get(At(L"A1:A3").Get(), L"HasFormula").value.Kind());
  // A whole column mixes formulas with blank cells.
  EXPECT_EQ(VT_NULL, Get(At(L"A:A").Get(), L"HasFormula").value.Kind());
  EXPECT_EQ(0, Get(At(L"B:B").Get(), L"HasFormula").Bool());
}

// --- Navigation
// -----------------------------------------------------------------------------------

TEST_F(RangeObject, MovesWithEndAsCtrlArrowDoes) {
  // Column A: 1-3 filled, 4-6 blank, 7 filled, 9-10 filled. Row 20: B and D filled.
  for (const wchar_t* cell : {L"A1", L"A2", L"A3", L"A7", L"A9", L"A10", L"B20", L"D20"}) {
    Number(cell, 1);
  }
  sheet_->SetFormula({9, 1}, L"=\"\"");  // A formula showing nothing still stops the walk.
  struct Case {
    const wchar_t* from;
    Direction direction;
    const wchar_t* to;
  };
  const Case cases[] = {
      {L"A1", Direction::Down, L"$A$3"},  // Filled, next filled: end of the block.
      {L"A3", Direction::Down, L"$A$7"},  // Filled, next blank: the next filled.
      {L"A4", Direction::Down, L"$A$7"},  // Blank: the next filled.
      {L"A7", Direction::Down, L"$A$9"},
      {L"A10", Direction::Down, L"$A$1048576"},  // Nothing below: the sheet's last row.
      {L"A1048576", Direction::Down, L"$A$1048576"},
      {L"C1", Direction::Down, L"$C$1048576"},
      {L"A7", Direction::Up, L"$A$3"},
      {L"A500", Direction::Up, L"$A$10"},
      {L"C5", Direction::Up, L"$C$1"},
      {L"A20", Direction::ToRight, L"$B$20"},
      {L"B20", Direction::ToRight, L"$D$20"},
      {L"D20", Direction::ToRight, L"$XFD$20"},
      {L"XFD20", Direction::ToLeft, L"$D$20"},
      {L"B20", Direction::ToLeft, L"$A$20"},
  };
  for (const Case& c : cases) {
    const auto end = Get(At(c.from).Get(), L"End", {Arg(static_cast<int>(c.direction))});
    EXPECT_EQ(c.to, AddressOf(end)) << c.from << " " << static_cast<int>(c.direction);
  }
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"A1").Get(), L"End", {Arg(1)}).hr);
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Get(At(L"A1").Get(), L"End").hr);
}

TEST_F(RangeObject, EndMovesOverAMergedAreaAsOneBlock) {
  // A title merged over G2:K2 with filled cells right below it in H; an empty merge over
  // M2:M4; a vertical merge over B5:B7 whose hidden cell B6 still holds a stale number.
  sheet_->AddMerge({{2, 7}, {2, 11}});
  Number(L"G2", 1);
  for (const wchar_t* cell : {L"H3", L"H4", L"H5", L"H9", L"M6", L"B2", L"B9"}) Number(cell, 1);
  sheet_->AddMerge({{2, 13}, {4, 13}});
  sheet_->AddMerge({{5, 2}, {7, 2}});
  Number(L"B5", 1);
  Number(L"B6", 2);
  struct Case {
    const wchar_t* from;
    Direction direction;
    const wchar_t* to;
  };
  const Case cases[] = {
      {L"H2", Direction::Down, L"$H$5"},    // From the filled title: to the end of the run.
      {L"H1", Direction::Down, L"$H$2"},    // Blank above it: the title block is the next.
      {L"H6", Direction::Up, L"$H$5"},      // Filled run H3:H5 reached from below.
      {L"H3", Direction::Up, L"$H$2"},      // The run goes on into the title.
      {L"M1", Direction::Down, L"$M$6"},    // An empty merged area is passed like blanks.
      {L"M3", Direction::Down, L"$M$6"},
      {L"B3", Direction::Down, L"$B$5"},    // The vertical block is reached at its top.
      {L"B6", Direction::Down, L"$B$9"},    // Its hidden number does not count.
      {L"B8", Direction::Up, L"$B$7"},      // Reached from below at its bottom.
      {L"F2", Direction::ToRight, L"$G$2"},
      {L"G2", Direction::ToRight, L"$XFD$2"},  // Nothing right of the block's far side.
  };
  for (const Case& c : cases) {
    const auto end = Get(At(c.from).Get(), L"End", {Arg(static_cast<int>(c.direction))});
    EXPECT_EQ(c.to, AddressOf(end)) << c.from << " " << static_cast<int>(c.direction);
  }
}

TEST_F(RangeObject, ResizesKeepingWhatIsMissing) {
  auto range = At(L"B2:C3");
  struct Case {
    CVariant rows, columns;
    const wchar_t* address;
  };
  const Case cases[] = {
      {Arg(3), Arg(1), L"$B$2:$B$4"},
      {CVariant::Missing(), Arg(4), L"$B$2:$E$3"},
      {Arg(1), CVariant::Missing(), L"$B$2:$C$2"},
      {CVariant::Missing(), CVariant::Missing(), L"$B$2:$C$3"},
      {Arg(-1), Arg(-1), L"$B$2:$C$3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.address, AddressOf(Get(range.Get(), L"Resize", {c.rows, c.columns})));
  }
  EXPECT_EQ(L"$B$2:$C$3", AddressOf(Get(range.Get(), L"Resize")));
  EXPECT_EQ(DISP_E_EXCEPTION, Get(range.Get(), L"Resize", {Arg(0)}).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"A1048576").Get(), L"Resize", {Arg(2)}).hr);
  EXPECT_EQ(L"$D$1:$E$2", AddressOf(Get(range.Get(), L"Offset", {Arg(-1), Arg(2)})));
  EXPECT_EQ(DISP_E_EXCEPTION, Get(range.Get(), L"Offset", {Arg(-2)}).hr);
}

TEST_F(RangeObject, CountsAndIndexesCellsRowsAndColumns) {
  auto range = At(L"B2:D3");
  EXPECT_EQ(6, Get(range.Get(), L"Count").Long());
  EXPECT_EQ(2, Get(Get(range.Get(), L"Rows").Object().Get(), L"Count").Long());
  EXPECT_EQ(3, Get(Get(range.Get(), L"Columns").Object().Get(), L"Count").Long());
  EXPECT_EQ(2, Get(range.Get(), L"Row").Long());
  EXPECT_EQ(2, Get(range.Get(), L"Column").Long());

  CVariant unsignedRow;
  unsignedRow.GetMutable()->vt = VT_UI4;
  unsignedRow.GetMutable()->ulVal = 5;
  struct Case {
    const wchar_t* member;
    std::vector<CVariant> args;
    const wchar_t* address;
  };
  const std::vector<Case> cases = {
      {L"Cells", {Arg(1), Arg(1)}, L"$B$2"},
      {L"Cells", {unsignedRow, Arg(4.0)}, L"$E$6"},  // Beyond the range, any numeric kind.
      {L"Cells", {Arg(1), Arg(L"C")}, L"$D$2"},      // Column letters.
      {L"Item", {Arg(2), Arg(3)}, L"$D$3"},
      {L"Item", {Arg(4)}, L"$B$3"},  // Row by row through the width.
      {L"Item", {Arg(7)}, L"$B$4"},
      {L"_Default", {Arg(2)}, L"$C$2"},
      {L"Rows", {Arg(2)}, L"$B$3:$D$3"},
      {L"Columns", {Arg(3)}, L"$D$2:$D$3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.address, AddressOf(Get(range.Get(), c.member, c.args))) << c.member;
  }
  auto cells = Get(range.Get(), L"Cells").Object();
  EXPECT_EQ(L"$C$4", AddressOf(Get(cells.Get(), L"Item", {Arg(3), Arg(2)})));
  auto rows = Get(range.Get(), L"Rows").Object();
  EXPECT_EQ(L"$B$3:$D$3", AddressOf(Get(rows.Get(), L"Item", {Arg(2)})));
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"A1").Get(), L"Cells", {Arg(0), Arg(1)}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Get(range.Get(), L"Cells", {Arg(L"x"), Arg(1)}).hr);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Get(range.Get(), L"Item", {Arg(1), Arg(1), Arg(1)}).hr);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Get(range.Get(), L"Row", {Arg(1)}).hr);
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Get(range.Get(), L"Item").hr);
  // A whole sheet holds more cells than a 32-bit Count.
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"1:1048576").Get(), L"Count").hr);
  EXPECT_EQ(16384, Get(Get(At(L"1:1048576").Get(), L"Columns").Object().Get(), L"Count").Long());
}

TEST_F(RangeObject, WritesThroughCellsWithArguments) {
  ASSERT_EQ(S_OK, Put(At(L"B2:C3").Get(), L"Cells", Arg(4), {Arg(2), Arg(2)}).hr);
  EXPECT_EQ(CellValue::Number(4), sheet_->Value({3, 3}));
}

// --- Addresses ----------------------------------------------------------------------------------

TEST_F(RangeObject, WritesAddressesInEveryForm) {
  CWorksheet& quoted = book_->AddSheet(L"My Sheet");
  const CVariant missing = CVariant::Missing();
  const CVariant r1c1 = Arg(-4150);
  struct Case {
    const wchar_t* range;
    std::vector<CVariant> args;
    const wchar_t* address;
    bool onQuotedSheet = false;
  };
  const std::vector<Case> cases = {
      {L"B3", {}, L"$B$3"},
      {L"B3:D7", {}, L"$B$3:$D$7"},
      {L"B3:D7", {Arg(true), Arg(true), r1c1, Arg(true)}, L"[Book1.xlsx]Sheet1!R3C2:R7C4"},
      {L"B3", {Arg(true), Arg(true), r1c1, Arg(true)}, L"'[Book1.xlsx]My Sheet'!R3C2", true},
      {L"B3", {Arg(false), Arg(false)}, L"B3"},
      {L"B3", {Arg(false)}, L"$B3"},
      {L"B3:C4", {missing, Arg(false)}, L"B$3:C$4"},
      {L"B3", {missing, missing, missing, Arg(true)}, L"[Book1.xlsx]Sheet1!$B$3"},
      {L"B3", {Arg(false), Arg(false), r1c1}, L"R[2]C[1]"},
      {L"A1", {Arg(0), Arg(0), r1c1}, L"RC"},
      {L"A:A", {}, L"$A:$A"},
      {L"A:C", {Arg(true), Arg(true), r1c1}, L"C1:C3"},
      {L"2:5", {}, L"$2:$5"},
      {L"1:1048576", {}, L"$1:$1048576"},
  };
  for (const Case& c : cases) {
    const auto answer =
        Get(At(c.range, c.onQuotedSheet ? &quoted : nullptr).Get(), L"Address", c.args);
    EXPECT_EQ(c.address, answer.Text()) << c.range;
  }
  // Relative R1C1 counts from RelativeTo.
  auto origin = At(L"C5");
  EXPECT_EQ(L"R[-2]C[-1]", Get(At(L"B3").Get(), L"Address",
                               {Arg(false), Arg(false), r1c1, Arg(false), Arg(origin)})
                               .Text());
  EXPECT_EQ(
      DISP_E_TYPEMISMATCH,
      Get(At(L"B3").Get(), L"Address", {Arg(false), Arg(false), r1c1, Arg(false), Arg(1)}).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"B3").Get(), L"Address", {missing, missing, Arg(7)}).hr);
}

// --- Unions -------------------------------------------------------------------------------------

// Address, Areas, Count, Cells and writes cover every area; reads and derived ranges the first.
TEST_F(RangeObject, AUnionAnswersForEveryAreaAndReadsItsFirst) {
  const CellRect areas[] = {*ParseA1Range(L"A1:A2"), *ParseA1Range(L"B1:C1"), *ParseA1Range(L"E1")};
  const auto range = CreateAreasRangeObject({app_, book_, sheet_}, areas);
  ASSERT_TRUE(range);
  Number(L"A1", 1);
  Number(L"A2", 2);
  Number(L"B1", 3);
  const CVariant missing = CVariant::Missing();
  EXPECT_EQ(L"$A$1:$A$2,$B$1:$C$1,$E$1", Get(range.Get(), L"Address").Text());
  EXPECT_EQ(L"A1:A2,B1:C1,E1", Get(range.Get(), L"Address", {Arg(false), Arg(false)}).Text());
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!$A$1:$A$2,$B$1:$C$1,$E$1",
            Get(range.Get(), L"Address", {missing, missing, missing, Arg(true)}).Text());
  EXPECT_EQ(5, Get(range.Get(), L"Count").Long());

  const auto areasObject = Get(range.Get(), L"Areas").Object();
  EXPECT_EQ(3, Get(areasObject.Get(), L"Count").Long());
  EXPECT_EQ(L"$B$1:$C$1", AddressOf(Get(areasObject.Get(), L"Item", {Arg(2)})));
  EXPECT_EQ(L"$E$1", AddressOf(Get(areasObject.Get(), L"item", {Arg(3.0)})));
  EXPECT_EQ(DISP_E_BADINDEX, Get(areasObject.Get(), L"Item", {Arg(4)}).hr);
  EXPECT_EQ(L"$A$1:$A$2,$B$1:$C$1,$E$1", AddressOf(Get(areasObject.Get(), L"Parent")));

  const auto cells = Get(range.Get(), L"Cells").Object();
  EXPECT_EQ(5, Get(cells.Get(), L"Count").Long());
  EXPECT_EQ(L"$A$1:$A$2,$B$1:$C$1,$E$1", Get(cells.Get(), L"Address").Text());
  // An index counts through the first area and on below it, as in Excel.
  EXPECT_EQ(L"$A$3", AddressOf(Get(cells.Get(), L"Item", {Arg(3)})));
  EXPECT_EQ(2, Get(Get(range.Get(), L"Rows").Object().Get(), L"Count").Long());

  const auto first = SeeBlock(Get(range.Get(), L"Value").value);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(2, first->rows);
  EXPECT_EQ(1, first->columns);
  EXPECT_EQ(2.0, first->At(2, 1).Get()->dblVal);

  ASSERT_EQ(S_OK, Put(range.Get(), L"Value", Arg(7)).hr);
  for (const wchar_t* cell : {L"A1", L"A2", L"B1", L"C1", L"E1"}) {
    EXPECT_EQ(CellValue::Number(7), sheet_->Value(ParseA1Range(cell)->first)) << cell;
  }
  EXPECT_EQ(VT_EMPTY, Get(At(L"D1").Get(), L"Value").value.Kind());
  ASSERT_EQ(S_OK, Call(range.Get(), L"ClearContents").hr);
  EXPECT_EQ(VT_EMPTY, Get(At(L"E1").Get(), L"Value").value.Kind());

  // One rectangle is one area.
  const auto single = Get(At(L"B2:C3").Get(), L"Areas").Object();
  EXPECT_EQ(1, Get(single.Get(), L"Count").Long());
  EXPECT_EQ(L"$B$2:$C$3", AddressOf(Get(single.Get(), L"Item", {Arg(1)})));
  EXPECT_FALSE(CreateAreasRangeObject({app_, book_, sheet_}, {}));
}

// --- Protection, arrays and merged cells
// ----------------------------------------------------------

TEST_F(RangeObject, RefusesWritesToLockedCellsOfAProtectedSheet) {
  Number(L"A1", 1);
  CellFormat unlocked;
  unlocked.locked = false;
  sheet_->SetFormat({1, 2}, book_->Formats().InternFormat(unlocked));
  sheet_->SetProtected(true);

  const std::vector<std::pair<const wchar_t*, test_support::DispatchAnswer>> refused = {
      {L"Value", Put(At(L"A1").Get(), L"Value", Arg(2))},
      {L"Formula", Put(At(L"A1:B1").Get(), L"Formula", Arg(L"=1"))},
      {L"ClearContents", Call(At(L"A1").Get(), L"ClearContents")},
      {L"Clear", Call(At(L"B1").Get(), L"Clear")},
      {L"ColumnWidth", Put(At(L"A1").Get(), L"ColumnWidth", Arg(20))},
  };
  for (const auto& [what, answer] : refused) {
    EXPECT_EQ(DISP_E_EXCEPTION, answer.hr) << what;
    EXPECT_EQ(L"The cell or chart you're trying to change is on a protected sheet.", answer.error)
        << what;
  }
  EXPECT_EQ(CellValue::Number(1), sheet_->Value({1, 1}));
  // Unlocked cells stay writable.
  EXPECT_EQ(S_OK, Put(At(L"B1").Get(), L"Value", Arg(3)).hr);
  EXPECT_EQ(CellValue::Number(3), sheet_->Value({1, 2}));
}

TEST_F(RangeObject, EntersArrayFormulasAndRefusesChangesToPartOfOne) {
  auto array = At(L"B1:C2");
  ASSERT_EQ(S_OK, Put(array.Get(), L"FormulaArray", Arg(L"=A1:A2*2")).hr);
  EXPECT_EQ(1, Get(At(L"C2").Get(), L"HasArray").Bool());
  EXPECT_EQ(0, Get(At(L"D2").Get(), L"HasArray").Bool());
  EXPECT_EQ(VT_NULL, Get(At(L"C2:D2").Get(), L"HasArray").value.Kind());
  EXPECT_EQ(L"=A1:A2*2", Get(At(L"C2").Get(), L"FormulaArray").Text());
  EXPECT_EQ(L"=A1:A2*2", Get(array.Get(), L"FormulaArray").Text());
  EXPECT_EQ(L"$B$1:$C$2", AddressOf(Get(At(L"C1").Get(), L"CurrentArray")));
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"D1").Get(), L"CurrentArray").hr);

  for (const auto& answer :
       {Put(At(L"B1").Get(), L"Value", Arg(1)), Put(At(L"C2:D2").Get(), L"Formula", Arg(L"=1")),
        Call(At(L"B2").Get(), L"ClearContents"),
        Put(At(L"A1:B1").Get(), L"FormulaArray", Arg(L"=1"))}) {
    EXPECT_EQ(DISP_E_EXCEPTION, answer.hr);
    EXPECT_EQ(L"You can't change part of an array.", answer.error);
  }
  EXPECT_EQ(L"=A1:A2*2", sheet_->Formula({1, 2}));
  // The whole array may be cleared or replaced.
  ASSERT_EQ(S_OK, Call(At(L"A1:C2").Get(), L"ClearContents").hr);
  EXPECT_EQ(0, Get(array.Get(), L"HasArray").Bool());
  ASSERT_EQ(S_OK, Put(At(L"B1").Get(), L"Value", Arg(1)).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"B1").Get(), L"FormulaArray", Arg(L"1")).hr);
}

TEST_F(RangeObject, HandlesAMergedAreaAsItsTopLeftCell) {
  sheet_->AddMerge({{1, 1}, {2, 2}});
  sheet_->SetValue({1, 1}, CellValue::Text(L"top"));
  sheet_->SetValue({2, 2}, CellValue::Text(L"hidden"));  // A file may keep text under a merge.
  EXPECT_EQ(1, Get(At(L"A1:B2").Get(), L"MergeCells").Bool());
  EXPECT_EQ(1, Get(At(L"B2").Get(), L"MergeCells").Bool());
  EXPECT_EQ(0, Get(At(L"C1").Get(), L"MergeCells").Bool());
  EXPECT_EQ(VT_NULL, Get(At(L"B2:C2").Get(), L"MergeCells").value.Kind());
  EXPECT_EQ(L"$A$1:$B$2", AddressOf(Get(At(L"B1").Get(), L"MergeArea")));
  EXPECT_EQ(L"$C$1", AddressOf(Get(At(L"C1").Get(), L"MergeArea")));

  const auto block = SeeBlock(Get(At(L"A1:B2").Get(), L"Value").value);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(L"top", std::wstring(block->At(1, 1).Get()->bstrVal));
  EXPECT_EQ(VT_EMPTY, block->At(2, 2).Kind());
  EXPECT_EQ(VT_EMPTY, Get(At(L"B2").Get(), L"Value").value.Kind());

  // A value written to the area lands in its first cell only.
  ASSERT_EQ(S_OK, Put(At(L"A1:B2").Get(), L"Value", Arg(5)).hr);
  EXPECT_EQ(CellValue::Number(5), sheet_->Value({1, 1}));
  EXPECT_TRUE(sheet_->Value({1, 2}).IsEmpty());
  const auto part = Call(At(L"B2:C2").Get(), L"ClearContents");
  EXPECT_EQ(DISP_E_EXCEPTION, part.hr);
  EXPECT_EQ(L"Cannot change part of a merged cell.", part.error);
}

// --- Selection, objects and sizes
// -----------------------------------------------------------------

TEST_F(RangeObject, SelectsOnlyOnTheActiveSheet) {
  ASSERT_EQ(S_OK, Call(At(L"B2:C3").Get(), L"Select").hr);
  EXPECT_EQ((CellRect{{2, 2}, {3, 3}}), app_->CurrentSelection().range);
  ASSERT_EQ(S_OK, Call(At(L"C3").Get(), L"Activate").hr);  // Inside: the selection stays.
  EXPECT_EQ((CellRect{{2, 2}, {3, 3}}), app_->CurrentSelection().range);
  ASSERT_EQ(S_OK, Call(At(L"E5").Get(), L"Activate").hr);
  EXPECT_EQ(CellRect::Of({5, 5}), app_->CurrentSelection().range);

  CWorksheet& other = book_->AddSheet(L"Other");
  EXPECT_EQ(DISP_E_EXCEPTION, Call(At(L"A1", &other).Get(), L"Select").hr);
  // As the system selects: activate the sheet, take its range, select it.
  auto sheet = Get(At(L"A1", &other).Get(), L"Worksheet").Object();
  ASSERT_EQ(S_OK, Call(sheet.Get(), L"Activate").hr);
  ASSERT_EQ(S_OK, Call(Get(sheet.Get(), L"Range", {Arg(L"C4")}).Object().Get(), L"Select").hr);
  EXPECT_EQ(2, app_->CurrentSelection().sheet);
  EXPECT_EQ(CellRect::Of({4, 3}), app_->CurrentSelection().range);
  // Tracer arrows are remembered per sheet, each area with its direction, until cleared.
  EXPECT_EQ(S_OK, Call(At(L"A1").Get(), L"ShowPrecedents").hr);
  EXPECT_EQ(S_OK, Call(At(L"B2:C3").Get(), L"ShowDependents").hr);
  EXPECT_EQ((std::vector<TracerArrows>{{CellRect::Of({1, 1}), true}, {{{2, 2}, {3, 3}}, false}}),
            sheet_->TracerArrowList());
  EXPECT_EQ(S_OK, Call(Get(At(L"A1").Get(), L"Worksheet").Object().Get(), L"ClearArrows").hr);
  EXPECT_TRUE(sheet_->TracerArrowList().empty());
}

TEST_F(RangeObject, HandsOutItsSheetAndApplication) {
  auto range = At(L"A1");
  EXPECT_EQ(L"Sheet1", Get(Get(range.Get(), L"Worksheet").Object().Get(), L"Name").Text());
  EXPECT_EQ(L"Sheet1", Get(Get(range.Get(), L"Parent").Object().Get(), L"Name").Text());
  EXPECT_EQ(1, Get(Get(range.Get(), L"Parent").Object().Get(), L"Index").Long());
  EXPECT_TRUE(Get(range.Get(), L"Application").Object());
  ObjectContext context;
  CellRect seen;
  EXPECT_TRUE(ReadRangeObject(range.Get(), &context, &seen));
  EXPECT_EQ(sheet_, context.sheet);
  EXPECT_FALSE(ReadRangeObject(Get(range.Get(), L"Font").Object().Get(), &context, &seen));
}

TEST_F(RangeObject, HandsEachResultOverWithExactlyOneReference) {
  auto range = At(L"A1");
  for (const wchar_t* member : {L"Font", L"Interior", L"Borders", L"Cells", L"MergeArea"}) {
    CVariant result;
    std::wstring name(member);
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    ASSERT_EQ(S_OK, range->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(S_OK, range->Invoke(id, IID_NULL, kLocaleEnglishUS, DISPATCH_PROPERTYGET, &none,
                                  result.Receive(), nullptr, nullptr));
    IDispatch* object = result.Get()->pdispVal;
    EXPECT_EQ(2u, object->AddRef()) << member;
    EXPECT_EQ(1u, object->Release()) << member;
  }
}

TEST_F(RangeObject, MeasuresColumnsAndRowsInPoints) {
  EXPECT_EQ(48.0, Get(At(L"A1").Get(), L"Width").Double());  // 8.43 characters: 64 pixels.
  EXPECT_EQ(15.0, Get(At(L"A1").Get(), L"Height").Double());
  ASSERT_EQ(S_OK, Put(At(L"B1:C1").Get(), L"ColumnWidth", Arg(15)).hr);
  EXPECT_EQ(15.0, Get(At(L"C9").Get(), L"ColumnWidth").Double());
  EXPECT_EQ(VT_NULL, Get(At(L"A1:B1").Get(), L"ColumnWidth").value.Kind());
  EXPECT_EQ(82.5, Get(At(L"B1").Get(), L"Width").Double());  // 15 * 7 + 5 pixels.
  EXPECT_EQ(48.0 + 82.5, Get(At(L"C1").Get(), L"Left").Double());
  ASSERT_EQ(S_OK, Put(At(L"A2").Get(), L"RowHeight", Arg(30)).hr);
  EXPECT_EQ(45.0, Get(At(L"A3").Get(), L"Top").Double());
  EXPECT_EQ(45.0, Get(At(L"A1:A2").Get(), L"Height").Double());
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"A1").Get(), L"ColumnWidth", Arg(256)).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"A1").Get(), L"RowHeight", Arg(-1)).hr);
  // A whole column costs what the sheet stores, not a million rows.
  EXPECT_EQ(15.0 * (kMaxRows - 1) + 30.0, Get(At(L"A:A").Get(), L"Height").Double());
}

TEST_F(RangeObject, RefusesReadsAndWritesTooLargeToHold) {
  EXPECT_EQ(DISP_E_EXCEPTION, Get(At(L"1:1048576").Get(), L"Value").hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"1:1048576").Get(), L"Value", Arg(1)).hr);
  EXPECT_EQ(0u, sheet_->CellCount());
  Number(L"C3", 1);
  ASSERT_EQ(S_OK, Call(At(L"1:1048576").Get(), L"ClearContents").hr);  // Clearing is cheap.
  EXPECT_EQ(0u, sheet_->CellCount());
}

}  // namespace
}  // namespace spreadsheet
