// The container against the embedded spreadsheet: what attaching reads, what a refresh drops and
// keeps, how views are told, and the evaluation it lends.
#include "engine/dependency_container.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellValue;

class CTestView final : public IContainerView {
 public:
  void PostRefresh() override { ++refreshes; }
  void SendClose() override {
    ++closes;
    if (onClose) onClose();
  }
  bool WindowRect(ScreenRect* rect) const override {
    if (!windowRect) return false;
    *rect = *windowRect;
    return true;
  }

  int refreshes = 0;
  int closes = 0;
  std::optional<ScreenRect> windowRect;
  std::function<void()> onClose;
};

class CFixedScreen final : public IScreenMetrics {
 public:
  int32_t ScreenWidth() const override { return 1920; }
  int32_t ScreenHeight() const override { return 1080; }
};

CellPos At(int32_t sheet, int32_t column, int32_t row) {
  return CellPos{sheet, column, row};
}

class DependencyContainer : public testing::Test {
 protected:
  void SetUp() override {
    session_.book->AddSheet(L"My Data");
    session_.book->AddName({L"Total", L"=Sheet1!$B$2:$B$9", 0, false});
    session_.book->AddName({L"Local", L"='My Data'!$A$1", 2, false});
    session_.book->AddName({L"Rate", L"=0.25", 0, false});
    // B2:D10 with a header row and a totals row; F2:F5 with neither.
    auto& tables = session_.book->Sheet(1).Tables();
    tables.push_back({L"Sales", {{2, 2}, {10, 4}}, true, true, {L"Item", L"Amount", L"Date"}});
    tables.push_back({L"Bare", {{2, 6}, {5, 6}}, false, false, {L"Only"}});
  }

  void Attach(CDependencyContainer& container) {
    container.SetWorkbookName(session_.book->Name());
    container.AttachWorkbook(ExcelObject(session_.application.Get()),
                             ExcelObject(session_.Workbook().Get()));
  }

  test_support::CSpreadsheetSession session_;
};

TEST_F(DependencyContainer, StartsEmptyAndUnattached) {
  CDependencyContainer container;
  EXPECT_EQ(-1, container.FileFormat());
  EXPECT_FALSE(container.IsStale());
  EXPECT_TRUE(container.Worksheets().IsEmpty());
  EXPECT_TRUE(container.formulaIndex_.empty());
  EXPECT_EQ(0, container.nameCounter_);
  // Every answer without references is the same list.
  EXPECT_EQ(CDependencyContainer::EmptyList().get(), CDependencyContainer::EmptyList().get());
  EXPECT_TRUE(CDependencyContainer::EmptyList()->empty());
}

TEST_F(DependencyContainer, AttachingReadsSheetsFileFormatAndTheWorkbooksName) {
  session_.book->SetFileFormat(spreadsheet::kFileFormatXlsm);
  CDependencyContainer container;
  Attach(container);
  EXPECT_EQ(52, container.FileFormat());
  EXPECT_EQ(L"Book1.xlsx", container.AddressParser().WorkbookName());
  EXPECT_FALSE(container.Worksheets().IsEmpty());
  EXPECT_EQ((std::set<int32_t>{1, 2}), container.sheetSet_);
  EXPECT_EQ(2, container.sheetIndexByName_.Find(L"my data"));
  EXPECT_EQ(L"Sheet1", container.SheetName(1));
  EXPECT_EQ(L"My Data", container.SheetName(2));
}

TEST_F(DependencyContainer, NamesGetIdsWorkbookScopeFirstAndSheetNamesTwice) {
  CDependencyContainer container;
  Attach(container);
  // Workbook.Names lists all three (the sheet's name under its qualified text), then the
  // sheet's own Names lists Local again.
  EXPECT_EQ(4, container.nameCounter_);
  const NameLookupResult total = container.DefinedNameLookup(L"Total", 1);
  ASSERT_TRUE(total.IsFound());
  EXPECT_EQ(1, total.id);
  EXPECT_EQ(0, total.record->notRange);
  EXPECT_EQ(L"=Sheet1!$B$2:$B$9", total.record->refersTo);
  EXPECT_EQ(At(1, 2, 2), total.record->first);
  EXPECT_EQ(At(1, 2, 9), total.record->last);

  const NameLookupResult rate = container.DefinedNameLookup(L"Rate", 1);
  ASSERT_TRUE(rate.IsFound());
  EXPECT_EQ(1, rate.record->notRange);
  EXPECT_EQ(CellPos{}, rate.record->first);

  // Both listings report the sheet-level name qualified. The workbook's entry keeps that text,
  // as other sheets write it; on its own sheet the name is found as formulas there write it.
  EXPECT_EQ(4, container.DefinedNameLookup(L"Local", 2).id);
  EXPECT_EQ(2, container.DefinedNameLookup(L"'My Data'!Local", 1).id);
  EXPECT_EQ(2, container.DefinedNameLookup(L"'My Data'!Local", 2).id);
  EXPECT_FALSE(container.DefinedNameLookup(L"Local", 1).IsFound());
  EXPECT_EQ(2, container.definedNames_.ScopeOf(4));
  EXPECT_EQ(0, container.definedNames_.ScopeOf(2));
  // A sheet index beyond the list falls back to the workbook's names.
  EXPECT_EQ(1, container.DefinedNameLookup(L"Total", 40).id);
  EXPECT_FALSE(container.DefinedNameLookup(L"total", 1).IsFound());

  // Rectangles know their names; a constant has none.
  CellReference key;
  key.first = At(1, 2, 2);
  key.last = At(1, 2, 9);
  ASSERT_EQ(1u, container.rectangleNames_.count(key));
  EXPECT_EQ(L"Total", container.rectangleNames_.at(key));
  key.first = key.last = At(2, 1, 1);
  EXPECT_EQ(L"'My Data'!Local", container.rectangleNames_.at(key));
  EXPECT_EQ(2u, container.rectangleNames_.size());
}

TEST_F(DependencyContainer, TablesStandForTheirMissingRowsAndAreFoundWithoutCase) {
  CDependencyContainer container;
  Attach(container);
  ASSERT_EQ(2u, container.tables_.Tables().size());
  struct Case {
    const wchar_t* name;
    CellRect whole, header, body, totals, firstColumn;
  };
  const Case cases[] = {
      {L"Sales",
       {At(1, 2, 2), At(1, 4, 10)},
       {At(1, 2, 2), At(1, 4, 2)},
       {At(1, 2, 3), At(1, 4, 9)},
       {At(1, 2, 10), At(1, 4, 10)},
       {At(1, 2, 3), At(1, 2, 9)}},
      {L"bare",
       {At(1, 6, 2), At(1, 6, 5)},
       {At(1, 6, 2), At(1, 6, 5)},
       {At(1, 6, 2), At(1, 6, 5)},
       {At(1, 6, 2), At(1, 6, 5)},
       {At(1, 6, 2), At(1, 6, 5)}},
  };
  for (const Case& c : cases) {
    const TableRecord* table = container.FindTable(c.name);
    ASSERT_NE(nullptr, table) << c.name;
    EXPECT_EQ(c.whole, table->whole) << c.name;
    EXPECT_EQ(c.header, table->headerRow) << c.name;
    EXPECT_EQ(c.body, table->dataBody) << c.name;
    EXPECT_EQ(c.totals, table->totalsRow) << c.name;
    ASSERT_FALSE(table->columns.empty()) << c.name;
    EXPECT_EQ(c.firstColumn, table->columns.front().dataBody) << c.name;
  }
  const TableRecord* sales = container.FindTable(L"SALES");
  ASSERT_NE(nullptr, sales);
  ASSERT_EQ(3u, sales->columns.size());
  EXPECT_EQ(L"Amount", sales->columns[1].name);
  EXPECT_EQ((CellRect{At(1, 3, 3), At(1, 3, 9)}), sales->columns[1].dataBody);
  EXPECT_EQ(nullptr, container.FindTable(L"Missing"));
}

TEST_F(DependencyContainer, RefreshDropsAnswersAndKeepsArraysUsedRangesAndPublishedLists) {
  CDependencyContainer container;
  Attach(container);
  const SharedReferenceList held = container.ParseFormula(L"=SUM(A1:B2)+Total", At(1, 3, 3));
  ASSERT_NE(nullptr, held);
  container.formulaIndex_[At(1, 3, 3)] = held;
  container.dependentsCache_[At(1, 1, 1)] = held;
  container.inputsCache_[At(1, 1, 1)] = held;
  container.errorSourceCache_[At(1, 1, 1)] = held;
  container.errorTestCache_[At(1, 1, 1)] = true;
  container.fillColorCells_[3].push_back(held->front());
  container.fillColorValues_[3] = 255;
  container.fontColorCells_[5].push_back(held->front());
  container.fontColorValues_[5] = 0;
  container.arrayList_.push_back({At(1, 5, 5), At(1, 6, 6)});
  container.usedRangeCache_[1] = {At(1, 1, 1), At(1, 9, 9)};
  container.externalTable_.Add(L"[Other.xlsx]Sheet1!A1");
  container.formulasCollected_ = container.colorsAnalyzed_ = container.errorListBuilt_ = true;
  const std::vector<CellReference> before = *held;

  container.Refresh();

  EXPECT_TRUE(container.formulaIndex_.empty());
  EXPECT_TRUE(container.dependentsCache_.empty());
  EXPECT_TRUE(container.inputsCache_.empty());
  EXPECT_TRUE(container.errorSourceCache_.empty());
  EXPECT_TRUE(container.errorTestCache_.empty());
  EXPECT_TRUE(container.fillColorCells_.empty());
  EXPECT_TRUE(container.fillColorValues_.empty());
  EXPECT_TRUE(container.fontColorCells_.empty());
  EXPECT_TRUE(container.fontColorValues_.empty());
  EXPECT_EQ(0u, container.externalTable_.Size());
  EXPECT_EQ(0u, container.FormulaParser().MemoSize());
  EXPECT_FALSE(container.formulasCollected_ || container.colorsAnalyzed_ ||
               container.errorListBuilt_);
  EXPECT_EQ(1u, container.arrayList_.size());
  EXPECT_EQ(1u, container.usedRangeCache_.size());
  // The structure is read again.
  EXPECT_EQ(2, container.sheetIndexByName_.Find(L"My Data"));
  EXPECT_EQ(2u, container.tables_.Tables().size());
  EXPECT_TRUE(container.DefinedNameLookup(L"Total", 1).IsFound());
  // What a holder got before stays as it was.
  ASSERT_EQ(before.size(), held->size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(before[i].IsIdenticalTo((*held)[i]));
}

TEST_F(DependencyContainer, NameIdsKeepGrowingAcrossRefreshes) {
  CDependencyContainer container;
  Attach(container);
  EXPECT_EQ(3, container.DefinedNameLookup(L"Rate", 1).id);
  container.Refresh();
  EXPECT_EQ(7, container.DefinedNameLookup(L"Rate", 1).id);
  EXPECT_EQ(8, container.nameCounter_);
}

TEST_F(DependencyContainer, RefreshSeesTheWorkbookAsItIsNow) {
  CDependencyContainer container;
  Attach(container);
  session_.book->AddSheet(L"Added");
  session_.book->AddName({L"Later", L"=Added!$C$1", 0, false});
  EXPECT_EQ(0, container.sheetIndexByName_.Find(L"Added"));
  container.Refresh();
  EXPECT_EQ(3, container.sheetIndexByName_.Find(L"Added"));
  EXPECT_EQ(At(3, 3, 1), container.DefinedNameLookup(L"Later", 3).record->first);
}

TEST_F(DependencyContainer, ViewsShareTheContainerAndAreToldOfEveryRefresh) {
  CTestView first, second;  // Outlive the container, which closes the views still registered.
  CDependencyContainer container;
  Attach(container);
  container.RegisterView(&first);
  container.RegisterView(&second);
  container.RegisterView(&first);  // Already there: nothing happens.
  EXPECT_EQ(2u, container.Views().size());
  EXPECT_EQ(0, first.refreshes);

  container.Refresh();
  EXPECT_EQ(1, first.refreshes);
  EXPECT_EQ(1, second.refreshes);

  container.UnregisterView(&first);
  container.UnregisterView(&first);
  container.Refresh();
  EXPECT_EQ(1, first.refreshes);
  EXPECT_EQ(2, second.refreshes);
}

TEST_F(DependencyContainer, StaleDataStayUntilTheNextViewRegisters) {
  CTestView open, opened;
  CDependencyContainer container;
  Attach(container);
  container.RegisterView(&open);
  const SharedReferenceList list = container.ParseFormula(L"=A1", At(1, 2, 1));
  container.formulaIndex_[At(1, 2, 1)] = list;
  container.formulasCollected_ = true;

  container.MarkStale();
  EXPECT_TRUE(container.IsStale());
  container.RegisterView(&open);  // Registered already: no refresh.
  EXPECT_EQ(1u, container.formulaIndex_.size());
  EXPECT_EQ(0, open.refreshes);

  container.RegisterView(&opened);
  EXPECT_FALSE(container.IsStale());
  EXPECT_TRUE(container.formulaIndex_.empty());
  EXPECT_FALSE(container.formulasCollected_);
  EXPECT_EQ(1, open.refreshes);  // The new view registers after the refresh.
  EXPECT_EQ(0, opened.refreshes);
  EXPECT_EQ(2u, container.Views().size());
}

TEST_F(DependencyContainer, ErrorListStaleOnlyDropsItsFlag) {
  CDependencyContainer container;
  container.errorListBuilt_ = container.formulasCollected_ = container.colorsAnalyzed_ = true;
  container.errorCellList_.push_back(CellReference{});
  container.MarkErrorListStale();
  EXPECT_FALSE(container.errorListBuilt_);
  EXPECT_TRUE(container.formulasCollected_ && container.colorsAnalyzed_);
  EXPECT_EQ(1u, container.errorCellList_.size());
  EXPECT_FALSE(container.IsStale());
}

TEST_F(DependencyContainer, DestructionClosesEveryViewEvenOneThatUnregistersWhileClosing) {
  CTestView first, second;
  {
    CDependencyContainer container;
    container.RegisterView(&first);
    container.RegisterView(&second);
    first.onClose = [&] { container.UnregisterView(&first); };
  }
  EXPECT_EQ(1, first.closes);
  EXPECT_EQ(1, second.closes);
  EXPECT_EQ(0, first.refreshes + second.refreshes);
}

TEST_F(DependencyContainer, ReleasesItsExcelHandlesWhenDestroyed) {
  IDispatch* application = session_.application.Get();
  const ULONG before = test_support::ReferencesOf(application);
  {
    CDependencyContainer container;
    Attach(container);
    EXPECT_GT(test_support::ReferencesOf(application), before);
  }
  EXPECT_EQ(before, test_support::ReferencesOf(application));
}

TEST_F(DependencyContainer, NewViewPositionFollowsTheLastRegisteredWindow) {
  const CFixedScreen screen;
  struct Case {
    std::optional<ScreenRect> rect;
    std::optional<ScreenPoint> expected;
  };
  const Case cases[] = {
      {ScreenRect{100, 200, 500, 600}, ScreenPoint{100, 210}},
      {ScreenRect{1, 1, 2, 2}, ScreenPoint{1, 11}},
      {ScreenRect{0, 200, 500, 600}, std::nullopt},      // left not above 0
      {ScreenRect{100, 0, 500, 600}, std::nullopt},      // top not above 0
      {ScreenRect{100, 200, 100, 600}, std::nullopt},    // no width
      {ScreenRect{100, 200, 500, 200}, std::nullopt},    // no height
      {ScreenRect{1920, 200, 2500, 600}, std::nullopt},  // beyond the screen's right
      {ScreenRect{100, 1080, 500, 1200}, std::nullopt},  // beyond the screen's bottom
      {ScreenRect{1919, 1079, 2500, 1200}, ScreenPoint{1919, 1089}},
      {std::nullopt, std::nullopt},  // the rectangle cannot be read
  };
  for (const Case& c : cases) {
    CTestView earlier, last;
    CDependencyContainer container;
    EXPECT_EQ(std::nullopt, container.NewViewPosition(screen));
    earlier.windowRect = ScreenRect{300, 300, 800, 800};
    last.windowRect = c.rect;
    container.RegisterView(&earlier);
    container.RegisterView(&last);
    EXPECT_EQ(c.expected, container.NewViewPosition(screen))
        << (c.rect ? c.rect->left : -1) << "," << (c.rect ? c.rect->top : -1);
  }
}

TEST_F(DependencyContainer, ParsesWithItsOwnNamesSheetsAndTables) {
  CDependencyContainer container;
  Attach(container);
  const SharedReferenceList list =
      container.ParseFormula(L"=Total+Rate+'My Data'!C4+SUM(Sales[Amount])", At(1, 8, 1));
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(4u, list->size());
  EXPECT_EQ(1, (*list)[0].nameId);
  EXPECT_EQ(At(1, 2, 9), (*list)[0].last);
  EXPECT_EQ(RefNameNotRange, (*list)[1].flags & RefNameNotRange);
  EXPECT_EQ(At(2, 3, 4), (*list)[2].first);
  EXPECT_EQ(RefStructured, (*list)[3].flags);
  EXPECT_EQ(At(1, 3, 3), (*list)[3].first);
  EXPECT_EQ(At(1, 3, 9), (*list)[3].last);
  EXPECT_EQ(1u, container.FormulaParseCount());
  // An external reference is recorded in the container's table.
  const SharedReferenceList external =
      container.ParseFormula(L"=[Other.xlsx]Sheet1!A1", At(1, 8, 2));
  ASSERT_NE(nullptr, external);
  ASSERT_EQ(1u, external->size());
  EXPECT_NE(0, external->front().externalId);
  EXPECT_FALSE(container.externalTable_.Find(external->front().externalId).empty());
}

TEST_F(DependencyContainer, EvaluatesThroughTheWorkbook) {
  spreadsheet::CWorksheet& data = session_.book->Sheet(2);
  data.SetValue({1, 1}, CellValue::Number(5));
  data.SetValue({2, 2}, CellValue::Text(L"there"));
  CDependencyContainer container;
  Attach(container);
  EXPECT_EQ(L"TRUE", container.EvaluateToText(L"1=1", 1));
  EXPECT_EQ(L"#ERROR!", container.EvaluateToText(L"1/0", 1));
  EXPECT_EQ(L"'My Data'!$B$2", container.EvaluateToText(L"OFFSET(A1,1,1)", 2));
  const CVariant evaluated = container.EvaluateOnSheet(L"A1*3", 2);
  ASSERT_EQ(VT_R8, evaluated.Kind());
  EXPECT_EQ(15.0, evaluated.Get()->dblVal);

  CVariant value;
  ASSERT_TRUE(container.CellValue(2, 2, 2, value));
  ASSERT_EQ(VT_BSTR, value.Kind());
  EXPECT_EQ(std::wstring(L"there"), value.Get()->bstrVal);
  EXPECT_FALSE(container.CellValue(0, 0, 0, value));
  EXPECT_FALSE(container.CellValue(9, 1, 1, value));

  // An unknown index reads as empty text and is recorded so.
  const size_t known = container.sheetNameByIndex_.Size();
  EXPECT_EQ(L"", container.SheetName(9));
  EXPECT_EQ(known + 1, container.sheetNameByIndex_.Size());
}

TEST_F(DependencyContainer, TheParserEvaluatesReferenceFunctionsThroughTheContainer) {
  ReferenceFunctions::Add(L"OFFSET");
  CDependencyContainer container;
  Attach(container);
  const SharedReferenceList list = container.ParseFormula(L"=SUM(OFFSET(A1,2,1,2,2))", At(1, 9, 9));
  ASSERT_NE(nullptr, list);
  const auto dynamic = std::find_if(list->begin(), list->end(), [](const CellReference& r) {
    return (r.flags & RefDynamic) != 0;
  });
  ASSERT_NE(list->end(), dynamic);
  EXPECT_EQ(At(1, 2, 3), dynamic->first);
  EXPECT_EQ(At(1, 3, 4), dynamic->last);
  ReferenceFunctions::Clear();
}

TEST_F(DependencyContainer, WithoutAWorkbookEveryEvaluationFailsQuietly) {
  CDependencyContainer container;
  EXPECT_EQ(L"", container.EvaluateToText(L"1+1", 1));
  EXPECT_EQ(VT_EMPTY, container.EvaluateOnSheet(L"1+1", 1).Kind());
  CVariant value;
  EXPECT_FALSE(container.CellValue(1, 1, 1, value));
  EXPECT_EQ(L"", container.EvaluateInCell(L"1+1", At(1, 1, 1)));
  container.Refresh();  // Nothing to read; nothing breaks.
  EXPECT_TRUE(container.sheetSet_.empty());
}

}  // namespace
