// Styling branches and paths, and reading style names, through the embedded spreadsheet's object
// model.
#include "export/format_branch.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/counting_dispatch.h"
#include "export/style_list.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/deep_chain.h"
#include "tests/support/scripted_dispatch.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;

constexpr wchar_t kMarked[] = L"Marked";

CellReference Cell(int32_t column, int32_t row) {
  CellReference reference;
  reference.first = reference.last = CellPos{1, column, row};
  return reference;
}
CellReference Rectangle(CellPos first, CellPos last) {
  CellReference reference;
  reference.first = first;
  reference.last = last;
  return reference;
}

class FormatBranchTest : public testing::Test {
 protected:
  FormatBranchTest() {
    session_.book->Formats().AddNamedStyle(spreadsheet::NamedStyle{kMarked, {}, std::nullopt});
  }

  spreadsheet::CWorksheet& Sheet() { return session_.book->Sheet(1); }
  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    Sheet().SetFormula({row, column}, text);
  }
  std::wstring StyleOf(int32_t column, int32_t row) {
    const spreadsheet::CFormatTable& formats = session_.book->Formats();
    const uint32_t style = formats.FormatAt(Sheet().FormatOf({row, column})).namedStyle;
    return formats.NamedStyles().at(style).name;
  }
  // The container over the workbook, every object-model call counted by member name. The
  // workbook is calculated first, as Excel keeps it: a formula cell is never blank.
  CDependencyContainer& Attach(bool calculate = true) {
    if (calculate) {
      session_.app->Calculator().InvalidateAll(*session_.book);
      session_.app->Calculate();
    }
    counted_.Reset(test_support::CCountingDispatch::Wrap(session_.application.Get(), counts_));
    counted_.Get()->Release();  // Wrap's own reference; counted_ holds one.
    const ExcelObject app(counted_.Get());
    ExcelObject workbook;
    app.GetObject(L"ActiveWorkbook", &workbook);
    container_.SetWorkbookName(session_.book->Name());
    container_.AttachWorkbook(app, workbook);
    return container_;
  }
  int StyleWrites() const { return (*counts_)[L"Style"]; }

  test_support::CSpreadsheetSession session_;
  std::shared_ptr<test_support::MemberCounts> counts_ =
      std::make_shared<test_support::MemberCounts>();
  CComPtr<IDispatch> counted_;
  CDependencyContainer container_;
};

TEST_F(FormatBranchTest, ACircleIsStyledOnceAndTheWalkEnds) {
  Formula(1, 1, L"=B1");
  Formula(2, 1, L"=A1+C1");
  Sheet().SetValue({1, 3}, CellValue::Number(5));
  Sheet().SetValue({1, 4}, CellValue::Number(6));
  FormatBranch(Attach(), Cell(1, 1), TraceKind::kPrecedents, kMarked);

  for (const int32_t column : {1, 2, 3}) EXPECT_EQ(kMarked, StyleOf(column, 1)) << column;
  EXPECT_EQ(L"Normal", StyleOf(4, 1));
  EXPECT_EQ(3, StyleWrites());
}

TEST_F(FormatBranchTest, ARectangleRootIsStyledInOneWriteThenItsCellsChildren) {
  Formula(1, 1, L"=D1");                           // A1
  Formula(2, 2, L"=D2");                           // B2
  Formula(4, 1, L"=E1");                           // D1
  Sheet().SetValue({1, 2}, CellValue::Number(1));  // B1
  CFormatBranch walk(Attach(), TraceKind::kPrecedents, kMarked);
  walk.Format(Rectangle({1, 1, 1}, {1, 2, 2}));

  for (const auto& [column, row] :
       {std::pair{1, 1}, {2, 1}, {1, 2}, {2, 2}, {4, 1}, {5, 1}, {4, 2}}) {
    EXPECT_EQ(kMarked, StyleOf(column, row)) << column << "," << row;
  }
  EXPECT_EQ(L"Normal", StyleOf(3, 1));
  // The rectangle, D1, E1 and D2; the rectangle's own cells are not entries of their own.
  EXPECT_EQ(4, StyleWrites());
  EXPECT_EQ(4u, walk.VisitedCount());
}

TEST_F(FormatBranchTest, NamesThatAreNotRangesAreSkippedAndTheWalkGoesOn) {
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"Block", L"=Sheet1!$A$5:$A$6", 0, false});
  Formula(1, 1, L"=Rate*SUM(Block)+B1");
  Formula(1, 5, L"=C5");
  FormatBranch(Attach(), Cell(1, 1), TraceKind::kPrecedents, kMarked);
  for (const auto& [column, row] : {std::pair{1, 1}, {1, 5}, {1, 6}, {3, 5}, {2, 1}}) {
    EXPECT_EQ(kMarked, StyleOf(column, row)) << column << "," << row;
  }

  // Flagged as not a range, an entry is neither styled nor walked, whatever its corners say.
  Formula(6, 6, L"=G6");
  CellReference flagged = Cell(6, 6);
  flagged.nameId = 99;
  flagged.flags = RefNameNotRange;
  const int writesBefore = StyleWrites();
  FormatBranch(container_, flagged, TraceKind::kPrecedents, kMarked);
  EXPECT_EQ(writesBefore, StyleWrites());
  EXPECT_EQ(L"Normal", StyleOf(6, 6));
  EXPECT_EQ(L"Normal", StyleOf(7, 6));
}

TEST_F(FormatBranchTest, ARejectedStyleLeavesTheCellsAndTheWalkGoesOn) {
  Formula(1, 1, L"=B1");
  FormatBranch(Attach(), Cell(1, 1), TraceKind::kPrecedents, L"No such style");
  EXPECT_EQ(2, StyleWrites());
  EXPECT_EQ(L"Normal", StyleOf(1, 1));
}

TEST_F(FormatBranchTest, APathIsStyledEntryByEntryWithoutChildren) {
  Formula(1, 1, L"=D1");
  Formula(2, 3, L"=D3");
  CDependencyContainer& container = Attach();
  const std::vector<CellReference> path = {Cell(1, 1), Rectangle({1, 2, 2}, {1, 3, 3})};

  FormatPath(container, path, L"");
  EXPECT_EQ(0, StyleWrites());
  EXPECT_EQ(L"Normal", StyleOf(1, 1));

  FormatPath(container, path, kMarked);
  EXPECT_EQ(2, StyleWrites());
  for (const auto& [column, row] : {std::pair{1, 1}, {2, 2}, {3, 3}}) {
    EXPECT_EQ(kMarked, StyleOf(column, row)) << column << "," << row;
  }
  EXPECT_EQ(L"Normal", StyleOf(4, 1));
  EXPECT_EQ(L"Normal", StyleOf(4, 3));
}

TEST_F(FormatBranchTest, AChainOf200000CellsLeavesTheStackAlone) {
  // Four columns of 50,000 rows, each cell referring to the next; the last holds a number.
  constexpr int32_t kRows = test_support::DeepChain(50000);
  constexpr int32_t kCells = 4 * kRows;
  auto place = [](int32_t k) { return std::pair{k / kRows + 1, k % kRows + 1}; };
  for (int32_t k = 0; k + 1 < kCells; ++k) {
    const auto [column, row] = place(k);
    const auto [nextColumn, nextRow] = place(k + 1);
    const std::wstring address =
        std::wstring(1, static_cast<wchar_t>(L'A' + nextColumn - 1)) + std::to_wstring(nextRow);
    // With its value already in place: the chain is not calculated.
    Sheet().SetFormula({row, column}, L"=" + address, CellValue::Number(1));
  }
  Sheet().SetValue({kRows, 4}, CellValue::Number(1));
  CFormatBranch walk(Attach(/*calculate=*/false), TraceKind::kPrecedents, kMarked);
  walk.Format(Cell(1, 1));

  EXPECT_EQ(static_cast<size_t>(kCells), walk.VisitedCount());
  EXPECT_EQ(kCells, StyleWrites());
  EXPECT_EQ(kMarked, StyleOf(1, 1));
  EXPECT_EQ(kMarked, StyleOf(3, 17));
  EXPECT_EQ(kMarked, StyleOf(4, kRows));
}

TEST(StyleList, NamesInWorkbookOrderAndAnItemThatCannotBeHadKeepsItsPlace) {
  test_support::CSpreadsheetSession session;
  session.book->Formats().AddNamedStyle(spreadsheet::NamedStyle{L"Good", {}, std::nullopt});
  session.book->Formats().AddNamedStyle(spreadsheet::NamedStyle{L"Bad", {}, std::nullopt});
  const ExcelObject workbook(session.Workbook().Get());
  EXPECT_EQ((std::vector<std::wstring>{L"Normal", L"Good", L"Bad"}), ReadStyleNames(workbook));
  EXPECT_EQ(L"Bad", StyleNameAt(workbook, 3));
  EXPECT_EQ(L"", StyleNameAt(workbook, 4));

  test_support::CScriptedDispatch first;
  first.Script(L"Name", CVariant(L"First"));
  test_support::CScriptedDispatch styles;
  styles.Script(L"Count", CVariant(LONG{3}));
  styles.Script(L"Item", [&](const test_support::CScriptedDispatch::Call& call, CVariant* result) {
    if (call.rgvarg.size() != 1 || call.rgvarg[0].Kind() != VT_I4) return DISP_E_TYPEMISMATCH;
    if (call.rgvarg[0].Get()->lVal == 2) return DISP_E_BADINDEX;
    *result = CVariant(static_cast<IDispatch*>(&first));
    return S_OK;
  });
  test_support::CScriptedDispatch book;
  book.Script(L"Styles", CVariant(static_cast<IDispatch*>(&styles)));
  EXPECT_EQ((std::vector<std::wstring>{L"First", L"", L"First"}),
            ReadStyleNames(ExcelObject(&book)));
}

}  // namespace
