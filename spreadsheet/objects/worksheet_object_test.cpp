// Worksheets and Worksheet through IDispatch: finding sheets, adding them where Excel puts them,
// renaming, visibility, ranges, Evaluate, activation and protection.
#include "spreadsheet/objects/worksheet_object.h"

#include <gtest/gtest.h>

#include "spreadsheet/model/error_code.h"
#include "spreadsheet/objects/worksheets_object.h"
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

class WorksheetObject : public testing::Test {
 protected:
  void SetUp() override {
    session_.book->AddSheet(L"Data");
    session_.book->AddSheet(L"Sheet7");
  }
  std::vector<std::wstring> SheetNames() const {
    std::vector<std::wstring> names;
    for (std::int32_t i = 1; i <= session_.book->SheetCount(); ++i) {
      names.push_back(session_.book->Sheet(i).Name());
    }
    return names;
  }
  std::wstring ActiveSheetName() const {
    return Get(GetObjectOf(session_.application.Get(), L"ActiveSheet").Get(), L"Name").Text();
  }
  test_support::CSpreadsheetSession session_;
};

TEST_F(WorksheetObject, ItemTakesAnyNumberKindOrAName) {
  VARIANT byReference;
  VariantInit(&byReference);
  CVariant two = Arg(2);
  byReference.vt = VT_BYREF | VT_VARIANT;
  byReference.pvarVal = two.GetMutable();
  VARIANT unsignedIndex;
  VariantInit(&unsignedIndex);
  unsignedIndex.vt = VT_UI4;
  unsignedIndex.ulVal = 3;
  struct Case {
    CVariant index;
    HRESULT hr;
    const wchar_t* name;
  };
  const Case cases[] = {
      {Arg(1), S_OK, L"Sheet1"},
      {Arg(2.4), S_OK, L"Data"},  // Rounded, as Excel rounds.
      {CVariant(unsignedIndex), S_OK, L"Sheet7"},
      {CVariant(byReference), S_OK, L"Data"},
      {Arg(L"data"), S_OK, L"Data"},
      {Arg(L"2"), DISP_E_BADINDEX, nullptr},  // Text is a name, never a position.
      {Arg(4), DISP_E_BADINDEX, nullptr},
      {Arg(-1), DISP_E_BADINDEX, nullptr},
      {Arg(true), DISP_E_BADINDEX, nullptr},   // TRUE is -1.
      {CVariant(), DISP_E_BADINDEX, nullptr},  // Empty reads as 0.
      {CVariant::Error(ErrorScode(ErrorCode::NA)), DISP_E_TYPEMISMATCH, nullptr},
  };
  const CComPtr<IDispatch> sheets = session_.Sheets();
  EXPECT_EQ(3, Get(sheets.Get(), L"Count").Long());
  for (const Case& c : cases) {
    const auto answer = Get(sheets.Get(), L"Item", {c.index});
    EXPECT_EQ(c.hr, answer.hr) << (c.name ? c.name : L"-");
    if (c.name != nullptr) {
      EXPECT_EQ(c.name, Get(answer.Object().Get(), L"Name").Text());
    }
  }
  // Item is the default member too, as in Excel.
  CVariant result;
  CVariant index = Arg(3);
  DISPPARAMS params{index.GetMutable(), nullptr, 1, 0};
  ASSERT_EQ(S_OK, sheets->Invoke(DISPID_VALUE, IID_NULL, kLocaleEnglishUS, DISPATCH_PROPERTYGET,
                                 &params, result.Receive(), nullptr, nullptr));
  EXPECT_EQ(L"Sheet7", Get(result.Get()->pdispVal, L"Name").Text());
}

TEST_F(WorksheetObject, AddPutsNewSheetsWhereExcelPutsThemAndActivatesThem) {
  const CComPtr<IDispatch> sheets = session_.Sheets();
  // The system's own call: Before missing, After the last sheet, Count 1, xlWorksheet.
  const auto added =
      Call(sheets.Get(), L"Add", {CVariant::Missing(), Arg(session_.Sheet(3)), Arg(1), Arg(-4167)});
  ASSERT_EQ(S_OK, added.hr) << added.error;
  EXPECT_EQ(L"Sheet8", Get(added.Object().Get(), L"Name").Text());  // After the highest.
  EXPECT_EQ(4, Get(added.Object().Get(), L"Index").Long());
  EXPECT_EQ(L"Sheet8", ActiveSheetName());
  EXPECT_EQ((RangeSeen{L"Sheet8", {{1, 1}, {1, 1}}}),
            SeeRange(Get(session_.application.Get(), L"Selection")));

  // No arguments: before the active sheet.
  ASSERT_EQ(S_OK, Call(sheets.Get(), L"Add").hr);
  EXPECT_EQ((std::vector<std::wstring>{L"Sheet1", L"Data", L"Sheet7", L"Sheet9", L"Sheet8"}),
            SheetNames());
  // Several at once go in one after another at the same place; the last added is first.
  const auto three =
      Call(sheets.Get(), L"Add", {Arg(session_.Sheet(1)), CVariant::Missing(), Arg(3)});
  ASSERT_EQ(S_OK, three.hr);
  EXPECT_EQ(L"Sheet12", Get(three.Object().Get(), L"Name").Text());
  EXPECT_EQ((std::vector<std::wstring>{L"Sheet12", L"Sheet11", L"Sheet10", L"Sheet1", L"Data",
                                       L"Sheet7", L"Sheet9", L"Sheet8"}),
            SheetNames());
  EXPECT_EQ(1, session_.book->ActiveSheet());
}

TEST_F(WorksheetObject, AddRefusesWhatExcelRefuses) {
  const CComPtr<IDispatch> sheets = session_.Sheets();
  const CComPtr<IDispatch> first = session_.Sheet(1);
  struct Case {
    std::vector<CVariant> args;
    HRESULT hr;
  };
  const Case cases[] = {
      {{Arg(first), Arg(first)}, DISP_E_EXCEPTION},  // Both Before and After.
      {{CVariant::Missing(), CVariant::Missing(), Arg(1), Arg(-4109)}, DISP_E_EXCEPTION},  // Chart.
      {{CVariant::Missing(), CVariant::Missing(), Arg(0)}, DISP_E_EXCEPTION},
      {{CVariant::Missing(), CVariant::Missing(), Arg(kMaxSheets)}, DISP_E_EXCEPTION},
      {{Arg(L"Sheet1")}, DISP_E_TYPEMISMATCH},
      {{Arg(session_.Workbook())}, DISP_E_TYPEMISMATCH},
      {{CVariant::Missing(), CVariant::Missing(), Arg(L"many")}, DISP_E_TYPEMISMATCH},
      {{CVariant::Missing(), CVariant::Missing(), Arg(1), Arg(-4167), Arg(1)},
       DISP_E_BADPARAMCOUNT},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].hr, Call(sheets.Get(), L"Add", cases[i].args).hr) << "case " << i;
  }
  EXPECT_EQ(3, session_.book->SheetCount());
}

TEST_F(WorksheetObject, AddsIntoTheWorkbookOfTheSheetGiven) {
  auto other = std::make_shared<CWorkbook>(L"Other.xlsx");
  other->AddSheet(L"Only");
  session_.app->AddWorkbook(other);
  session_.app->Activate(session_.book);
  const CComPtr<IDispatch> only = GetObjectOf(
      GetObjectOf(GetObjectOf(session_.application.Get(), L"Workbooks").Get(), L"Item", {Arg(2)})
          .Get(),
      L"Worksheets");
  const auto added = Call(session_.Sheets().Get(), L"Add",
                          {CVariant::Missing(), Arg(GetObjectOf(only.Get(), L"Item", {Arg(1)}))});
  ASSERT_EQ(S_OK, added.hr);
  EXPECT_EQ(2, other->SheetCount());
  EXPECT_EQ(L"Sheet1", other->Sheet(2).Name());
  EXPECT_EQ(3, session_.book->SheetCount());
  EXPECT_EQ(other, session_.app->ActiveWorkbook());
}

TEST_F(WorksheetObject, RenamesByExcelsRulesAndKeepsReferencesPointingAtTheSheet) {
  session_.book->Sheet(1).SetFormula({1, 1}, L"=Data!B2*2");
  const CComPtr<IDispatch> data = session_.Sheet(2);
  ASSERT_EQ(S_OK, Put(data.Get(), L"Name", Arg(L"Sales 2024")).hr);
  EXPECT_EQ(L"Sales 2024", Get(data.Get(), L"Name").Text());
  EXPECT_EQ(L"='Sales 2024'!B2*2", session_.book->Sheet(1).Formula({1, 1}));
  for (const wchar_t* refused :
       {L"", L"sheet7", L"a/b", L"History", L"1234567890123456789012345678901234"}) {
    const auto answer = Put(data.Get(), L"Name", Arg(refused));
    EXPECT_EQ(DISP_E_EXCEPTION, answer.hr) << refused;
    EXPECT_FALSE(answer.error.empty());
  }
  EXPECT_EQ(L"Sales 2024", session_.book->Sheet(2).Name());
  EXPECT_EQ(DISP_E_TYPEMISMATCH,
            Put(data.Get(), L"Name", CVariant::Error(DISP_E_PARAMNOTFOUND)).hr);
}

TEST_F(WorksheetObject, HidesSheetsButNeverTheLastVisibleOne) {
  const CComPtr<IDispatch> first = session_.Sheet(1);
  EXPECT_EQ(-1, Get(first.Get(), L"Visible").Long());
  ASSERT_EQ(S_OK, Put(first.Get(), L"Visible", Arg(0)).hr);
  EXPECT_EQ(0, Get(first.Get(), L"Visible").Long());
  EXPECT_EQ(L"Data", ActiveSheetName());  // The active sheet moves off a hidden one.
  EXPECT_EQ(DISP_E_EXCEPTION, Call(first.Get(), L"Activate").hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(first.Get(), L"Visible", Arg(5)).hr);
  ASSERT_EQ(S_OK, Put(first.Get(), L"Visible", Arg(2)).hr);
  EXPECT_EQ(2, Get(first.Get(), L"Visible").Long());
  ASSERT_EQ(S_OK, Put(session_.Sheet(3).Get(), L"Visible", Arg(false)).hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Put(session_.Sheet(2).Get(), L"Visible", Arg(0)).hr);
  EXPECT_EQ(Visibility::Visible, session_.book->Sheet(2).Visible());
  ASSERT_EQ(S_OK, Put(first.Get(), L"Visible", Arg(true)).hr);
  EXPECT_EQ(-1, Get(first.Get(), L"Visible").Long());
}

TEST_F(WorksheetObject, AnswersRangesFromAddressesNamesAndCorners) {
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  session_.book->AddName({L"Block", L"=Sheet1!$B$2:$C$5", 0, false});
  session_.book->AddName({L"Elsewhere", L"=Data!$A$1", 0, false});
  EXPECT_EQ((RangeSeen{L"Sheet1", {{1, 1}, {1, 1}}}), SeeRange(Get(sheet.Get(), L"UsedRange")));
  session_.book->Sheet(1).SetValue({3, 2}, CellValue::Number(1));
  session_.book->Sheet(1).SetValue({9, 4}, CellValue::Number(2));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{3, 2}, {9, 4}}}), SeeRange(Get(sheet.Get(), L"UsedRange")));
  EXPECT_EQ((RangeSeen{L"Sheet1", {{1, 1}, {kMaxRows, kMaxColumns}}}),
            SeeRange(Get(sheet.Get(), L"Cells")));

  const auto b2 = GetObjectOf(sheet.Get(), L"Range", {Arg(L"B2")});
  const auto d7 = GetObjectOf(sheet.Get(), L"Range", {Arg(L"D7")});
  struct Case {
    std::vector<CVariant> args;
    std::optional<CellRect> range;
  };
  const Case cases[] = {
      {{Arg(L"B2")}, CellRect{{2, 2}, {2, 2}}},
      {{Arg(L"c3:b2")}, CellRect{{2, 2}, {3, 3}}},
      {{Arg(L"$A$1")}, CellRect{{1, 1}, {1, 1}}},
      {{Arg(L"A:C")}, CellRect{{1, 1}, {kMaxRows, 3}}},
      {{Arg(L"2:5")}, CellRect{{2, 1}, {5, kMaxColumns}}},
      {{Arg(L"Sheet1!A1")}, CellRect{{1, 1}, {1, 1}}},
      {{Arg(L"block")}, CellRect{{2, 2}, {5, 3}}},
      {{Arg(b2), Arg(d7)}, CellRect{{2, 2}, {7, 4}}},
      {{Arg(L"D7"), Arg(L"B2")}, CellRect{{2, 2}, {7, 4}}},
      {{Arg(L"A1:B2"), Arg(d7)}, CellRect{{1, 1}, {7, 4}}},
      {{Arg(L"Data!A1")}, std::nullopt},
      {{Arg(L"Elsewhere")}, std::nullopt},
      {{Arg(L"A1,Data!B2")}, std::nullopt},  // a union on two sheets
      {{Arg(L"NoSuchName")}, std::nullopt},
      {{Arg(L"")}, std::nullopt},
      {{Arg(GetObjectOf(session_.Sheet(2).Get(), L"Range", {Arg(L"A1")}))}, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto answer = Get(sheet.Get(), L"Range", cases[i].args);
    if (cases[i].range) {
      EXPECT_EQ((RangeSeen{L"Sheet1", *cases[i].range}), SeeRange(answer)) << "case " << i;
    } else {
      EXPECT_EQ(DISP_E_EXCEPTION, answer.hr) << "case " << i;
    }
  }
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Get(sheet.Get(), L"Range").hr);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT,
            Get(sheet.Get(), L"Range", {Arg(L"A1"), Arg(L"B2"), Arg(L"C3")}).hr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Get(sheet.Get(), L"Range", {Arg(sheet)}).hr);
}

// Range("A1,B2") and the names of unions give one range of every area, as in Excel.
TEST_F(WorksheetObject, AnswersUnionsWithEveryArea) {
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  session_.book->AddName({L"Pair", L"=Sheet1!$A$1,Sheet1!$C$3:$D$4", 0, false});
  const struct {
    std::vector<CVariant> args;
    const wchar_t* address;
    LONG areas;
  } cases[] = {
      {{Arg(L"A1:A2,B1:C1,E1")}, L"$A$1:$A$2,$B$1:$C$1,$E$1", 3},
      {{Arg(L"Sheet1!B2,'Sheet1'!A1")}, L"$B$2,$A$1", 2},
      {{Arg(L"pair")}, L"$A$1,$C$3:$D$4", 2},
      {{Arg(L"A1,B2"), CVariant::Missing()}, L"$A$1,$B$2", 2},
      // Two corners take in every area of both.
      {{Arg(L"A1,C3"), Arg(L"B5")}, L"$A$1:$C$5", 1},
      {{Arg(GetObjectOf(sheet.Get(), L"Range", {Arg(L"B2,D4")})), Arg(L"A1")}, L"$A$1:$D$4", 1},
  };
  for (const auto& c : cases) {
    const auto range = GetObjectOf(sheet.Get(), L"Range", c.args);
    ASSERT_TRUE(range) << c.address;
    EXPECT_EQ(c.address, Get(range.Get(), L"Address").Text());
    EXPECT_EQ(c.areas, Get(GetObjectOf(range.Get(), L"Areas").Get(), L"Count").Long()) << c.address;
  }
}

// The evaluator's union is one Range of every area: "(A1:A2,B1:C1,E1)" as Excel answers it, and
// an intersection taken with each area of a union.
TEST_F(WorksheetObject, EvaluatesAUnionToARangeOfEveryArea) {
  const CComPtr<IDispatch> sheet = session_.Sheet(2);
  const struct {
    const wchar_t* expression;
    const wchar_t* address;
    LONG areas;
    LONG count;
  } cases[] = {
      {L"(A1:A2,B1:C1,E1)", L"$A$1:$A$2,$B$1:$C$1,$E$1", 3, 5},
      {L"((F4:G4,G4:I4) G3:G11)", L"$G$4,$G$4", 2, 2},
      {L"INDEX((A1:B2,D1:E2),1,1,2)", L"$D$1", 1, 1},
      {L"B2:C3", L"$B$2:$C$3", 1, 4},
  };
  for (const auto& c : cases) {
    const auto answer = Call(sheet.Get(), L"Evaluate", {Arg(c.expression)});
    ASSERT_EQ(VT_DISPATCH, answer.value.Kind()) << c.expression;
    const auto range = answer.Object();
    EXPECT_EQ(c.address, Get(range.Get(), L"Address").Text());
    EXPECT_EQ(L"Data", Get(GetObjectOf(range.Get(), L"Parent").Get(), L"Name").Text());
    EXPECT_EQ(c.areas, Get(GetObjectOf(range.Get(), L"Areas").Get(), L"Count").Long());
    EXPECT_EQ(c.count, Get(range.Get(), L"Count").Long()) << c.expression;
  }
}

TEST_F(WorksheetObject, EvaluatesAddressesNamesAndConstantsWithoutAnEvaluator) {
  session_.app->SetEvaluator({});
  session_.book->AddName({L"Total", L"=Data!$B$2:$B$9", 0, false});
  session_.book->AddName({L"Rate", L"=0.25", 0, false});
  session_.book->AddName({L"Growth", L"=Rate*2", 0, false});
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  const auto evaluate = [&](const wchar_t* text) {
    return Call(sheet.Get(), L"Evaluate", {Arg(text)});
  };
  EXPECT_EQ((RangeSeen{L"Sheet1", {{2, 2}, {2, 2}}}), SeeRange(evaluate(L"B2")));
  EXPECT_EQ((RangeSeen{L"Data", {{1, 1}, {2, 3}}}), SeeRange(evaluate(L"'Data'!$A$1:C2")));
  EXPECT_EQ((RangeSeen{L"Data", {{2, 2}, {9, 2}}}), SeeRange(evaluate(L"Total")));
  EXPECT_EQ(0.25, evaluate(L"Rate").Double());
  EXPECT_EQ(-1500.0, evaluate(L"=-1.5E3").Double());
  EXPECT_EQ(L"say \"hi\"", evaluate(L"\"say \"\"hi\"\"\"").Text());
  EXPECT_EQ(1, evaluate(L"true").Bool());
  const struct {
    const wchar_t* text;
    ErrorCode error;
  } errors[] = {{L"#N/A", ErrorCode::NA},       {L"SUM(A1:A3)", ErrorCode::Value},
                {L"Unknown", ErrorCode::Name},  {L"Growth", ErrorCode::Value},
                {L"inf", ErrorCode::Name},      {L"0x1F", ErrorCode::Name},
                {L"\"a\"b\"", ErrorCode::Value}};
  for (const auto& c : errors) {
    const auto answer = evaluate(c.text);
    ASSERT_EQ(S_OK, answer.hr) << c.text;
    EXPECT_EQ(VT_ERROR, answer.value.Kind()) << c.text;
    EXPECT_EQ(ErrorScode(c.error), answer.value.Get()->scode) << c.text;
  }
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, Call(sheet.Get(), L"Evaluate").hr);
  // The application evaluates on the active sheet.
  EXPECT_EQ((RangeSeen{L"Sheet1", {{4, 4}, {4, 4}}}),
            SeeRange(Call(session_.application.Get(), L"Evaluate", {Arg(L"D4")})));
}

TEST_F(WorksheetObject, AsksTheEvaluatorFirstWhenThereIsOne) {
  std::vector<std::wstring> asked;
  session_.app->SetEvaluator([&](CWorkbook&, std::int32_t sheet,
                                 const std::wstring& text) -> std::optional<EvaluationResult> {
    asked.push_back(std::to_wstring(sheet) + L":" + text);
    EvaluationResult answer;
    if (text == L"6*7") {
      answer.values = {CellValue::Number(42)};
    } else if (text == L"OFFSET(A1,1,1)") {
      answer.kind = EvaluationResult::Kind::Reference;
      answer.sheet = sheet;
      answer.range = CellRect::Of({2, 2});
    } else if (text == L"{1,2;3,4}") {
      answer.kind = EvaluationResult::Kind::Array;
      answer.rows = 2;
      answer.columns = 2;
      answer.values = {CellValue::Number(1), CellValue::Number(2), CellValue::Text(L"three"),
                       CellValue::Boolean(true)};
    } else if (text == L"broken") {
      answer.kind = EvaluationResult::Kind::Reference;
      answer.sheet = 99;
    } else {
      return std::nullopt;
    }
    return answer;
  });
  const CComPtr<IDispatch> data = session_.Sheet(2);
  const auto evaluate = [&](const wchar_t* text) {
    return Call(data.Get(), L"Evaluate", {Arg(text)});
  };
  EXPECT_EQ(42.0, evaluate(L"6*7").Double());
  EXPECT_EQ((RangeSeen{L"Data", {{2, 2}, {2, 2}}}), SeeRange(evaluate(L"OFFSET(A1,1,1)")));
  EXPECT_EQ((RangeSeen{L"Data", {{3, 1}, {3, 1}}}), SeeRange(evaluate(L"A3")));  // Declined.
  EXPECT_EQ(VT_ERROR, evaluate(L"broken").value.Kind());

  const auto array = evaluate(L"{1,2;3,4}");
  ASSERT_EQ(VT_ARRAY | VT_VARIANT, array.value.Kind());
  SAFEARRAY* values = array.value.Get()->parray;
  ASSERT_EQ(2u, SafeArrayGetDim(values));
  LONG bound = 0;
  SafeArrayGetLBound(values, 1, &bound);
  EXPECT_EQ(1, bound);
  SafeArrayGetUBound(values, 2, &bound);
  EXPECT_EQ(2, bound);
  LONG at[2] = {2, 1};  // Row 2, column 1.
  CVariant element;
  ASSERT_EQ(S_OK, SafeArrayGetElement(values, at, element.Receive()));
  EXPECT_EQ(L"three", std::wstring(element.Get()->bstrVal));
  EXPECT_EQ((std::vector<std::wstring>{L"2:6*7", L"2:OFFSET(A1,1,1)", L"2:A3", L"2:broken",
                                       L"2:{1,2;3,4}"}),
            asked);
}

TEST_F(WorksheetObject, ActivatesSelectsAndProtects) {
  const CComPtr<IDispatch> data = session_.Sheet(2);
  ASSERT_EQ(S_OK, Call(data.Get(), L"Activate").hr);
  EXPECT_EQ(L"Data", ActiveSheetName());
  session_.app->Select({session_.book, 2, {{5, 5}, {6, 6}}});
  ASSERT_EQ(S_OK, Call(data.Get(), L"Select").hr);  // Keeps the selection already there.
  EXPECT_EQ((RangeSeen{L"Data", {{5, 5}, {6, 6}}}),
            SeeRange(Get(session_.application.Get(), L"Selection")));
  ASSERT_EQ(S_OK, Call(session_.Sheet(1).Get(), L"Select").hr);
  EXPECT_EQ(L"Sheet1", ActiveSheetName());
  EXPECT_EQ(S_OK, Call(data.Get(), L"ClearArrows").hr);
  EXPECT_EQ(L"Book1.xlsx", Get(GetObjectOf(data.Get(), L"Parent").Get(), L"Name").Text());
  EXPECT_EQ(2, Get(data.Get(), L"Index").Long());

  EXPECT_EQ(0, Get(data.Get(), L"ProtectContents").Bool());
  ASSERT_EQ(S_OK, Call(data.Get(), L"Protect").hr);
  EXPECT_EQ(1, Get(data.Get(), L"ProtectContents").Bool());
  EXPECT_TRUE(session_.book->Sheet(2).IsProtected());
  ASSERT_EQ(S_OK, Call(data.Get(), L"Unprotect").hr);
  EXPECT_EQ(DISP_E_EXCEPTION, Call(data.Get(), L"Protect", {Arg(L"secret")}).hr);
  EXPECT_FALSE(session_.book->Sheet(2).IsProtected());
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(data.Get(), L"ProtectContents", Arg(true)).hr);
}

}  // namespace
}  // namespace spreadsheet
