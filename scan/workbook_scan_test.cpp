// The whole-workbook walk and the collection of formulas, through the embedded spreadsheet's
// object model as against Excel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "scan/cell_collection.h"
#include "scan/scan_strategies.h"
#include "scan/sort_unique.h"
#include "scan/used_range.h"
#include "scan/workbook_lists.h"
#include "scan/workbook_scan.h"
#include "tests/support/recording_progress.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;
using spreadsheet::CWorksheet;
using spreadsheet::ErrorCode;
using test_support::Arg;
using test_support::CRecordingProgress;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

// Records every cell the walk hands over, and how the application was set meanwhile.
class CRecordingStrategy final : public IScanWorkbook {
 public:
  explicit CRecordingStrategy(IDispatch* application = nullptr) : application_(application) {}
  void ProcessCell(const ExcelObject& cell, const CellPos& position) override {
    seen.push_back(position);
    LONG row = 0;
    if (!cell.GetLong(L"Row", &row) || row != position.row) rangesMatch = false;
    if (application_ != nullptr) {
      calculation.push_back(Get(application_, L"Calculation").Long());
      screenUpdating.push_back(Get(application_, L"ScreenUpdating").Bool());
    }
  }
  std::vector<CellPos> seen;
  bool rangesMatch = true;
  std::vector<LONG> calculation;
  std::vector<int> screenUpdating;

 private:
  IDispatch* application_;
};

class WorkbookScan : public ::testing::Test {
 protected:
  CWorksheet& Sheet(int index) { return session_.book->Sheet(index); }
  void Number(int sheet, int row, int column, double value) {
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
  // Every non-blank cell of the workbook in the walk's order: sheet, column, row.
  std::vector<CellPos> NonBlankCells() const {
    std::vector<CellPos> cells;
    for (int i = 1; i <= session_.book->SheetCount(); ++i) {
      session_.book->Sheet(i).ForEachCell([&](spreadsheet::CellCoord at, const spreadsheet::Cell&) {
        if (!session_.book->Sheet(i).Value(at).IsEmpty()) cells.push_back({i, at.column, at.row});
      });
    }
    std::sort(cells.begin(), cells.end(), CellPosOrder{});
    return cells;
  }
  CComPtr<IDispatch> Range(int sheet, const wchar_t* address) {
    return GetObjectOf(session_.Sheet(sheet).Get(), L"Range", {Arg(address)});
  }

  test_support::CSpreadsheetSession session_;
};

TEST_F(WorkbookScan, VisitsEveryNonBlankCellColumnByColumnJumpingOverGaps) {
  // The used range starts at C3: positions count from its corner, not from A1.
  Number(1, 3, 3, 1);
  Number(1, 7, 3, 2);                                         // After a gap in the column.
  Number(1, 9, 4, 3);                                         // The column's top cell is blank.
  for (int row = 3; row <= 5; ++row) Number(1, row, 5, row);  // Blank below its run.
  Sheet(1).SetFormula({10, 6}, L"C3*2");
  Sheet(1).SetValue({4, 7}, CellValue::Text(L""));  // Empty text is a value, not a blank.
  session_.book->AddSheet(L"Data");
  Number(2, 1, 1, 5);
  Number(2, 65536, 1, 6);
  auto container = Attach();

  // A sheet deleted after the index was built is skipped.
  container->Structure().AddSheetIndex(3);

  CRecordingStrategy strategy(session_.application.Get());
  ScanWorkbook(*container, strategy);
  EXPECT_EQ(NonBlankCells(), strategy.seen);
  EXPECT_EQ(10u, strategy.seen.size());
  EXPECT_TRUE(strategy.rangesMatch);
  // Recalculation and screen updating pause for the walk only.
  EXPECT_THAT(strategy.calculation, testing::Each(spreadsheet::kCalculationManual));
  EXPECT_THAT(strategy.screenUpdating, testing::Each(0));
  EXPECT_EQ(spreadsheet::kCalculationAutomatic, session_.app->Calculation());
  EXPECT_TRUE(session_.app->ScreenUpdating());
}

TEST_F(WorkbookScan, MergedAreasHideNoCellFromTheWalk) {
  CWorksheet& sheet = Sheet(1);
  // A title merged over G42:K42 on the used range's first row, formulas right below it in H:K
  // (some showing empty text), then a gap and a merged title holding a formula over G50:I50.
  sheet.AddMerge({{42, 7}, {42, 11}});
  sheet.SetValue({42, 7}, CellValue::Text(L"Quarter"));
  for (int column = 8; column <= 11; ++column) {
    for (int row = 43; row <= 48; ++row) {
      sheet.SetFormula({row, column}, row == 45 ? L"IF(1,\"\",0)" : L"ROW()");
    }
    sheet.SetFormula({51, column}, L"H43+1");
  }
  sheet.AddMerge({{50, 7}, {50, 9}});
  sheet.SetFormula({50, 7}, L"G42&\" total\"");
  // A label merged down B42:B44 whose hidden cell B43 still holds a number from before the
  // merge, with formulas below it.
  sheet.AddMerge({{42, 2}, {44, 2}});
  sheet.SetValue({42, 2}, CellValue::Text(L"Region"));
  Number(1, 43, 2, 7);
  for (int row = 45; row <= 46; ++row) sheet.SetFormula({row, 2}, L"ROW()");
  auto container = Attach();

  std::vector<CellPos> expected;
  for (const CellPos& cell : NonBlankCells()) {
    const auto area = sheet.MergeAreaOf({cell.row, cell.column});
    if (!area || area->first == spreadsheet::CellCoord{cell.row, cell.column}) {
      expected.push_back(cell);
    }
  }
  CRecordingStrategy strategy;
  ScanWorkbook(*container, strategy);
  EXPECT_EQ(expected, strategy.seen);
  EXPECT_TRUE(strategy.rangesMatch);
  CollectAllFormulas(*container);
  EXPECT_EQ(4u * 7u + 1u + 2u, container->Formulas().Size());
}

TEST_F(WorkbookScan, ColumnsEndAtTheRowLimitOfTheFileFormatExceptAfterAJump) {
  struct Case {
    int fileFormat;
    bool belowLimitVisited;
  };
  for (const Case& c : {Case{56, false}, Case{51, true}, Case{54, true}, Case{-4143, false}}) {
    SCOPED_TRACE(c.fileFormat);
    test_support::CSpreadsheetSession session;
    session.book->SetFileFormat(c.fileFormat);
    CWorksheet& sheet = session.book->Sheet(1);
    for (int row : {65535, 65536, 65537}) sheet.SetValue({row, 1}, CellValue::Number(row));
    // The jump lands beyond the limit: that cell is processed, and the column ends after it.
    for (int row : {10, 70000, 70001}) sheet.SetValue({row, 2}, CellValue::Number(row));
    CDependencyContainer container;
    container.AttachWorkbook(ExcelObject(session.application.Get()),
                             ExcelObject(session.Workbook().Get()));
    ASSERT_EQ(c.fileFormat, container.FileFormat());

    CRecordingStrategy strategy;
    ScanWorkbook(container, strategy);
    std::vector<CellPos> expected = {{1, 1, 65535}, {1, 1, 65536}};
    if (c.belowLimitVisited) expected.push_back({1, 1, 65537});
    expected.insert(expected.end(), {{1, 2, 10}, {1, 2, 70000}});
    if (c.belowLimitVisited) expected.push_back({1, 2, 70001});
    EXPECT_EQ(expected, strategy.seen);
  }
}

TEST_F(WorkbookScan, ReportsEveryHundredCellsCountedOverAllSheets) {
  for (int row = 1; row <= 150; ++row) Number(1, row, 1, row);
  session_.book->AddSheet(L"Data 2");
  for (int row = 1; row <= 120; ++row) Number(2, row, 2, row);
  CRecordingProgress progress;
  auto container = Attach();
  container->SetProgress(&progress);

  CRecordingStrategy strategy;
  ScanWorkbook(*container, strategy);
  EXPECT_EQ(270u, strategy.seen.size());
  EXPECT_EQ(1, progress.begun);
  EXPECT_EQ(1, progress.ended);
  EXPECT_THAT(progress.titles, testing::ElementsAre(L"Trelvane - analyzing workbook"));
  EXPECT_TRUE(progress.showStop);
  EXPECT_THAT(progress.messages, testing::ElementsAre(L"", L"Sheet 'Sheet1'. 100 cells processed.",
                                                      L"Sheet 'Data 2'. 200 cells processed."));
}

TEST_F(WorkbookScan, AStoppedCollectionKeepsWhatItFoundAndIsNotRepeated) {
  for (int row = 1; row <= 150; ++row) Sheet(1).SetFormula({row, 2}, L"A1+1");
  // Stop is pressed with the first message, at the 100th cell, which is not processed.
  CRecordingProgress stopping([](const std::wstring&, const std::wstring&) { return true; });
  CRecordingProgress next;
  auto container = Attach();
  container->SetProgress(&stopping);
  CollectAllFormulas(*container);
  EXPECT_EQ(99u, container->Formulas().Size());
  EXPECT_TRUE(container->Formulas().AllCollected());
  EXPECT_TRUE(container->Formulas().Contains({1, 2, 99}));
  // Until a refresh, neither the walk nor a single cell is collected again.
  CollectAllFormulas(*container);
  EnsureCellCollected(*container, {1, 2, 120});
  EXPECT_EQ(99u, container->Formulas().Size());
  container->Refresh();
  // The next operation, with Stop not pressed, collects everything.
  container->SetProgress(&next);
  CollectAllFormulas(*container);
  EXPECT_EQ(150u, container->Formulas().Size());
}

TEST_F(WorkbookScan, CollectsEachFormulaOnceUnderItsOwnCellOnDemandOrByTheWalk) {
  Number(1, 1, 1, 4);
  Sheet(1).SetFormula({1, 2}, L"A1*2");
  Sheet(1).SetFormula({2, 2}, L"SUM(A1:A3)+B1");
  Number(1, 3, 2, 7);
  auto container = Attach();
  for (const CellPos cell : {CellPos{1, 2, 2}, CellPos{1, 2, 2}, CellPos{1, 2, 3} /* constant */,
                             CellPos{1, 5, 9} /* blank */, CellPos{0, 0, 0}, CellPos{7, 1, 1}}) {
    EnsureCellCollected(*container, cell);
  }
  EXPECT_EQ(1u, container->Formulas().Size());
  CollectAllFormulas(*container);

  ASSERT_EQ(2u, container->Formulas().Size());
  EXPECT_EQ(2u, container->FormulaParseCount());
  const SharedReferenceList* firstList = container->Formulas().Find({1, 2, 1});
  const SharedReferenceList* secondList = container->Formulas().Find({1, 2, 2});
  ASSERT_TRUE(firstList != nullptr && secondList != nullptr);
  const auto& first = **firstList;
  ASSERT_EQ(1u, first.size());
  EXPECT_EQ((CellPos{1, 1, 1}), first[0].first);
  const auto& second = **secondList;
  ASSERT_EQ(2u, second.size());
  EXPECT_EQ((CellPos{1, 1, 3}), second[0].last);
  EXPECT_EQ((CellPos{1, 2, 1}), second[1].first);
}

TEST_F(WorkbookScan, AnArrayFormulaIsRecordedOnceAndParsedAtItsFirstCell) {
  Number(1, 1, 1, 1);
  Number(1, 2, 1, 2);
  Sheet(1).SetArrayFormula({{2, 2}, {3, 3}}, L"A1:A2*COLUMN(B2:C2)");
  for (const bool laterCellFirst : {false, true}) {
    SCOPED_TRACE(laterCellFirst);
    auto container = Attach();
    // Met first at its last cell, the array is collected at its first; the walk then meets
    // the first cell again and records nothing twice.
    if (laterCellFirst) EnsureCellCollected(*container, {1, 3, 3});
    CollectAllFormulas(*container);

    EXPECT_THAT(container->Formulas().Arrays(),
                testing::ElementsAre(CellRect{{1, 2, 2}, {1, 3, 3}}));
    ASSERT_EQ(1u, container->Formulas().Size());
    const SharedReferenceList* array = container->Formulas().Find({1, 2, 2});
    ASSERT_NE(nullptr, array);
    EXPECT_EQ((CellPos{1, 1, 1}), (*array)->at(0).first);
    EXPECT_EQ(1u, container->FormulaParseCount());
    struct Case {
      CellPos cell;
      CellPos origin;
    };
    for (const Case& c :
         {Case{{1, 3, 3}, {1, 2, 2}}, Case{{1, 2, 2}, {1, 2, 2}}, Case{{1, 3, 2}, {1, 2, 2}},
          Case{{1, 4, 3}, {1, 4, 3}}, Case{{2, 3, 3}, {2, 3, 3}}}) {
      EXPECT_EQ(c.origin, ArrayOriginOf(*container, c.cell));
    }
  }
}

std::vector<CellPos> CellsOf(const std::vector<CellReference>& list) {
  std::vector<CellPos> cells;
  for (const CellReference& entry : list) {
    EXPECT_TRUE(entry.IsSingleCell() && entry.flags == 0 && entry.text.empty());
    cells.push_back(entry.first);
  }
  return cells;
}

TEST_F(WorkbookScan, ARunReadInBlocksCollectsWhatCellByCellCollectionDoes) {
  // One long column mixing formula stretches, constants, an array formula and errors, so that
  // the run is split down to single cells in places and read as one block in others.
  CWorksheet& sheet = Sheet(1);
  for (int row = 1; row <= 300; ++row) {
    if (row % 37 == 0) {
      Number(1, row, 2, row);
    } else if (row % 53 == 0) {
      sheet.SetValue({row, 2}, CellValue::Error(ErrorCode::Value));
    } else if (row != 120 && row != 121) {
      sheet.SetFormula({row, 2}, row % 2 == 0 ? L"A" + std::to_wstring(row) + L"*2"
                                              : L"SUM(A1:A" + std::to_wstring(row) + L")+1/0");
    }
  }
  sheet.SetArrayFormula({{120, 2}, {121, 3}}, L"A1:A2*COLUMN(B2:C2)");
  auto walked = Attach();
  auto cellByCell = Attach();
  CollectAllFormulas(*walked);
  BuildErrorList(*walked);
  for (const CellPos& cell : NonBlankCells()) EnsureCellCollected(*cellByCell, cell);

  ASSERT_EQ(cellByCell->Formulas().Size(), walked->Formulas().Size());
  EXPECT_EQ(300u - 8u - 5u - 2u + 1u, walked->Formulas().Size());  // constants, errors, array
  for (const auto& [cell, list] : cellByCell->Formulas().All()) {
    const SharedReferenceList* found = walked->Formulas().Find(cell);
    ASSERT_NE(nullptr, found) << cell.row;
    ASSERT_EQ(list->size(), (*found)->size()) << cell.row;
    for (size_t i = 0; i < list->size(); ++i) {
      EXPECT_TRUE((*list)[i].IsIdenticalTo((**found)[i])) << cell.row;
    }
  }
  EXPECT_EQ(cellByCell->Formulas().Arrays(), walked->Formulas().Arrays());
  std::vector<CellPos> errors;
  for (const CellPos& cell : NonBlankCells()) {
    if (sheet.Value({cell.row, cell.column}).Kind() == spreadsheet::ValueKind::Error) {
      errors.push_back(cell);
    }
  }
  EXPECT_EQ(errors, CellsOf(walked->Lists().ErrorCells()));
}

TEST_F(WorkbookScan, ErrorListHoldsErrorValuesSortedAndIsBuiltOnceUntilMarkedStale) {
  Sheet(1).SetValue({1, 1}, CellValue::Error(ErrorCode::NA));
  Sheet(1).SetFormula({2, 2}, L"1/0");
  Number(1, 3, 1, 5);
  Sheet(1).SetFormula({1, 3}, L"2*2");
  session_.book->AddSheet(L"Data");
  Sheet(2).SetFormula({4, 1}, L"Sheet1!A1");
  auto container = Attach();
  BuildErrorList(*container);
  EXPECT_EQ((std::vector<CellPos>{{1, 1, 1}, {1, 2, 2}, {2, 1, 4}}),
            CellsOf(container->Lists().ErrorCells()));

  Sheet(1).SetValue({3, 1}, CellValue::Error(ErrorCode::Ref));
  BuildErrorList(*container);
  EXPECT_EQ(3u, container->Lists().ErrorCells().size());
  container->MarkErrorListStale();
  BuildErrorList(*container);
  EXPECT_EQ((std::vector<CellPos>{{1, 1, 1}, {1, 1, 3}, {1, 2, 2}, {2, 1, 4}}),
            CellsOf(container->Lists().ErrorCells()));
}

TEST_F(WorkbookScan, ColoursAreListedByIndexWithTheColourOfTheFirstCellSeen) {
  Number(1, 1, 1, 1);  // No fill, automatic font: in no list.
  for (int row = 1; row <= 3; ++row) Number(1, row, 2, row);
  auto format = [&](const wchar_t* address, const wchar_t* part) {
    return GetObjectOf(Range(1, address).Get(), part);
  };
  ASSERT_EQ(S_OK, Put(format(L"B1", L"Interior").Get(), L"ColorIndex", Arg(3)).hr);
  // Near red: the same index as B1, another colour.
  ASSERT_EQ(S_OK, Put(format(L"B3", L"Interior").Get(), L"Color", Arg(0x0000F0)).hr);
  ASSERT_EQ(3, Get(format(L"B3", L"Interior").Get(), L"ColorIndex").Long());
  ASSERT_EQ(S_OK, Put(format(L"B2", L"Font").Get(), L"ColorIndex", Arg(5)).hr);
  ASSERT_EQ(S_OK, Put(format(L"B3", L"Font").Get(), L"ColorIndex", Arg(10)).hr);
  auto container = Attach();
  AnalyzeColorsOnce(*container);

  const CColorTable& fills = container->Lists().FillColors();
  const CColorTable& fonts = container->Lists().FontColors();
  ASSERT_EQ(1u, fills.AllCells().size());
  ASSERT_NE(nullptr, fills.CellsOf(3));
  EXPECT_EQ((std::vector<CellPos>{{1, 2, 1}, {1, 2, 3}}), CellsOf(*fills.CellsOf(3)));
  const LONG firstFill = Get(format(L"B1", L"Interior").Get(), L"Color").Long();
  EXPECT_NE(firstFill, Get(format(L"B3", L"Interior").Get(), L"Color").Long());
  ASSERT_TRUE(fills.HasColor(3));
  EXPECT_EQ(firstFill, fills.ColorOf(3));
  ASSERT_EQ(2u, fonts.AllCells().size());
  ASSERT_TRUE(fonts.CellsOf(5) != nullptr && fonts.CellsOf(10) != nullptr);
  EXPECT_EQ((std::vector<CellPos>{{1, 2, 2}}), CellsOf(*fonts.CellsOf(5)));
  EXPECT_EQ((std::vector<CellPos>{{1, 2, 3}}), CellsOf(*fonts.CellsOf(10)));
  ASSERT_TRUE(fonts.HasColor(10));
  EXPECT_EQ(Get(format(L"B3", L"Font").Get(), L"Color").Long(), fonts.ColorOf(10));
}

TEST_F(WorkbookScan, PositionsAreClampedIntoTheCachedUsedRange) {
  Number(1, 2, 2, 1);
  Number(1, 5, 4, 1);
  auto container = Attach();
  struct Case {
    CellPos position;
    CellPos clamped;
  };
  for (const Case& c :
       {Case{{1, 1, 1}, {1, 2, 2}}, Case{{1, 3, 3}, {1, 3, 3}}, Case{{1, 10, 1}, {1, 4, 2}},
        Case{{1, 1, 100}, {1, 2, 5}}, Case{{1, 3, 65536}, {1, 3, 5}}, Case{{9, 1, 1}, {9, 1, 1}}}) {
    CellPos position = c.position;
    ClampToUsedRange(*container, &position);
    EXPECT_EQ(c.clamped, position);
  }
  CellPos first{1, 1, 1};
  CellPos last{1, 16384, 1048576};
  EXPECT_TRUE(ClampRectangle(*container, &first, &last));
  EXPECT_EQ((CellPos{1, 2, 2}), first);
  EXPECT_EQ((CellPos{1, 4, 5}), last);
  // A rectangle beside the used range holds none of its cells: clamping it would name a cell
  // (here D2:D3) that it does not hold.
  CellPos besideFirst{1, 8, 2};
  CellPos besideLast{1, 9, 3};
  EXPECT_FALSE(ClampRectangle(*container, &besideFirst, &besideLast));
  EXPECT_EQ((CellPos{1, 8, 2}), besideFirst);
  size_t visited = 0;
  ForEachUsedCell(*container, {1, 8, 2}, {1, 9, 3}, [&](const CellPos&) { ++visited; });
  ForEachUsedCell(*container, {1, 1, 7}, {1, 4, 9}, [&](const CellPos&) { ++visited; });
  EXPECT_EQ(0u, visited);

  // The cache answers after the sheet has grown.
  Number(1, 20, 6, 1);
  CellPos usedFirst;
  CellPos usedLast;
  ASSERT_TRUE(UsedRangeOf(*container, 1, &usedFirst, &usedLast));
  EXPECT_EQ((CellPos{1, 4, 5}), usedLast);
  CellPos untouched{3, 3, 3};
  EXPECT_FALSE(UsedRangeOf(*container, 9, &untouched, &untouched));
  EXPECT_EQ((CellPos{3, 3, 3}), untouched);
  EXPECT_FALSE(container->UsedRanges().Contains(9));
}

TEST(SortUnique, OrdersByExternalThenNameThenCornersAndKeepsTheFirstOfEqualEntries) {
  auto entry = [](int32_t external, int32_t name, CellPos first, CellPos last, uint32_t flags) {
    CellReference r;
    r.externalId = external;
    r.nameId = name;
    r.first = first;
    r.last = last;
    r.flags = flags;
    return r;
  };
  std::vector<CellReference> list = {entry(0, 0, {1, 2, 1}, {1, 2, 1}, 0),
                                     entry(0, 0, {1, 1, 5}, {1, 1, 5}, 1),
                                     entry(0, 4, {}, {}, 0),
                                     entry(2, 0, {}, {}, 0),
                                     entry(0, 0, {1, 1, 5}, {1, 1, 5}, 2),
                                     entry(0, 0, {1, 1, 5}, {1, 3, 5}, 0),
                                     entry(0, 0, {1, 2, 1}, {1, 2, 1}, 8)};
  SortUnique(list);
  ASSERT_EQ(5u, list.size());
  EXPECT_EQ(2, list[0].externalId);
  EXPECT_EQ(4, list[1].nameId);
  EXPECT_EQ((CellPos{1, 1, 5}), list[2].first);
  EXPECT_EQ(1u, list[2].flags);  // The first of the two entries for A5.
  EXPECT_EQ((CellPos{1, 3, 5}), list[3].last);
  EXPECT_EQ((CellPos{1, 2, 1}), list[4].first);
  EXPECT_EQ(0u, list[4].flags);
}

}  // namespace
