// The Excel test host itself, before any add-in is loaded: the windows the add-in looks for, the
// Application's own members and the forwarding of the others to the embedded spreadsheet, the
// AppEvents connection point (arguments last first, as Excel raises them), the COMAddIns entry
// an add-in publishes its object through, the ribbon objects, and the command bars of Excel before
// the ribbon (built-in bars, toolbars added, button faces and clicks).
#include <gtest/gtest.h>

#include <ocidl.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
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
  for (const wchar_t* own :
       {L"Hwnd", L"Version", L"LanguageSettings", L"COMAddIns", L"CommandBars"}) {
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

// ---- Command bars of Excel before the ribbon, called by name as the add-in calls them ----

CVariant IntArg(int number) {  // VT_INT, as the add-in passes a control type
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_INT;
  value.intVal = number;
  return CVariant(value);
}

CVariant MissingArg() {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_ERROR;
  value.scode = DISP_E_PARAMNOTFOUND;
  return CVariant(value);
}

// A packed DIB: header, colour table or bit-field masks, then the rows as given.
std::vector<std::byte> HandMadeDib(LONG width, LONG height, WORD bitCount, DWORD compression,
                                   const std::vector<DWORD>& table,
                                   const std::vector<std::uint8_t>& rows) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = compression;
  std::vector<std::byte> dib(sizeof header + table.size() * sizeof(DWORD) + rows.size());
  std::memcpy(dib.data(), &header, sizeof header);
  if (!table.empty()) {
    std::memcpy(dib.data() + sizeof header, table.data(), table.size() * sizeof(DWORD));
  }
  std::memcpy(dib.data() + sizeof header + table.size() * sizeof(DWORD), rows.data(), rows.size());
  return dib;
}

// Replaces the clipboard's contents, owned by `owner` (a null owner could not set data).
bool ReplaceClipboard(HWND owner,
                      const std::vector<std::pair<UINT, std::vector<std::byte>>>& data) {
  if (!::OpenClipboard(owner)) return false;
  bool all = ::EmptyClipboard() != FALSE;
  for (const auto& [format, bytes] : data) {
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) {
      all = false;
      continue;
    }
    std::memcpy(::GlobalLock(memory), bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    if (::SetClipboardData(format, memory) == nullptr) {
      ::GlobalFree(memory);  // the clipboard did not take it
      all = false;
    }
  }
  ::CloseClipboard();
  return all;
}

// A Click sink that checks Excel's arguments while they are alive.
class CClickSink final : public test_support::CTestOwnedDispatch {
 public:
  struct Click {
    DISPID id = 0;
    UINT count = 0;
    IDispatch* control = nullptr;
    int cancelDefault = -1;  // -1: not a VT_BYREF|VT_BOOL
  };
  std::vector<Click> clicks;
  HRESULT answer = S_OK;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    Click click{id, params->cArgs, nullptr, -1};
    if (params->cArgs == 2) {
      if (params->rgvarg[1].vt == VT_DISPATCH) click.control = params->rgvarg[1].pdispVal;
      if (params->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) {
        click.cancelDefault = *params->rgvarg[0].pboolVal == VARIANT_FALSE ? 0 : 1;
      }
    }
    clicks.push_back(click);
    return answer;
  }

 private:
  bool AlsoAnswers(REFIID iid) const override {
    return IsEqualIID(iid, kCommandBarButtonEventsIid);
  }
};

class ExcelHostCommandBarsTest : public ExcelHostTest {
 protected:
  void SetUp() override {
    ExcelHostTest::SetUp();
    bars = GetObjectOf(host.ApplicationDispatch(), L"CommandBars");
    ASSERT_TRUE(bars);
  }

  CComPtr<IDispatch> Bar(const wchar_t* name) const {
    return GetObjectOf(bars.Get(), L"Item", {Arg(name)});
  }
  CComPtr<IDispatch> AddControl(IDispatch* owner, int type,
                                std::optional<LONG> before = std::nullopt) const {
    const CComPtr<IDispatch> controls = GetObjectOf(owner, L"Controls");
    return test_support::Call(controls.Get(), L"Add",
                              {IntArg(type), MissingArg(), MissingArg(),
                               before ? CVariant(*before) : MissingArg(), Arg(true)})
        .Object();
  }
  CComPtr<IDispatch> NewToolbar(const wchar_t* name) const {
    return test_support::Call(bars.Get(), L"Add",
                              {Arg(name), MissingArg(), MissingArg(), Arg(true)})
        .Object();
  }

  CComPtr<IDispatch> bars;
};

TEST_F(ExcelHostCommandBarsTest, ItemFindsBarsByNameOrPositionAndRefusesOthers) {
  const CComPtr<IDispatch> menuBar = Bar(L"worksheet menu bar");
  ASSERT_TRUE(menuBar);
  EXPECT_EQ(L"Worksheet Menu Bar", Get(menuBar.Get(), L"Name").Text());
  EXPECT_EQ(L"Worksheet Menu Bar",
            Get(GetObjectOf(bars.Get(), L"Item", {Arg(1)}).Get(), L"Name").Text());
  EXPECT_EQ(L"Cell", Get(Bar(L"CELL").Get(), L"Name").Text());
  const LONG count = Get(bars.Get(), L"Count").Long();
  EXPECT_FALSE(Get(bars.Get(), L"Item", {Arg(L"No Such Bar")}).Succeeded());
  EXPECT_FALSE(Get(bars.Get(), L"Item", {Arg(static_cast<int>(count) + 1)}).Succeeded());

  const CComPtr<IDispatch> tools =
      GetObjectOf(GetObjectOf(menuBar.Get(), L"Controls").Get(), L"Item", {Arg(6)});
  EXPECT_EQ(L"&Tools", Get(tools.Get(), L"Caption").Text());
  const CComPtr<IDispatch> items = GetObjectOf(tools.Get(), L"Controls");
  EXPECT_EQ(18, Get(items.Get(), L"Count").Long());
  EXPECT_EQ(L"Formula A&uditing",
            Get(GetObjectOf(items.Get(), L"Item", {Arg(13)}).Get(), L"Caption").Text());
}

TEST_F(ExcelHostCommandBarsTest, NewToolbarStartsHiddenAndLaysOutVisibleButtons) {
  const CComPtr<IDispatch> toolbar = NewToolbar(L"Trelvane");
  ASSERT_TRUE(toolbar);
  EXPECT_FALSE(NewToolbar(L"trelvane")) << "a name already taken";
  EXPECT_EQ(0, Get(toolbar.Get(), L"Visible").Bool());
  EXPECT_EQ(kBarPositionTop, Get(toolbar.Get(), L"Position").Long());
  EXPECT_EQ(2, Get(toolbar.Get(), L"RowIndex").Long());
  RECT frame{};
  ::GetWindowRect(host.MainWindow().Frame(), &frame);
  EXPECT_GT(Get(toolbar.Get(), L"Top").Long(), frame.top);

  ASSERT_TRUE(Put(toolbar.Get(), L"Visible", Arg(true)).Succeeded());
  for (const auto& [member, value] : {std::pair{L"RowIndex", 4}, std::pair{L"Position", 0},
                                      std::pair{L"Left", 40}, std::pair{L"Top", 300}}) {
    ASSERT_TRUE(Put(toolbar.Get(), member, Arg(value)).Succeeded()) << member;
    EXPECT_EQ(value, Get(toolbar.Get(), member).Long()) << member;
  }
  const CComPtr<IDispatch> first = AddControl(toolbar.Get(), 1);
  const CComPtr<IDispatch> second = AddControl(toolbar.Get(), 1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(40 + kToolbarButtonWidth, Get(second.Get(), L"Left").Long());
  EXPECT_EQ(300, Get(second.Get(), L"Top").Long());
  EXPECT_EQ(kToolbarButtonWidth, Get(second.Get(), L"Width").Long());
  EXPECT_EQ(kToolbarButtonHeight, Get(second.Get(), L"Height").Long());
  ASSERT_TRUE(Put(first.Get(), L"Visible", Arg(false)).Succeeded());
  EXPECT_EQ(40, Get(second.Get(), L"Left").Long()) << "invisible buttons take no room";
  EXPECT_FALSE(AddControl(toolbar.Get(), 5)) << "only buttons and submenus";

  // The user drags the toolbar and hides it; the add-in reads that back at shutdown.
  CCommandBar* seen = host.Application().CommandBars().Find(L"Trelvane");
  ASSERT_NE(nullptr, seen);
  seen->PlaceAsUser(kBarPositionFloating, 1, 12, 34);
  seen->SetVisibleAsUser(false);
  EXPECT_EQ(kBarPositionFloating, Get(toolbar.Get(), L"Position").Long());
  EXPECT_EQ(12, Get(toolbar.Get(), L"Left").Long());
  EXPECT_EQ(0, Get(toolbar.Get(), L"Visible").Bool());
  EXPECT_EQ(2u, seen->Controls().Count());
}

TEST_F(ExcelHostCommandBarsTest, ControlsAddInsertsBeforeAPositionOrAppends) {
  const CComPtr<IDispatch> tools = GetObjectOf(
      GetObjectOf(Bar(L"Worksheet Menu Bar").Get(), L"Controls").Get(), L"Item", {Arg(6)});
  const CComPtr<IDispatch> popup = AddControl(tools.Get(), 10, 14);
  ASSERT_TRUE(popup);
  ASSERT_TRUE(Put(popup.Get(), L"Caption", Arg(L"Trelvane")).Succeeded());
  EXPECT_EQ(14, Get(popup.Get(), L"Index").Long());
  EXPECT_EQ(kControlTypePopup, Get(popup.Get(), L"Type").Long());
  const CComPtr<IDispatch> items = GetObjectOf(tools.Get(), L"Controls");
  EXPECT_EQ(L"Formula A&uditing",
            Get(GetObjectOf(items.Get(), L"Item", {Arg(13)}).Get(), L"Caption").Text());
  EXPECT_EQ(14, Get(GetObjectOf(items.Get(), L"Item", {Arg(L"trelvane")}).Get(), L"Index").Long());
  EXPECT_FALSE(AddControl(tools.Get(), 1, 99)) << "a position past the end";

  const CComPtr<IDispatch> appended = AddControl(tools.Get(), 1);
  EXPECT_EQ(20, Get(appended.Get(), L"Index").Long());
  const CComPtr<IDispatch> inner = AddControl(popup.Get(), 1);
  ASSERT_TRUE(inner);
  EXPECT_EQ(1, Get(GetObjectOf(popup.Get(), L"Controls").Get(), L"Count").Long());
  EXPECT_FALSE(Get(inner.Get(), L"Controls").Succeeded()) << "a button has no controls";

  ASSERT_TRUE(test_support::Call(popup.Get(), L"Delete").Succeeded());
  EXPECT_EQ(19, Get(items.Get(), L"Count").Long());
  EXPECT_EQ(19, Get(appended.Get(), L"Index").Long());
}

TEST_F(ExcelHostCommandBarsTest, ResetPutsTheBuiltInControlsBack) {
  CCommandBarsObject& seen = host.Application().CommandBars();
  seen.SetToolsMenuCaptions({L"&Spelling...", L"&Options..."});
  const CComPtr<IDispatch> cell = Bar(L"Cell");
  const CComPtr<IDispatch> added = AddControl(cell.Get(), 10);
  ASSERT_TRUE(added);
  const CComPtr<IDispatch> controls = GetObjectOf(cell.Get(), L"Controls");
  EXPECT_EQ(8, Get(controls.Get(), L"Count").Long());
  ASSERT_TRUE(test_support::Call(cell.Get(), L"Reset").Succeeded());
  EXPECT_EQ(7, Get(controls.Get(), L"Count").Long());
  EXPECT_EQ(0, Get(added.Get(), L"Index").Long());
  EXPECT_EQ(L"Cu&t", Get(GetObjectOf(controls.Get(), L"Item", {Arg(1)}).Get(), L"Caption").Text());
  EXPECT_EQ(1, seen.Find(kCellBarName)->ResetCount());

  AddControl(GetObjectOf(GetObjectOf(Bar(L"Worksheet Menu Bar").Get(), L"Controls").Get(), L"Item",
                         {Arg(6)})
                 .Get(),
             1);
  EXPECT_EQ(3u, seen.ToolsMenu()->Controls()->Count());
  ASSERT_TRUE(test_support::Call(Bar(L"Worksheet Menu Bar").Get(), L"Reset").Succeeded());
  EXPECT_EQ(2u, seen.ToolsMenu()->Controls()->Count());
  EXPECT_NE(nullptr, seen.ToolsMenu()->Controls()->Find(L"Options..."));
}

TEST_F(ExcelHostCommandBarsTest, PasteFaceDecodesTheClipboardsPackedDibs) {
  constexpr DWORD kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
  const std::vector<std::uint32_t> expected = {kRed, kGreen, kBlue, 0, kRed, kGreen};
  std::vector<DWORD> palette(16, 0);
  palette[1] = kRed;
  palette[2] = kGreen;
  palette[3] = kBlue;
  std::vector<std::uint8_t> topDown32;
  for (const std::uint32_t pixel : expected) {
    for (int shift = 0; shift < 32; shift += 8) {
      topDown32.push_back(static_cast<std::uint8_t>(pixel >> shift));
    }
  }
  struct Case {
    const char* layout;
    std::vector<std::byte> face;
  };
  const Case cases[] = {
      // Rows bottom first: [0 1 2] then [1 2 3], four bits a pixel.
      {"4 bpp bottom-up",
       HandMadeDib(3, 2, 4, BI_RGB, palette, {0x01, 0x20, 0, 0, 0x12, 0x30, 0, 0})},
      {"32 bpp bit fields top-down",
       HandMadeDib(3, -2, 32, BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}, topDown32)},
  };
  // Bottom row [0 0 1], top row [1 0 0].
  const std::vector<std::byte> mask =
      HandMadeDib(3, 2, 1, BI_RGB, {0x000000, 0xFFFFFF}, {0x20, 0, 0, 0, 0x80, 0, 0, 0});
  const CComPtr<IDispatch> toolbar = NewToolbar(L"Faces");
  for (const Case& c : cases) {
    const CComPtr<IDispatch> button = AddControl(toolbar.Get(), 1);
    ASSERT_TRUE(ReplaceClipboard(host.MainWindow().Frame(), {{ButtonFaceClipboardFormat(), c.face},
                                                             {ButtonMaskClipboardFormat(), mask}}))
        << c.layout;
    ASSERT_TRUE(test_support::Call(button.Get(), L"PasteFace").Succeeded()) << c.layout;
    const ButtonFace& face = CCommandBarControl::As<CCommandBarControl>(button.Get())->Face();
    EXPECT_EQ(ButtonFaceRoute::PasteFace, face.route) << c.layout;
    EXPECT_EQ(3, face.face.width) << c.layout;
    EXPECT_EQ(expected, face.face.pixels) << c.layout;
    EXPECT_EQ((std::vector<bool>{true, false, false, false, false, true}), face.mask) << c.layout;
  }
  ASSERT_TRUE(ReplaceClipboard(host.MainWindow().Frame(), {}));
  const CComPtr<IDispatch> bare = AddControl(toolbar.Get(), 1);
  EXPECT_FALSE(test_support::Call(bare.Get(), L"PasteFace").Succeeded());
  EXPECT_EQ(ButtonFaceRoute::None,
            CCommandBarControl::As<CCommandBarControl>(bare.Get())->Face().route);
}

TEST_F(ExcelHostCommandBarsTest, PictureAndMaskRoundTripUnlessOfficeLacksThem) {
  const DecodedBitmap picture{2, 2, {0x102030, 0xFFFFFF, 0x00FF00, 0xABCDEF}};
  const DecodedBitmap mask{2, 2, {0xFFFFFF, 0, 0, 0xFFFFFF}};
  const CComPtr<IDispatch> button = AddControl(NewToolbar(L"Pictures").Get(), 1);
  ASSERT_TRUE(Put(button.Get(), L"Picture", Arg(MakeBitmapPicture(picture))).Succeeded());
  ASSERT_TRUE(Put(button.Get(), L"Mask", Arg(MakeBitmapPicture(mask))).Succeeded());
  const ButtonFace& face = CCommandBarControl::As<CCommandBarControl>(button.Get())->Face();
  EXPECT_EQ(ButtonFaceRoute::Picture, face.route);
  EXPECT_EQ(picture.pixels, face.face.pixels);
  EXPECT_EQ((std::vector<bool>{true, false, false, true}), face.mask);
  const std::optional<DecodedBitmap> readBack =
      ReadBitmapPicture(Get(button.Get(), L"Picture").Object().Get());
  ASSERT_TRUE(readBack);
  EXPECT_EQ(picture.pixels, readBack->pixels);
  const std::optional<DecodedBitmap> maskBack =
      ReadBitmapPicture(Get(button.Get(), L"Mask").Object().Get());
  ASSERT_TRUE(maskBack);
  EXPECT_EQ(mask.pixels, maskBack->pixels);

  host.Application().CommandBars().SetPictureSupported(false);
  EXPECT_FALSE(Put(button.Get(), L"Picture", Arg(MakeBitmapPicture(mask))).Succeeded());
  EXPECT_FALSE(Put(button.Get(), L"Mask", Arg(MakeBitmapPicture(mask))).Succeeded());
  EXPECT_EQ(picture.pixels, face.face.pixels);
}

TEST_F(ExcelHostCommandBarsTest, ButtonClicksReachAdvisedSinksUntilUnadvised) {
  const CComPtr<IDispatch> toolbar = NewToolbar(L"Clicks");
  const CComPtr<IDispatch> button = AddControl(toolbar.Get(), 1);
  const CComPtr<IDispatch> popup = AddControl(toolbar.Get(), 10);
  const auto pointOf = [](IDispatch* control, CComPtr<IConnectionPoint>* point) {
    CComPtr<IConnectionPointContainer> container;
    const HRESULT hr =
        CComPtr<IDispatch>(control).QueryInterface(IID_IConnectionPointContainer, &container);
    return FAILED(hr)
               ? hr
               : container->FindConnectionPoint(kCommandBarButtonEventsIid, point->Receive());
  };
  CComPtr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, pointOf(button.Get(), &point));
  CComPtr<IConnectionPoint> none;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, pointOf(popup.Get(), &none));

  CClickSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  CCommandBarControl* seen = CCommandBarControl::As<CCommandBarControl>(button.Get());
  EXPECT_EQ(1u, seen->ClickSinkCount());
  EXPECT_EQ(std::vector<HRESULT>{S_OK}, seen->FireClick());
  ASSERT_EQ(1u, sink.clicks.size());
  EXPECT_EQ(kCommandBarButtonClick, sink.clicks[0].id);
  EXPECT_EQ(2u, sink.clicks[0].count);
  EXPECT_EQ(button.Get(), sink.clicks[0].control);
  EXPECT_EQ(0, sink.clicks[0].cancelDefault);

  sink.answer = DISP_E_MEMBERNOTFOUND;
  EXPECT_EQ(std::vector<HRESULT>{DISP_E_MEMBERNOTFOUND}, seen->FireClick(7));
  EXPECT_EQ(7, sink.clicks.back().id);

  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
  EXPECT_TRUE(seen->FireClick().empty());
  EXPECT_EQ(2u, sink.clicks.size());
}

TEST_F(ExcelHostCommandBarsTest, VersionMajorDecidesWhetherThereIsARibbon) {
  struct Case {
    std::optional<std::wstring> version;
    std::optional<int> major;
  };
  for (const Case& c : {Case{L"11.0", 11}, Case{L"16.0", 16}, Case{L"9", 9},
                        Case{L"x", std::nullopt}, Case{std::nullopt, std::nullopt}}) {
    host.Application().SetVersion(c.version);
    EXPECT_EQ(c.major, host.Application().VersionMajor()) << c.version.value_or(L"(none)");
  }
}

}  // namespace
