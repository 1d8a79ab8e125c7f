// The command handlers against the embedded spreadsheet, with a desktop that records what the
// handlers asked of it.
#include "addin/addin_manager.h"

#include <gtest/gtest.h>

#include <deque>
#include <new>
#include <utility>
#include <vector>

#include "addin/application_events.h"
#include "addin/command_bar_events.h"
#include "addin/trace_item.h"
#include "addin/user_messages.h"
#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/recording_progress.h"
#include "tests/support/scripted_dispatch.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using spreadsheet::CellRect;
using spreadsheet::CellValue;
using test_support::Arg;
using test_support::GetObjectOf;
using test_support::Put;

class CRecordingClipboard : public IClipboard {
 public:
  bool SetAnsiText(const std::string& text) override {
    ansi = text;
    return true;
  }
  bool SetUnicodeText(const std::wstring& text) override {
    unicode = text;
    return true;
  }
  std::string ansi;
  std::wstring unicode;
};

struct RecentItem {
  int32_t command;
  std::wstring address;
};

class CRecordingDesktop : public IAddInDesktop {
 public:
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  void PressEscape() override { ++escapes; }
  void PostToHiddenWindow(uint32_t message, uintptr_t wParam) override {
    posted.emplace_back(message, wParam);
  }
  bool EnsureUiThread() override { return true; }
  void OpenWindow(const WindowRequest& request) override { windows.push_back(request); }
  int32_t ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                              const std::optional<ToolbarButtonPlace>&) override {
    menus.push_back(items);
    return choice;
  }
  IClipboard& Clipboard() override { return clipboard; }
  // The recent items' own tests (recent_items_test.cpp) look at these two.
  void InvalidateRecentItems() override {}
  int32_t ChooseFromRecentItemsMenu(const std::vector<std::wstring>&) override { return 0; }
  void OpenAddress(const std::wstring& address) override { addresses.push_back(address); }
  void ShowAbout() override { ++abouts; }
  void CloseWindowManager() override { ++windowManagerCloses; }
  IOperationProgress& Progress() override { return progress; }
  IExcelThread& ExcelThread() override { return excelThread; }

  std::vector<std::wstring> messages;
  int escapes = 0;
  int windowManagerCloses = 0;
  std::deque<std::pair<uint32_t, uintptr_t>> posted;
  std::vector<WindowRequest> windows;
  std::vector<std::vector<ColorMenuItem>> menus;
  int32_t choice = 0;
  CRecordingClipboard clipboard;
  std::vector<std::wstring> addresses;
  int abouts = 0;
  test_support::CRecordingProgress progress;
  CCallerIsExcelThread excelThread;
};

class AddInManager : public testing::Test {
 protected:
  AddInManager() : manager_(ExcelObject(session_.application.Get()), desktop_) {}

  spreadsheet::CWorksheet& Sheet() { return session_.book->Sheet(1); }
  void Select(CellRect range) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    session_.app->Select({session_.book, 1, range});
  }
  // Runs the command as the ribbon does, then the posted messages as the hidden window does.
  void Run(CommandId command) {
    manager_.ExecuteCommand(static_cast<int32_t>(command));
    while (!desktop_.posted.empty()) {
      const auto [message, wParam] = desktop_.posted.front();
      desktop_.posted.pop_front();
      ASSERT_TRUE(manager_.OnPostedMessage(message, wParam));
    }
  }

  // The manager's recent items in the order they were recorded.
  std::vector<RecentItem> Recent() const {
    std::vector<RecentItem> recorded;
    for (size_t i = manager_.RecentItemCount(); i-- > 0;) {
      recorded.push_back({manager_.RecentItem(i)->command, manager_.RecentItem(i)->address});
    }
    return recorded;
  }

  test_support::CSpreadsheetSession session_;
  CRecordingDesktop desktop_;
  CAddInManager manager_;
};

TEST(AddInManagerWithoutWorkbook, CommandsNeedAnOpenWorkbook) {
  auto app = std::make_shared<spreadsheet::CSpreadsheetApplication>();
  CComPtr<IDispatch> application = spreadsheet::CreateApplicationObject(app);
  CRecordingDesktop desktop;
  CAddInManager manager(ExcelObject(application.Get()), desktop);
  EXPECT_FALSE(manager.IsWorkbookOpen());
  for (const CommandId command : {CommandId::kShowPrecedents, CommandId::kCalculationChain,
                                  CommandId::kFilterByFillColor, CommandId::kEvaluateFormula}) {
    manager.ExecuteCommand(static_cast<int32_t>(command));
  }
  manager.ExecuteCommand(static_cast<int32_t>(CommandId::kRefreshContents));  // silent
  EXPECT_EQ((std::vector<std::wstring>{MessageText(kMessageOpenWorkbook),
                                       MessageText(kMessageOpenWorkbook),
                                       MessageText(kMessageOpenWorkbook),
                                       MessageText(kMessageOpenWorkbookToEvaluate)}),
            desktop.messages);
  EXPECT_TRUE(desktop.posted.empty());
  EXPECT_EQ(0, desktop.escapes);
  EXPECT_TRUE(manager.Containers().empty());
}

TEST_F(AddInManager, TraceCommandsArePostedAfterEscapeAndOpenOnTheSelection) {
  Sheet().SetValue({1, 1}, CellValue::Number(2));
  Sheet().SetFormula({1, 2}, L"A1*2");
  Select({{1, 2}, {1, 2}});
  manager_.ExecuteCommand(static_cast<int32_t>(CommandId::kShowPrecedents));
  EXPECT_EQ(1, desktop_.escapes);
  ASSERT_EQ(1u, desktop_.posted.size());
  EXPECT_EQ(kPostedTraceMessage, desktop_.posted.front().first);
  EXPECT_EQ(1u, desktop_.posted.front().second);
  EXPECT_TRUE(desktop_.windows.empty());  // nothing before the hidden window runs it
  ASSERT_TRUE(manager_.OnPostedMessage(kPostedTraceMessage, 1));
  ASSERT_EQ(1u, desktop_.windows.size());
  const WindowRequest& window = desktop_.windows[0];
  EXPECT_EQ(TraceKind::kPrecedents, window.kind);
  EXPECT_EQ((CellPos{1, 2, 1}), window.root.first);
  EXPECT_EQ(window.root.first, window.root.last);
  EXPECT_EQ(0u, window.root.flags);
  ASSERT_EQ(1u, Recent().size());
  EXPECT_EQ(L"Sheet1!B1", Recent()[0].address);
  EXPECT_EQ(1u, manager_.Containers().size());
  EXPECT_EQ(manager_.Containers()[0], window.container);
}

TEST_F(AddInManager, PrecedentsWidenToTheArrayBlockAndOnlyTwoCommandsAreRecent) {
  for (int32_t row = 1; row <= 3; ++row) Sheet().SetValue({row, 1}, CellValue::Number(row));
  Sheet().SetArrayFormula({{1, 2}, {3, 2}}, L"A1:A3*2");
  Select({{2, 2}, {2, 2}});
  Run(CommandId::kShowPrecedents);
  Run(CommandId::kShowDependents);
  Run(CommandId::kShowInputs);
  Run(CommandId::kShowErrors);
  Run(CommandId::kCalculationChain);
  ASSERT_EQ(5u, desktop_.windows.size());
  EXPECT_EQ((CellPos{1, 2, 1}), desktop_.windows[0].root.first);
  EXPECT_EQ((CellPos{1, 2, 3}), desktop_.windows[0].root.last);
  EXPECT_EQ(static_cast<uint32_t>(RefArrayRange), desktop_.windows[0].root.flags);
  EXPECT_EQ((CellPos{1, 2, 2}), desktop_.windows[1].root.first);
  EXPECT_EQ((CellPos{1, 2, 2}), desktop_.windows[1].root.last);
  EXPECT_EQ((CellPos{1, 2, 2}), desktop_.windows[2].root.first);
  for (size_t i : {3u, 4u}) {  // whole-workbook windows ignore the selection
    EXPECT_EQ(CellPos(), desktop_.windows[i].root.first);
    EXPECT_EQ(CellPos(), desktop_.windows[i].root.last);
  }
  EXPECT_EQ(TraceKind::kCalculationChain, desktop_.windows[4].kind);
  ASSERT_EQ(2u, Recent().size());
  EXPECT_EQ(1, Recent()[0].command);
  EXPECT_EQ(L"Sheet1!B1:B3", Recent()[0].address);
  EXPECT_EQ(0, Recent()[1].command);
  EXPECT_EQ(1u, manager_.Containers().size());  // one container per workbook
}

TEST_F(AddInManager, TraceErrorNeedsAnErrorInTheBlock) {
  Sheet().SetValue({1, 1}, CellValue::Number(0));
  Sheet().SetFormula({2, 1}, L"1/A1");
  Sheet().SetFormula({3, 1}, L"A1+1");
  Select({{3, 1}, {3, 1}});
  Run(CommandId::kTraceError);
  EXPECT_EQ(std::vector<std::wstring>{MessageText(kMessageTraceErrorNeedsError)},
            desktop_.messages);
  EXPECT_TRUE(desktop_.windows.empty());
  Select({{1, 1}, {3, 1}});  // one #DIV/0! among three cells
  Run(CommandId::kTraceError);
  ASSERT_EQ(1u, desktop_.windows.size());
  EXPECT_EQ(TraceKind::kTraceError, desktop_.windows[0].kind);
  EXPECT_TRUE(Recent().empty());
}

TEST_F(AddInManager, RangesFromTraceWindowsOpenAtOnce) {
  Sheet().SetFormula({1, 1}, L"B1+1");
  Select({{1, 1}, {1, 1}});
  CellReference range;
  range.first = range.last = CellPos{1, 2, 1};
  manager_.PostCommand(static_cast<int32_t>(CommandId::kShowDependents), &range);
  EXPECT_TRUE(desktop_.posted.empty());
  ASSERT_EQ(1u, desktop_.windows.size());
  EXPECT_EQ((CellPos{1, 2, 1}), desktop_.windows[0].root.first);

  range.externalId = 1;  // a cell of another workbook cannot be evaluated
  manager_.EvaluateSelection(&range);
  EXPECT_EQ(1u, desktop_.windows.size());
  range.externalId = 0;
  manager_.EvaluateSelection(&range);
  ASSERT_EQ(2u, desktop_.windows.size());
  EXPECT_EQ(TraceKind::kEvaluateFormula, desktop_.windows[1].kind);
  EXPECT_EQ(5, Recent().back().command);
  EXPECT_EQ(L"Sheet1!B1", Recent().back().address);

  manager_.EvaluateSelection(nullptr);
  ASSERT_EQ(1u, desktop_.posted.size());
  EXPECT_EQ(kPostedEvaluateMessage, desktop_.posted.front().first);
  EXPECT_FALSE(manager_.OnPostedMessage(0x8003, 0));
}

TEST_F(AddInManager, FilterByColourListsIndexesInOrderAndOpensTheChosenOne) {
  const ExcelObject application(session_.application.Get());
  auto colour = [&](const wchar_t* address, const wchar_t* part, int index) {
    CComPtr<IDispatch> range = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(address)});
    ASSERT_EQ(S_OK, Put(GetObjectOf(range.Get(), part).Get(), L"ColorIndex", Arg(index)).hr);
  };
  for (int32_t row = 1; row <= 3; ++row) Sheet().SetValue({row, 1}, CellValue::Number(row));
  Select({{1, 1}, {1, 1}});
  manager_.ExecuteCommand(static_cast<int32_t>(CommandId::kFilterByFillColor));
  EXPECT_TRUE(desktop_.menus.empty());  // no coloured cells: no menu at all

  colour(L"A3", L"Interior", 6);
  colour(L"A1", L"Interior", 3);
  colour(L"A2", L"Interior", 6);
  manager_.ExecuteCommand(static_cast<int32_t>(CommandId::kRefreshContents));
  manager_.ExecuteCommand(static_cast<int32_t>(CommandId::kFilterByFillColor));
  ASSERT_EQ(1u, desktop_.menus.size());
  ASSERT_EQ(2u, desktop_.menus[0].size());
  EXPECT_EQ(3, desktop_.menus[0][0].id);
  EXPECT_EQ(L"1 cell(s)", desktop_.menus[0][0].text);
  EXPECT_EQ(0x0000FF, desktop_.menus[0][0].color);
  EXPECT_EQ(6, desktop_.menus[0][1].id);
  EXPECT_EQ(L"2 cell(s)", desktop_.menus[0][1].text);
  EXPECT_TRUE(desktop_.windows.empty());  // cancelled

  desktop_.choice = 6;
  manager_.ExecuteCommand(static_cast<int32_t>(CommandId::kFilterByFillColor));
  ASSERT_EQ(1u, desktop_.windows.size());
  EXPECT_EQ(TraceKind::kFillColor, desktop_.windows[0].kind);
  EXPECT_EQ(6, desktop_.windows[0].colorIndex);
  EXPECT_TRUE(Recent().empty());
}

TEST_F(AddInManager, CopyAddressQuotesTheSheetAlways) {
  Select({{3, 2}, {4, 3}});
  Run(CommandId::kCopyAddress);
  EXPECT_EQ(L"'Sheet1'!$B$3:$C$4", desktop_.clipboard.unicode);
  session_.book->AddSheet(L"Bob's");
  session_.app->Select({session_.book, 2, {{1, 1}, {1, 1}}});
  Run(CommandId::kCopyAddress);
  EXPECT_EQ(L"'Bob''s'!$A$1", desktop_.clipboard.unicode);
}

TEST_F(AddInManager, ContainersAreFoundByExactNameOrIgnoringCase) {
  const ExcelObject application(session_.application.Get());
  ExcelObject workbook;
  ASSERT_TRUE(application.GetObject(L"ActiveWorkbook", &workbook));
  EXPECT_EQ(nullptr, manager_.GetContainer(workbook, false));
  const std::shared_ptr<CDependencyContainer> made = manager_.GetContainer(workbook, true);
  ASSERT_NE(nullptr, made);
  EXPECT_EQ(made, manager_.GetContainer(workbook, false));
  EXPECT_EQ(made, manager_.FindContainerByWorkbookName(L"BOOK1.XLSX", false));
  EXPECT_EQ(nullptr, manager_.FindContainerByWorkbookName(L"Book2.xlsx", true));
  EXPECT_EQ(1u, manager_.Containers().size());
  // A new container reports and reads through what the desktop gives.
  EXPECT_EQ(&desktop_.excelThread, &made->ExcelThread());
  made->Progress().Begin(L"Trelvane - analyzing workbook", L"", true);
  made->Progress().End();
  EXPECT_EQ(std::vector<std::wstring>{L"Trelvane - analyzing workbook"}, desktop_.progress.titles);
  EXPECT_EQ(1, desktop_.progress.ended);
}

TEST_F(AddInManager, HelpMailAndAboutGoToTheDesktop) {
  Run(CommandId::kShowHelp);
  Run(CommandId::kContactUs);
  Run(CommandId::kAbout);
  manager_.ShowHelpTopic(6);
  manager_.ShowHelpTopic(8);  // not a topic: the site itself
  EXPECT_EQ((std::vector<std::wstring>{kHelpSiteAddress, kSupportMailAddress,
                                       std::wstring(kHelpSiteAddress) + L"ht-evaluate-formula.asp",
                                       kHelpSiteAddress}),
            desktop_.addresses);
  EXPECT_EQ(1, desktop_.abouts);
  manager_.ExecuteCommand(6);  // unassigned numbers do nothing
  manager_.ExecuteCommand(28);
  EXPECT_TRUE(desktop_.messages.empty());
}

// Attach, against an Application whose members the test scripts.
class AddInManagerAttach : public testing::Test {
 protected:
  AddInManagerAttach() { ReferenceFunctions::Clear(); }
  ~AddInManagerAttach() override { ReferenceFunctions::Clear(); }

  // Declared first: the application's scripted answer holds a reference to it.
  test_support::CScriptedDispatch languages_;
  test_support::CScriptedDispatch application_;
  CRecordingDesktop desktop_;
};

TEST_F(AddInManagerAttach, MajorVersionIsTheLeadingNumberAndStaysZeroWithoutOne) {
  const struct {
    const wchar_t* version;
    int32_t major;
  } cases[] = {{L"16.0", 16}, {L"11.0", 11}, {L"12", 12}, {L" 9.0", 9}, {L"beta", 0}, {L"", 0}};
  for (const auto& [version, major] : cases) {
    test_support::CScriptedDispatch application;
    application.Script(L"Version", CVariant(version));
    application.Script(L"Hwnd", CVariant(LONG{4242}));
    CAddInManager manager(ExcelObject(), desktop_);
    manager.Attach(ExcelObject(&application));
    EXPECT_EQ(major, manager.MajorVersion()) << version;
    EXPECT_EQ(4242, manager.ExcelWindow());
  }
  CAddInManager unread(ExcelObject(), desktop_);
  unread.Attach(ExcelObject(&application_));  // neither Version nor Hwnd answers
  EXPECT_EQ(0, unread.MajorVersion());
  EXPECT_EQ(0, unread.ExcelWindow());
}

TEST_F(AddInManagerAttach, ReferenceFunctionsAreRegisteredOnlyWhenLanguageSettingsCanBeRead) {
  CAddInManager manager(ExcelObject(), desktop_);
  manager.Attach(ExcelObject(&application_));
  EXPECT_TRUE(ReferenceFunctions::IsEmpty());

  application_.Script(L"LanguageSettings", CVariant(static_cast<IDispatch*>(&languages_)));
  manager.Attach(ExcelObject(&application_));
  manager.Attach(ExcelObject(&application_));  // again: still the two names, once each
  EXPECT_TRUE(ReferenceFunctions::Contains(L"offset"));
  EXPECT_TRUE(ReferenceFunctions::Contains(L"INDIRECT"));
  EXPECT_FALSE(ReferenceFunctions::Contains(L"INDEX"));
}

TEST_F(AddInManager, AttachToTheEmbeddedSpreadsheetResolvesIndirectTargets) {
  ReferenceFunctions::Clear();
  Sheet().SetValue({3, 2}, CellValue::Number(6));
  Sheet().SetFormula({1, 1}, L"INDIRECT(\"B3\")");
  Select({{1, 1}, {1, 1}});
  manager_.Attach(ExcelObject(session_.application.Get()));
  Run(CommandId::kShowPrecedents);
  ASSERT_EQ(1u, desktop_.windows.size());
  const SharedReferenceList precedents =
      ListRelated(*desktop_.windows[0].container, CellPos{1, 1, 1}, TraceKind::kPrecedents);
  ReferenceFunctions::Clear();
  ASSERT_TRUE(precedents);
  ASSERT_EQ(1u, precedents->size());
  EXPECT_EQ((CellPos{1, 2, 3}), (*precedents)[0].first);
  EXPECT_NE(0u, (*precedents)[0].flags & RefDynamic);
}

// ---------------------------------------------------------------------------------------------
// Trace items, as a script reaches them: by member name through IDispatch.

TEST_F(AddInManager, TraceTakesTheKindInAnyCaseAndReportsAnUnknownWordAsWritten) {
  const CComPtr<IDispatch> range = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(L"A1")});
  const CComPtr<IDispatch> item = CTraceItem::Trace(manager_, range.Get(), L"PreCedents");
  ASSERT_TRUE(item);
  EXPECT_EQ(1, test_support::Get(item.Get(), L"Type").Long());
  EXPECT_FALSE(CTraceItem::Trace(manager_, range.Get(), L"input"));
  EXPECT_FALSE(CTraceItem::Trace(manager_, range.Get(), L"inputs "));
  EXPECT_EQ(
      (std::vector<std::wstring>{L"Unknown argument: 'input'", L"Unknown argument: 'inputs '"}),
      desktop_.messages);
  EXPECT_TRUE(CTraceItem::Trace(manager_, range.Get(), L"INPUTS"));
  EXPECT_TRUE(CTraceItem::Trace(manager_, nullptr, L"dependents"));
}

TEST_F(AddInManager, TraceItemsOfARangeAreItsCellsRowByRow) {
  for (int32_t row = 1; row <= 2; ++row) {
    for (int32_t column = 1; column <= 3; ++column) {
      Sheet().SetValue({row, column}, CellValue::Number(row * 10 + column));
    }
  }
  const CComPtr<IDispatch> range = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(L"A1:C2")});
  const CComPtr<IDispatch> item = CTraceItem::Trace(manager_, range.Get(), L"dependents");
  ASSERT_TRUE(item);
  EXPECT_EQ(0, test_support::Get(item.Get(), L"Type").Long());
  ASSERT_EQ(6, test_support::Get(item.Get(), L"Count").Long());
  const wchar_t* expected[] = {L"$A$1", L"$B$1", L"$C$1", L"$A$2", L"$B$2", L"$C$2"};
  for (int index = 1; index <= 6; ++index) {
    const CComPtr<IDispatch> cell = GetObjectOf(item.Get(), L"Item", {Arg(index)});
    ASSERT_TRUE(cell) << index;
    const CComPtr<IDispatch> cellRange = GetObjectOf(cell.Get(), L"Range");
    ASSERT_TRUE(cellRange) << index;
    EXPECT_EQ(CVariant(expected[index - 1]).Get()->bstrVal,
              std::wstring(test_support::Get(cellRange.Get(), L"Address").value.Get()->bstrVal));
  }
  EXPECT_FALSE(GetObjectOf(item.Get(), L"Item", {Arg(0)}));
  EXPECT_FALSE(GetObjectOf(item.Get(), L"Item", {Arg(7)}));
}

TEST_F(AddInManager, TraceItemsOfACellAreItsTraceListAndNamesKeepTheirText) {
  Sheet().SetValue({1, 1}, CellValue::Number(2));
  Sheet().SetValue({2, 1}, CellValue::Number(3));
  session_.book->AddName({L"Rate", L"=0.2", 0, false});
  Sheet().SetFormula({1, 2}, L"A1+A2*Rate");
  Select(CellRect::Of({1, 2}));
  const CComPtr<IDispatch> range = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(L"B1")});
  const CComPtr<IDispatch> item = CTraceItem::Trace(manager_, range.Get(), L"precedents");
  ASSERT_TRUE(item);
  ASSERT_EQ(3, test_support::Get(item.Get(), L"Count").Long());
  const CComPtr<IDispatch> first = GetObjectOf(item.Get(), L"Item", {Arg(1)});
  ASSERT_TRUE(first);
  EXPECT_EQ(1, test_support::Get(first.Get(), L"Type").Long());
  EXPECT_TRUE(GetObjectOf(first.Get(), L"Range"));
  const CComPtr<IDispatch> name = GetObjectOf(item.Get(), L"Item", {Arg(3)});
  ASSERT_TRUE(name);
  EXPECT_EQ(2, test_support::Get(name.Get(), L"Type").Long());
  EXPECT_EQ(L"Rate", std::wstring(test_support::Get(name.Get(), L"Name").value.Get()->bstrVal));
  EXPECT_FALSE(GetObjectOf(name.Get(), L"Range"));
  EXPECT_FALSE(GetObjectOf(item.Get(), L"Item", {Arg(4)}));

  // Display opens the trace window on the item's cell, as a trace window's command does.
  EXPECT_TRUE(test_support::Call(item.Get(), L"Display").Succeeded());
  ASSERT_EQ(1u, desktop_.windows.size());
  EXPECT_EQ((CellPos{1, 2, 1}), desktop_.windows[0].root.first);
}

TEST_F(AddInManager, TraceItemPropertiesButRangeAreReadOnly) {
  const CComPtr<IDispatch> range = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(L"A1")});
  const CComPtr<IDispatch> item = CTraceItem::Trace(manager_, range.Get(), L"inputs");
  ASSERT_TRUE(item);
  for (const wchar_t* member : {L"Type", L"Name", L"Count", L"Item"}) {
    const test_support::DispatchAnswer answer = Put(item.Get(), member, Arg(1));
    EXPECT_EQ(DISP_E_EXCEPTION, answer.hr) << member;
    EXPECT_EQ(L"'" + std::wstring(member) + L"' property is read-only", answer.error);
  }
  // Writing Range replaces the object only: the item still counts the cell it was made for.
  const CComPtr<IDispatch> other = GetObjectOf(session_.Sheet(1).Get(), L"Range", {Arg(L"A1:B2")});
  EXPECT_TRUE(Put(item.Get(), L"Range", Arg(other)).Succeeded());
  EXPECT_EQ(1, test_support::Get(item.Get(), L"Type").Long());
  EXPECT_FALSE(test_support::Get(item.Get(), L"Colour").Succeeded());
}

// ---------------------------------------------------------------------------------------------
// Excel's application events, raised on the sink as Excel raises them: arguments last first.

void Raise(CEventHandlerApp& sink, DISPID event, const std::vector<CVariant>& arguments) {
  std::vector<VARIANT> lastFirst;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
    lastFirst.push_back(*argument->Get());
  }
  DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
  const IID none{};
  EXPECT_EQ(S_OK, sink.Invoke(event, none, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
}

TEST_F(AddInManager, SheetEventsMarkOnlyTheirWorkbooksContainer) {
  CEventHandlerApp sink;
  sink.SetManager(&manager_);
  const CComPtr<IDispatch> sheet = session_.Sheet(1);
  const CComPtr<IDispatch> cell = GetObjectOf(sheet.Get(), L"Range", {Arg(L"A1")});
  // Without a container nothing is made and nothing fails.
  Raise(sink, kSheetChangeEvent, {CVariant(sheet.Get()), CVariant(cell.Get())});
  Raise(sink, kSheetCalculateEvent, {CVariant(sheet.Get())});
  EXPECT_TRUE(manager_.Containers().empty());

  const std::shared_ptr<CDependencyContainer> container =
      manager_.GetContainer(ExcelObject(session_.Workbook().Get()), true);
  ASSERT_TRUE(container);
  container->Lists().FinishErrorList({});
  ASSERT_FALSE(container->IsStale());
  // An event of another kind, or with its arguments missing, changes nothing.
  Raise(sink, 0x61D, {CVariant(sheet.Get())});
  Raise(sink, kSheetChangeEvent, {CVariant(sheet.Get())});
  EXPECT_FALSE(container->IsStale());
  Raise(sink, kSheetCalculateEvent, {CVariant(sheet.Get())});
  EXPECT_FALSE(container->Lists().ErrorListBuilt());
  EXPECT_FALSE(container->IsStale());
  Raise(sink, kSheetChangeEvent, {CVariant(sheet.Get()), CVariant(cell.Get())});
  EXPECT_TRUE(container->IsStale());
}

TEST_F(AddInManager, ClosingAWorkbookWithAContainerClosesTheWindowsAndDropsIt) {
  CEventHandlerApp sink;
  sink.SetManager(&manager_);
  const CComPtr<IDispatch> workbook = session_.Workbook();
  Raise(sink, kWorkbookBeforeCloseEvent, {CVariant(workbook.Get()), CVariant(false)});
  EXPECT_EQ(0, desktop_.windowManagerCloses);

  std::shared_ptr<CDependencyContainer> container =
      manager_.GetContainer(ExcelObject(workbook.Get()), true);
  ASSERT_TRUE(container);
  Raise(sink, kWorkbookBeforeCloseEvent, {CVariant(workbook.Get()), CVariant(false)});
  EXPECT_EQ(1, desktop_.windowManagerCloses);
  EXPECT_TRUE(manager_.Containers().empty());
  // A window that still held it keeps it; the manager makes a new one when asked again.
  EXPECT_EQ(1, container.use_count());
  EXPECT_NE(container, manager_.GetContainer(ExcelObject(workbook.Get()), true));
}

TEST_F(AddInManager, OnlyTheFirstWorkbookOpenedBuildsTheCellMenu) {
  CEventHandlerApp sink;
  sink.SetManager(&manager_);
  const CComPtr<IDispatch> workbook = session_.Workbook();
  EXPECT_FALSE(manager_.CellMenuBuilt());
  Raise(sink, kWorkbookOpenEvent, {});
  EXPECT_FALSE(manager_.CellMenuBuilt());
  Raise(sink, kWorkbookOpenEvent, {CVariant(workbook.Get())});
  EXPECT_TRUE(manager_.CellMenuBuilt());
}

TEST_F(AddInManager, AButtonSinkRunsItsCommandOnClickOnlyAndAnswersItsEventInterface) {
  Select({{3, 2}, {3, 2}});
  CEventHandlerMenuItem sink(static_cast<int32_t>(CommandId::kCopyAddress), &manager_);
  IUnknown* asEvents = nullptr;
  ASSERT_EQ(S_OK, sink.QueryInterface(DIID_CommandBarButtonEvents,
                                      reinterpret_cast<void**>(&asEvents)));
  EXPECT_EQ(2u, sink.References());
  asEvents->Release();
  IUnknown* other = nullptr;
  const IID appEvents = {0x00024413, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_EQ(E_NOINTERFACE, sink.QueryInterface(appEvents, reinterpret_cast<void**>(&other)));
  EXPECT_EQ(nullptr, other);

  // Click(Ctrl, CancelDefault), arguments last first.
  VARIANT arguments[2];
  VariantInit(&arguments[0]);
  arguments[0].vt = VT_BOOL;
  arguments[0].boolVal = VARIANT_FALSE;
  VariantInit(&arguments[1]);
  arguments[1].vt = VT_DISPATCH;
  arguments[1].pdispVal = nullptr;
  DISPPARAMS params{arguments, nullptr, 2, 0};
  EXPECT_EQ(S_OK, sink.Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
  EXPECT_EQ(L"", desktop_.clipboard.unicode);
  EXPECT_EQ(S_OK, sink.Invoke(kButtonClickEvent, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                              nullptr, nullptr));
  EXPECT_EQ(L"'Sheet1'!$B$3", desktop_.clipboard.unicode);
  // Without a manager a click does nothing.
  CEventHandlerMenuItem orphan(static_cast<int32_t>(CommandId::kAbout), nullptr);
  EXPECT_EQ(S_OK, orphan.Invoke(kButtonClickEvent, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                nullptr, nullptr));
  EXPECT_EQ(0, desktop_.abouts);
}

TEST_F(AddInManager, AnErrorInAReactionIsReportedWithItsContextAndExcelHearsSuccess) {
  CEventHandlerApp sink;
  sink.SetManager(&manager_);
  std::vector<std::pair<HRESULT, std::wstring>> reported;
  sink.SetErrorReporter([&reported](HRESULT error, const wchar_t* context) {
    reported.emplace_back(error, context);
  });
  // A workbook whose name cannot be read for want of memory: the one exception that crosses
  // the object-model layer.
  test_support::CScriptedDispatch workbook;
  workbook.Script(L"Name", [](const test_support::CScriptedDispatch::Call&, CVariant*) -> HRESULT {
    throw std::bad_alloc();
  });
  Raise(sink, kWorkbookBeforeCloseEvent, {CVariant(&workbook), CVariant(false)});
  ASSERT_EQ(1u, reported.size());
  EXPECT_EQ(E_OUTOFMEMORY, reported[0].first);
  EXPECT_EQ(L"Error occured when closing workbook:", reported[0].second);
  // Without a reporter the error is dropped, and Excel still hears S_OK.
  sink.SetErrorReporter({});
  Raise(sink, kWorkbookBeforeCloseEvent, {CVariant(&workbook), CVariant(false)});
  EXPECT_EQ(1u, reported.size());
}

}  // namespace
