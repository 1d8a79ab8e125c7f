// Framing ranges and putting their borders back, through the embedded spreadsheet's object model.
#include "export/cell_highlighter.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/spreadsheet_session.h"

// Found by argument-dependent lookup, so it sits beside BorderSetting's own namespace.
void PrintTo(const BorderSetting& setting, std::ostream* out) {
  *out << "{weight " << setting.weight << ", color " << setting.color << ", line "
       << setting.lineStyle << "}";
}

namespace {

using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

constexpr LONG kLeft = 7;
constexpr LONG kTop = 8;
constexpr LONG kBottom = 9;
constexpr LONG kRight = 10;
constexpr LONG kDash = -4115;
constexpr LONG kDouble = -4119;
constexpr LONG kThin = 2;
constexpr LONG kMedium = -4138;

constexpr BorderSetting kFrame{kWeightThick, 0, kLineContinuous};
constexpr BorderSetting kNoLine{0, 0, kLineStyleNone};

class CellHighlighterTest : public testing::Test {
 protected:
  CComPtr<IDispatch> Range(const wchar_t* address) {
    return GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)});
  }
  ExcelObject RangeObject(const wchar_t* address) { return ExcelObject(Range(address).Get()); }
  CComPtr<IDispatch> Edge(const wchar_t* address, LONG edge) {
    return GetObjectOf(GetObjectOf(Range(address).Get(), L"Borders").Get(), L"Item",
                       {Arg(static_cast<int>(edge))});
  }
  void Draw(const wchar_t* address, LONG edge, BorderSetting setting) {
    const CComPtr<IDispatch> border = Edge(address, edge);
    ASSERT_TRUE(
        Put(border.Get(), L"LineStyle", Arg(static_cast<int>(setting.lineStyle))).Succeeded());
    ASSERT_TRUE(Put(border.Get(), L"Weight", Arg(static_cast<int>(setting.weight))).Succeeded());
    ASSERT_TRUE(Put(border.Get(), L"Color", Arg(static_cast<int>(setting.color))).Succeeded());
  }
  // What the edge shows; colour and weight only where there is a line.
  BorderSetting Seen(const wchar_t* address, LONG edge) {
    const CComPtr<IDispatch> border = Edge(address, edge);
    BorderSetting seen{0, 0, Get(border.Get(), L"LineStyle").Long()};
    if (seen.lineStyle != kLineStyleNone) {
      seen.weight = Get(border.Get(), L"Weight").Long();
      seen.color = Get(border.Get(), L"Color").Long();
    }
    return seen;
  }
  void ExpectFramed(const wchar_t* address) {
    for (const LONG edge : kFrameEdges) EXPECT_EQ(kFrame, Seen(address, edge)) << edge;
  }

  test_support::CSpreadsheetSession session_;
  CCellHighlighter highlighter_{ExcelObject(session_.application.Get())};
};

TEST_F(CellHighlighterTest, AMergedCellFramesItsAreaAndMovingOnPutsItsOwnBordersBack) {
  session_.book->Sheet(1).AddMerge({{2, 2}, {3, 3}});  // B2:C3
  const BorderSetting dashed{kThin, 0x0000FF, kDash};
  const BorderSetting medium{kMedium, 0xFF0000, kLineContinuous};
  Draw(L"B2:C3", kLeft, dashed);
  Draw(L"B2:C3", kRight, medium);
  highlighter_.SetHighlightEnabled(true);
  highlighter_.HighlightRange(RangeObject(L"B2"));
  ExpectFramed(L"B2:C3");

  highlighter_.HighlightRange(RangeObject(L"E5"));
  EXPECT_EQ(dashed, Seen(L"B2:C3", kLeft));
  EXPECT_EQ(medium, Seen(L"B2:C3", kRight));
  // Edges that had no line get none again, not a line in the saved colour and weight.
  EXPECT_EQ(kNoLine, Seen(L"B2:C3", kTop));
  EXPECT_EQ(kNoLine, Seen(L"B2:C3", kBottom));
  ExpectFramed(L"E5");
}

TEST_F(CellHighlighterTest, AnEdgeWithoutALineSavesItsLineStyleOnly) {
  const BorderSetting medium{kMedium, 0x00FF00, kLineContinuous};
  Draw(L"B2", kTop, medium);
  highlighter_.HighlightRange(RangeObject(L"B2"));
  EXPECT_EQ(medium, highlighter_.SavedBorders()[1]);
  EXPECT_EQ(kNoLine, highlighter_.SavedBorders()[0]);

  highlighter_.HighlightRange(RangeObject(L"D4"));
  // The colour and weight read from B2 stay; only the line style changes.
  EXPECT_EQ((BorderSetting{kMedium, 0x00FF00, kLineStyleNone}), highlighter_.SavedBorders()[1]);
}

TEST_F(CellHighlighterTest, SwitchingOffRestoresAndSwitchingOnFramesAgain) {
  const BorderSetting doubled{kThin, 0, kDouble};
  Draw(L"C3", kBottom, doubled);
  highlighter_.HighlightRange(RangeObject(L"C3"));
  EXPECT_EQ(doubled, Seen(L"C3", kBottom));  // Off: held, not framed.
  EXPECT_EQ(kNoLine, Seen(L"C3", kLeft));

  highlighter_.SetHighlightEnabled(true);
  ExpectFramed(L"C3");
  highlighter_.SetHighlightEnabled(false);
  EXPECT_EQ(doubled, Seen(L"C3", kBottom));
  for (const LONG edge : {kLeft, kTop, kRight}) EXPECT_EQ(kNoLine, Seen(L"C3", edge)) << edge;
  highlighter_.SetHighlightEnabled(true);
  ExpectFramed(L"C3");
  EXPECT_TRUE(session_.app->ScreenUpdating());
}

TEST_F(CellHighlighterTest, DestroyingLeavesTheFrameWhereItIs) {
  {
    CCellHighlighter another(ExcelObject(session_.application.Get()));
    another.SetHighlightEnabled(true);
    another.HighlightRange(RangeObject(L"F6"));
  }
  ExpectFramed(L"F6");
}

}  // namespace
