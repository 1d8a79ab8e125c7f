// Input cells, error sources, the error test and the workbook-wide cell lists, through the
// embedded spreadsheet's object model as against Excel.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "formula/reference_functions.h"
#include "scan/argument_list_scaners.h"
#include "scan/error_test.h"
#include "scan/precedent_walks.h"
#include "scan/workbook_cell_lists.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/cell_places.h"
#include "tests/support/deep_chain.h"
#include "tests/support/recording_progress.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::At;

using spreadsheet::CellValue;
using spreadsheet::ErrorCode;
using test_support::Arg;
using test_support::CRecordingProgress;
using test_support::GetObjectOf;
using test_support::Put;

// The cells of a list, after checking that every entry is a plain single cell.
std::vector<CellPos> CellsOf(const SharedReferenceList& list, uint32_t flags = 0) {
  std::vector<CellPos> cells;
  if (!list) return cells;
  for (const CellReference& entry : *list) {
    EXPECT_TRUE(entry.IsSingleCell() && entry.flags == flags && entry.text.empty() &&
                entry.nameId == 0 && entry.externalId == 0);
    cells.push_back(entry.first);
  }
  return cells;
}

class PrecedentWalks : public testing::Test {
 protected:
  void TearDown() override { ReferenceFunctions::Clear(); }

  spreadsheet::CWorksheet& Sheet(int32_t index) { return session_.book->Sheet(index); }
  void Formula(int32_t sheet, int32_t column, int32_t row, const wchar_t* text) {
    Sheet(sheet).SetFormula({row, column}, text);
  }
  void Number(int32_t sheet, int32_t column, int32_t row, double value) {
    Sheet(sheet).SetValue({row, column}, CellValue::Number(value));
  }
  // Formula values come from the spreadsheet's own calculation, as they would in Excel.
  std::unique_ptr<CDependencyContainer> Attach() {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculator().Calculate(false);
    auto container = std::make_unique<CDependencyContainer>();
    container->SetWorkbookName(session_.book->Name());
    container->AttachWorkbook(ExcelObject(session_.application.Get()),
                              ExcelObject(session_.Workbook().Get()));
    return container;
  }

  test_support::CSpreadsheetSession session_;
};

TEST_F(PrecedentWalks, InputsAreTheCellsWithoutFormulaAtTheBottomOfEveryLevel) {
  ReferenceFunctions::Add(L"OFFSET");
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"Block", L"=Sheet1!$A$1:$A$2", 0, false});
  Number(1, 1, 1, 1);  // A1
  Number(1, 2, 1, 2);  // B1; B2 stays blank
  Formula(1, 2, 3, L"=C1");
  Number(1, 3, 1, 3);  // C1
  Number(1, 1, 6, 6);  // A6, so that A2 lies inside the used range
  Formula(1, 4, 1, L"=A1+A1");
  Formula(1, 4, 2, L"=SUM(B1:B3)");
  Formula(1, 4, 3, L"=A1*Rate+[Other.xlsx]Sheet1!H20");
  Formula(1, 4, 4, L"=SUM(Block)");
  Formula(1, 4, 6, L"=D1*D2+D2");
  Formula(1, 4, 7, L"=SUM(K1:L3)+A1");
  Sheet(1).SetArrayFormula({{1, 6}, {2, 6}}, L"=A1:A2*C1");
  const auto container = Attach();

  struct Case {
    CellPos cell;
    std::vector<CellPos> inputs;
  };
  const Case cases[] = {
      {At(1, 4, 1), {At(1, 1, 1)}},
      // The blank B2 is an input; B3 is a formula, so its C1 is one instead.
      {At(1, 4, 2), {At(1, 2, 1), At(1, 2, 2), At(1, 3, 1)}},
      // A constant name and another workbook add nothing.
      {At(1, 4, 3), {At(1, 1, 1)}},
      {At(1, 4, 4), {At(1, 1, 1), At(1, 1, 2)}},
      // Through two levels, sorted, each cell once.
      {At(1, 4, 6), {At(1, 1, 1), At(1, 2, 1), At(1, 2, 2), At(1, 3, 1)}},
      // A later cell of an array answers for the array's formula.
      {At(1, 6, 2), {At(1, 1, 1), At(1, 1, 2), At(1, 3, 1)}},
      // A range beside the used range holds no input, not the used range's nearest edge cell.
      {At(1, 4, 7), {At(1, 1, 1)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cell.column << "," << c.cell.row);
    EXPECT_EQ(c.inputs, CellsOf(InputsOf(*container, c.cell)));
  }
  EXPECT_EQ(CDependencyContainer::EmptyList(), InputsOf(*container, At(1, 1, 1)));
  EXPECT_EQ(CDependencyContainer::EmptyList(), InputsOf(*container, At(1, 2, 2)));
  EXPECT_EQ(CDependencyContainer::EmptyList(), InputsOf(*container, CellPos{}));
}

TEST_F(PrecedentWalks, WalksGoThroughFormulaNamesAndOverEverySheetOfA3DRange) {
  session_.book->AddSheet(L"Second");
  session_.book->AddSheet(L"Third");
  // Each sheet has its own used range: Third holds only A1:B1 of the 3-D range A1:B2.
  for (int32_t sheet = 1; sheet <= 2; ++sheet) {
    for (int32_t row = 1; row <= 2; ++row) {
      for (int32_t column = 1; column <= 2; ++column) Number(sheet, column, row, row * column);
    }
  }
  Number(3, 1, 1, 5);
  Number(3, 2, 1, 6);
  session_.book->AddName({L"Rate", L"=Second!$B$2*12", 0, false});
  session_.book->AddName({L"Bad", L"=Sheet1!$F$1+1", 0, false});
  session_.book->AddName({L"p", L"=q+1", 0, false});  // p and q read each other
  session_.book->AddName({L"q", L"=p+Third!$A$1", 0, false});
  Formula(1, 4, 1, L"=SUM(Sheet1:Third!A1:B2)");
  Formula(1, 4, 2, L"=A1*Rate");
  Formula(1, 4, 3, L"=p");
  Formula(1, 6, 1, L"=1/0");
  Formula(1, 4, 5, L"=Bad*2");
  const auto container = Attach();

  struct Case {
    CellPos cell;
    std::vector<CellPos> inputs;
  };
  const Case cases[] = {
      {At(1, 4, 1),
       {At(1, 1, 1), At(1, 1, 2), At(1, 2, 1), At(1, 2, 2), At(2, 1, 1), At(2, 1, 2),
        At(2, 2, 1), At(2, 2, 2), At(3, 1, 1), At(3, 2, 1)}},
      {At(1, 4, 2), {At(1, 1, 1), At(2, 2, 2)}},
      {At(1, 4, 3), {At(3, 1, 1)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cell.column << "," << c.cell.row);
    EXPECT_EQ(c.inputs, CellsOf(InputsOf(*container, c.cell)));
  }
  // The error of F1 reaches D5 through the name's definition.
  EXPECT_EQ((std::vector<CellPos>{At(1, 6, 1)}), CellsOf(ErrorSourcesOf(*container, At(1, 4, 5))));
}

TEST_F(PrecedentWalks, InputsReachedThroughADynamicReferenceAreMarked) {
  ReferenceFunctions::Add(L"OFFSET");
  Number(1, 1, 1, 1);
  Number(1, 1, 2, 2);
  Formula(1, 2, 1, L"=A2");
  Formula(1, 3, 1, L"=SUM(OFFSET(A1,0,1,1,1))+A1");
  const auto container = Attach();
  const SharedReferenceList inputs = InputsOf(*container, At(1, 3, 1));
  ASSERT_EQ(2u, inputs->size());
  EXPECT_EQ(At(1, 1, 1), (*inputs)[0].first);
  EXPECT_EQ(0u, (*inputs)[0].flags);
  // B1 is a formula: the mark passes down to its own precedent.
  EXPECT_EQ(At(1, 1, 2), (*inputs)[1].first);
  EXPECT_EQ(RefDynamic, (*inputs)[1].flags);
}

TEST_F(PrecedentWalks, AnswersAreCachedUntilRefreshWithTheWalkShownAsProgress) {
  Number(1, 1, 1, 1);
  Formula(1, 2, 1, L"=A1");
  CRecordingProgress progress;
  const auto container = Attach();
  container->SetProgress(&progress);
  const SharedReferenceList first = InputsOf(*container, At(1, 2, 1));
  ASSERT_FALSE(progress.titles.empty());
  EXPECT_EQ(L"Trelvane - looking for input cells", progress.titles.back());
  EXPECT_TRUE(progress.showStop);
  EXPECT_EQ(1, progress.ended);

  Formula(1, 2, 1, L"=A1+C1");
  EXPECT_EQ(first, InputsOf(*container, At(1, 2, 1)));
  EXPECT_EQ(1, progress.begun);
  container->Refresh();
  EXPECT_EQ((std::vector<CellPos>{At(1, 1, 1), At(1, 3, 1)}),
            CellsOf(InputsOf(*container, At(1, 2, 1))));
  ErrorSourcesOf(*container, At(1, 2, 1));
  EXPECT_EQ(L"Trelvane - looking for input errors", progress.titles.back());
}

TEST_F(PrecedentWalks, ErrorSourcesAreWhereTheErrorFirstArises) {
  session_.book->AddSheet(L"Err & Co");
  Formula(2, 3, 1, L"=1/0");                                    // C1
  Formula(2, 2, 1, L"=C1*2");                                   // B1
  Formula(2, 1, 1, L"=B1");                                     // A1
  Sheet(2).SetValue({1, 24}, CellValue::Error(ErrorCode::NA));  // X1
  Formula(2, 25, 1, L"=X1");                                    // Y1
  Formula(2, 26, 1, L"=Y1+B1");                                 // Z1
  Formula(2, 1, 3, L"=IFERROR(B1,0)+4");  // A3: no error value, yet its precedents carry one
  Formula(2, 1, 4, L"=A3+X1");
  const auto container = Attach();

  struct Case {
    CellPos cell;
    std::vector<CellPos> sources;
  };
  const Case cases[] = {
      {At(2, 1, 1), {At(2, 3, 1)}},
      // The formula over the constant #N/A is the source, not the constant.
      {At(2, 26, 1), {At(2, 3, 1), At(2, 25, 1)}},
      {At(2, 1, 4), {At(2, 3, 1)}},
      // The cell itself is never its own source.
      {At(2, 3, 1), {}},
      {At(2, 25, 1), {}},
      {At(2, 24, 1), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cell.column << "," << c.cell.row);
    const SharedReferenceList sources = ErrorSourcesOf(*container, c.cell);
    EXPECT_EQ(c.sources, CellsOf(sources));
    if (c.sources.empty()) {
      EXPECT_EQ(CDependencyContainer::EmptyList(), sources);
    }
  }
  EXPECT_FALSE(container->Answers().ErrorSources().Contains(At(2, 2, 1)));
}

TEST_F(PrecedentWalks, ASourceFoundIsCachedWithNothingBelowIt) {
  Formula(1, 2, 1, L"=1/0");
  Formula(1, 1, 1, L"=B1");
  const auto container = Attach();
  EXPECT_EQ((std::vector<CellPos>{At(1, 2, 1)}), CellsOf(ErrorSourcesOf(*container, At(1, 1, 1))));
  const CCellAnswers& cache = container->Answers().ErrorSources();
  ASSERT_TRUE(cache.Contains(At(1, 2, 1)));
  EXPECT_EQ(CDependencyContainer::EmptyList(), cache.Find(At(1, 2, 1)));
}

TEST_F(PrecedentWalks, ACircularReferenceEndsAndCountsAsAnErrorPath) {
  Formula(1, 1, 1, L"=B1+C1+1/0");  // A1
  Formula(1, 2, 1, L"=A1+D1");      // B1
  Number(1, 3, 1, 3);
  Number(1, 4, 1, 4);
  Formula(1, 5, 1, L"=A1");
  const auto container = Attach();
  ASSERT_TRUE(IsErrorCell(*container, At(1, 1, 1)));
  for (const CellPos& cell : {At(1, 1, 1), At(1, 2, 1), At(1, 5, 1)}) {
    SCOPED_TRACE(testing::Message() << cell.column);
    EXPECT_EQ((std::vector<CellPos>{At(1, 3, 1), At(1, 4, 1)}),
              CellsOf(InputsOf(*container, cell)));
    EXPECT_EQ(CDependencyContainer::EmptyList(), ErrorSourcesOf(*container, cell));
  }
}

TEST_F(PrecedentWalks, AChainOfAHundredThousandFormulasIsWalkedToTheBottom) {
  constexpr int32_t kLength = test_support::DeepChain(100000);
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, 1, row, (L"=A" + std::to_wstring(row + 1)).c_str());
  }
  Formula(1, 1, kLength, L"=B1/C1");
  Number(1, 2, 1, 1);
  Number(1, 3, 1, 0);
  const auto container = Attach();
  EXPECT_EQ((std::vector<CellPos>{At(1, 2, 1), At(1, 3, 1)}),
            CellsOf(InputsOf(*container, At(1, 1, 1))));
  EXPECT_EQ((std::vector<CellPos>{At(1, 1, kLength)}),
            CellsOf(ErrorSourcesOf(*container, At(1, 1, 1))));
}

TEST_F(PrecedentWalks, StopEndsTheWalkAndItsShortAnswerStaysCachedSortedAndUnique) {
  for (int32_t row = 1; row <= 200; ++row) Number(1, 1, row, row);
  Formula(1, 2, 1, L"=SUM(A100:A200)+SUM(A1:A99)+A5");
  // Stop is pressed with the first progress message, as a user would while the walk reports.
  std::vector<std::wstring> messages;
  CRecordingProgress stopping([&messages](const std::wstring&, const std::wstring& message) {
    messages.push_back(message);
    return true;
  });
  const auto container = Attach();
  container->SetProgress(&stopping);
  const SharedReferenceList inputs = InputsOf(*container, At(1, 2, 1));
  EXPECT_EQ(std::vector<std::wstring>{L"Processed cells: 50"}, messages);
  // B1 and the rectangle are the first two entries: the 48th cell of it found the Stop.
  std::vector<CellPos> expected;
  for (int32_t row = 100; row < 147; ++row) expected.push_back(At(1, 1, row));
  EXPECT_EQ(expected, CellsOf(inputs));
  EXPECT_EQ(inputs, InputsOf(*container, At(1, 2, 1)));
}

TEST_F(PrecedentWalks, TheErrorTestAsksTheSheetOnceAndRangesOnlyWithinTheUsedRange) {
  session_.book->AddSheet(L"My Data");
  Number(2, 1, 1, 1);
  Sheet(2).SetValue({2, 3}, CellValue::Error(ErrorCode::Ref));  // C2
  Formula(2, 2, 3, L"=1/0");                                    // B3
  Number(2, 4, 4, 1);                                           // D4
  Sheet(1).SetValue({6, 6}, CellValue::Error(ErrorCode::NA));   // Sheet1!F6
  const auto container = Attach();
  struct Case {
    CellPos cell;
    bool error;
  };
  const Case cells[] = {{At(2, 1, 1), false}, {At(2, 3, 2), true}, {At(2, 2, 3), true},
                        {At(2, 9, 9), false}, {CellPos{}, false},  {At(-1, -1, -1), false},
                        {At(9, 1, 1), false}};
  for (const Case& c : cells) {
    SCOPED_TRACE(testing::Message() << c.cell.sheet << "," << c.cell.column << "," << c.cell.row);
    EXPECT_EQ(c.error, IsErrorCell(*container, c.cell));
  }
  // Cached: a later change is not seen.
  Number(2, 3, 2, 5);
  EXPECT_TRUE(IsErrorCell(*container, At(2, 3, 2)));
  EXPECT_FALSE(container->Answers().ErrorTest(CellPos{}).has_value());

  struct RangeCase {
    CellPos first;
    CellPos last;
    bool error;
  };
  const RangeCase ranges[] = {
      {At(2, 1, 1), At(2, 4, 4), true},     {At(2, 1, 1), At(2, 1, 65536), false},
      {At(2, 2, 1), At(2, 2, 65536), true}, {At(2, 4, 1), At(2, 10, 10), false},
      {At(2, 5, 5), At(2, 9, 9), false},  // wholly outside the used range
      {At(2, 2, 3), At(2, 2, 3), true},
      // A 3-D range is tested on each of its sheets, within each sheet's used range.
      {At(1, 6, 6), At(2, 6, 6), true},     {At(1, 3, 2), At(2, 3, 2), true},
      {At(1, 1, 1), At(2, 1, 1), false},
  };
  for (const RangeCase& r : ranges) {
    SCOPED_TRACE(testing::Message() << r.first.column << "," << r.first.row << ":" << r.last.column
                                    << "," << r.last.row);
    EXPECT_EQ(r.error, RangeHasError(*container, r.first, r.last));
  }
}

TEST_F(PrecedentWalks, TheInputScanerKeepsTheFirstEntryOfACell) {
  std::vector<CellReference> list;
  CInputCellScaner scanner(&list);
  CellReference plain;
  plain.first = plain.last = At(1, 2, 3);
  CellReference marked = plain;
  marked.flags = RefDynamic;
  CellReference other = plain;
  other.text = L"x";
  EXPECT_TRUE(scanner.OnValueCell(marked));
  EXPECT_TRUE(scanner.OnValueCell(plain));
  EXPECT_TRUE(scanner.OnValueCell(other));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(RefDynamic, list[0].flags);
  EXPECT_EQ(L"x", list[1].text);
}

TEST_F(PrecedentWalks, ErrorAndColourListsAnswerOnlyForTheListAsAWhole) {
  Sheet(1).SetValue({1, 1}, CellValue::Error(ErrorCode::NA));
  Formula(1, 2, 2, L"=1/0");
  Number(1, 3, 1, 1);
  Number(1, 3, 2, 2);
  Number(1, 1, 3, 3);
  const auto format = [&](const wchar_t* address, const wchar_t* part) {
    return GetObjectOf(GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)}).Get(), part);
  };
  ASSERT_EQ(S_OK, Put(format(L"C2", L"Interior").Get(), L"ColorIndex", Arg(6)).hr);
  ASSERT_EQ(S_OK, Put(format(L"A3", L"Interior").Get(), L"ColorIndex", Arg(6)).hr);
  ASSERT_EQ(S_OK, Put(format(L"C1", L"Font").Get(), L"ColorIndex", Arg(3)).hr);
  const auto container = Attach();

  EXPECT_EQ((std::vector<CellPos>{At(1, 1, 1), At(1, 2, 2)}),
            CellsOf(ErrorCells(*container, CellPos{})));
  EXPECT_EQ(CDependencyContainer::EmptyList(), ErrorCells(*container, At(1, 1, 1)));
  // In the walk's order, column by column.
  EXPECT_EQ((std::vector<CellPos>{At(1, 1, 3), At(1, 3, 2)}),
            CellsOf(FillColorCells(*container, At(6, 0, 0))));
  EXPECT_EQ((std::vector<CellPos>{At(1, 3, 1)}), CellsOf(FontColorCells(*container, At(3, 0, 0))));
  EXPECT_EQ(CDependencyContainer::EmptyList(), FillColorCells(*container, At(3, 0, 0)));
  EXPECT_EQ(CDependencyContainer::EmptyList(), FillColorCells(*container, At(6, 3, 2)));
  EXPECT_EQ(CDependencyContainer::EmptyList(), FontColorCells(*container, At(3, 0, 1)));
}

}  // namespace
