// The container against the embedded spreadsheet: what attaching reads, what a refresh drops and
// keeps, how observers are told, and the evaluation it lends.
#include "container/dependency_container.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "container/dependents_index.h"
#include "container/formula_index.h"
#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/cell_places.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::At;

using spreadsheet::CellValue;

class CTestView final : public IContainerObserver {
 public:
  void OnContainerRefreshed() override { ++refreshes; }
  void OnContainerClosing() override {
    ++closes;
    if (onClose) onClose();
  }

  int refreshes = 0;
  int closes = 0;
  std::function<void()> onClose;
};

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
  EXPECT_EQ(0u, container.Formulas().Size());
  EXPECT_EQ(0, container.Structure().LastNameId());
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
  EXPECT_EQ((std::set<int32_t>{1, 2}), container.Structure().SheetSet());
  EXPECT_EQ(2, container.Structure().SheetIndexOf(L"my data"));
  EXPECT_EQ(L"Sheet1", container.SheetName(1));
  EXPECT_EQ(L"My Data", container.SheetName(2));
}

TEST_F(DependencyContainer, NamesGetIdsWorkbookScopeFirstAndSheetNamesTwice) {
  CDependencyContainer container;
  Attach(container);
  // Workbook.Names lists all three (the sheet's name under its qualified text), then the
  // sheet's own Names lists Local again.
  EXPECT_EQ(4, container.Structure().LastNameId());
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
  EXPECT_EQ(2, container.Structure().NameScope(4));
  EXPECT_EQ(0, container.Structure().NameScope(2));
  // A sheet index beyond the list falls back to the workbook's names.
  EXPECT_EQ(1, container.DefinedNameLookup(L"Total", 40).id);
  EXPECT_FALSE(container.DefinedNameLookup(L"total", 1).IsFound());

  // Rectangles know their names; a constant has none.
  const CWorkbookStructure& structure = container.Structure();
  EXPECT_EQ(L"Total", structure.RectangleName(At(1, 2, 2), At(1, 2, 9)));
  EXPECT_EQ(L"'My Data'!Local", structure.RectangleName(At(2, 1, 1), At(2, 1, 1)));
  EXPECT_EQ(2u, structure.NamedRectangles());
}

TEST_F(DependencyContainer, TablesStandForTheirMissingRowsAndAreFoundWithoutCase) {
  CDependencyContainer container;
  Attach(container);
  ASSERT_EQ(2u, container.Structure().Tables().Tables().size());
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
  const SharedReferenceList external =
      container.ParseFormula(L"=[Other.xlsx]Sheet1!A1", At(1, 3, 4));
  ASSERT_TRUE(external != nullptr && external->size() == 1u);
  const int32_t externalId = external->front().externalId;
  ASSERT_FALSE(container.ExternalText(externalId).empty());
  ASSERT_NE(0u, container.FormulaParser().MemoSize());

  CFormulaIndex& formulas = container.Formulas();
  formulas.Add(At(1, 3, 3), held);
  formulas.AddArray({At(1, 5, 5), At(1, 6, 6)});
  formulas.MarkAllCollected();
  CAnswerCaches& answers = container.Answers();
  answers.Dependents().Store(At(1, 1, 1), held);
  answers.Inputs().Store(At(1, 1, 1), held);
  answers.ErrorSources().Store(At(1, 1, 1), held);
  answers.StoreErrorTest(At(1, 1, 1), true);
  answers.NameReferences().Store(1, held);
  answers.NameTargets().Store(1, held);
  answers.SetDependentsIndex(std::make_shared<CDependentsIndex>(container));
  answers.SetCalculationChain(held);
  CScannedLists& lists = container.Lists();
  lists.FillColors().AddCell(3, held->front());
  lists.FillColors().SetColor(3, 255);
  lists.FontColors().AddCell(5, held->front());
  lists.FontColors().SetColor(5, 0);
  lists.MarkColorsAnalyzed();
  lists.FinishErrorList({held->front()});
  const CellRect used{At(1, 1, 1), At(1, 9, 9)};
  container.UsedRanges().Store(1, used);
  const std::vector<CellReference> before = *held;

  container.Refresh();

  // Dropped: the formulas collected, every answer, the colours, and what parsing gathered.
  EXPECT_EQ(0u, formulas.Size());
  EXPECT_EQ(nullptr, formulas.Find(At(1, 3, 3)));
  EXPECT_EQ(0u, answers.Dependents().Size());
  EXPECT_EQ(0u, answers.Inputs().Size());
  EXPECT_EQ(0u, answers.ErrorSources().Size());
  EXPECT_EQ(std::nullopt, answers.ErrorTest(At(1, 1, 1)));
  EXPECT_EQ(0u, answers.NameReferences().Size());
  EXPECT_EQ(0u, answers.NameTargets().Size());
  EXPECT_EQ(nullptr, answers.DependentsIndex());
  EXPECT_TRUE(lists.FillColors().AllCells().empty());
  EXPECT_FALSE(lists.FillColors().HasColor(3));
  EXPECT_TRUE(lists.FontColors().AllCells().empty());
  EXPECT_FALSE(lists.FontColors().HasColor(5));
  EXPECT_TRUE(container.ExternalText(externalId).empty());
  EXPECT_EQ(0u, container.FormulaParser().MemoSize());
  // Every whole-workbook walk runs again on its next request.
  EXPECT_FALSE(formulas.AllCollected() || lists.ColorsAnalyzed() || lists.ErrorListBuilt());
  // Kept: the array ranges, the used ranges, the calculation chain, and the error-cell list
  // until its walk replaces it.
  EXPECT_EQ(1u, formulas.Arrays().size());
  EXPECT_EQ(std::optional<CellRect>(used), container.UsedRanges().Find(1));
  EXPECT_EQ(held, answers.CalculationChain());
  EXPECT_EQ(1u, lists.ErrorCells().size());
  // The structure is read again.
  EXPECT_EQ(2, container.Structure().SheetIndexOf(L"My Data"));
  EXPECT_EQ(2u, container.Structure().Tables().Tables().size());
  EXPECT_TRUE(container.DefinedNameLookup(L"Total", 1).IsFound());
  // What a holder got before stays as it was.
  ASSERT_EQ(before.size(), held->size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(before[i].IsIdenticalTo((*held)[i]));
}

TEST_F(DependencyContainer, DependentsIndexOffersEachReaderOfACellOnceInOrder) {
  CDependencyContainer container;
  Attach(container);
  const auto list = [](std::vector<std::pair<CellPos, CellPos>> areas) {
    auto references = std::make_shared<std::vector<CellReference>>();
    for (const auto& [first, last] : areas) {
      CellReference reference;
      reference.first = first;
      reference.last = last;
      references->push_back(reference);
    }
    return SharedReferenceList(references);
  };
  CFormulaIndex& formulas = container.Formulas();
  const CellPos a1 = At(1, 1, 1);
  formulas.Add(At(1, 9, 2), list({{a1, a1}, {a1, a1}}));          // reads A1 twice
  formulas.Add(At(1, 3, 2), list({{a1, a1}}));
  formulas.Add(At(2, 1, 1), list({{a1, a1}}));                    // from another sheet
  formulas.Add(At(1, 5, 5), list({{At(2, 1, 1), At(2, 1, 1)}}));  // the same place elsewhere
  formulas.Add(At(1, 4, 4), list({{At(1, 2, 2), a1}}));           // an area written backwards
  for (int32_t row = 10; row < 300; ++row) {
    formulas.Add(At(1, 7, row), list({{At(1, 8, row), At(1, 8, row)}}));
  }
  const CDependentsIndex index(container);
  EXPECT_EQ((std::vector<CellPos>{At(1, 3, 2), At(1, 4, 4), At(1, 9, 2), At(2, 1, 1)}),
            index.Candidates(a1));
  EXPECT_EQ((std::vector<CellPos>{At(1, 5, 5)}), index.Candidates(At(2, 1, 1)));
  EXPECT_EQ((std::vector<CellPos>{At(1, 4, 4)}), index.Candidates(At(1, 2, 2)));
  EXPECT_EQ((std::vector<CellPos>{At(1, 7, 123)}), index.Candidates(At(1, 8, 123)));
  EXPECT_TRUE(index.Candidates(At(3, 1, 1)).empty());
  EXPECT_TRUE(index.Candidates(At(1, 8, 300)).empty());
}

TEST_F(DependencyContainer, NameIdsKeepGrowingAcrossRefreshes) {
  CDependencyContainer container;
  Attach(container);
  EXPECT_EQ(3, container.DefinedNameLookup(L"Rate", 1).id);
  container.Refresh();
  EXPECT_EQ(7, container.DefinedNameLookup(L"Rate", 1).id);
  EXPECT_EQ(8, container.Structure().LastNameId());
}

TEST_F(DependencyContainer, RefreshSeesTheWorkbookAsItIsNow) {
  CDependencyContainer container;
  Attach(container);
  session_.book->AddSheet(L"Added");
  session_.book->AddName({L"Later", L"=Added!$C$1", 0, false});
  EXPECT_EQ(0, container.Structure().SheetIndexOf(L"Added"));
  container.Refresh();
  EXPECT_EQ(3, container.Structure().SheetIndexOf(L"Added"));
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
  container.Formulas().Add(At(1, 2, 1), list);
  container.Formulas().MarkAllCollected();

  container.MarkStale();
  EXPECT_TRUE(container.IsStale());
  container.RegisterView(&open);  // Registered already: no refresh.
  EXPECT_EQ(1u, container.Formulas().Size());
  EXPECT_EQ(0, open.refreshes);

  container.RegisterView(&opened);
  EXPECT_FALSE(container.IsStale());
  EXPECT_EQ(0u, container.Formulas().Size());
  EXPECT_FALSE(container.Formulas().AllCollected());
  EXPECT_EQ(1, open.refreshes);  // The new view registers after the refresh.
  EXPECT_EQ(0, opened.refreshes);
  EXPECT_EQ(2u, container.Views().size());
}

TEST_F(DependencyContainer, ErrorListStaleDropsItsFlagAndTheErrorTestsOnly) {
  CDependencyContainer container;
  container.Lists().FinishErrorList({CellReference{}});
  container.Formulas().MarkAllCollected();
  container.Lists().MarkColorsAnalyzed();
  const CellPos cell{};
  container.Answers().StoreErrorTest(cell, false);
  container.MarkErrorListStale();
  EXPECT_FALSE(container.Lists().ErrorListBuilt());
  // A cell tested clean may show an error after the recalculation.
  EXPECT_FALSE(container.Answers().ErrorTest(cell).has_value());
  EXPECT_TRUE(container.Formulas().AllCollected() && container.Lists().ColorsAnalyzed());
  EXPECT_EQ(1u, container.Lists().ErrorCells().size());
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
  EXPECT_FALSE(container.ExternalText(external->front().externalId).empty());
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
  const size_t known = container.Structure().SheetsByIndex().Size();
  EXPECT_EQ(L"", container.SheetName(9));
  EXPECT_EQ(known + 1, container.Structure().SheetsByIndex().Size());
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
  EXPECT_TRUE(container.Structure().SheetSet().empty());
}

}  // namespace

TEST(FormulaIndexArrays, EachCellFindsTheFirstRecordedRangeThatHoldsIt) {
  CFormulaIndex index;
  EXPECT_EQ(nullptr, index.ArrayHolding({1, 2, 2}));
  const CellRect tall{{1, 2, 10}, {1, 3, 1000}};
  const CellRect beside{{1, 4, 5}, {1, 4, 6}};
  const CellRect below{{1, 2, 1001}, {1, 2, 1001}};
  const CellRect otherSheet{{2, 2, 10}, {2, 3, 1000}};
  for (const CellRect& rect : {tall, beside, below, otherSheet, tall}) index.AddArray(rect);
  EXPECT_EQ(4u, index.Arrays().size());
  struct Case {
    CellPos cell;
    const CellRect* array;
  };
  for (const Case& c : {Case{{1, 2, 10}, &tall}, Case{{1, 3, 1000}, &tall}, Case{{1, 2, 9}, nullptr},
                        Case{{1, 2, 1001}, &below}, Case{{1, 3, 1001}, nullptr},
                        Case{{1, 4, 6}, &beside}, Case{{1, 4, 7}, nullptr},
                        Case{{2, 3, 500}, &otherSheet}, Case{{3, 3, 500}, nullptr}}) {
    SCOPED_TRACE(testing::Message() << c.cell.sheet << "," << c.cell.column << "," << c.cell.row);
    const CellRect* found = index.ArrayHolding(c.cell);
    ASSERT_EQ(c.array == nullptr, found == nullptr);
    if (found != nullptr) {
      EXPECT_EQ(*c.array, *found);
    }
  }
  // A range recorded after the workbook changed may overlap an older one: the older still wins.
  const CellRect overlapping{{1, 3, 500}, {1, 5, 500}};
  index.AddArray(overlapping);
  EXPECT_EQ(tall, *index.ArrayHolding({1, 3, 500}));
  EXPECT_EQ(overlapping, *index.ArrayHolding({1, 5, 500}));
  EXPECT_EQ(beside, *index.ArrayHolding({1, 4, 5}));
  index.AddArray(overlapping);
  EXPECT_EQ(5u, index.Arrays().size());
}
