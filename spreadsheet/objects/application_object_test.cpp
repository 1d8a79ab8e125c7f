// Application and Workbooks through IDispatch: names, settings, active objects, Intersect,
// opening and adding workbooks, and the references objects are handed out with.
#include "spreadsheet/objects/application_object.h"

#include <gtest/gtest.h>

#include "spreadsheet/model/error_code.h"
#include "tests/support/spreadsheet_session.h"

namespace spreadsheet {
namespace {

using test_support::Arg;
using test_support::Call;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;
using test_support::RangeSeen;
using test_support::SeeRange;

class ApplicationObject : public testing::Test {
 protected:
  test_support::CSpreadsheetSession session_;
  IDispatch* App() const { return session_.application.Get(); }
};

DISPID Lookup(IDispatch* object, const wchar_t* name, HRESULT* hr) {
  std::wstring text(name);
  LPOLESTR names[1] = {text.data()};
  DISPID id = DISPID_UNKNOWN;
  *hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

TEST_F(ApplicationObject, FindsEveryObjectsMembersWithoutRegardToCase) {
  struct Case {
    const wchar_t* path;  // Members read from the application, "/"-separated.
    const wchar_t* member;
    bool exists;
  };
  const Case cases[] = {
      {L"", L"screenupdating", true},
      {L"", L"ACTIVEWORKBOOK", true},
      {L"", L"CommandBar", false},
      {L"", L"ScreenUpdatings", false},
      {L"ActiveWorkbook", L"fullname", true},
      {L"ActiveWorkbook", L"WORKSHEETS", true},
      {L"ActiveSheet", L"usedrange", true},
      {L"ActiveSheet", L"ListObjects", true},
      {L"ActiveSheet", L"Formula", false},
      {L"ActiveWindow", L"scrollrow", true},
      {L"ActiveWindow", L"SPLITVERTICAL", true},
      {L"Workbooks", L"open", true},
      {L"LanguageSettings", L"languageid", true},
  };
  for (const Case& c : cases) {
    CComPtr<IDispatch> object(App());
    if (*c.path != L'\0') object = GetObjectOf(App(), c.path);
    ASSERT_TRUE(object) << c.path;
    HRESULT hr = S_OK;
    Lookup(object.Get(), c.member, &hr);
    EXPECT_EQ(c.exists ? S_OK : DISP_E_UNKNOWNNAME, hr) << c.path << "." << c.member;
  }
}

TEST_F(ApplicationObject, SettingsRoundTripAndRefuseWhatExcelRefuses) {
  ASSERT_EQ(S_OK, Put(App(), L"ScreenUpdating", Arg(false)).hr);
  EXPECT_EQ(0, Get(App(), L"ScreenUpdating").Bool());
  EXPECT_FALSE(session_.app->ScreenUpdating());
  ASSERT_EQ(S_OK, Put(App(), L"EnableEvents", Arg(0)).hr);  // Numbers convert as in Excel.
  EXPECT_EQ(0, Get(App(), L"EnableEvents").Bool());
  ASSERT_EQ(S_OK, Put(App(), L"Calculation", Arg(kCalculationManual)).hr);
  EXPECT_EQ(kCalculationManual, Get(App(), L"Calculation").Long());

  EXPECT_EQ(DISP_E_EXCEPTION, Put(App(), L"Calculation", Arg(7)).hr);
  EXPECT_EQ(kCalculationManual, session_.app->Calculation());
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Put(App(), L"ScreenUpdating", Arg(L"sometimes")).hr);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(App(), L"Version", Arg(L"17.0")).hr);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Get(App(), L"Calculation", {Arg(1)}).hr);
}

TEST_F(ApplicationObject, DescribesItself) {
  EXPECT_EQ(L"16.0", Get(App(), L"Version").Text());
  session_.app->SetVersion(L"15.0");
  EXPECT_EQ(L"15.0", Get(App(), L"Version").Text());
  EXPECT_EQ(std::wstring(kApplicationName), Get(App(), L"Name").Text());
  EXPECT_EQ(0, Get(App(), L"Hwnd").Long());
  const CComPtr<IDispatch> languages = GetObjectOf(App(), L"LanguageSettings");
  ASSERT_TRUE(languages);
  EXPECT_EQ(1033, Get(languages.Get(), L"LanguageID", {Arg(2)}).Long());
  EXPECT_EQ(DISP_E_EXCEPTION, Get(languages.Get(), L"LanguageID", {Arg(99)}).hr);
  EXPECT_EQ(S_OK, Call(App(), L"Calculate").hr);
}

TEST_F(ApplicationObject, AnswersTheActiveWorkbookSheetWindowAndSelection) {
  session_.book->AddSheet(L"Data");
  session_.app->Select({session_.book, 2, {{2, 2}, {3, 4}}});
  EXPECT_EQ(L"Book1.xlsx", Get(GetObjectOf(App(), L"ActiveWorkbook").Get(), L"Name").Text());
  EXPECT_EQ(L"Data", Get(GetObjectOf(App(), L"ActiveSheet").Get(), L"Name").Text());
  EXPECT_EQ(L"Book1.xlsx", Get(GetObjectOf(App(), L"ActiveWindow").Get(), L"Caption").Text());
  EXPECT_EQ((RangeSeen{L"Data", {{2, 2}, {3, 4}}}), SeeRange(Get(App(), L"Selection")));
  EXPECT_EQ((RangeSeen{L"Data", {{2, 2}, {2, 2}}}), SeeRange(Get(App(), L"ActiveCell")));

  // With no workbook open, each is Nothing: the read succeeds, but holds no object.
  session_.app->CloseWorkbook(*session_.book);
  for (const wchar_t* member : {L"ActiveWorkbook", L"ActiveSheet", L"ActiveWindow", L"Selection"}) {
    const auto answer = Get(App(), member);
    EXPECT_EQ(S_OK, answer.hr) << member;
    EXPECT_EQ(VT_DISPATCH, answer.value.Kind()) << member;
    EXPECT_FALSE(answer.Object()) << member;
  }
}

TEST_F(ApplicationObject, IntersectsRangesOfOneSheet) {
  session_.book->AddSheet(L"Data");
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  const auto range = [&](const wchar_t* text) {
    return GetObjectOf(sheet.Get(), L"Range", {Arg(text)});
  };
  const auto other = GetObjectOf(session_.Sheet(2).Get(), L"Range", {Arg(L"A1:Z99")});
  struct Case {
    std::vector<CVariant> args;
    HRESULT hr;
    std::optional<CellRect> common;
  };
  const Case cases[] = {
      {{Arg(range(L"A1:C3")), Arg(range(L"B2:D4"))}, S_OK, CellRect{{2, 2}, {3, 3}}},
      {{Arg(range(L"A1:C3")), Arg(range(L"B2:D4")), Arg(range(L"C1:C9"))},
       S_OK,
       CellRect{{2, 3}, {3, 3}}},
      {{Arg(range(L"A1:B2")), Arg(range(L"A:A")), CVariant::Missing(), Arg(range(L"A2:C3"))},
       S_OK,
       CellRect{{2, 1}, {2, 1}}},
      {{Arg(range(L"A1")), CVariant::Missing(), Arg(range(L"A:A"))},
       DISP_E_PARAMNOTFOUND,
       std::nullopt},
      {{Arg(range(L"A1")), Arg(range(L"B1"))}, S_OK, std::nullopt},  // Nothing in common.
      {{Arg(range(L"A1")), Arg(range(L"B1")), Arg(range(L"A1"))}, S_OK, std::nullopt},
      {{Arg(range(L"A1")), Arg(other)}, DISP_E_EXCEPTION, std::nullopt},
      {{Arg(range(L"A1"))}, DISP_E_PARAMNOTFOUND, std::nullopt},
      {{Arg(range(L"A1")), Arg(sheet)}, DISP_E_TYPEMISMATCH, std::nullopt},
      {{Arg(range(L"A1")), Arg(L"A1")}, DISP_E_TYPEMISMATCH, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto answer = Call(App(), L"Intersect", cases[i].args);
    EXPECT_EQ(cases[i].hr, answer.hr) << "case " << i;
    if (answer.hr != S_OK) continue;
    EXPECT_EQ(VT_DISPATCH, answer.value.Kind()) << "case " << i;
    const auto seen = SeeRange(answer);
    EXPECT_EQ(cases[i].common.has_value(), seen.has_value()) << "case " << i;
    if (seen && cases[i].common) {
      EXPECT_EQ(*cases[i].common, seen->range) << "case " << i;
    }
  }
}

// Areas that make one rectangle join; others stay apart, overlapping or not, as in Excel.
TEST_F(ApplicationObject, UnitesAndIntersectsRangesOfManyAreas) {
  session_.book->AddSheet(L"Data");
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  const auto range = [&](const wchar_t* text) {
    return Arg(GetObjectOf(sheet.Get(), L"Range", {Arg(text)}));
  };
  const struct {
    const wchar_t* method;
    std::vector<CVariant> args;
    const wchar_t* address;  // null: Nothing
    LONG count;
  } cases[] = {
      {L"Union", {range(L"A1"), range(L"A2")}, L"$A$1:$A$2", 2},
      {L"Union", {range(L"A1:B2"), range(L"A1")}, L"$A$1:$B$2", 4},
      {L"Union", {range(L"A1"), range(L"A1:B2")}, L"$A$1:$B$2", 4},
      {L"Union", {range(L"A1:A3"), range(L"A2:A5")}, L"$A$1:$A$5", 5},
      {L"Union", {range(L"A1:B2"), range(L"B2:C3")}, L"$A$1:$B$2,$B$2:$C$3", 8},
      {L"Union",
       {range(L"A1"), range(L"C1"), CVariant::Missing(), range(L"B1,E5")},
       L"$A$1:$C$1,$E$5",
       4},
      {L"Union", {range(L"A1"), range(L"A3")}, L"$A$1,$A$3", 2},
      {L"Intersect", {range(L"A1:A5,C1:C5"), range(L"2:3")}, L"$A$2:$A$3,$C$2:$C$3", 4},
      {L"Intersect", {range(L"A1:A5,C1:C5"), range(L"C4:D9,B1")}, L"$C$4:$C$5", 2},
      {L"Intersect", {range(L"A1,C1"), range(L"B1")}, nullptr, 0},
  };
  for (const auto& c : cases) {
    const auto answer = Call(App(), c.method, c.args);
    ASSERT_EQ(S_OK, answer.hr) << c.method;
    if (c.address == nullptr) {
      EXPECT_FALSE(answer.Object());
      continue;
    }
    EXPECT_EQ(c.address, Get(answer.Object().Get(), L"Address").Text()) << c.method;
    EXPECT_EQ(c.count, Get(answer.Object().Get(), L"Count").Long()) << c.address;
  }
  const auto other = Arg(GetObjectOf(session_.Sheet(2).Get(), L"Range", {Arg(L"A1")}));
  EXPECT_EQ(DISP_E_EXCEPTION, Call(App(), L"Union", {range(L"A1"), other}).hr);
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(App(), L"Union", {range(L"A1")}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(App(), L"Union", {range(L"A1"), Arg(L"B1")}).hr);

  // More overlapping pairs than any caller could use fail rather than run on.
  std::vector<CellRect> many;
  for (std::int32_t row = 1; row <= 1100; ++row) many.push_back(CellRect::Of({row, 1}));
  const ObjectContext context{session_.app, session_.book, &session_.book->Sheet(1)};
  const auto column = Arg(CreateAreasRangeObject(context, many));
  EXPECT_EQ(DISP_E_EXCEPTION, Call(App(), L"Intersect", {column, column}).hr);
}

TEST_F(ApplicationObject, HandsOutObjectsWithOneReferenceEach) {
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  struct Case {
    IDispatch* object;
    const wchar_t* member;
  };
  const Case cases[] = {
      {App(), L"Workbooks"},    {App(), L"ActiveWorkbook"},    {App(), L"ActiveSheet"},
      {App(), L"ActiveWindow"}, {App(), L"Selection"},         {App(), L"LanguageSettings"},
      {App(), L"Windows"},      {sheet.Get(), L"Parent"},      {sheet.Get(), L"UsedRange"},
      {sheet.Get(), L"Names"},  {sheet.Get(), L"ListObjects"}, {sheet.Get(), L"Cells"},
  };
  for (const Case& c : cases) {
    const auto answer = Get(c.object, c.member);
    ASSERT_EQ(VT_DISPATCH, answer.value.Kind()) << c.member;
    ASSERT_NE(nullptr, answer.value.Get()->pdispVal) << c.member;
    EXPECT_EQ(1u, test_support::ReferencesOf(answer.value.Get()->pdispVal)) << c.member;
  }
  // The application answers itself for Application, with one more reference for the caller.
  const auto self = Get(App(), L"Application");
  EXPECT_EQ(App(), self.value.Get()->pdispVal);
  EXPECT_EQ(2u, test_support::ReferencesOf(App()));
}

class WorkbooksObject : public ApplicationObject {
 protected:
  CComPtr<IDispatch> Workbooks() const { return GetObjectOf(App(), L"Workbooks"); }
  // An opener that makes a one-sheet workbook for any path, refusing paths with "bad".
  void InstallOpener() {
    session_.app->SetOpener([this](const std::wstring& path, std::wstring* error) {
      ++opened_;
      std::unique_ptr<CWorkbook> workbook;
      if (path.find(L"bad") != std::wstring::npos) {
        *error = L"'" + path + L"' is not a workbook.";
        return workbook;
      }
      workbook = std::make_unique<CWorkbook>();
      workbook->SetPath(path);
      workbook->AddSheet(L"Opened");
      return workbook;
    });
  }
  int opened_ = 0;
};

TEST_F(WorkbooksObject, FindsWorkbooksByPositionOrName) {
  session_.app->AddWorkbook(std::make_shared<CWorkbook>(L"Second.xlsx"));
  const CComPtr<IDispatch> books = Workbooks();
  EXPECT_EQ(2, Get(books.Get(), L"Count").Long());
  VARIANT shortIndex;
  VariantInit(&shortIndex);
  shortIndex.vt = VT_I2;
  shortIndex.iVal = 2;
  struct Case {
    CVariant index;
    HRESULT hr;
    const wchar_t* name;
  };
  const Case cases[] = {
      {Arg(1), S_OK, L"Book1.xlsx"},
      {Arg(2.0), S_OK, L"Second.xlsx"},
      {CVariant(shortIndex), S_OK, L"Second.xlsx"},
      {Arg(L"SECOND.xlsx"), S_OK, L"Second.xlsx"},
      {Arg(3), DISP_E_BADINDEX, nullptr},
      {Arg(0), DISP_E_BADINDEX, nullptr},
      {Arg(L"Third.xlsx"), DISP_E_BADINDEX, nullptr},
      {CVariant::Missing(), DISP_E_PARAMNOTFOUND, nullptr},
      {CVariant(books.Get()), DISP_E_TYPEMISMATCH, nullptr},
  };
  for (const Case& c : cases) {
    const auto answer = Get(books.Get(), L"Item", {c.index});
    EXPECT_EQ(c.hr, answer.hr) << (c.name ? c.name : L"");
    if (c.name != nullptr) {
      EXPECT_EQ(c.name, Get(answer.Object().Get(), L"Name").Text());
    }
  }
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Get(books.Get(), L"Item", {Arg(1), Arg(2)}).hr);
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Get(books.Get(), L"Item").hr);
}

TEST_F(WorkbooksObject, OpensThroughTheOpenerOnceAndMakesTheWorkbookActive) {
  InstallOpener();
  const CComPtr<IDispatch> books = Workbooks();
  const auto opened = Call(books.Get(), L"Open", {Arg(L"/data/Report.xlsx")});
  ASSERT_EQ(S_OK, opened.hr) << opened.error;
  EXPECT_EQ(L"Report.xlsx", Get(opened.Object().Get(), L"Name").Text());
  EXPECT_EQ(L"/data/Report.xlsx", Get(opened.Object().Get(), L"FullName").Text());
  EXPECT_EQ(L"/data", Get(opened.Object().Get(), L"Path").Text());
  EXPECT_EQ(L"Report.xlsx", session_.app->ActiveWorkbook()->Name());
  EXPECT_EQ(L"Opened", Get(GetObjectOf(App(), L"ActiveSheet").Get(), L"Name").Text());

  // Opening it again brings back the open one; the file is not read twice.
  session_.app->Activate(session_.book);
  ASSERT_EQ(S_OK, Call(books.Get(), L"Open", {Arg(L"/DATA/report.xlsx")}).hr);
  EXPECT_EQ(1, opened_);
  EXPECT_EQ(2, Get(books.Get(), L"Count").Long());
  EXPECT_EQ(L"Report.xlsx", session_.app->ActiveWorkbook()->Name());
}

TEST_F(WorkbooksObject, ReportsWhyAWorkbookCannotBeOpened) {
  const CComPtr<IDispatch> books = Workbooks();
  EXPECT_EQ(DISP_E_EXCEPTION, Call(books.Get(), L"Open", {Arg(L"/x/a.xlsx")}).hr);  // No opener.
  InstallOpener();
  const auto bad = Call(books.Get(), L"Open", {Arg(L"/x/bad.xlsx")});
  EXPECT_EQ(DISP_E_EXCEPTION, bad.hr);
  EXPECT_EQ(L"'/x/bad.xlsx' is not a workbook.", bad.error);
  // Two open workbooks never share a name, as the system tells them apart by it.
  const auto clash = Call(books.Get(), L"Open", {Arg(L"/elsewhere/Book1.xlsx")});
  EXPECT_EQ(DISP_E_EXCEPTION, clash.hr);
  EXPECT_NE(std::wstring::npos, clash.error.find(L"already open"));
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(books.Get(), L"Open").hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Call(books.Get(), L"Open", {Arg(L"")}).hr);
  EXPECT_EQ(1, Get(books.Get(), L"Count").Long());
}

TEST_F(WorkbooksObject, AddsNumberedWorkbooksOfOneSheet) {
  const CComPtr<IDispatch> books = Workbooks();
  const auto first = Call(books.Get(), L"Add");
  ASSERT_EQ(S_OK, first.hr);
  EXPECT_EQ(L"Book1", Get(first.Object().Get(), L"Name").Text());
  EXPECT_EQ(1, Get(GetObjectOf(first.Object().Get(), L"Worksheets").Get(), L"Count").Long());
  EXPECT_EQ(L"Book2", Get(Call(books.Get(), L"Add", {Arg(-4167)}).Object().Get(), L"Name").Text());
  EXPECT_EQ(L"Book2", session_.app->ActiveWorkbook()->Name());
  EXPECT_EQ(DISP_E_EXCEPTION, Call(books.Get(), L"Add", {Arg(-4109)}).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Call(books.Get(), L"Add", {Arg(L"/t/Template.xltx")}).hr);
  EXPECT_EQ(3, Get(books.Get(), L"Count").Long());
}

}  // namespace
}  // namespace spreadsheet
