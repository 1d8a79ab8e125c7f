// Names and Name through IDispatch: workbook and sheet scopes as Excel lists them, Item in its
// three forms, what names refer to, and adding names.
#include "spreadsheet/objects/name_object.h"

#include <gtest/gtest.h>

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

class NameObjects : public testing::Test {
 protected:
  void SetUp() override {
    session_.book->AddSheet(L"My Data");
    session_.book->AddName({L"Total", L"=Sheet1!$B$2:$B$9", 0, false});
    session_.book->AddName({L"Local", L"='My Data'!$A$1", 2, false});
    session_.book->AddName({L"Rate", L"=0.25", 0, true});
    session_.book->AddName(
        {L"Moving", L"=OFFSET(Sheet1!$A$1,0,0,COUNTA(Sheet1!$A:$A),1)", 0, false});
  }
  CComPtr<IDispatch> BookNames() const { return GetObjectOf(session_.Workbook().Get(), L"Names"); }
  CComPtr<IDispatch> SheetNames(int sheet) const {
    return GetObjectOf(session_.Sheet(sheet).Get(), L"Names");
  }
  std::vector<std::wstring> Listed(IDispatch* names) const {
    std::vector<std::wstring> texts;
    const LONG count = Get(names, L"Count").Long();
    for (LONG i = 1; i <= count; ++i) {
      texts.push_back(
          Get(Call(names, L"Item", {Arg(static_cast<int>(i))}).Object().Get(), L"Name").Text());
    }
    return texts;
  }
  test_support::CSpreadsheetSession session_;
};

TEST_F(NameObjects, WorkbookNamesListEveryNameAndSheetNamesOnlyTheirOwn) {
  session_.book->AddName({L"Stray", L"=1", 9, false});  // A damaged file's sheet index.
  EXPECT_EQ((std::vector<std::wstring>{L"Total", L"'My Data'!Local", L"Rate", L"Moving"}),
            Listed(BookNames().Get()));
  EXPECT_EQ((std::vector<std::wstring>{L"'My Data'!Local"}), Listed(SheetNames(2).Get()));
  EXPECT_EQ(0, Get(SheetNames(1).Get(), L"Count").Long());
}

TEST_F(NameObjects, ItemFindsByPositionNameOrWhatTheNameRefersTo) {
  const CComPtr<IDispatch> names = BookNames();
  const CComPtr<IDispatch> local = SheetNames(2);
  struct Case {
    IDispatch* names;
    std::vector<CVariant> args;
    WORD flags;
    HRESULT hr;
    const wchar_t* found;
  };
  const Case cases[] = {
      {names.Get(), {Arg(1)}, DISPATCH_METHOD, S_OK, L"Total"},
      {names.Get(), {Arg(3.0)}, DISPATCH_PROPERTYGET, S_OK, L"Rate"},
      {names.Get(), {Arg(L"rate")}, DISPATCH_METHOD, S_OK, L"Rate"},
      {names.Get(), {Arg(L"'My Data'!local")}, DISPATCH_METHOD, S_OK, L"'My Data'!Local"},
      {names.Get(), {Arg(L"My Data!Local")}, DISPATCH_METHOD, S_OK, L"'My Data'!Local"},
      {names.Get(), {CVariant::Missing(), Arg(L"Total")}, DISPATCH_METHOD, S_OK, L"Total"},
      {names.Get(),
       {CVariant::Missing(), CVariant::Missing(), Arg(L"=0.25")},
       DISPATCH_METHOD,
       S_OK,
       L"Rate"},
      {local.Get(), {Arg(L"Local")}, DISPATCH_METHOD, S_OK, L"'My Data'!Local"},
      {local.Get(), {Arg(1)}, DISPATCH_METHOD, S_OK, L"'My Data'!Local"},
      {names.Get(), {Arg(L"Local")}, DISPATCH_METHOD, DISP_E_BADINDEX, nullptr},
      {local.Get(), {Arg(L"Total")}, DISPATCH_METHOD, DISP_E_BADINDEX, nullptr},
      {local.Get(), {Arg(2)}, DISPATCH_METHOD, DISP_E_BADINDEX, nullptr},
      {names.Get(), {Arg(0)}, DISPATCH_METHOD, DISP_E_BADINDEX, nullptr},
      {names.Get(),
       {CVariant::Missing(), CVariant::Missing(), Arg(L"=1")},
       DISPATCH_METHOD,
       DISP_E_BADINDEX,
       nullptr},
      {names.Get(), {}, DISPATCH_METHOD, DISP_E_PARAMNOTFOUND, nullptr},
      {names.Get(),
       {Arg(1), Arg(1), Arg(1), Arg(1)},
       DISPATCH_METHOD,
       DISP_E_BADPARAMCOUNT,
       nullptr},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto answer =
        test_support::InvokeByName(cases[i].names, L"Item", cases[i].flags, cases[i].args);
    EXPECT_EQ(cases[i].hr, answer.hr) << "case " << i;
    if (cases[i].found != nullptr) {
      EXPECT_EQ(cases[i].found, Get(answer.Object().Get(), L"Name").Text()) << "case " << i;
    }
  }
}

TEST_F(NameObjects, TellWhatTheyReferToAndFailWhereThatIsNoRange) {
  const CComPtr<IDispatch> names = BookNames();
  const auto name = [&](const wchar_t* text) {
    return Call(names.Get(), L"Item", {Arg(text)}).Object();
  };
  EXPECT_EQ(L"=Sheet1!$B$2:$B$9", Get(name(L"Total").Get(), L"RefersTo").Text());
  EXPECT_EQ(L"=Sheet1!$B$2:$B$9", Get(name(L"Total").Get(), L"Value").Text());
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 2}, {9, 2}}}),
            SeeRange(Get(name(L"Total").Get(), L"RefersToRange")));
  EXPECT_EQ((RangeSeen{L"My Data", {{1, 1}, {1, 1}}}),
            SeeRange(Get(name(L"'My Data'!Local").Get(), L"RefersToRange")));
  EXPECT_EQ(0, Get(name(L"Rate").Get(), L"Visible").Bool());
  EXPECT_EQ(1, Get(name(L"Total").Get(), L"Visible").Bool());
  EXPECT_EQ(L"My Data",
            Get(GetObjectOf(name(L"'My Data'!Local").Get(), L"Parent").Get(), L"Name").Text());
  EXPECT_EQ(L"Book1.xlsx", Get(GetObjectOf(name(L"Total").Get(), L"Parent").Get(), L"Name").Text());

  // A constant, and a formula with nothing to evaluate it, refer to no range.
  EXPECT_EQ(DISP_E_EXCEPTION, Get(name(L"Rate").Get(), L"RefersToRange").hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Get(name(L"Moving").Get(), L"RefersToRange").hr);
  session_.app->SetEvaluator([](CWorkbook&, std::int32_t sheet,
                                const std::wstring& text) -> std::optional<EvaluationResult> {
    if (text.find(L"OFFSET") == std::wstring::npos) return std::nullopt;
    EvaluationResult answer;
    answer.kind = EvaluationResult::Kind::Reference;
    answer.sheet = sheet;
    answer.range = {{1, 1}, {4, 1}};
    return answer;
  });
  EXPECT_EQ((RangeSeen{L"Sheet1", {{1, 1}, {4, 1}}}),
            SeeRange(Get(name(L"Moving").Get(), L"RefersToRange")));
  EXPECT_EQ(DISP_E_EXCEPTION, Get(name(L"Rate").Get(), L"RefersToRange").hr);
}

TEST_F(NameObjects, WritesChangeTheWorkbooksName) {
  const CComPtr<IDispatch> total = Call(BookNames().Get(), L"Item", {Arg(L"Total")}).Object();
  ASSERT_EQ(S_OK, Put(total.Get(), L"RefersTo", Arg(L"=Sheet1!$C$3")).hr);
  EXPECT_EQ(L"=Sheet1!$C$3", session_.book->FindName(L"Total", 0)->refersTo);
  ASSERT_EQ(S_OK, Put(total.Get(), L"Visible", Arg(false)).hr);
  EXPECT_TRUE(session_.book->FindName(L"Total", 0)->hidden);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(total.Get(), L"RefersToRange", Arg(L"A1")).hr);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Get(total.Get(), L"Name", {Arg(1)}).hr);
}

TEST_F(NameObjects, AddStoresWhatExcelStores) {
  const CComPtr<IDispatch> names = BookNames();
  const CComPtr<IDispatch> block = GetObjectOf(session_.Sheet(2).Get(), L"Range", {Arg(L"B2:C3")});
  struct Case {
    std::vector<CVariant> args;
    const wchar_t* name;
    const wchar_t* refersTo;
    std::int32_t scope;
  };
  const Case cases[] = {
      {{Arg(L"Limit"), Arg(L"=100")}, L"Limit", L"=100", 0},
      {{Arg(L"Greeting"), Arg(L"say \"hi\"")}, L"Greeting", L"=\"say \"\"hi\"\"\"", 0},
      {{Arg(L"Count"), Arg(12.5)}, L"Count", L"=12.5", 0},
      {{Arg(L"Block"), Arg(block)}, L"Block", L"='My Data'!$B$2:$C$3", 0},
      {{Arg(L"'My Data'!Here"), Arg(L"=$A$1")}, L"Here", L"=$A$1", 2},
      {{CVariant::Missing(), Arg(L"=1"), CVariant::Missing(), CVariant::Missing(),
        CVariant::Missing(), CVariant::Missing(), Arg(L"ViaLocal")},
       L"ViaLocal",
       L"=1",
       0},
      {{Arg(L"total"), Arg(L"=Sheet1!$A$1")}, L"total", L"=Sheet1!$A$1", 0},  // Replaces Total.
  };
  for (const Case& c : cases) {
    const auto added = Call(names.Get(), L"Add", c.args);
    ASSERT_EQ(S_OK, added.hr) << c.name << " " << added.error;
    const DefinedName* stored = session_.book->FindName(c.name, c.scope);
    ASSERT_NE(nullptr, stored) << c.name;
    EXPECT_EQ(c.refersTo, stored->refersTo) << c.name;
    EXPECT_EQ(c.refersTo, Get(added.Object().Get(), L"RefersTo").Text()) << c.name;
  }
  EXPECT_EQ(10, Get(names.Get(), L"Count").Long());
  // A sheet's own Names add names of that sheet.
  ASSERT_EQ(S_OK, Call(SheetNames(1).Get(), L"Add", {Arg(L"Mine"), Arg(L"=$D$4")}).hr);
  EXPECT_NE(nullptr, session_.book->FindName(L"Mine", 1));
}

TEST_F(NameObjects, AddRefusesNamesExcelRefuses) {
  const CComPtr<IDispatch> names = BookNames();
  for (const wchar_t* refused : {L"", L"1st", L"A1", L"xfd1048576", L"R1C1", L"r", L"C", L"R2C",
                                 L"my name", L"a-b", L"Nowhere!X"}) {
    EXPECT_EQ(DISP_E_EXCEPTION, Call(names.Get(), L"Add", {Arg(refused), Arg(L"=1")}).hr)
        << refused;
  }
  for (const wchar_t* accepted : {L"_x", L"\\x", L"x.y", L"Tax_2024?", L"RC1x", L"AB", L"Größe"}) {
    EXPECT_EQ(S_OK, Call(names.Get(), L"Add", {Arg(accepted), Arg(L"=1")}).hr) << accepted;
  }
  EXPECT_EQ(DISP_E_EXCEPTION, Call(names.Get(), L"Add", {Arg(L"NoTarget")}).hr);
  EXPECT_EQ(DISP_E_EXCEPTION,
            Call(names.Get(), L"Add",
                 {Arg(L"R1C1Only"), CVariant::Missing(), CVariant::Missing(), CVariant::Missing(),
                  CVariant::Missing(), CVariant::Missing(), CVariant::Missing(),
                  CVariant::Missing(), CVariant::Missing(), Arg(L"=R1C1")})
                .hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(names.Get(), L"Add", {Arg(L"Bad"), CVariant()}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH,
            Call(names.Get(), L"Add", {Arg(L"Bad"), Arg(session_.Sheet(1))}).hr);
}

TEST_F(NameObjects, ANameObjectFollowsItsNameWhenSheetsMoveOrAreRenamed) {
  const CComPtr<IDispatch> local = Call(SheetNames(2).Get(), L"Item", {Arg(1)}).Object();
  ASSERT_EQ(S_OK, Call(session_.Sheets().Get(), L"Add", {Arg(session_.Sheet(1))}).hr);
  ASSERT_EQ(3, session_.book->FindName(L"Local", 3)->scope);  // The model moved it along.
  EXPECT_EQ(L"'My Data'!Local", Get(local.Get(), L"Name").Text());
  EXPECT_EQ((RangeSeen{L"My Data", {{1, 1}, {1, 1}}}),
            SeeRange(Get(local.Get(), L"RefersToRange")));
  ASSERT_EQ(S_OK, Put(session_.Sheet(3).Get(), L"Name", Arg(L"Renamed")).hr);
  EXPECT_EQ(L"Renamed!Local", Get(local.Get(), L"Name").Text());
  EXPECT_EQ(L"=Renamed!$A$1", Get(local.Get(), L"RefersTo").Text());
}

}  // namespace
}  // namespace spreadsheet
