// Interior, Font, Borders, Border, Style and NumberFormat of ranges through IDispatch: colour
// numbers and indexes, mixed ranges, interning of formats, protection and size limits.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "spreadsheet/model/palette.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/object_factory.h"
#include "tests/support/workbook_dispatch.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Get;
using test_support::Put;

constexpr int kEdgeLeft = 7, kEdgeTop = 8, kEdgeBottom = 9, kEdgeRight = 10;
constexpr int kInsideVertical = 11;
constexpr int kContinuous = 1, kThick = 4, kNone = -4142;

class RangeFormat : public testing::Test {
 protected:
  RangeFormat() { app_->AddWorkbook(book_); }

  CComPtr<IDispatch> At(std::wstring_view address) {
    return CreateRangeObject({app_, book_, sheet_}, ParseA1Range(address).value());
  }
  CComPtr<IDispatch> Part(std::wstring_view address, const wchar_t* member) {
    return Get(At(address).Get(), member).Object();
  }
  CComPtr<IDispatch> Edge(std::wstring_view address, int edge) {
    return Get(Part(address, L"Borders").Get(), L"Item", {Arg(edge)}).Object();
  }
  const Font& FontOf(CellCoord cell) const {
    return book_->Formats().FontAt(book_->Formats().FormatAt(sheet_->FormatOf(cell)).font);
  }
  const BorderEdge& BottomOf(CellCoord cell) const {
    return book_->Formats()
        .BorderAt(book_->Formats().FormatAt(sheet_->FormatOf(cell)).border)
        .bottom;
  }

  std::shared_ptr<CSpreadsheetApplication> app_ = std::make_shared<CSpreadsheetApplication>();
  std::shared_ptr<CWorkbook> book_ = std::make_shared<CWorkbook>(L"Book1.xlsx");
  CWorksheet* sheet_ = &book_->AddSheet(L"Sheet1");
};

TEST_F(RangeFormat, ReportsFillColoursAsExcelNumbersAndIndexes) {
  auto interior = Part(L"A1", L"Interior");
  EXPECT_EQ(-4142, Get(interior.Get(), L"ColorIndex").Long());  // No fill.
  EXPECT_EQ(0xFFFFFF, Get(interior.Get(), L"Color").Long());
  EXPECT_EQ(-4142, Get(interior.Get(), L"Pattern").Long());

  // Excel's long puts red in the low byte: 0x0000FF is red, stored as 0xFF0000.
  ASSERT_EQ(S_OK, Put(interior.Get(), L"Color", Arg(0x0000FF)).hr);
  const CFormatTable& formats = book_->Formats();
  EXPECT_EQ(Color::Rgb(0xFF0000),
            formats.FillAt(formats.FormatAt(sheet_->FormatOf({1, 1})).fill).color);
  EXPECT_EQ(0x0000FF, Get(interior.Get(), L"Color").Long());
  EXPECT_EQ(3, Get(interior.Get(), L"ColorIndex").Long());
  EXPECT_EQ(1, Get(interior.Get(), L"Pattern").Long());  // Solid.

  // A colour off the palette reads as the nearest entry.
  ASSERT_EQ(S_OK, Put(Part(L"A2", L"Interior").Get(), L"Color", Arg(0x0000F0)).hr);
  EXPECT_EQ(3, Get(Part(L"A2", L"Interior").Get(), L"ColorIndex").Long());

  ASSERT_EQ(S_OK, Put(Part(L"B1", L"Interior").Get(), L"ColorIndex", Arg(6)).hr);
  EXPECT_EQ(0x00FFFF, Get(Part(L"B1", L"Interior").Get(), L"Color").Long());  // Yellow.
  EXPECT_EQ(VT_NULL, Get(Part(L"A1:B1", L"Interior").Get(), L"Color").value.Kind());
  EXPECT_EQ(VT_NULL, Get(Part(L"A1:C1", L"Interior").Get(), L"ColorIndex").value.Kind());

  ASSERT_EQ(S_OK, Put(interior.Get(), L"ColorIndex", Arg(-4142)).hr);
  EXPECT_EQ(0u, sheet_->FormatOf({1, 1}));  // Back to the default format itself.
  for (const int refused : {-1, 0x1000000}) {
    EXPECT_EQ(DISP_E_EXCEPTION, Put(interior.Get(), L"Color", Arg(refused)).hr);
  }
  EXPECT_EQ(DISP_E_EXCEPTION, Put(interior.Get(), L"ColorIndex", Arg(57)).hr);
}

TEST_F(RangeFormat, ReportsAnAutomaticFontColourAsExcelDoes) {
  auto font = Part(L"A1", L"Font");
  EXPECT_EQ(-4105, Get(font.Get(), L"ColorIndex").Long());
  EXPECT_EQ(0, Get(font.Get(), L"Color").Long());
  ASSERT_EQ(S_OK, Put(font.Get(), L"Color", Arg(0xFF0000)).hr);  // Blue.
  EXPECT_EQ(5, Get(font.Get(), L"ColorIndex").Long());
  EXPECT_EQ(Color::Rgb(0x0000FF), FontOf({1, 1}).color);
  ASSERT_EQ(S_OK, Put(font.Get(), L"ColorIndex", Arg(-4105)).hr);
  EXPECT_EQ(Color::Automatic(), FontOf({1, 1}).color);
}

TEST_F(RangeFormat, ReadsAndWritesFontProperties) {
  auto font = Part(L"A1:B2", L"Font");
  EXPECT_EQ(L"Calibri", Get(font.Get(), L"Name").Text());
  EXPECT_EQ(11.0, Get(font.Get(), L"Size").Double());
  EXPECT_EQ(0, Get(font.Get(), L"Bold").Bool());
  EXPECT_EQ(-4142, Get(font.Get(), L"Underline").Long());
  struct Case {
    const wchar_t* member;
    CVariant value;
  };
  const Case writes[] = {{L"Name", Arg(L"Arial")},  {L"Size", Arg(14)},
                         {L"Bold", Arg(true)},      {L"Italic", Arg(-1)},
                         {L"Underline", Arg(true)}, {L"Strikethrough", Arg(true)}};
  for (const Case& c : writes) ASSERT_EQ(S_OK, Put(font.Get(), c.member, c.value).hr) << c.member;
  const Font& written = FontOf({2, 2});
  EXPECT_EQ(L"Arial", written.name);
  EXPECT_EQ(14.0, written.size);
  EXPECT_TRUE(written.bold && written.italic && written.strikethrough);
  EXPECT_EQ(Underline::Single, written.underline);
  EXPECT_EQ(L"Bold Italic", Get(font.Get(), L"FontStyle").Text());

  // Cells that differ read as null.
  EXPECT_EQ(VT_NULL, Get(Part(L"A1:A3", L"Font").Get(), L"Bold").value.Kind());
  EXPECT_EQ(VT_NULL, Get(Part(L"B2:C2", L"Font").Get(), L"Name").value.Kind());

  const Case refused[] = {{L"Size", Arg(0)},
                          {L"Size", Arg(410)},
                          {L"Name", Arg(L"")},
                          {L"Underline", Arg(3)},
                          {L"ColorIndex", Arg(0)}};
  for (const Case& c : refused) {
    EXPECT_EQ(DISP_E_EXCEPTION, Put(font.Get(), c.member, c.value).hr) << c.member;
  }
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Put(font.Get(), L"Bold", Arg(L"maybe")).hr);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(font.Get(), L"FontStyle", Arg(L"Bold")).hr);
}

TEST_F(RangeFormat, InternsFormatsWithoutChangingSharedOnes) {
  // Two cells made bold one at a time share one format.
  ASSERT_EQ(S_OK, Put(Part(L"A1", L"Font").Get(), L"Bold", Arg(true)).hr);
  ASSERT_EQ(S_OK, Put(Part(L"C3", L"Font").Get(), L"Bold", Arg(true)).hr);
  EXPECT_NE(0u, sheet_->FormatOf({1, 1}));
  EXPECT_EQ(sheet_->FormatOf({1, 1}), sheet_->FormatOf({3, 3}));
  const std::size_t formats = book_->Formats().Formats().size();
  const std::size_t fonts = book_->Formats().Fonts().size();

  // Changing one of them leaves the other, and the shared format, as they were.
  const std::uint32_t shared = sheet_->FormatOf({3, 3});
  ASSERT_EQ(S_OK, Put(Part(L"A1", L"Font").Get(), L"Italic", Arg(true)).hr);
  EXPECT_EQ(shared, sheet_->FormatOf({3, 3}));
  EXPECT_FALSE(book_->Formats().FontAt(book_->Formats().FormatAt(shared).font).italic);
  // Undoing both changes returns to the formats already in the table.
  ASSERT_EQ(S_OK, Put(Part(L"A1", L"Font").Get(), L"Italic", Arg(false)).hr);
  ASSERT_EQ(S_OK, Put(Part(L"A1", L"Font").Get(), L"Bold", Arg(false)).hr);
  EXPECT_EQ(0u, sheet_->FormatOf({1, 1}));
  EXPECT_EQ(nullptr, sheet_->Find({1, 1}));  // A blank cell in the default format is not kept.
  EXPECT_EQ(formats + 1, book_->Formats().Formats().size());  // Only the italic one was added.
  EXPECT_EQ(fonts + 1, book_->Formats().Fonts().size());
}

TEST_F(RangeFormat, DrawsAndReadsBorderEdges) {
  auto bottom = Edge(L"B2:C3", kEdgeBottom);
  EXPECT_EQ(kNone, Get(bottom.Get(), L"LineStyle").Long());
  EXPECT_EQ(kNone, Get(bottom.Get(), L"ColorIndex").Long());
  ASSERT_EQ(S_OK, Put(bottom.Get(), L"LineStyle", Arg(kContinuous)).hr);
  ASSERT_EQ(S_OK, Put(bottom.Get(), L"Weight", Arg(kThick)).hr);
  ASSERT_EQ(S_OK, Put(bottom.Get(), L"Color", Arg(0x0000FF)).hr);
  // The bottom edge is the bottom side of the range's last row.
  EXPECT_EQ((BorderEdge{LineStyle::Continuous, BorderWeight::Thick, Color::Rgb(0xFF0000)}),
            BottomOf({3, 3}));
  EXPECT_EQ(LineStyle::None, BottomOf({2, 2}).style);
  EXPECT_EQ(kThick, Get(bottom.Get(), L"Weight").Long());
  EXPECT_EQ(0x0000FF, Get(bottom.Get(), L"Color").Long());
  EXPECT_EQ(3, Get(bottom.Get(), L"ColorIndex").Long());
  EXPECT_EQ(kNone, Get(Edge(L"B2:C3", kEdgeTop).Get(), L"LineStyle").Long());
  EXPECT_EQ(VT_NULL, Get(Part(L"B2:C3", L"Borders").Get(), L"LineStyle").value.Kind());

  // A weight on an edge without a line draws a continuous one; xlNone takes it away again.
  auto right = Edge(L"E5", kEdgeRight);
  ASSERT_EQ(S_OK, Put(right.Get(), L"Weight", Arg(kThick)).hr);
  EXPECT_EQ(kContinuous, Get(right.Get(), L"LineStyle").Long());
  ASSERT_EQ(S_OK, Put(right.Get(), L"LineStyle", Arg(kNone)).hr);
  EXPECT_EQ(0u, sheet_->FormatOf({5, 5}));

  // Between the columns of a range: the right side of all but its last column.
  ASSERT_EQ(S_OK, Put(Edge(L"A7:C7", kInsideVertical).Get(), L"LineStyle", Arg(kContinuous)).hr);
  EXPECT_EQ(kContinuous, Get(Edge(L"A7:B7", kEdgeRight).Get(), L"LineStyle").Long());
  EXPECT_EQ(kNone, Get(Edge(L"C7", kEdgeRight).Get(), L"LineStyle").Long());

  for (const int refused : {1, 5, 13}) {
    EXPECT_EQ(DISP_E_EXCEPTION, Get(Part(L"A1", L"Borders").Get(), L"Item", {Arg(refused)}).hr)
        << refused;
  }
  EXPECT_EQ(DISP_E_EXCEPTION, Put(bottom.Get(), L"LineStyle", Arg(3)).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(bottom.Get(), L"Weight", Arg(3)).hr);
}

TEST_F(RangeFormat, DrawsEverySideOfEveryCellThroughTheCollection) {
  auto borders = Part(L"A1:B2", L"Borders");
  EXPECT_EQ(4, Get(borders.Get(), L"Count").Long());
  ASSERT_EQ(S_OK, Put(borders.Get(), L"LineStyle", Arg(kContinuous)).hr);
  for (const int edge : {kEdgeLeft, kEdgeTop, kEdgeBottom, kEdgeRight}) {
    EXPECT_EQ(kContinuous, Get(Edge(L"A1", edge).Get(), L"LineStyle").Long()) << edge;
    EXPECT_EQ(kContinuous, Get(Edge(L"B2", edge).Get(), L"LineStyle").Long()) << edge;
  }
  EXPECT_EQ(kContinuous, Get(borders.Get(), L"LineStyle").Long());
  EXPECT_EQ(VT_NULL, Get(Part(L"A1:C1", L"Borders").Get(), L"LineStyle").value.Kind());
  // Range.Borders(edge) is Borders.Item(edge).
  EXPECT_EQ(
      kContinuous,
      Get(Get(At(L"A1").Get(), L"Borders", {Arg(kEdgeTop)}).Object().Get(), L"LineStyle").Long());
}

TEST_F(RangeFormat, AppliesNamedStylesAndNumberFormats) {
  NamedStyle good{L"Good", CellFormat{}, 26};
  Font green;
  green.color = Color::Rgb(0x006100);
  good.format.font = book_->Formats().InternFont(green);
  book_->Formats().AddNamedStyle(good);

  ASSERT_EQ(S_OK, Put(At(L"A1:A2").Get(), L"Style", Arg(L"good")).hr);
  EXPECT_EQ(L"Good", Get(At(L"A2").Get(), L"Style").Text());
  EXPECT_EQ(Color::Rgb(0x006100), FontOf({2, 1}).color);
  EXPECT_EQ(L"Normal", Get(At(L"B1").Get(), L"Style").Text());
  EXPECT_EQ(VT_NULL, Get(At(L"A1:B1").Get(), L"Style").value.Kind());
  EXPECT_EQ(DISP_E_EXCEPTION, Put(At(L"A1").Get(), L"Style", Arg(L"Missing")).hr);

  ASSERT_EQ(S_OK, Put(At(L"C1").Get(), L"NumberFormat", Arg(L"0.000")).hr);
  EXPECT_EQ(L"0.000", Get(At(L"C1").Get(), L"NumberFormat").Text());
  EXPECT_EQ(L"General", Get(At(L"D1").Get(), L"NumberFormat").Text());
}

TEST_F(RangeFormat, ShowsTextThroughTheNumberFormat) {
  sheet_->SetValue({1, 1}, CellValue::Number(0.5));
  sheet_->SetValue({1, 2}, CellValue::Number(0.5));
  sheet_->SetValue({1, 3}, CellValue::Text(L"text"));
  ASSERT_EQ(S_OK, Put(At(L"A1:B1").Get(), L"NumberFormat", Arg(L"0%")).hr);
  EXPECT_EQ(L"50%", Get(At(L"A1").Get(), L"Text").Text());
  EXPECT_EQ(L"50%", Get(At(L"A1:B1").Get(), L"Text").Text());  // Every cell shows the same.
  EXPECT_EQ(VT_NULL, Get(At(L"A1:C1").Get(), L"Text").value.Kind());
  EXPECT_EQ(L"", Get(At(L"D1").Get(), L"Text").Text());
  // A typed date gets a date format, and shows as one.
  ASSERT_EQ(S_OK, Put(At(L"E1").Get(), L"Value", Arg(L"1/2/2020")).hr);
  EXPECT_EQ(L"1/2/2020", Get(At(L"E1").Get(), L"Text").Text());
  CVariant date;
  date.GetMutable()->vt = VT_DATE;
  date.GetMutable()->date = 43832.25;  // 2 January 2020, 6:00.
  ASSERT_EQ(S_OK, Put(At(L"F1").Get(), L"Value", date).hr);
  EXPECT_EQ(43832.25, Get(At(L"F1").Get(), L"Value").Double());
  EXPECT_EQ(L"########", Get(At(L"F1").Get(), L"Text").Text());  // Too wide for the column.
  ASSERT_EQ(S_OK, Put(At(L"F1").Get(), L"ColumnWidth", Arg(20)).hr);
  EXPECT_EQ(L"1/2/2020 6:00", Get(At(L"F1").Get(), L"Text").Text());
}

TEST_F(RangeFormat, RefusesFormatChangesOnAProtectedSheet) {
  sheet_->SetProtected(true);
  const std::vector<test_support::DispatchAnswer> refused = {
      Put(Part(L"A1", L"Font").Get(), L"Bold", Arg(true)),
      Put(Part(L"A1", L"Interior").Get(), L"Color", Arg(0)),
      Put(Edge(L"A1", kEdgeTop).Get(), L"LineStyle", Arg(kContinuous)),
      Put(Part(L"A1", L"Borders").Get(), L"Weight", Arg(kThick)),
      Put(At(L"A1").Get(), L"NumberFormat", Arg(L"0")),
      test_support::Call(At(L"A1").Get(), L"ClearFormats"),
  };
  for (const auto& answer : refused) {
    EXPECT_EQ(DISP_E_EXCEPTION, answer.hr);
    EXPECT_EQ(L"The cell or chart you're trying to change is on a protected sheet.", answer.error);
  }
  EXPECT_EQ(0u, sheet_->CellCount());
}

TEST_F(RangeFormat, BoundsWritesToRangesTooLargeToStoreCellByCell) {
  sheet_->SetValue({1, 1}, CellValue::Number(1));
  ASSERT_EQ(S_OK, Put(Part(L"A1", L"Font").Get(), L"Bold", Arg(true)).hr);
  // Making a whole sheet bold would store 17 billion cells: refused, nothing changed.
  EXPECT_EQ(DISP_E_EXCEPTION, Put(Part(L"1:1048576", L"Font").Get(), L"Bold", Arg(true)).hr);
  EXPECT_EQ(1u, sheet_->CellCount());
  // Undoing it touches only the stored cells.
  ASSERT_EQ(S_OK, Put(Part(L"1:1048576", L"Font").Get(), L"Bold", Arg(false)).hr);
  EXPECT_FALSE(FontOf({1, 1}).bold);
  EXPECT_EQ(0, Get(Part(L"1:1048576", L"Font").Get(), L"Bold").Bool());
}

}  // namespace
}  // namespace spreadsheet
