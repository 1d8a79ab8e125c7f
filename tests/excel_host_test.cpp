// The Excel test host itself, before any add-in is loaded: the windows the add-in looks for, the
// Application's own members and the forwarding of the others to the embedded spreadsheet, the
// AppEvents connection point (arguments last first, as Excel raises them), the COMAddIns entry
// an add-in publishes its object through, and the ribbon objects.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <optional>
#include <string>
#include <vector>

#include "addin/win32/office_interfaces.h"
#include "platform/bstr.h"
#include "tests/excel_host/excel_host.h"
#include "tests/support/spreadsheet_session.h"
#include "tests/support/test_owned_dispatch.h"

namespace {

using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

// An event sink that records each event with its arguments as passed (last first), and can
// answer WorkbookBeforeClose with Cancel.
class CRecordingEventSink final : public test_support::CTestOwnedDispatch {
 public:
  struct Event {
    DISPID id = 0;
    std::vector<CVariant> rgvarg;
  };

  explicit CRecordingEventSink(bool answersEventInterface = true)
      : answersEventInterface_(answersEventInterface) {}
  virtual ~CRecordingEventSink() = default;

  std::vector<Event> events;
  bool cancelClose = false;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    Event event{id, {}};
    for (UINT i = 0; i < params->cArgs; ++i) event.rgvarg.emplace_back(params->rgvarg[i]);
    if (id == kAppEventWorkbookBeforeClose && cancelClose && params->cArgs == 2 &&
        params->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) {
      *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    }
    events.push_back(event);
    return S_OK;
  }

 private:
  bool AlsoAnswers(REFIID iid) const override {
    return answersEventInterface_ && IsEqualIID(iid, DIID_AppEvents);
  }

  bool answersEventInterface_;
};

CComPtr<IConnectionPoint> AppEventsPoint(IDispatch* application) {
  CComPtr<IConnectionPointContainer> container;
  CComPtr<IConnectionPoint> point;
  if (SUCCEEDED(CComPtr<IDispatch>(application)
                    .QueryInterface(IID_IConnectionPointContainer, &container))) {
    container->FindConnectionPoint(DIID_AppEvents, point.Receive());
  }
  return point;
}

std::optional<std::wstring> SheetNameOf(const CVariant& value) {
  if (value.Kind() != VT_DISPATCH) return std::nullopt;
  const test_support::DispatchAnswer name = Get(value.Get()->pdispVal, L"Name");
  if (!name.Succeeded()) return std::nullopt;
  return name.Text();
}

class ExcelHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.IsValid()); }

  CExcelHost host;
};

TEST_F(ExcelHostTest, MainWindowIsAnXlmainFrameWithAnExcel7ChildOnThisThread) {
  const CExcelMainWindow& window = host.MainWindow();
  wchar_t name[64] = {};
  ::GetClassNameW(window.Frame(), name, 64);
  EXPECT_STREQ(L"XLMAIN", name);
  ::GetClassNameW(window.Sheet(), name, 64);
  EXPECT_STREQ(L"EXCEL7", name);
  EXPECT_EQ(window.Frame(), ::GetParent(window.Sheet()));
  EXPECT_EQ(::GetCurrentThreadId(), ::GetWindowThreadProcessId(window.Frame(), nullptr));
}

TEST_F(ExcelHostTest, HwndIsTheMainWindow) {
  const test_support::DispatchAnswer hwnd = Get(host.ApplicationDispatch(), L"hwnd");
  ASSERT_TRUE(hwnd.Succeeded());
  ASSERT_EQ(VT_I4, hwnd.value.Kind());
  EXPECT_EQ(host.MainWindow().Frame(),
            reinterpret_cast<HWND>(static_cast<std::intptr_t>(hwnd.Long())));
}

TEST_F(ExcelHostTest, VersionIsWhatTheTestChose) {
  struct Case {
    std::optional<std::wstring> version;
  };
  for (const Case& c : {Case{L"16.0"}, Case{L"11.0"}, Case{std::nullopt}}) {
    host.Application().SetVersion(c.version);
    const test_support::DispatchAnswer version = Get(host.ApplicationDispatch(), L"Version");
    if (c.version) {
      EXPECT_EQ(*c.version, version.Text());
    } else {
      EXPECT_EQ(DISP_E_EXCEPTION, version.hr);
    }
  }
}

TEST_F(ExcelHostTest, LanguageSettingsComeFromTheSpreadsheetUnlessMadeToFail) {
  const CComPtr<IDispatch> languages = GetObjectOf(host.ApplicationDispatch(), L"LanguageSettings");
  ASSERT_TRUE(languages);
  EXPECT_EQ(1033, Get(languages.Get(), L"LanguageID", {Arg(2)}).Long());
  host.Application().SetLanguageSettingsReadable(false);
  EXPECT_FALSE(Get(host.ApplicationDispatch(), L"LanguageSettings").Succeeded());
}

TEST_F(ExcelHostTest, OtherMembersReachTheSpreadsheetWithIdsApartFromTheHosts) {
  host.OpenWorkbook(L"Sales.xlsx");
  ASSERT_TRUE(host.WriteCell(1, L"A1", L"2"));
  ASSERT_TRUE(host.WriteCell(1, L"B1", L"=A1*21"));

  IDispatch* application = host.ApplicationDispatch();
  EXPECT_EQ(1, Get(GetObjectOf(application, L"Workbooks").Get(), L"Count").Long());
  EXPECT_EQ(L"Sales.xlsx", Get(GetObjectOf(application, L"activeworkbook").Get(), L"Name").Text());
  EXPECT_EQ(42.0, Get(host.Range(1, L"B1").Get(), L"Value").Double());
  EXPECT_EQ(DISP_E_UNKNOWNNAME, Get(application, L"NoSuchMember").hr);

  const auto idOf = [application](const wchar_t* member) {
    std::wstring name(member);
    LPOLESTR names[1] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
  };
  for (const wchar_t* own : {L"Hwnd", L"Version", L"LanguageSettings", L"COMAddIns"}) {
    EXPECT_GE(idOf(own), kHostMemberIdBase) << own;
  }
  for (const wchar_t* forwarded : {L"Workbooks", L"ActiveWorkbook", L"Selection", L"Calculate"}) {
    const DISPID id = idOf(forwarded);
    EXPECT_NE(DISPID_UNKNOWN, id) << forwarded;
    EXPECT_LT(id, kHostMemberIdBase) << forwarded;
  }
}

TEST_F(ExcelHostTest, ComAddInsEntryKeepsThePublishedObject) {
  IDispatch* application = host.ApplicationDispatch();
  const CComPtr<IDispatch> addIns = GetObjectOf(application, L"COMAddIns");
  EXPECT_EQ(1, Get(addIns.Get(), L"Count").Long());
  EXPECT_EQ(DISP_E_BADINDEX, Get(addIns.Get(), L"Item", {Arg(L"Other.Connect")}).hr);
  EXPECT_EQ(DISP_E_BADINDEX, Get(addIns.Get(), L"Item", {Arg(2)}).hr);

  const CComPtr<IDispatch> byName = GetObjectOf(addIns.Get(), L"Item", {Arg(L"nuv.connect")});
  ASSERT_TRUE(byName);
  EXPECT_EQ(L"NUV.Connect", Get(byName.Get(), L"ProgId").Text());
  // Nothing until the add-in publishes its object.
  const test_support::DispatchAnswer before = Get(byName.Get(), L"Object");
  EXPECT_EQ(VT_DISPATCH, before.value.Kind());
  EXPECT_FALSE(before.Object());

  test_support::CSpreadsheetSession other;
  ASSERT_TRUE(Put(byName.Get(), L"Object", CVariant(other.application.Get())).Succeeded());
  const CComPtr<IDispatch> byPosition = GetObjectOf(addIns.Get(), L"Item", {Arg(1)});
  EXPECT_EQ(other.application, GetObjectOf(byPosition.Get(), L"Object"));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Put(byName.Get(), L"Object", Arg(7)).hr);

  host.AddInEntry().DropPublishedObject();
  EXPECT_FALSE(GetObjectOf(byPosition.Get(), L"Object"));
}

TEST_F(ExcelHostTest, EventsReachAdvisedSinksLastArgumentFirst) {
  const CComPtr<IConnectionPoint> point = AppEventsPoint(host.ApplicationDispatch());
  ASSERT_TRUE(point);
  IID iid{};
  ASSERT_EQ(S_OK, point->GetConnectionInterface(&iid));
  EXPECT_TRUE(IsEqualIID(DIID_AppEvents, iid));

  CRecordingEventSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  EXPECT_EQ(1u, host.Application().AdvisedSinkCount());

  host.OpenWorkbook(L"Book1.xlsx");
  ASSERT_TRUE(host.ChangeCell(1, L"B2", L"=1/0"));
  host.Recalculate();
  EXPECT_TRUE(host.CloseWorkbook(L"Book1.xlsx"));

  ASSERT_EQ(4u, sink.events.size());
  EXPECT_EQ(kAppEventWorkbookOpen, sink.events[0].id);
  ASSERT_EQ(1u, sink.events[0].rgvarg.size());
  EXPECT_EQ(L"Book1.xlsx", Get(sink.events[0].rgvarg[0].Get()->pdispVal, L"Name").Text());

  const CRecordingEventSink::Event& change = sink.events[1];
  EXPECT_EQ(kAppEventSheetChange, change.id);
  ASSERT_EQ(2u, change.rgvarg.size());
  // rgvarg[0] is the last argument, the target; rgvarg[1] the sheet.
  const std::optional<test_support::RangeSeen> target =
      test_support::SeeRange(change.rgvarg[0].Get()->pdispVal);
  ASSERT_TRUE(target);
  EXPECT_EQ((test_support::RangeSeen{L"Sheet1", {{2, 2}, {2, 2}}}), *target);
  EXPECT_EQ(L"Sheet1", SheetNameOf(change.rgvarg[1]));

  EXPECT_EQ(kAppEventSheetCalculate, sink.events[2].id);
  ASSERT_EQ(1u, sink.events[2].rgvarg.size());
  EXPECT_EQ(L"Sheet1", SheetNameOf(sink.events[2].rgvarg[0]));

  const CRecordingEventSink::Event& close = sink.events[3];
  EXPECT_EQ(kAppEventWorkbookBeforeClose, close.id);
  ASSERT_EQ(2u, close.rgvarg.size());
  EXPECT_EQ(VT_BYREF | VT_BOOL, close.rgvarg[0].Kind());
  EXPECT_EQ(VT_DISPATCH, close.rgvarg[1].Kind());
  EXPECT_TRUE(host.Spreadsheet().Workbooks().empty());

  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
  host.OpenWorkbook(L"Book2.xlsx");
  EXPECT_EQ(4u, sink.events.size());
}

TEST_F(ExcelHostTest, ACancellingSinkKeepsTheWorkbookOpen) {
  const CComPtr<IConnectionPoint> point = AppEventsPoint(host.ApplicationDispatch());
  ASSERT_TRUE(point);
  // Answering IDispatch alone is enough to be advised, as Excel's own sinks often do.
  CRecordingEventSink sink(false);
  sink.cancelClose = true;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  host.OpenWorkbook(L"Keep.xlsx");
  EXPECT_FALSE(host.CloseWorkbook(L"Keep.xlsx"));
  EXPECT_EQ(1u, host.Spreadsheet().Workbooks().size());
  point->Unadvise(cookie);
}

TEST_F(ExcelHostTest, NoEventsWhileEventsAreDisabled) {
  const CComPtr<IConnectionPoint> point = AppEventsPoint(host.ApplicationDispatch());
  ASSERT_TRUE(point);
  CRecordingEventSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  host.OpenWorkbook(L"Book1.xlsx");
  ASSERT_TRUE(Put(host.ApplicationDispatch(), L"EnableEvents", Arg(false)).Succeeded());
  host.ChangeCell(1, L"A1", L"5");
  host.Recalculate();
  EXPECT_EQ(1u, sink.events.size());  // WorkbookOpen only.
  point->Unadvise(cookie);
}

TEST_F(ExcelHostTest, RibbonCountsInvalidationsBySlotAndByName) {
  CHostRibbonUi& ribbon = host.Ribbon();
  ribbon.Invalidate();
  EXPECT_TRUE(test_support::Call(&ribbon, L"invalidate").Succeeded());
  EXPECT_TRUE(test_support::Call(&ribbon, L"InvalidateControl", {Arg(L"nuvMru0")}).Succeeded());
  EXPECT_EQ(2, ribbon.Invalidations());
  EXPECT_EQ(1, ribbon.ControlInvalidations());
}

TEST_F(ExcelHostTest, RibbonControlAnswersIdAndTagBySlotAndByName) {
  const CComPtr<CHostRibbonControl> control = CHostRibbonControl::Create(L"nuvAbout", L"about");
  EXPECT_EQ(L"nuvAbout", Get(control.Get(), L"ID").Text());
  EXPECT_EQ(L"about", Get(control.Get(), L"Tag").Text());
  CBstr id;
  ASSERT_EQ(S_OK, control->get_Id(id.Receive()));
  EXPECT_EQ(L"nuvAbout", id.ToWString());

  const CComPtr<CHostRibbonControl> stale = CHostRibbonControl::Create(L"nuvAbout", L"", false);
  EXPECT_FALSE(Get(stale.Get(), L"Id").Succeeded());
  EXPECT_EQ(E_FAIL, stale->get_Id(id.Receive()));
}

}  // namespace
