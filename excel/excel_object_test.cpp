// How ExcelObject calls an automation object, and how it treats odd answers.
#include "excel/excel_object.h"

#include <gtest/gtest.h>

#include <thread>

#include "excel/scope_guards.h"
#include "tests/support/scripted_dispatch.h"

namespace {

using test_support::CScriptedDispatch;

class ExcelObjectCalls : public testing::Test {
 protected:
  CScriptedDispatch other_;  // Declared first: scripts of object_ may hold it until the end.
  CScriptedDispatch object_;
  ExcelObject handle_{&object_};
};

TEST_F(ExcelObjectCalls, LooksUpEveryCallAndInvokesInEnglish) {
  object_.Script(L"Count", CVariant(LONG{3}));
  LONG count = 0;
  ASSERT_TRUE(handle_.GetLong(L"Count", &count));
  ASSERT_TRUE(handle_.GetLong(L"Count", &count));
  EXPECT_EQ(3, count);
  ASSERT_EQ(2u, object_.Calls().size());
  EXPECT_EQ(2u, object_.LookedUp().size());  // No identifier cache.
  const auto& call = object_.Calls()[0];
  EXPECT_EQ(LOCALE_USER_DEFAULT, call.lookupLocale);
  EXPECT_EQ(0x0409u, call.invokeLocale);
  EXPECT_EQ(DISPATCH_PROPERTYGET, call.flags);
  EXPECT_TRUE(call.wantedException);
}

TEST_F(ExcelObjectCalls, PassesArgumentsLastFirstAndWritesThroughTheNamedArgument) {
  object_.Script(L"Item", CVariant(LONG{0}));
  object_.Script(L"Value", CVariant());
  CVariant ignored;
  ASSERT_TRUE(handle_.GetValue(L"Item", &ignored, {CVariant(LONG{2}), CVariant(LONG{5})}));
  const auto& read = object_.Calls()[0];
  ASSERT_EQ(2u, read.rgvarg.size());
  EXPECT_EQ(5, read.rgvarg[0].Get()->lVal);  // Cells.Item(row 2, column 5) arrives as {5, 2}.
  EXPECT_EQ(2, read.rgvarg[1].Get()->lVal);
  ASSERT_TRUE(handle_.PutText(L"Value", L"x"));
  const auto& write = object_.Calls()[1];
  EXPECT_EQ(DISPATCH_PROPERTYPUT, write.flags);
  ASSERT_EQ(1u, write.named.size());
  EXPECT_EQ(DISPID_PROPERTYPUT, write.named[0]);
  EXPECT_FALSE(write.wantedResult);
  ASSERT_TRUE(handle_.CallMethod(L"Item", &ignored));
  EXPECT_EQ(DISPATCH_METHOD, object_.Calls()[2].flags);
}

TEST_F(ExcelObjectCalls, FailsWithoutCallingOnAnEmptyHandleOrUnknownMember) {
  LONG value = 7;
  EXPECT_FALSE(ExcelObject().GetLong(L"Count", &value));
  EXPECT_FALSE(handle_.GetLong(L"Nothing", &value));
  EXPECT_EQ(7, value);
  EXPECT_TRUE(object_.Calls().empty());
}

TEST_F(ExcelObjectCalls, ConvertsNumbersAndRefusesWhatDoesNotConvert) {
  object_.Script(L"Text", CVariant(L"12.5"));
  object_.Script(L"Word", CVariant(L"abc"));
  object_.Script(L"Broken", CVariant(), DISP_E_EXCEPTION);
  LONG number = -1;
  ASSERT_TRUE(handle_.GetLong(L"Text", &number));
  EXPECT_EQ(12, number);  // Half to even.
  double real = -1;
  ASSERT_TRUE(handle_.GetDouble(L"Text", &real));
  EXPECT_EQ(12.5, real);
  number = -1;
  EXPECT_FALSE(handle_.GetLong(L"Word", &number));
  EXPECT_FALSE(handle_.GetLong(L"Broken", &number));
  EXPECT_EQ(-1, number);
}

struct BooleanCase {
  const char* what;
  CVariant answer;
  HRESULT hr;
  bool getBoolSucceeds;
  bool getBoolValue;  // From a preset of true.
  bool isTrue;
  bool hasAnyFormula;
};

#if TRELVANE_EXCEL_THREAD_CHECK
// In the add-in a workbook's objects live on Excel's thread; a call from the window thread that
// skips the host call must stop the test run rather than reach Excel.
TEST_F(ExcelObjectCalls, ThreadCheckStopsACallFromAnotherThread) {
  object_.Script(L"Count", CVariant(LONG{3}));
  LONG count = 0;
  EXPECT_TRUE(handle_.GetLong(L"Count", &count));
  EXPECT_DEATH(
      {
        std::thread stray([this, &count] { handle_.GetLong(L"Count", &count); });
        stray.join();
      },
      "an Excel object is called off the thread it belongs to");
  // Obtained on another thread, an object belongs to that thread.
  std::thread owner([this] {
    ExcelObject own(&object_);
    LONG seen = 0;
    EXPECT_TRUE(own.GetLong(L"Count", &seen));
    EXPECT_EQ(3, seen);
  });
  owner.join();
}
#endif

TEST(ExcelObjectBooleans, ReadHasFormulaAsEachCallerWants) {
  CVariant null;
  null.Receive()->vt = VT_NULL;
  const BooleanCase cases[] = {
      {"TRUE", CVariant(true), S_OK, true, true, true, true},
      {"FALSE", CVariant(false), S_OK, true, false, false, false},
      {"null of a mixed range", null, S_OK, true, true, false, true},
      {"failed read", CVariant(), E_FAIL, false, true, false, true},
      {"a number", CVariant(LONG{1}), S_OK, true, true, false, true},
  };
  for (const BooleanCase& c : cases) {
    CScriptedDispatch object;
    object.Script(L"HasFormula", c.answer, c.hr);
    const ExcelObject handle(&object);
    bool value = true;
    EXPECT_EQ(c.getBoolSucceeds, handle.GetBool(L"HasFormula", &value)) << c.what;
    EXPECT_EQ(c.getBoolValue, value) << c.what;
    EXPECT_EQ(c.isTrue, handle.IsTrue(L"HasFormula")) << c.what;
    EXPECT_EQ(c.hasAnyFormula, handle.HasAnyFormula()) << c.what;
  }
}

TEST_F(ExcelObjectCalls, ReadsTextByTheValueRules) {
  CVariant null;
  null.Receive()->vt = VT_NULL;
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {1, 1}};
  VARIANT array;
  VariantInit(&array);
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
  object_.Script(L"Error", CVariant::Error(static_cast<SCODE>(0x800A07D7u)));
  object_.Script(L"Null", null);
  object_.Script(L"Block", CVariant::Adopt(&array));
  object_.Script(L"Number", CVariant(2.5));
  object_.Script(L"Object", CVariant(static_cast<IDispatch*>(&object_)));
  std::wstring text = L"preset";
  ASSERT_TRUE(handle_.GetText(L"Error", &text));
  EXPECT_EQ(L"#ERROR!", text);
  ASSERT_TRUE(handle_.GetText(L"Null", &text));
  EXPECT_EQ(L"", text);
  text = L"preset";
  ASSERT_TRUE(handle_.GetText(L"Block", &text));
  EXPECT_EQ(L"", text);
  ASSERT_TRUE(handle_.GetText(L"Number", &text));
  EXPECT_EQ(L"2.5", text);
}

TEST_F(ExcelObjectCalls, TakesObjectsOnlyWhenThereIsOne) {
  CScriptedDispatch& other = other_;
  VARIANT nothing;
  VariantInit(&nothing);
  nothing.vt = VT_DISPATCH;
  object_.Script(L"Range", CVariant(static_cast<IDispatch*>(&other)));
  object_.Script(L"Nothing", CVariant::Adopt(&nothing));
  object_.Script(L"Number", CVariant(LONG{1}));
  const ULONG held = other.References();  // The script itself holds one.
  ExcelObject target;
  EXPECT_FALSE(handle_.GetObject(L"Nothing", &target));
  EXPECT_FALSE(handle_.GetObject(L"Number", &target));
  EXPECT_TRUE(target.IsEmpty());
  ASSERT_TRUE(handle_.GetObject(L"Range", &target));
  EXPECT_EQ(&other, target.Get());
  ASSERT_TRUE(handle_.GetObject(L"Range", &target));  // The same object again.
  EXPECT_EQ(held + 1, other.References());
  target.Reset();
  EXPECT_EQ(held, other.References());
}

// A scripted application whose settings are variables, recording the writes.
class GuardedApplication : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* member : {L"ScreenUpdating", L"Calculation", L"EnableEvents"}) {
      app_.Script(member, [this, member](const CScriptedDispatch::Call& call, CVariant* result) {
        CVariant& setting = settings_[member];
        if (call.flags == DISPATCH_PROPERTYPUT) {
          setting = call.rgvarg[0];
          writes_.push_back(member);
        } else {
          *result = setting;
        }
        return S_OK;
      });
    }
    settings_[L"ScreenUpdating"] = CVariant(true);
    settings_[L"Calculation"] = CVariant(LONG{-4105});
    settings_[L"EnableEvents"] = CVariant(true);
  }
  CScriptedDispatch app_;
  ExcelObject handle_{&app_};
  std::map<std::wstring, CVariant> settings_;
  std::vector<std::wstring> writes_;
};

TEST_F(GuardedApplication, RestoreWhatTheyChanged) {
  {
    EventsGuard events(handle_);
    ScreenUpdatingGuard screen(handle_);
    CalculationGuard calculation(handle_);
    EXPECT_EQ(VARIANT_FALSE, settings_[L"ScreenUpdating"].Get()->boolVal);
    EXPECT_EQ(kCalculationManual, settings_[L"Calculation"].Get()->lVal);
    EXPECT_EQ(VARIANT_FALSE, settings_[L"EnableEvents"].Get()->boolVal);
  }
  EXPECT_EQ(VARIANT_TRUE, settings_[L"ScreenUpdating"].Get()->boolVal);
  EXPECT_EQ(-4105, settings_[L"Calculation"].Get()->lVal);
  EXPECT_EQ(VARIANT_TRUE, settings_[L"EnableEvents"].Get()->boolVal);
  EXPECT_EQ(6u, writes_.size());
}

TEST_F(GuardedApplication, LeaveAloneWhatWasAlreadyOff) {
  settings_[L"ScreenUpdating"] = CVariant(false);
  settings_[L"Calculation"] = CVariant(LONG{kCalculationManual});
  {
    ScreenUpdatingGuard screen(handle_);
    CalculationGuard calculation(handle_);
    RecalcPauseGuard pause(handle_);
  }
  EXPECT_TRUE(writes_.empty());
}

TEST_F(GuardedApplication, PauseRecalculationAndRestoreTheSavedMode) {
  settings_[L"Calculation"] = CVariant(LONG{2});  // Semiautomatic.
  {
    RecalcPauseGuard pause(handle_);
    EXPECT_EQ(kCalculationManual, settings_[L"Calculation"].Get()->lVal);
  }
  EXPECT_EQ(2, settings_[L"Calculation"].Get()->lVal);
  EXPECT_EQ(VARIANT_TRUE, settings_[L"ScreenUpdating"].Get()->boolVal);
}

TEST(ScreenUpdatingGuardOdd, SwitchesOffWhenTheSettingCannotBeRead) {
  CScriptedDispatch app;
  std::vector<bool> written;
  app.Script(L"ScreenUpdating", [&](const CScriptedDispatch::Call& call, CVariant*) {
    if (call.flags == DISPATCH_PROPERTYGET) return E_FAIL;
    written.push_back(call.rgvarg[0].Get()->boolVal != VARIANT_FALSE);
    return S_OK;
  });
  { ScreenUpdatingGuard guard{ExcelObject(&app)}; }
  EXPECT_EQ((std::vector<bool>{false, true}), written);
}

}  // namespace
