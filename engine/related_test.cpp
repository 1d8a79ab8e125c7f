// Precedents, dependents and the dispatch by kind, against workbooks of the embedded spreadsheet,
// and the count of workbook reads and parses behind them.
#include "engine/related.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "container/name_definitions.h"
#include "engine/counting_dispatch.h"
#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/recording_progress.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::At;

using spreadsheet::CellValue;

// A plain reference to a rectangle, as the lists hold them.
struct Expected {
  Expected(CellPos f, CellPos l, uint32_t fl = 0, std::wstring t = {})
      : first(f), last(l), flags(fl), text(std::move(t)) {}
  CellPos first;
  CellPos last;
  uint32_t flags = 0;
  std::wstring text;
};

struct DefinedNameCase {
  const wchar_t* name;
  const wchar_t* refersTo;
};

void ExpectList(const std::vector<Expected>& expected, const SharedReferenceList& list) {
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(expected.size(), list->size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const CellReference& got = (*list)[i];
    EXPECT_EQ(expected[i].first, got.first) << "item " << i;
    EXPECT_EQ(expected[i].last, got.last) << "item " << i;
    EXPECT_EQ(expected[i].flags, got.flags) << "item " << i;
    EXPECT_EQ(expected[i].text, got.text) << "item " << i;
  }
}

constexpr std::wstring_view kDependentsTitle = L"Trelvane - processing dependents";

class RelatedCells : public testing::Test {
 protected:
  ~RelatedCells() override { ReferenceFunctions::Clear(); }

  spreadsheet::CWorksheet& Sheet(int32_t index) { return session_.book->Sheet(index); }
  void Formula(int32_t sheet, int32_t column, int32_t row, const wchar_t* text) {
    Sheet(sheet).SetFormula({row, column}, text);
  }
  void Number(int32_t sheet, int32_t column, int32_t row, double value) {
    Sheet(sheet).SetValue({row, column}, CellValue::Number(value));
  }

  // The container over the session's workbook, or over a counting stand-in for it. The workbook
  // is calculated first, as Excel keeps it: a formula cell is never blank.
  std::unique_ptr<CDependencyContainer> Attach(IDispatch* application = nullptr) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    auto container = test_support::AttachContainer(session_, application);
    container->SetProgress(&progress_);
    return container;
  }

  test_support::CSpreadsheetSession session_;
  // Records every operation shown and keeps the dependents search's messages apart; Stop is
  // pressed when that search reports `stopAt_`.
  std::vector<std::wstring> dependentsMessages_;
  std::wstring stopAt_;
  test_support::CRecordingProgress progress_{
      [this](const std::wstring& title, const std::wstring& message) {
        if (title != kDependentsTitle) return false;
        dependentsMessages_.push_back(message);
        return message == stopAt_;
      }};
};

TEST_F(RelatedCells, PrecedentsInTheOrderOfTheFormula) {
  Formula(1, 3, 3, L"=SUM(A1:B2)+A1+A1");
  const auto container = Attach();
  ExpectList({{At(1, 1, 1), At(1, 2, 2)}, {At(1, 1, 1), At(1, 1, 1)}},
             PrecedentsOf(*container, At(1, 3, 3)));
}

TEST_F(RelatedCells, CellsWithoutFormulaOrCellAtAllHaveNoPrecedents) {
  Number(1, 1, 1, 4);
  const auto container = Attach();
  for (const CellPos& cell : {At(1, 1, 1), At(1, 5, 5), At(0, 0, 0), At(-1, -1, -1), At(7, 1, 1)}) {
    EXPECT_EQ(CDependencyContainer::EmptyList(), PrecedentsOf(*container, cell))
        << cell.sheet << "," << cell.column << "," << cell.row;
  }
}

TEST_F(RelatedCells, ACellOfAnArrayFormulaHasTheArraysPrecedents) {
  Sheet(1).SetArrayFormula({{2, 2}, {4, 3}}, L"=A1:A3*H1");
  // Asked through a later cell first, and through the first cell.
  for (const CellPos& asked : {At(1, 2, 3), At(1, 2, 2), At(1, 3, 4)}) {
    const auto container = Attach();
    ExpectList({{At(1, 1, 1), At(1, 1, 3)}, {At(1, 8, 1), At(1, 8, 1)}},
               PrecedentsOf(*container, asked));
    EXPECT_EQ(1u, container->Formulas().Size());
    EXPECT_TRUE(container->Formulas().Contains(At(1, 2, 2)));
  }
}

TEST_F(RelatedCells, DependentsInColumnOrderEachAsItsOwnCell) {
  Formula(1, 4, 1, L"=A5*2");
  Formula(1, 3, 1, L"=SUM(A1:A10)");
  Formula(1, 3, 2, L"=A6");
  const auto container = Attach();
  ExpectList({{At(1, 3, 1), At(1, 3, 1)}, {At(1, 4, 1), At(1, 4, 1)}},
             DependentsOf(*container, At(1, 1, 5)));
}

TEST_F(RelatedCells, AnArrayFormulaIsOneDependentOverItsWholeRange) {
  Sheet(1).SetArrayFormula({{1, 5}, {3, 5}}, L"=B2*{1;2;3}");
  Formula(1, 6, 1, L"=E2");
  const auto container = Attach();
  ExpectList({{At(1, 5, 1), At(1, 5, 3), RefArrayRange}}, DependentsOf(*container, At(1, 2, 2)));
  // The array's own cells are dependents of nothing but what they refer to.
  ExpectList({{At(1, 6, 1), At(1, 6, 1)}}, DependentsOf(*container, At(1, 5, 2)));
}

TEST_F(RelatedCells, NamesSheetsAndDynamicRangesMakeDependentsAsTheirRectanglesSay) {
  ReferenceFunctions::Add(L"OFFSET");
  session_.book->AddSheet(L"Second");
  session_.book->AddSheet(L"Third");
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"Block", L"=Sheet1!$A$1:$A$4", 0, false});
  Formula(1, 2, 1, L"=A1*Rate");
  Formula(1, 2, 2, L"=SUM(Block)");
  Formula(1, 2, 3, L"=SUM(Sheet1:Third!C7)");
  Formula(1, 2, 4, L"=SUM(OFFSET(A1,1,2,2,1))");
  Formula(1, 2, 5, L"=[Other.xlsx]Sheet1!H20+Unknown+G9");
  const auto container = Attach();

  ExpectList({{At(1, 1, 1), At(1, 1, 1)}, {CellPos{}, CellPos{}, RefNameNotRange, L"Rate"}},
             PrecedentsOf(*container, At(1, 2, 1)));
  struct Case {
    CellPos cell;
    std::vector<Expected> dependents;
  };
  const Case cases[] = {
      {At(1, 1, 1),
       {{At(1, 2, 1), At(1, 2, 1)}, {At(1, 2, 2), At(1, 2, 2)}, {At(1, 2, 4), At(1, 2, 4)}}},
      {At(1, 1, 4), {{At(1, 2, 2), At(1, 2, 2)}}},
      {At(2, 3, 7), {{At(1, 2, 3), At(1, 2, 3)}}},
      {At(3, 3, 7), {{At(1, 2, 3), At(1, 2, 3)}}},
      // What the OFFSET call returned when the formula was parsed: C2:C3.
      {At(1, 3, 2), {{At(1, 2, 4), At(1, 2, 4), RefDynamic}}},
      {At(1, 3, 3), {{At(1, 2, 4), At(1, 2, 4), RefDynamic}}},
      {At(1, 3, 4), {}},
      // Only an external reference mentions H20; an unknown name mentions nothing.
      {At(1, 8, 20), {}},
      {At(0, 0, 0), {}},
      {At(1, 7, 9), {{At(1, 2, 5), At(1, 2, 5)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cell.sheet << "," << c.cell.column << "," << c.cell.row);
    ExpectList(c.dependents, DependentsOf(*container, c.cell));
  }
}

TEST_F(RelatedCells, DependentsAreCachedAndCollectedOncePerRefresh) {
  Formula(1, 2, 1, L"=A1");
  const auto container = Attach();
  const SharedReferenceList first = DependentsOf(*container, At(1, 1, 1));
  EXPECT_TRUE(container->Formulas().AllCollected());
  // Not seen until the container is refreshed.
  Sheet(1).SetFormula({2, 2}, L"=A1", CellValue::Number(0));
  EXPECT_EQ(first, DependentsOf(*container, At(1, 1, 1)));
  EXPECT_EQ(first, ListRelated(*container, At(1, 1, 1), TraceKind::kDependents));
  EXPECT_EQ(1u, first->size());
  container->Refresh();
  const SharedReferenceList second = DependentsOf(*container, At(1, 1, 1));
  EXPECT_EQ(2u, second->size());
  EXPECT_EQ(1u, first->size());  // What was handed out before is kept as it was.
}

TEST_F(RelatedCells, DependentsReportEveryFiftyReferencesTestedAndKeepWhatAStopLeft) {
  for (int32_t row = 1; row <= 10000; ++row) {
    Sheet(1).SetFormula({row, 2}, L"=$A$1", CellValue::Number(0));
  }
  Formula(1, 3, 1, L"=D1+E1+F1");
  auto container = Attach();
  // No formula reads Z1: the reverse index answers without testing a reference.
  ExpectList({}, DependentsOf(*container, At(1, 26, 1)));
  EXPECT_TRUE(dependentsMessages_.empty());
  // D1 is read by C1 alone, whose three references are all tested.
  ExpectList({{At(1, 3, 1), At(1, 3, 1)}}, DependentsOf(*container, At(1, 4, 1)));
  EXPECT_TRUE(dependentsMessages_.empty());

  dependentsMessages_.clear();
  stopAt_ = L"Cells processed: 1000";
  const SharedReferenceList stopped = DependentsOf(*container, At(1, 1, 1));
  // The reference at hand when Stop was seen is still tested.
  ASSERT_EQ(1000u, stopped->size());
  EXPECT_EQ(At(1, 2, 1000), stopped->back().first);
  EXPECT_EQ(20u, dependentsMessages_.size());

  stopAt_.clear();
  dependentsMessages_.clear();
  EXPECT_EQ(stopped, ListRelated(*container, At(1, 1, 1), TraceKind::kDependents));
  EXPECT_TRUE(dependentsMessages_.empty());
  // The user's Stop ended that search only; the next operation starts unstopped.
  progress_.stop = false;
  container->Refresh();
  EXPECT_EQ(10000u, DependentsOf(*container, At(1, 1, 1))->size());
  EXPECT_EQ(4, std::count(progress_.titles.begin(), progress_.titles.end(), kDependentsTitle));
}

// The reverse index only narrows the search: the answer must be the one a walk over every
// formula gives, in the same order, for cells, areas over many blocks, whole columns and rows,
// corners written backwards and references across sheets.
TEST_F(RelatedCells, DependentsMatchAWalkOverEveryFormula) {
  session_.book->AddSheet(L"Sheet2");
  Formula(1, 2, 1, L"=A1+A70");
  Formula(1, 3, 1, L"=SUM(A1:A200)");         // over four row blocks
  Formula(1, 4, 1, L"=SUM(A:A)");             // whole column: a large area
  Formula(1, 5, 1, L"=SUM(3:3)");             // whole row
  Formula(1, 6, 1, L"=SUM(Q60:P70)");         // corners out of order, two blocks each way
  Formula(1, 7, 1, L"=SUM(Sheet1:Sheet2!B5)");
  Formula(2, 2, 2, L"=Sheet1!A1*2");
  for (int32_t row = 2; row <= 40; ++row) {
    Sheet(1).SetFormula({row, 8}, L"=SUM(A" + std::to_wstring(row) + L":Q" +
                                      std::to_wstring(row + 1) + L")");
  }
  const auto container = Attach();
  DependentsOf(*container, At(1, 1, 1));  // collects the formulas
  const std::vector<CellPos> probes = {At(1, 1, 1),  At(1, 1, 70), At(1, 1, 199), At(1, 1, 201),
                                       At(1, 9, 3),  At(1, 16, 60), At(1, 17, 70), At(1, 16, 65),
                                       At(1, 2, 5),  At(2, 2, 5),  At(1, 3, 3),  At(2, 1, 1),
                                       At(1, 17, 41), At(1, 18, 41)};
  size_t read = 0;
  for (const CellPos& probe : probes) {
    std::vector<CellPos> walked;
    for (const auto& [formula, references] : container->Formulas().All()) {
      for (const CellReference& reference : *references) {
        if (reference.Contains(probe)) {
          walked.push_back(formula);
          break;
        }
      }
    }
    std::vector<CellPos> indexed;
    for (const CellReference& dependent : *DependentsOf(*container, probe)) {
      indexed.push_back(dependent.first);
    }
    EXPECT_EQ(walked, indexed) << probe.sheet << "," << probe.column << "," << probe.row;
    if (!walked.empty()) ++read;
  }
  EXPECT_GE(read, probes.size() / 2);  // most probes are read, so the comparison means something
}

TEST_F(RelatedCells, ASheetLevelNameWinsOnItsSheetAndIsReachedByItsQualifiedText) {
  session_.book->AddSheet(L"Summary");
  session_.book->AddName({L"ReportMonth", L"=Sheet1!$B$9", 0, false});
  session_.book->AddName({L"ReportMonth", L"=Summary!$B$1", 2, false});
  Formula(2, 3, 1, L"=ReportMonth*2");
  Formula(1, 3, 1, L"=ReportMonth+1");
  Formula(1, 3, 2, L"=Summary!ReportMonth");
  const auto container = Attach();

  struct Case {
    CellPos formula;
    CellPos named;
    std::wstring text;
  };
  const Case cases[] = {
      {At(2, 3, 1), At(2, 2, 1), L"ReportMonth"},  // the sheet's own name, not the workbook's
      {At(1, 3, 1), At(1, 2, 9), L"ReportMonth"},
      {At(1, 3, 2), At(2, 2, 1), L"Summary!ReportMonth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.formula.sheet << "," << c.formula.column);
    const SharedReferenceList precedents = PrecedentsOf(*container, c.formula);
    ExpectList({{c.named, c.named, 0, c.text}}, precedents);
    EXPECT_NE(0, precedents->front().nameId);
  }
  ExpectList({{At(1, 3, 2), At(1, 3, 2)}, {At(2, 3, 1), At(2, 3, 1)}},
             DependentsOf(*container, At(2, 2, 1)));
  ExpectList({{At(1, 3, 1), At(1, 3, 1)}}, DependentsOf(*container, At(1, 2, 9)));
}

TEST_F(RelatedCells, FormulaNamesLeadToWhatTheirDefinitionsRead) {
  ReferenceFunctions::Add(L"OFFSET");
  session_.book->AddSheet(L"Inputs");
  for (const DefinedNameCase& name : std::vector<DefinedNameCase>{
           {L"Rate", L"=Inputs!$B$2*12"},
           {L"h", L"=Inputs!$C$2"},
           {L"i", L"=SUM(Inputs!$M$4:$N$5,h)"},
           {L"p", L"=q+1"},  // p and q read each other
           {L"q", L"=p+Inputs!$B$3"},
           {L"dyn", L"=SUM(OFFSET(Inputs!$A$1,0,0,3,1))"},
           {L"c", L"=0.2"}}) {
    session_.book->AddName({name.name, name.refersTo, 0, false});
  }
  Formula(1, 2, 1, L"=A1*Rate");
  Formula(1, 2, 2, L"=i*2");
  Formula(1, 2, 3, L"=p");
  Formula(1, 2, 4, L"=dyn/2");
  Formula(1, 2, 5, L"=c*2");
  const auto container = Attach();

  const SharedReferenceList precedents = PrecedentsOf(*container, At(1, 2, 1));
  ASSERT_EQ(2u, precedents->size());
  const CellReference& rate = precedents->back();
  EXPECT_TRUE(IsFormulaName(*container, rate));
  ExpectList({{At(2, 2, 2), At(2, 2, 2)}}, NameReferencesOf(*container, rate.nameId));
  const SharedReferenceList constant = PrecedentsOf(*container, At(1, 2, 5));
  EXPECT_FALSE(IsFormulaName(*container, constant->front()));
  // A definition is parsed once, however often it is asked for.
  const size_t parses = container->FormulaParseCount();
  NameReferencesOf(*container, rate.nameId);
  NameTargetsOf(*container, rate.nameId);
  EXPECT_EQ(parses, container->FormulaParseCount());

  struct Case {
    CellPos cell;
    std::vector<Expected> dependents;
  };
  const Case cases[] = {
      {At(2, 2, 2), {{At(1, 2, 1), At(1, 2, 1)}}},
      {At(2, 14, 5), {{At(1, 2, 2), At(1, 2, 2)}}},  // in i's own range
      {At(2, 3, 2), {{At(1, 2, 2), At(1, 2, 2)}}},   // through h, a name inside i
      {At(2, 2, 3), {{At(1, 2, 3), At(1, 2, 3)}}},   // round the circle of p and q
      // The OFFSET call's anchor, and what the call returned when the definition was read.
      {At(2, 1, 1), {{At(1, 2, 4), At(1, 2, 4)}}},
      {At(2, 1, 2), {{At(1, 2, 4), At(1, 2, 4), RefDynamic}}},
      {At(2, 1, 4), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cell.sheet << "," << c.cell.column << "," << c.cell.row);
    ExpectList(c.dependents, DependentsOf(*container, c.cell));
  }
}

TEST_F(RelatedCells, DispatchByKind) {
  Formula(1, 2, 1, L"=A1+A2");
  Number(1, 1, 1, 1);
  const auto container = Attach();
  const SharedReferenceList precedents = PrecedentsOf(*container, At(1, 2, 1));
  ASSERT_EQ(2u, precedents->size());
  const SharedReferenceList& empty = CDependencyContainer::EmptyList();
  struct Case {
    int32_t kind;
    CellPos cell;
    SharedReferenceList expected;
  };
  // No errors and no colours here; kinds without a meaning of their own are precedents.
  const Case cases[] = {
      {1, At(1, 2, 1), precedents},  {5, At(1, 2, 1), precedents},  {6, At(1, 2, 1), precedents},
      {-3, At(1, 2, 1), precedents}, {42, At(1, 2, 1), precedents}, {2, At(1, 1, 1), empty},
      {3, At(0, 0, 0), empty},       {3, At(1, 2, 1), empty},       {4, At(1, 2, 1), empty},
      {7, At(5, 0, 0), empty},       {8, At(5, 0, 0), empty},       {9, At(1, 2, 1), empty},
      {1, At(1, 1, 1), empty},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ListRelated(*container, c.cell, static_cast<TraceKind>(c.kind)))
        << "kind " << c.kind;
  }
  ExpectList({{At(1, 2, 1), At(1, 2, 1)}}, ListRelated(*container, At(1, 1, 2), TraceKind{}));
  // The workbook's calculation chain, asked for at (0,0,0): its one formula.
  ExpectList({{At(1, 2, 1), At(1, 2, 1)}},
             ListRelated(*container, At(0, 0, 0), static_cast<TraceKind>(9)));
  // The inputs of B1 are its constant and its blank precedent.
  ExpectList({{At(1, 1, 1), At(1, 1, 1)}, {At(1, 1, 2), At(1, 1, 2)}},
             ListRelated(*container, At(1, 2, 1), static_cast<TraceKind>(2)));
}

TEST_F(RelatedCells, HasRelatedByKind) {
  Formula(1, 2, 1, L"=A1");
  Formula(1, 2, 2, L"=1+2");
  Number(1, 1, 1, 1);
  Number(1, 1, 2, 2);
  const auto container = Attach();
  struct Case {
    int32_t kind;
    CellPos cell;
    bool expected;
  };
  // Before any collection: precedents and inputs ask the cell's HasFormula.
  const Case before[] = {
      {1, At(1, 2, 1), true},  {1, At(1, 2, 2), true},  {2, At(1, 2, 2), true},
      {1, At(1, 1, 1), false}, {2, At(1, 1, 1), false}, {1, At(0, 0, 0), true},
      {3, At(1, 2, 1), false}, {7, At(1, 2, 1), false}, {8, At(1, 2, 1), false},
      {4, At(1, 1, 1), true},  {9, At(1, 1, 1), true},  {5, At(1, 1, 1), true},
  };
  for (const Case& c : before) {
    EXPECT_EQ(c.expected, HasRelated(*container, c.cell, static_cast<TraceKind>(c.kind)))
        << "kind " << c.kind << " row " << c.cell.row << " column " << c.cell.column;
  }
  EXPECT_EQ(0u, container->Formulas().Size());
  // Once collected, the stored list decides: a formula without references offers nothing.
  const Case after[] = {
      {1, At(1, 2, 1), true}, {1, At(1, 2, 2), false}, {2, At(1, 2, 2), false},
      {0, At(1, 1, 1), true}, {0, At(1, 1, 2), false}, {0, At(1, 2, 1), false},
  };
  for (const Case& c : after) {
    PrecedentsOf(*container, c.cell);
    EXPECT_EQ(c.expected, HasRelated(*container, c.cell, static_cast<TraceKind>(c.kind)))
        << "kind " << c.kind << " row " << c.cell.row << " column " << c.cell.column;
  }
}

TEST_F(RelatedCells, EachCellIsReadAndParsedOnceEachTextParsedOnceEachWorkbookCollectedOnce) {
  session_.book->AddSheet(L"Second");
  // 30 cells of one text, 10 of ten texts, an array of four cells, on two sheets.
  for (int32_t row = 1; row <= 30; ++row) {
    Sheet(1).SetFormula({row, 2}, L"=$A$1*2", CellValue::Number(0));
    Number(1, 1, row, row);
  }
  for (int32_t row = 1; row <= 10; ++row) {
    Sheet(2).SetFormula({row, 3}, L"=Sheet1!A" + std::to_wstring(row) + L"+1",
                        CellValue::Number(0));
  }
  Sheet(2).SetArrayFormula({{1, 5}, {2, 6}}, L"=C1:D2*2");
  constexpr size_t kFormulaCells = 30 + 10 + 1;
  // The ten texts of Second!C1:C10 are one form: the memo keeps one parse for them.
  constexpr size_t kForms = 1 + 1 + 1;

  const auto counts = std::make_shared<test_support::MemberCounts>();
  CComPtr<IDispatch> counted;
  counted.Attach(test_support::CCountingDispatch::Wrap(session_.application.Get(), counts));
  const auto container = Attach(counted.Get());
  const auto formulaReads = [&] { return static_cast<size_t>((*counts)[L"Formula"]); };
  const auto walks = [&] {
    return static_cast<size_t>(std::count(progress_.titles.begin(), progress_.titles.end(),
                                          std::wstring(L"Trelvane - analyzing workbook")));
  };

  std::vector<CellPos> cells;
  for (int32_t row = 1; row <= 30; ++row) cells.push_back(At(1, 2, row));
  for (int32_t row = 1; row <= 10; ++row) cells.push_back(At(2, 3, row));
  for (const CellPos& cell : {At(2, 5, 1), At(2, 6, 1), At(2, 5, 2), At(2, 6, 2)}) {
    cells.push_back(cell);
  }
  for (int round = 0; round < 3; ++round) {
    for (const CellPos& cell : cells) {
      ASSERT_FALSE(PrecedentsOf(*container, cell)->empty());
      HasRelated(*container, cell, TraceKind::kPrecedents);
    }
  }
  EXPECT_EQ(kFormulaCells, formulaReads());
  EXPECT_EQ(kFormulaCells, container->FormulaParseCount());
  EXPECT_EQ(kForms, container->FormulaParser().MemoSize());
  EXPECT_EQ(0u, walks());

  // Dependents collect the whole workbook once, whatever the number of questions; the cells
  // collected already are not read again.
  for (int round = 0; round < 3; ++round) {
    for (int32_t row = 1; row <= 30; ++row) DependentsOf(*container, At(1, 1, row));
  }
  EXPECT_EQ(1u, walks());
  EXPECT_EQ(kFormulaCells, formulaReads());
  EXPECT_EQ(kFormulaCells, container->FormulaParseCount());
  EXPECT_EQ(31u, DependentsOf(*container, At(1, 1, 1))->size());  // B1:B30 and Second!C1.

  container->Refresh();
  for (int round = 0; round < 3; ++round) {
    for (const CellPos& cell : cells) DependentsOf(*container, cell);
  }
  EXPECT_EQ(2u, walks());
  // The walk reads a column's stretch of formulas in one call: B1:B30, C1:C10, and the array
  // at its first cell.
  EXPECT_EQ(kFormulaCells + 3, formulaReads());
  EXPECT_EQ(2 * kFormulaCells, container->FormulaParseCount());
  EXPECT_EQ(kForms, container->FormulaParser().MemoSize());
}

}  // namespace
