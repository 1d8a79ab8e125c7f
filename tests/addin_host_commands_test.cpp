// The add-in's commands end to end in the Excel test host: a ribbon callback returns at once and
// its command runs when Excel's message loop delivers it; every ribbon command's effect (the
// window request the UI thread's frame lists, the colour menu, the workbook, the clipboard, the
// messages with the product title); Excel's events as the add-in follows them; recent items
// saved at exit and run again after a restart; the progress window of a long scan and its Stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/win32/scoped_handles.h"
#include "resources/resource_ids.h"
#include "tests/addin_host_fixture.h"
#include "tests/support/test_owned_dispatch.h"

namespace {

using addin_host::AddInHostTest;
using addin_host::CPopupMenuPicker;
using addin_host::kWindowWait;
using addin_host::WaitForHostedTitles;
using test_support::Arg;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

using Clock = std::chrono::steady_clock;

// The clipboard's Unicode text, or nothing.
std::optional<std::wstring> ClipboardText() {
  if (::OpenClipboard(nullptr) == FALSE) return std::nullopt;
  struct Closer {
    ~Closer() { ::CloseClipboard(); }
  } closer;
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
  if (text == nullptr) return std::nullopt;
  std::wstring copied(text);
  ::GlobalUnlock(data);
  return copied;
}

// An object that passes every call to another and records the member names it was asked for.
class CRecordingProxy final : public test_support::CTestOwnedDispatch {
 public:
  explicit CRecordingProxy(CComPtr<IDispatch> inner) : inner_(std::move(inner)) {}
  virtual ~CRecordingProxy() = default;

  std::vector<std::wstring> asked;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    if (names != nullptr && count > 0 && names[0] != nullptr) asked.emplace_back(names[0]);
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return inner_->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
  }

 private:
  CComPtr<IDispatch> inner_;
};

bool AllSucceeded(const std::vector<HRESULT>& results) {
  if (results.empty()) return false;
  for (const HRESULT hr : results) {
    if (hr != S_OK) return false;
  }
  return true;
}

// ----- The ribbon's commands

TEST_F(AddInHostTest, ShowPrecedentsRunsOnceTheCallbackHasReturned) {
  StartWithBook();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  // Posted, not run: nothing exists on the UI thread until Excel's loop delivers the command.
  EXPECT_EQ(nullptr, FindWindowManager());

  const std::vector<std::wstring> lines = WaitForHostedTitles(1);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(L"Sheet1!B2 - precedents", lines[0]);
  HWND frame = FindWindowManager();
  EXPECT_NE(::GetCurrentThreadId(), ::GetWindowThreadProcessId(frame, nullptr));
  addin_host::TakePictureIfAsked(frame, L"frame");
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, EveryTraceCommandListsItsWindowForTheSelection) {
  StartWithBook();
  ASSERT_TRUE(host.WriteCell(1, L"C2", L"=B2/0"));
  ASSERT_TRUE(host.WriteCell(1, L"D1", L"{=A1:A2*2}"));
  struct Case {
    const wchar_t* control;
    const wchar_t* selection;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"nuvShowPrecedents", L"B2", L"Sheet1!B2 - precedents"},
      {L"nuvRCMShowPrecedents", L"A1", L"Sheet1!A1 - precedents"},
      {L"nuvShowDependents", L"A1", L"Sheet1!A1 - dependents"},
      {L"nuvRCMShowDependents", L"A2", L"Sheet1!A2 - dependents"},
      {L"nuvShowInputs", L"B2", L"Sheet1!B2 - inputs"},
      {L"nuvRCMShowInputs", L"C2", L"Sheet1!C2 - inputs"},
      {L"nuvTraceError", L"C2", L"Sheet1!C2 - trace error"},
      {L"nuvShowErrors", L"B2", L"Cells with error value (1)"},
      {L"nuvCalcOrder", L"B2", L"Calculation Chain"},
      {L"nuvEvaluateFormula", L"B2", L"Sheet1!B2 - evaluate formula"},
      {L"nuvRCMEvaluateFormula", L"C2", L"Sheet1!C2 - evaluate formula"},
  };
  std::size_t listed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    ASSERT_TRUE(host.Select(1, c.selection));
    EXPECT_EQ(S_OK, host.ClickRibbonControl(c.control).hr);
    const std::vector<std::wstring> lines = WaitForHostedTitles(++listed);
    ASSERT_EQ(listed, lines.size());
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), std::wstring(c.line)))
        << testing::PrintToString(lines);
  }
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, ColourFiltersListTheChosenColour) {
  StartWithBook();
  ASSERT_TRUE(Put(GetObjectOf(host.Range(1, L"A1").Get(), L"Interior").Get(), L"ColorIndex", Arg(6))
                  .Succeeded());
  ASSERT_TRUE(Put(GetObjectOf(host.Range(1, L"A2").Get(), L"Font").Get(), L"ColorIndex", Arg(3))
                  .Succeeded());
  const CPopupMenuPicker picker;
  // The menu opens inside the callback, on Excel's thread, before it returns.
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvFilterBG").hr);
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvFilterFace").hr);
  EXPECT_EQ(2, picker.Shown());
  const std::vector<std::wstring> lines = WaitForHostedTitles(2);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(L"Filter cells by background color", lines[0]);
  EXPECT_EQ(L"Filter cells by text color", lines[1]);
}

TEST_F(AddInHostTest, TransposeTurnsTheSelectionInPlace) {
  StartWithBook();
  ASSERT_TRUE(host.WriteCell(1, L"D1", L"x"));
  ASSERT_TRUE(host.WriteCell(1, L"E1", L"y"));
  ASSERT_TRUE(host.WriteCell(1, L"F1", L"=D1&E1"));
  ASSERT_TRUE(host.Select(1, L"D1:F1"));
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvRCMTranspose").hr);
  PumpMessagesUntilIdle();
  EXPECT_EQ(L"x", Get(host.Range(1, L"D1").Get(), L"Value").Text());
  EXPECT_EQ(L"y", Get(host.Range(1, L"D2").Get(), L"Value").Text());
  // Formulas move as they were written, their references not adjusted.
  EXPECT_EQ(L"=D1&E1", Get(host.Range(1, L"D3").Get(), L"Formula").Text());
  EXPECT_EQ(VT_EMPTY, Get(host.Range(1, L"E1").Get(), L"Value").value.Kind());
  EXPECT_EQ(VT_EMPTY, Get(host.Range(1, L"F1").Get(), L"Value").value.Kind());
  EXPECT_EQ((spreadsheet::CellRect{{1, 4}, {3, 4}}), host.Spreadsheet().CurrentSelection().range);
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, CopyAddressPutsTheQuotedAbsoluteAddressOnTheClipboard) {
  StartWithBook();
  ASSERT_TRUE(host.Select(1, L"B3:C4"));
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvRCMCopyAddress").hr);
  PumpMessagesUntilIdle();
  EXPECT_EQ(L"'Sheet1'!$B$3:$C$4", ClipboardText());
}

TEST_F(AddInHostTest, RefreshContentsReadsTheWorkbookAgain) {
  StartWithBook();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  ASSERT_EQ(1u, WaitForHostedTitles(1).size());
  ASSERT_TRUE(Put(host.Sheet(1).Get(), L"Name", Arg(L"Data")).Succeeded());

  // The container knows the sheets it read: the renamed one is not among them, and the command
  // ends without a word until the container is refreshed.
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  PumpMessagesUntilIdle();
  EXPECT_EQ(1u, HostedWindowTitles().size());

  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvRefresh").hr);
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  const std::vector<std::wstring> lines = WaitForHostedTitles(2);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(L"Data!B2 - precedents", lines[0]);
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, AboutShowsTheProductBox) {
  StartWithBook();
  // The box is modal on Excel's thread; Close (IDCANCEL) ends it.
  test_support::CMessageBoxWatcher about(L"About Trelvane", IDCANCEL);
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvAbout").hr);
  ASSERT_TRUE(PumpMessagesUntil([&] { return !about.Seen().empty(); }, kWindowWait));
  EXPECT_NE(std::wstring::npos, about.Texts()[0].find(L"Version 5.0"));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, CommandsThatNeedAWorkbookOrAnErrorSayWhatIsMissing) {
  struct Case {
    const wchar_t* control;
    bool workbookOpen;
    const wchar_t* message;
  };
  const Case cases[] = {
      {L"nuvShowPrecedents", false, L"You must open workbook, to use this command."},
      {L"nuvShowErrors", false, L"You must open workbook, to use this command."},
      {L"nuvFilterFace", false, L"You must open workbook, to use this command."},
      {L"nuvEvaluateFormula", false, L"You must open workbook, to evalute formula."},
      {L"nuvRCMEvaluateFormula", false, L"You must open workbook, to evalute formula."},
      {L"nuvTraceError", true,
       L"Trace Error command could be applied to cell, which contains error value."},
  };
  std::size_t shown = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    CExcelHost excel;
    if (c.workbookOpen) {
      excel.OpenWorkbook();
      ASSERT_TRUE(excel.WriteCell(1, L"A1", L"=1+1"));
      ASSERT_TRUE(excel.Select(1, L"A1"));
    }
    ASSERT_EQ(S_OK, excel.StartAddIn());
    EXPECT_EQ(S_OK, excel.ClickRibbonControl(c.control).hr);
    PumpMessagesUntilIdle();
    ASSERT_TRUE(messageBoxes.WaitForCount(++shown, kWindowWait));
    const std::vector<test_support::SeenMessageBox> seen = messageBoxes.Seen();
    ASSERT_EQ(shown, seen.size());
    EXPECT_EQ(c.message, seen.back().text);
    // Shown on Excel's thread, owned by Excel's main window.
    EXPECT_EQ(::GetCurrentThreadId(), seen.back().thread);
    EXPECT_EQ(excel.MainWindow().Frame(), seen.back().owner);
    excel.UnloadAddIn();
  }
}

// ----- Excel's events

TEST_F(AddInHostTest, ClosingAWorkbookWithAContainerClosesTheFrameAndOneWithoutDoesNot) {
  StartWithBook();
  const std::shared_ptr<spreadsheet::CWorkbook> first = host.Spreadsheet().ActiveWorkbook();
  host.OpenWorkbook(L"Book2.xlsx");
  host.Spreadsheet().Activate(first);
  ASSERT_TRUE(host.Select(1, L"B2"));
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  ASSERT_EQ(1u, WaitForHostedTitles(1).size());
  HWND frame = FindWindowManager();

  EXPECT_TRUE(host.CloseWorkbook(L"Book2.xlsx"));
  PumpMessagesUntilIdle();
  EXPECT_NE(FALSE, ::IsWindow(frame));

  // The frame hides with the windows it hosted; it stays for the next window.
  EXPECT_TRUE(host.CloseWorkbook(L"Book1.xlsx"));
  EXPECT_TRUE(PumpMessagesUntil(
      [frame] { return ::IsWindowVisible(frame) == FALSE && HostedWindowTitles().empty(); },
      kWindowWait));
}

TEST_F(AddInHostTest, EventsAreReadWithTheirArgumentsLastFirst) {
  StartWithBook();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  ASSERT_EQ(1u, WaitForHostedTitles(1).size());
  ASSERT_EQ(1u, host.Application().AdvisedSinkCount());

  CRecordingProxy sheet(host.Sheet(1));
  CRecordingProxy target(host.Range(1, L"A1"));
  EXPECT_TRUE(AllSucceeded(
      host.Application().RaiseEvent(kAppEventSheetChange, {Arg(&sheet), Arg(&target)})));
  EXPECT_EQ(std::vector<std::wstring>{L"Parent"}, sheet.asked);
  EXPECT_TRUE(target.asked.empty());

  CRecordingProxy calculated(host.Sheet(1));
  EXPECT_TRUE(
      AllSucceeded(host.Application().RaiseEvent(kAppEventSheetCalculate, {Arg(&calculated)})));
  EXPECT_EQ(std::vector<std::wstring>{L"Parent"}, calculated.asked);

  // Events with other argument counts are not Excel's and change nothing.
  CRecordingProxy lone(host.Sheet(1));
  EXPECT_TRUE(AllSucceeded(host.Application().RaiseEvent(kAppEventSheetChange, {Arg(&lone)})));
  EXPECT_TRUE(lone.asked.empty());

  CRecordingProxy closing(host.ActiveWorkbook());
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancelArgument;
  VariantInit(&cancelArgument);
  cancelArgument.vt = VT_BYREF | VT_BOOL;
  cancelArgument.pboolVal = &cancel;
  HWND frame = FindWindowManager();
  EXPECT_TRUE(AllSucceeded(host.Application().RaiseEvent(
      kAppEventWorkbookBeforeClose, {Arg(&closing), CVariant(cancelArgument)})));
  EXPECT_EQ(std::vector<std::wstring>{L"Name"}, closing.asked);
  EXPECT_EQ(VARIANT_FALSE, cancel);
  EXPECT_TRUE(PumpMessagesUntil(
      [frame] { return ::IsWindowVisible(frame) == FALSE && HostedWindowTitles().empty(); },
      kWindowWait));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

// ----- Recent items

// A workbook file on disk (empty: the add-in only checks that it exists), removed at the end.
class CWorkbookFile {
 public:
  explicit CWorkbookFile(const wchar_t* name) {
    wchar_t temporary[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, temporary);
    folder_ = std::wstring(temporary, length) + L"trelvane-host-" +
              std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"\\" + name;
    CScopedFile file(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  ~CWorkbookFile() {
    ::DeleteFileW(path_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }
  CWorkbookFile(const CWorkbookFile&) = delete;
  CWorkbookFile& operator=(const CWorkbookFile&) = delete;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring folder_;
  std::wstring path_;
};

TEST_F(AddInHostTest, RecentItemsAreSavedAtExitAndRunAgainAfterARestart) {
  const CWorkbookFile file(L"Book1.xlsx");
  auto book = std::make_shared<spreadsheet::CWorkbook>();
  book->SetPath(file.Path());
  book->AddSheet(L"Sheet1");
  host.OpenWorkbook(book);
  ASSERT_TRUE(host.WriteCell(1, L"B3", L"=A1*2"));
  ASSERT_TRUE(host.Select(1, L"B3"));
  ASSERT_EQ(S_OK, host.StartAddIn());
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvShowPrecedents").hr);
  ASSERT_EQ(1u, WaitForHostedTitles(1).size());

  host.UnloadAddIn();
  EXPECT_TRUE(PumpMessagesUntil([] { return FindWindowManager() == nullptr; }, kWindowWait));
  const std::wstring item0 = std::wstring(addin_host::kRecentItemsKey) + L"\\Item0";
  const auto stored = [&](const wchar_t* key, const wchar_t* name) {
    return ReadRegistryValue(HKEY_CURRENT_USER, key, name).value_or(RegistryValue{});
  };
  EXPECT_EQ(DWORD{1}, stored(addin_host::kRecentItemsKey, L"Count").Dword());
  EXPECT_EQ(DWORD{1}, stored(item0.c_str(), L"Command").Dword());
  const std::wstring caption = L"[Book1.xlsx]Sheet1!B3  - Precedents";
  EXPECT_EQ(caption, stored(item0.c_str(), L"Caption").Text());
  EXPECT_EQ(file.Path(), stored(item0.c_str(), L"Workbook").Text());
  EXPECT_EQ(L"Sheet1!B3", stored(item0.c_str(), L"Address").Text());

  // The next start loads it; running it selects its range again and traces it.
  ASSERT_EQ(S_OK, host.StartAddIn());
  EXPECT_EQ(caption, host.RibbonCallback(L"GetButtonLabel", L"nuvMru0").Text());
  EXPECT_EQ(1, host.RibbonCallback(L"GetButtonVisible", L"nuvMru0").Bool());
  ASSERT_TRUE(host.Select(1, L"A1"));
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvMru0").hr);
  const std::vector<std::wstring> lines = WaitForHostedTitles(1);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(L"Sheet1!B3 - precedents", lines[0]);
  EXPECT_EQ((spreadsheet::CellRect{{3, 2}, {3, 2}}), host.Spreadsheet().CurrentSelection().range);
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostTest, ARecentItemWhoseFileIsGoneIsReported) {
  ASSERT_TRUE(addin_host::StoreRecentItems(
      {{1, L"[Gone.xlsx]Sheet1!A1  - Precedents", L"C:\\nowhere\\Gone.xlsx", L"Sheet1!A1"}}));
  StartWithBook();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvMru0").hr);
  PumpMessagesUntilIdle();
  ASSERT_TRUE(messageBoxes.WaitForCount(1, kWindowWait));
  EXPECT_EQ(L"File 'C:\\nowhere\\Gone.xlsx' doesn't exist.", messageBoxes.Texts()[0]);
  EXPECT_TRUE(HostedWindowTitles().empty());
}

// ----- The progress window of a long scan

// Presses Stop on the progress window as soon as it is shown, from a thread of its own.
class CProgressStopper {
 public:
  CProgressStopper() : watcher_([this] { Watch(); }) {}
  ~CProgressStopper() {
    stop_ = true;
    watcher_.join();
  }
  CProgressStopper(const CProgressStopper&) = delete;
  CProgressStopper& operator=(const CProgressStopper&) = delete;

  bool Seen() const { return seen_; }
  bool Pressed() const { return pressed_; }
  std::wstring Title() const { return title_; }

 private:
  void Watch() {
    while (!stop_ && !pressed_) {
      if (HWND window = FindDialogWithControl(IDC_PROGRESS_STOP)) {
        seen_ = true;
        title_ = WindowText(window);
        addin_host::TakePictureIfAsked(window, L"progress");
        DWORD_PTR ignored = 0;
        pressed_ = ::SendMessageTimeoutW(::GetDlgItem(window, IDC_PROGRESS_STOP), BM_CLICK, 0, 0,
                                         SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::atomic<bool> pressed_{false};
  std::wstring title_;   // written before pressed_ is set, read after
  std::thread watcher_;  // last: starts once everything it uses exists
};

TEST_F(AddInHostTest, ALongScanShowsTheProgressWindowAndItsStopEndsIt) {
  // Enough cells that the colour walk runs for seconds; the only coloured cell is the last one,
  // so a walk that ends early finds no colour and opens no menu.
  constexpr std::int32_t kRows = 400000;
  auto book = std::make_shared<spreadsheet::CWorkbook>(L"Big.xlsx");
  spreadsheet::CWorksheet& sheet = book->AddSheet(L"Sheet1");
  for (std::int32_t row = 1; row <= kRows; ++row) {
    sheet.SetValue({row, 1}, spreadsheet::CellValue::Number(row));
  }
  host.OpenWorkbook(book);
  ASSERT_TRUE(
      Put(GetObjectOf(host.Range(1, L"A" + std::to_wstring(kRows)).Get(), L"Interior").Get(),
          L"ColorIndex", Arg(6))
          .Succeeded());
  ASSERT_TRUE(host.Select(1, L"A1"));
  ASSERT_EQ(S_OK, host.StartAddIn());

  const CPopupMenuPicker picker(false);
  const CProgressStopper stopper;
  const auto started = Clock::now();
  EXPECT_EQ(S_OK, host.ClickRibbonControl(L"nuvFilterBG").hr);
  const auto took = Clock::now() - started;

  EXPECT_TRUE(stopper.Seen());
  EXPECT_TRUE(stopper.Pressed());
  EXPECT_EQ(L"Trelvane - analyzing workbook", stopper.Title());
  EXPECT_EQ(0, picker.Shown()) << "the walk went on after Stop and found the coloured cell";
  EXPECT_EQ(nullptr, FindDialogWithControl(IDC_PROGRESS_STOP));
  EXPECT_TRUE(HostedWindowTitles().empty());
  RecordProperty(
      "filter_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

}  // namespace
