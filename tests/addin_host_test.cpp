// The add-in loaded by the Excel test host as Excel loads it: the connection at Excel 16 and 11
// and with an unreadable version, with a null Application and without OnStartupComplete; the
// customUI document, read by an XML parser of its own (MSXML) and compared with the ribbon's
// tables; every callback for every control of it; the scripts' Trace through COMAddIns by name;
// and entry points called with what they do not expect, which answer HRESULTs and never let a
// C++ exception out.
#include <gtest/gtest.h>

#include <olectl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/ribbon_ui.h"
#include "platform/com_ptr.h"
#include "tests/addin_host_fixture.h"
#include "tests/support/scripted_dispatch.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using addin_host::AddInHostTest;
using addin_host::StoredRecentItem;
using test_support::Arg;
using test_support::DispatchAnswer;
using test_support::Get;
using test_support::GetObjectOf;

constexpr wchar_t kCustomUiNamespace[] = L"http://schemas.microsoft.com/office/2009/07/customui";
// The host window the add-in makes as a child of Excel's main window.
constexpr int kHostWindowId = 1246;
// An XML document of the ribbon's size nests a few levels; the walk is a work list anyway.
constexpr std::size_t kMaxCustomUiNodes = 10000;

struct XmlNode {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;

  std::optional<std::wstring> Attribute(std::wstring_view wanted) const {
    for (const auto& [attribute, value] : attributes) {
      if (attribute == wanted) return value;
    }
    return std::nullopt;
  }
};

struct ParsedDocument {
  std::wstring rootNamespace;
  std::vector<XmlNode> elements;  // In document order, the root first.
};

// The document as MSXML reads it, through IDispatch by name; nothing when MSXML is missing or
// the text is not well-formed XML.
std::optional<ParsedDocument> ParseWithMsxml(const std::wstring& text) {
  CComPtr<IDispatch> document;
  for (const wchar_t* progId : {L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.3.0"}) {
    CLSID classId{};
    if (SUCCEEDED(CLSIDFromProgID(progId, &classId)) &&
        SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(document.Receive())))) {
      break;
    }
  }
  if (!document) return std::nullopt;
  test_support::Put(document.Get(), L"async", Arg(false));
  if (test_support::Call(document.Get(), L"loadXML", {CVariant(text)}).Bool() != 1) {
    return std::nullopt;
  }
  const CComPtr<IDispatch> root = GetObjectOf(document.Get(), L"documentElement");
  if (!root) return std::nullopt;
  ParsedDocument parsed;
  parsed.rootNamespace = Get(root.Get(), L"namespaceURI").Text();
  std::vector<CComPtr<IDispatch>> pending{root};
  while (!pending.empty() && parsed.elements.size() < kMaxCustomUiNodes) {
    const CComPtr<IDispatch> node = pending.back();
    pending.pop_back();
    if (Get(node.Get(), L"nodeType").Long() != NODE_ELEMENT) continue;
    XmlNode element{Get(node.Get(), L"nodeName").Text(), {}};
    const CComPtr<IDispatch> attributes = GetObjectOf(node.Get(), L"attributes");
    const LONG attributeCount = Get(attributes.Get(), L"length").Long();
    for (LONG i = 0; i < attributeCount; ++i) {
      const CComPtr<IDispatch> attribute =
          GetObjectOf(attributes.Get(), L"item", {Arg(static_cast<int>(i))});
      element.attributes.emplace_back(Get(attribute.Get(), L"name").Text(),
                                      Get(attribute.Get(), L"value").Text());
    }
    parsed.elements.push_back(std::move(element));
    const CComPtr<IDispatch> children = GetObjectOf(node.Get(), L"childNodes");
    const LONG childCount = Get(children.Get(), L"length").Long();
    for (LONG i = childCount - 1; i >= 0; --i) {
      pending.push_back(GetObjectOf(children.Get(), L"item", {Arg(static_cast<int>(i))}));
    }
  }
  return parsed;
}

bool IsCallbackAttribute(std::wstring_view name) {
  return name.starts_with(L"on") || name.starts_with(L"get") || name == L"loadImage";
}

// The child windows of a window, at any depth, with a control id.
HWND FindChildWithId(HWND parent, int id) {
  struct Search {
    int id;
    HWND found = nullptr;
  } search{id};
  ::EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) CALLBACK -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(data);
        if (::GetDlgCtrlID(window) != wanted->id) return TRUE;
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SameObject(IUnknown* a, IUnknown* b) {
  CComPtr<IUnknown> identityA;
  CComPtr<IUnknown> identityB;
  return SUCCEEDED(CComPtr<IUnknown>(a).QueryInterface(IID_IUnknown, &identityA)) &&
         SUCCEEDED(CComPtr<IUnknown>(b).QueryInterface(IID_IUnknown, &identityB)) &&
         identityA == identityB;
}

// ----- Connection

TEST_F(AddInHostTest, ConnectionAttachesPublishesAndStartsWhateverTheVersion) {
  const std::optional<std::wstring> versions[] = {L"16.0", L"12.0", L"11.0", std::nullopt};
  for (const std::optional<std::wstring>& version : versions) {
    SCOPED_TRACE(version.value_or(L"(unreadable)"));
    CExcelHost excel;
    excel.OpenWorkbook();
    excel.Application().SetVersion(version);
    ASSERT_EQ(S_OK, excel.StartAddIn());

    // Attach made the host window a child of Excel's main window, and published the add-in.
    EXPECT_NE(nullptr, FindChildWithId(excel.MainWindow().Frame(), kHostWindowId));
    const CVariant& published = excel.AddInEntry().PublishedObject();
    ASSERT_EQ(VT_DISPATCH, published.Kind());
    EXPECT_TRUE(SameObject(published.Get()->pdispVal, excel.AddIn().Object()));
    // Started: the application events are advised whatever the version.
    EXPECT_EQ(1u, excel.Application().AdvisedSinkCount());
    // The document does not depend on the version.
    std::wstring document;
    EXPECT_EQ(S_OK, excel.AddIn().GetCustomUi(kExcelWorkbookRibbonId, &document));
    EXPECT_EQ(BuildCustomUi(), document);

    excel.UnloadAddIn();
    EXPECT_EQ(0u, excel.Application().AdvisedSinkCount());
  }
}

TEST_F(AddInHostTest, ConnectionWithoutLanguageSettingsStillConnects) {
  host.OpenWorkbook();
  host.Application().SetLanguageSettingsReadable(false);
  ASSERT_EQ(S_OK, host.StartAddIn());
  EXPECT_TRUE(host.Application().WasAskedFor(L"LanguageSettings"));
  EXPECT_EQ(1u, host.Application().AdvisedSinkCount());
}

TEST_F(AddInHostTest, ConnectionWithANullApplicationLeavesTheAddInWithoutAManager) {
  ASSERT_EQ(S_OK, host.AddIn().Create(kAddInProgIdText));
  EXPECT_EQ(S_OK, host.AddIn().OnConnection(nullptr, &host.AddInEntry()));
  EXPECT_EQ(VT_EMPTY, host.AddInEntry().PublishedObject().Kind());
  std::wstring document = L"not asked";
  EXPECT_EQ(S_OK, host.AddIn().GetCustomUi(kExcelWorkbookRibbonId, &document));
  EXPECT_EQ(L"", document);
  EXPECT_EQ(S_OK, host.AddIn().OnStartupComplete());
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  EXPECT_EQ(S_OK, host.AddIn().OnBeginShutdown());
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, WithoutStartupCompleteTheRibbonWorksButNothingIsLoadedOrAdvised) {
  ASSERT_TRUE(addin_host::StoreRecentItems(
      {{1, L"[Old.xlsx]Sheet1!A1  - Precedents", L"C:\\Old.xlsx", L"Sheet1!A1"}}));
  host.OpenWorkbook(L"Book1.xlsx");
  ASSERT_TRUE(host.WriteCell(1, L"B2", L"=A1"));
  ASSERT_TRUE(host.Select(1, L"B2"));
  ASSERT_EQ(S_OK, host.StartAddIn(false));

  EXPECT_EQ(0u, host.Application().AdvisedSinkCount());
  EXPECT_EQ(0, host.RibbonCallback(L"GetButtonVisible", L"nuvMru0").Bool());
  EXPECT_EQ(L"Show precedents", host.RibbonCallback(L"GetScreentip", L"nuvShowPrecedents").Text());
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  const std::vector<std::wstring> lines = addin_host::WaitForHostedTitles(1);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(L"Sheet1!B2 - precedents", lines[0]);

  // Its shutdown saves the list it has: the item just recorded, not the stored one.
  host.UnloadAddIn();
  EXPECT_EQ(DWORD{1}, ReadRegistryValue(HKEY_CURRENT_USER, addin_host::kRecentItemsKey, L"Count")
                          .value_or(RegistryValue{})
                          .Dword());
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!B2  - Precedents",
            ReadRegistryValue(HKEY_CURRENT_USER,
                              std::wstring(addin_host::kRecentItemsKey) + L"\\Item0", L"Caption")
                .value_or(RegistryValue{})
                .Text());
}

// ----- The customUI document and the callbacks

TEST_F(AddInHostTest, CustomUiIsWellFormedAndNamesOnlyCallbacksTheAddInAnswers) {
  StartWithBook();
  for (const wchar_t* ribbonId : {kExcelWorkbookRibbonId, L"Microsoft.Excel.Chart"}) {
    std::wstring document;
    ASSERT_EQ(S_OK, host.AddIn().GetCustomUi(ribbonId, &document));
    EXPECT_EQ(BuildCustomUi(), document) << ribbonId;
  }
  std::wstring document;
  host.AddIn().GetCustomUi(kExcelWorkbookRibbonId, &document);
  const std::optional<ParsedDocument> parsed = ParseWithMsxml(document);
  ASSERT_TRUE(parsed) << "MSXML does not read the document";
  ASSERT_FALSE(parsed->elements.empty());
  EXPECT_EQ(L"customUI", parsed->elements.front().name);
  EXPECT_EQ(kCustomUiNamespace, parsed->rootNamespace);
  EXPECT_EQ(L"LoadImage", parsed->elements.front().Attribute(L"loadImage"));
  EXPECT_EQ(L"OnLoadCustomUI", parsed->elements.front().Attribute(L"onLoad"));

  int callbacks = 0;
  for (const XmlNode& element : parsed->elements) {
    for (const auto& [name, value] : element.attributes) {
      if (!IsCallbackAttribute(name)) continue;
      ++callbacks;
      std::wstring member = value;
      LPOLESTR names[1] = {member.data()};
      DISPID id = DISPID_UNKNOWN;
      EXPECT_EQ(S_OK, host.AddIn().Dispatch()->GetIDsOfNames(IID_NULL, names, 1,
                                                             LOCALE_USER_DEFAULT, &id))
          << element.name << " " << name << "=" << value;
    }
  }
  EXPECT_GT(callbacks, 0);
}

TEST_F(AddInHostTest, EveryCallbackAnswersEveryControlAsTheRibbonTablesSay) {
  const std::vector<StoredRecentItem> stored = {
      {1, L"[Book1.xlsx]Sheet1!B2  - Precedents", L"C:\\Book1.xlsx", L"Sheet1!B2"},
      {0, L"[Book1.xlsx]Sheet1!A1  - Dependents", L"C:\\Book1.xlsx", L"Sheet1!A1"}};
  ASSERT_TRUE(addin_host::StoreRecentItems(stored));
  StartWithBook();
  const std::vector<std::wstring> captions = {stored[0].caption, stored[1].caption};

  std::wstring document;
  host.AddIn().GetCustomUi(kExcelWorkbookRibbonId, &document);
  const std::optional<ParsedDocument> parsed = ParseWithMsxml(document);
  ASSERT_TRUE(parsed);
  int controls = 0;
  for (const XmlNode& element : parsed->elements) {
    const std::optional<std::wstring> id = element.Attribute(L"id");
    if (!id) continue;
    ++controls;
    SCOPED_TRACE(*id);
    EXPECT_EQ(std::wstring(ScreentipOf(*id)), host.RibbonCallback(L"GetScreentip", *id).Text());
    EXPECT_EQ(std::wstring(SupertipOf(*id)), host.RibbonCallback(L"GetSupertip", *id).Text());
    EXPECT_EQ(L"", host.RibbonCallback(L"GetDescription", *id).Text());
    EXPECT_EQ(L"", host.RibbonCallback(L"GetKeytip", *id).Text());
    EXPECT_EQ(RecentItemButtonVisible(*id, captions.size()) ? 1 : 0,
              host.RibbonCallback(L"GetButtonVisible", *id).Bool());
    EXPECT_EQ(RecentItemButtonLabel(*id, captions),
              host.RibbonCallback(L"GetButtonLabel", *id).Text());
  }
  EXPECT_GT(controls, 40);
}

TEST_F(AddInHostTest, LoadImageAnswersAnIconPictureForEveryOwnImage) {
  StartWithBook();
  std::optional<LONG> smallWidth;
  std::optional<LONG> largeWidth;
  for (const OwnImage& image : kOwnImages) {
    SCOPED_TRACE(std::wstring(image.imageId));
    const DispatchAnswer picture = host.AddIn().CallByName(L"LoadImage", {CVariant(image.imageId)});
    ASSERT_TRUE(picture.Object()) << std::hex << picture.hr;
    CVariant type;
    ASSERT_EQ(S_OK, Get(picture.Object().Get(), L"Type").value.ChangeType(VT_I4, &type));
    EXPECT_EQ(PICTYPE_ICON, type.Get()->lVal);
    CVariant width;
    ASSERT_EQ(S_OK, Get(picture.Object().Get(), L"Width").value.ChangeType(VT_I4, &width));
    (IsLargeImage(image.imageId) ? largeWidth : smallWidth) = width.Get()->lVal;
  }
  ASSERT_TRUE(smallWidth && largeWidth);
  EXPECT_GT(*largeWidth, *smallWidth);
  EXPECT_FALSE(host.AddIn().CallByName(L"LoadImage", {Arg(L"nuvNoSuchImage")}).Object());
}

TEST_F(AddInHostTest, OnLoadCustomUiKeepsTheRibbonThatRecentItemsInvalidate) {
  StartWithBook();
  const int before = host.Ribbon().Invalidations();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  ASSERT_EQ(1u, addin_host::WaitForHostedTitles(1).size());
  EXPECT_EQ(before + 1, host.Ribbon().Invalidations());
  EXPECT_EQ(L"[Book1.xlsx]Sheet1!B2  - Precedents",
            host.RibbonCallback(L"GetButtonLabel", L"nuvMru0").Text());
  EXPECT_EQ(1, host.RibbonCallback(L"GetButtonVisible", L"nuvMru0").Bool());
  EXPECT_EQ(0, host.RibbonCallback(L"GetButtonVisible", L"nuvMru1").Bool());
}

// ----- Trace, as a script calls it: Application.COMAddIns.Item("NUV.Connect").Object.Trace

class AddInTraceTest : public AddInHostTest {
 protected:
  CComPtr<IDispatch> ScriptObject() const {
    const CComPtr<IDispatch> addIns = GetObjectOf(host.ApplicationDispatch(), L"COMAddIns");
    const CComPtr<IDispatch> entry = GetObjectOf(addIns.Get(), L"Item", {Arg(L"NUV.Connect")});
    return GetObjectOf(entry.Get(), L"Object");
  }
};

TEST_F(AddInTraceTest, KnownKindsInAnyCaseGiveTraceItems) {
  StartWithBook();
  ASSERT_TRUE(host.WriteCell(1, L"C2", L"=B2*2"));
  const CComPtr<IDispatch> connect = ScriptObject();
  ASSERT_TRUE(connect);
  struct Case {
    const wchar_t* cell;
    const wchar_t* kind;
    LONG count;
    const wchar_t* firstAddress;
  };
  const Case cases[] = {
      {L"B2", L"Precedents", 2, L"$A$1"},
      {L"B2", L"pReCeDeNtS", 2, L"$A$1"},
      {L"B2", L"DEPENDENTS", 1, L"$C$2"},
      {L"C2", L"inputs", 2, L"$A$1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.cell) + L" " + c.kind);
    const DispatchAnswer item =
        test_support::Call(connect.Get(), L"Trace", {Arg(host.Range(1, c.cell)), Arg(c.kind)});
    ASSERT_TRUE(item.Object()) << std::hex << item.hr;
    EXPECT_EQ(1, Get(item.Object().Get(), L"Type").Long());
    EXPECT_EQ(c.count, Get(item.Object().Get(), L"Count").Long());
    const CComPtr<IDispatch> first = GetObjectOf(item.Object().Get(), L"Item", {Arg(1)});
    EXPECT_EQ(c.firstAddress, Get(GetObjectOf(first.Get(), L"Range").Get(), L"Address").Text());
  }
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInTraceTest, UnknownKindsAreReportedWordForWordAndGiveNothing) {
  StartWithBook();
  const CComPtr<IDispatch> connect = ScriptObject();
  ASSERT_TRUE(connect);
  const wchar_t* const kinds[] = {L"Precedents ", L"input", L""};
  for (const wchar_t* kind : kinds) {
    const DispatchAnswer item =
        test_support::Call(connect.Get(), L"Trace", {Arg(host.Range(1, L"B2")), Arg(kind)});
    EXPECT_TRUE(item.Succeeded()) << std::hex << item.hr;
    EXPECT_FALSE(item.Object());
  }
  ASSERT_TRUE(messageBoxes.WaitForCount(3, addin_host::kWindowWait));
  EXPECT_EQ((std::vector<std::wstring>{L"Unknown argument: 'Precedents '",
                                       L"Unknown argument: 'input'", L"Unknown argument: ''"}),
            messageBoxes.Texts());
}

TEST_F(AddInTraceTest, ANullRangeGivesAnItemWithoutCells) {
  StartWithBook();
  const CComPtr<IDispatch> connect = ScriptObject();
  ASSERT_TRUE(connect);
  const DispatchAnswer item = test_support::Call(
      connect.Get(), L"Trace", {CVariant(static_cast<IDispatch*>(nullptr)), Arg(L"precedents")});
  ASSERT_TRUE(item.Object()) << std::hex << item.hr;
  EXPECT_EQ(0, Get(item.Object().Get(), L"Count").Long());
  EXPECT_FALSE(GetObjectOf(item.Object().Get(), L"Range"));
  EXPECT_FALSE(GetObjectOf(item.Object().Get(), L"Item", {Arg(1)}));
}

// ----- Entry points given what they do not expect

// Calls that must come back with an HRESULT, whatever it is; a C++ exception that left the
// add-in would arrive here (or end the process).
template <class Action>
void ExpectReturns(const char* what, Action action) {
  try {
    action();
  } catch (...) {
    ADD_FAILURE() << what << ": a C++ exception left the add-in";
  }
}

TEST_F(AddInHostTest, EntryPointsAnswerOddCallsWithResultCodes) {
  ASSERT_EQ(S_OK, host.AddIn().Create(kAddInProgIdText));
  CLoadedAddIn& addIn = host.AddIn();
  // Out of order: before any connection.
  ExpectReturns("early calls", [&] {
    EXPECT_EQ(S_OK, addIn.OnStartupComplete());
    EXPECT_EQ(S_OK, addIn.OnBeginShutdown());
    EXPECT_EQ(E_POINTER, addIn.RibbonExtensibility()->GetCustomUI(nullptr, nullptr));
  });

  // An Application that answers nothing at all.
  test_support::CScriptedDispatch deaf;
  ExpectReturns("deaf application", [&] {
    EXPECT_EQ(S_OK, addIn.OnConnection(&deaf, &host.AddInEntry()));
    EXPECT_EQ(S_OK, addIn.OnStartupComplete());
    EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
    EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvRCMCopyAddress").hr);
    EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvRefresh").hr);
    PumpMessagesUntilIdle();  // the posted command runs, and finds nothing to open
  });
  EXPECT_TRUE(HostedWindowTitles().empty());

  IDispatch* connect = addIn.Dispatch();
  ASSERT_NE(nullptr, connect);
  const CComPtr<CHostRibbonControl> stale = CHostRibbonControl::Create(L"nuvAbout", L"", false);
  test_support::CSpreadsheetSession other;
  struct OddArguments {
    const char* what;
    std::vector<CVariant> args;
  };
  const OddArguments odd[] = {
      {"none", {}},
      {"a number", {Arg(7)}},
      {"a null object", {CVariant(static_cast<IDispatch*>(nullptr))}},
      {"text", {Arg(L"nuvShowPrecedents")}},
      {"an unreadable control", {Arg(stale.Get())}},
      {"an Application", {Arg(other.application)}},
      {"too many", {Arg(1), Arg(2), Arg(3)}},
  };
  for (const std::wstring_view member :
       {L"ButtonClicked", L"LoadImage", L"GetDescription", L"GetScreentip", L"GetSupertip",
        L"GetKeytip", L"GetButtonVisible", L"GetButtonLabel", L"OnLoadCustomUI", L"Test",
        L"Trace"}) {
    for (const OddArguments& arguments : odd) {
      SCOPED_TRACE(std::string(arguments.what));
      ExpectReturns("IConnect", [&] { test_support::Call(connect, member, arguments.args); });
    }
  }
  ExpectReturns("Trace with a non-range", [&] {
    const DispatchAnswer item =
        test_support::Call(connect, L"Trace", {Arg(other.application), Arg(L"precedents")});
    if (item.Object()) Get(item.Object().Get(), L"Count");
  });
  ExpectReturns("unknown members", [&] {
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Get(connect, L"NoSuchMember").hr);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    CVariant result;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              connect->Invoke(0x7FFF, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                              result.Receive(), nullptr, nullptr));
  });
  ExpectReturns("shutdown", [&] {
    EXPECT_EQ(S_OK, addIn.OnBeginShutdown());
    EXPECT_EQ(S_OK, addIn.OnDisconnection());
    // The add-in holds the deaf Application until its last release, which must come first.
    host.UnloadAddIn();
  });
}

}  // namespace
