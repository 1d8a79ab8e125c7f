// Transposing the selection through the embedded spreadsheet's object model.
#include "export/transpose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellCoord;
using spreadsheet::CellValue;
using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

constexpr LONG kColorIndexNone = -4142;

// Records each message with the application state it was shown in.
class CRecordingSink : public IMessageSink {
 public:
  explicit CRecordingSink(const spreadsheet::CSpreadsheetApplication& app) : app_(app) {}
  void ShowMessage(const std::wstring& text) override {
    messages.push_back(text);
    pausedWhenShown = !app_.ScreenUpdating() && !app_.EnableEvents() &&
                      app_.Calculation() == spreadsheet::kCalculationManual;
  }
  std::vector<std::wstring> messages;
  bool pausedWhenShown = false;

 private:
  const spreadsheet::CSpreadsheetApplication& app_;
};

class Transpose : public testing::Test {
 protected:
  spreadsheet::CWorksheet& Sheet() { return session_.book->Sheet(1); }
  void Select(spreadsheet::CellRect range) { session_.app->Select({session_.book, 1, range}); }
  void Run() { TransposeSelection(ExcelObject(session_.application.Get()), sink_); }
  CComPtr<IDispatch> Range(const wchar_t* address) {
    return GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)});
  }
  CComPtr<IDispatch> Part(const wchar_t* address, const wchar_t* part) {
    return GetObjectOf(Range(address).Get(), part);
  }
  spreadsheet::CellRect Selected() const { return session_.app->CurrentSelection().range; }

  test_support::CSpreadsheetSession session_;
  CRecordingSink sink_{*session_.app};
};

// Shapes at an offset from A1, so that the selection's own corner is what counts.
struct Shape {
  std::int32_t rows;
  std::int32_t columns;
  friend void PrintTo(const Shape& shape, std::ostream* out) {
    *out << shape.rows << " x " << shape.columns;
  }
};

class TransposeShape : public Transpose, public testing::WithParamInterface<Shape> {};

TEST_P(TransposeShape, EveryCellLandsOnItsMirrorAndNothingIsLeftOutside) {
  const auto [rows, columns] = GetParam();
  const CellCoord corner{3, 2};  // B3.
  auto original = [](std::int32_t r, std::int32_t c) { return CellValue::Number(r * 100 + c); };
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      Sheet().SetValue({corner.row + r, corner.column + c}, original(r, c));
    }
  }
  Select({corner, {corner.row + rows - 1, corner.column + columns - 1}});
  Run();

  const std::int32_t span = std::max(rows, columns);
  for (std::int32_t r = 0; r < span; ++r) {
    for (std::int32_t c = 0; c < span; ++c) {
      const CellValue expected = r < columns && c < rows ? original(c, r) : CellValue();
      EXPECT_EQ(expected, Sheet().Value({corner.row + r, corner.column + c}))
          << "row " << r << ", column " << c;
    }
  }
  const spreadsheet::CellRect transposed{corner,
                                         {corner.row + columns - 1, corner.column + rows - 1}};
  EXPECT_EQ(transposed, Selected());
  EXPECT_TRUE(sink_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Shapes, TransposeShape,
                         testing::Values(Shape{2, 2}, Shape{1, 3}, Shape{3, 1}, Shape{2, 3},
                                         Shape{3, 2}, Shape{4, 4}, Shape{2, 5}));

TEST_F(Transpose, MovedCellsTakeTheirFormatsAndLeaveNoneBehind) {
  Sheet().SetValue({1, 1}, CellValue::Text(L"x"));
  Sheet().SetValue({1, 2}, CellValue::Text(L"y"));
  Sheet().SetValue({1, 3}, CellValue::Text(L"z"));
  ASSERT_TRUE(Put(Part(L"B1", L"Interior").Get(), L"Color", Arg(0x00FFFF)).Succeeded());
  auto font = Part(L"B1", L"Font");
  ASSERT_TRUE(Put(font.Get(), L"Bold", Arg(true)).Succeeded());
  ASSERT_TRUE(Put(font.Get(), L"Italic", Arg(true)).Succeeded());
  ASSERT_TRUE(Put(font.Get(), L"Underline", Arg(2)).Succeeded());
  ASSERT_TRUE(Put(font.Get(), L"Size", Arg(14)).Succeeded());
  ASSERT_TRUE(Put(font.Get(), L"Name", Arg(L"Courier New")).Succeeded());
  ASSERT_TRUE(Put(font.Get(), L"Color", Arg(0x0000FF)).Succeeded());
  Select({{1, 1}, {1, 3}});
  Run();

  EXPECT_EQ(CellValue::Text(L"x"), Sheet().Value({1, 1}));
  EXPECT_EQ(CellValue::Text(L"y"), Sheet().Value({2, 1}));
  EXPECT_EQ(CellValue::Text(L"z"), Sheet().Value({3, 1}));
  EXPECT_EQ(0x00FFFF, Get(Part(L"A2", L"Interior").Get(), L"Color").Long());
  auto moved = Part(L"A2", L"Font");
  EXPECT_EQ(1, Get(moved.Get(), L"Bold").Bool());
  EXPECT_EQ(1, Get(moved.Get(), L"Italic").Bool());
  EXPECT_EQ(2, Get(moved.Get(), L"Underline").Long());
  EXPECT_EQ(14.0, Get(moved.Get(), L"Size").Double());
  EXPECT_EQ(L"Courier New", Get(moved.Get(), L"Name").Text());
  EXPECT_EQ(0x0000FF, Get(moved.Get(), L"Color").Long());

  for (const wchar_t* cleared : {L"B1", L"C1"}) {
    EXPECT_TRUE(Sheet().Value({1, cleared[0] == L'B' ? 2 : 3}).IsEmpty()) << cleared;
    EXPECT_EQ(kColorIndexNone, Get(Part(cleared, L"Interior").Get(), L"ColorIndex").Long())
        << cleared;
    EXPECT_EQ(0, Get(Part(cleared, L"Font").Get(), L"Bold").Bool()) << cleared;
  }
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 1}}), Selected());
}

TEST_F(Transpose, SwappingWithAnUnfilledCellFillsBoth) {
  Sheet().SetValue({1, 2}, CellValue::Number(1));
  Sheet().SetValue({2, 1}, CellValue::Number(2));
  const CComPtr<IDispatch> unfilledBefore = Part(L"A2", L"Interior");
  const LONG noFillColor = Get(unfilledBefore.Get(), L"Color").Long();
  ASSERT_TRUE(Put(Part(L"B1", L"Interior").Get(), L"Color", Arg(0x00FF00)).Succeeded());
  Select({{1, 1}, {2, 2}});
  Run();

  EXPECT_EQ(0x00FF00, Get(Part(L"A2", L"Interior").Get(), L"Color").Long());
  EXPECT_EQ(noFillColor, Get(Part(L"B1", L"Interior").Get(), L"Color").Long());
  for (const wchar_t* cell : {L"A2", L"B1"}) {
    EXPECT_NE(kColorIndexNone, Get(Part(cell, L"Interior").Get(), L"ColorIndex").Long()) << cell;
  }
}

TEST_F(Transpose, FormulasMoveAsWrittenWithoutAdjustingReferences) {
  Sheet().SetValue({5, 5}, CellValue::Number(7));
  Sheet().SetFormula({1, 2}, L"=E5+1");
  Select({{1, 1}, {1, 2}});
  Run();
  EXPECT_EQ(L"=E5+1", Get(Range(L"A2").Get(), L"Formula").Text());
  EXPECT_EQ(CellValue::Number(8), Sheet().Value({2, 1}));
  EXPECT_FALSE(Sheet().HasFormula({1, 2}));
}

TEST_F(Transpose, PairsWithAnArrayFormulaAreLeftAndReportedOnce) {
  // A 3 x 3 block with a one-cell array formula in B1 and another in C3 (on the diagonal, so it
  // pairs with nothing).
  for (std::int32_t r = 1; r <= 3; ++r) {
    for (std::int32_t c = 1; c <= 3; ++c) Sheet().SetValue({r, c}, CellValue::Number(r * 10 + c));
  }
  Sheet().SetArrayFormula({{1, 2}, {1, 2}}, L"=5");
  Sheet().SetArrayFormula({{2, 3}, {2, 3}}, L"=6");
  Select({{1, 1}, {3, 3}});
  Run();

  EXPECT_EQ(L"=5", Get(Range(L"B1").Get(), L"FormulaArray").Text());
  EXPECT_EQ(CellValue::Number(21), Sheet().Value({2, 1}));  // B1's mirror, left.
  EXPECT_EQ(L"=6", Get(Range(L"C2").Get(), L"FormulaArray").Text());
  EXPECT_EQ(CellValue::Number(32), Sheet().Value({3, 2}));  // C2's mirror, left.
  EXPECT_EQ(CellValue::Number(31), Sheet().Value({1, 3}));  // The free pair swapped.
  EXPECT_EQ(CellValue::Number(13), Sheet().Value({3, 1}));
  EXPECT_EQ(std::vector<std::wstring>{kArrayFormulasNotTransposed}, sink_.messages);
  EXPECT_EQ((spreadsheet::CellRect{{1, 1}, {3, 3}}), Selected());
}

TEST_F(Transpose, ASingleCellChangesNothing) {
  Sheet().SetValue({2, 2}, CellValue::Number(5));
  Sheet().SetValue({3, 2}, CellValue::Number(6));
  Select(spreadsheet::CellRect::Of({2, 2}));
  Run();
  EXPECT_EQ(CellValue::Number(5), Sheet().Value({2, 2}));
  EXPECT_EQ(CellValue::Number(6), Sheet().Value({3, 2}));
  EXPECT_EQ(spreadsheet::CellRect::Of({2, 2}), Selected());
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(Transpose, PausesEventsScreenAndCalculationAndPutsThemBack) {
  Sheet().SetArrayFormula({{1, 2}, {1, 2}}, L"=1");
  Select({{1, 1}, {1, 2}});
  Run();
  ASSERT_EQ(1u, sink_.messages.size());
  EXPECT_TRUE(sink_.pausedWhenShown);
  EXPECT_TRUE(session_.app->ScreenUpdating());
  EXPECT_TRUE(session_.app->EnableEvents());
  EXPECT_EQ(spreadsheet::kCalculationAutomatic, session_.app->Calculation());
}

}  // namespace
