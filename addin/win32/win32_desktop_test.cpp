// The Windows desktop under a test thread that plays Excel's: host calls, deferred messages,
// message boxes, the UI thread, the window manager's frame, the hidden window and the clipboard.
#include "addin/win32/win32_desktop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "addin/addin_manager.h"
#include "addin/command_ids.h"
#include "addin/user_messages.h"
#include "addin/win32/clipboard_access.h"
#include "addin/win32/message_boxes.h"
#include "addin/win32/office_interfaces.h"
#include "resources/resource_ids.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/popup_menu_window.h"
#include "wndmgr/win32/wnd_manager_ui_wnd.h"
#include "tests/support/spreadsheet_session.h"

namespace {

constexpr std::chrono::milliseconds kDesktopTestWait{10000};

// Runs this thread's messages, as Excel's message loop does, until `done` or the wait runs out.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = kDesktopTestWait) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A thread standing for the UI thread's windows; Excel's thread pumps until it is done. One that
// never finishes is left behind rather than hanging the run.
class CDesktopTestWorker {
 public:
  template <class Work>
  explicit CDesktopTestWorker(Work work)
      : thread_([this, work] {
          threadId_.store(::GetCurrentThreadId());
          work();
          done_.store(true);
        }) {}
  ~CDesktopTestWorker() {
    if (done_.load()) {
      thread_.join();
    } else {
      thread_.detach();
    }
  }
  bool PumpUntilDone() {
    return PumpUntil([this] { return done_.load(); });
  }
  DWORD ThreadId() const { return threadId_.load(); }

 private:
  std::atomic<bool> done_{false};
  std::atomic<DWORD> threadId_{0};
  std::thread thread_;
};

// Excel's main window as the add-in meets it: a top-level window of the test's thread.
class CDesktopTestExcelWindow final : public CWindowBase {
 public:
  bool Create() {
    return CWindowBase::Create(L"TrelvaneDesktopTestXLMAIN", 0, WS_OVERLAPPEDWINDOW, L"Excel",
                               nullptr);
  }
};

// An owner-draw delegate that counts what reached it.
class CCountingOwnerDraw final : public IOwnerDrawDelegate {
 public:
  void MeasureItem(MEASUREITEMSTRUCT* item) override {
    ++measured;
    item->itemHeight = 17;
  }
  void DrawItem(const DRAWITEMSTRUCT*) override { ++drawn; }
  int measured = 0;
  int drawn = 0;
};

// A dialog from the progress window's template that notes the thread it was made on.
class CThreadNotingDialog final : public CDialogBase {
 public:
  DWORD initialisedOn = 0;

 protected:
  BOOL OnInitDialog() override {
    initialisedOn = ::GetCurrentThreadId();
    return TRUE;
  }
};

class Win32Desktop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(excel_.Create());
    desktop_ = std::make_unique<CWin32Desktop>();
    ASSERT_NE(nullptr, desktop_->HiddenWindow());
    desktop_->AttachToExcel(excel_.Hwnd());
    ASSERT_NE(nullptr, CHostWnd::Current());
  }
  void TearDown() override { desktop_.reset(); }

  // The titles of the windows the window manager's frame hosts, in the order they were added;
  // read on the UI thread, which owns the frame's state.
  std::vector<std::wstring> FrameLines(HWND frame) const {
    std::vector<std::wstring> lines;
    if (desktop_ == nullptr || desktop_->UiThread() == nullptr) return lines;
    desktop_->UiThread()->RunOnUiThread(
        [&] {
          const CWndManagerUIWnd* manager = CWndManagerUIWnd::FromManager(frame);
          if (manager == nullptr) return;
          for (int index = 0; index < manager->HostedCount(); ++index) {
            HWND hosted = manager->HostedWindow(index);
            wchar_t title[256] = {};
            if (hosted != nullptr) ::GetWindowTextW(hosted, title, 256);
            lines.emplace_back(title);
          }
        },
        true);
    return lines;
  }

  CDesktopTestExcelWindow excel_;
  std::unique_ptr<CWin32Desktop> desktop_;
};

TEST_F(Win32Desktop, HostCallsFromAnotherThreadRunOnExcelsThreadNestedOnesAtOnce) {
  const DWORD excelThread = ::GetCurrentThreadId();
  DWORD ranOn = 0;
  DWORD nestedOn = 0;
  std::string failure;
  CDesktopTestWorker worker([&] {
    IExcelThread& thread = desktop_->ExcelThread();
    thread.Run([&] {
      ranOn = ::GetCurrentThreadId();
      thread.Run([&] { nestedOn = ::GetCurrentThreadId(); });
    });
    try {
      thread.Run([] { throw std::runtime_error("read failed"); });
    } catch (const std::runtime_error& error) {
      failure = error.what();
    }
  });
  ASSERT_TRUE(worker.PumpUntilDone());
  EXPECT_NE(excelThread, worker.ThreadId());
  EXPECT_EQ(excelThread, ranOn);
  EXPECT_EQ(excelThread, nestedOn);
  EXPECT_EQ("read failed", failure);  // thrown on Excel's thread, caught by the caller

  // On Excel's own thread the call is made at once, without a message.
  bool ran = false;
  desktop_->ExcelThread().Run([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(Win32Desktop, MessagesDuringAHostCallWaitAndOnlyTheLastOkOneIsShown) {
  test_support::CMessageBoxWatcher watcher;
  int question = -1;
  bool deferredInside = false;
  CDesktopTestWorker worker([&] {
    desktop_->ExcelThread().Run([&] {
      desktop_->ShowMessage(L"first");
      question = ShowMessage(L"Go on?", MB_YESNO);
      desktop_->ShowMessage(L"second");
      deferredInside = !MessagesShownAtOnce();
    });
  });
  ASSERT_TRUE(worker.PumpUntilDone());
  EXPECT_TRUE(deferredInside);
  EXPECT_EQ(0, question);  // dropped, not asked
  EXPECT_TRUE(MessagesShownAtOnce());
  ASSERT_TRUE(watcher.WaitForCount(1, kDesktopTestWait));
  const std::vector<test_support::SeenMessageBox> seen = watcher.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"second", seen[0].text);
  EXPECT_EQ(worker.ThreadId(), seen[0].thread);  // shown when the call returned, by its caller
}

TEST_F(Win32Desktop, MessageBoxesCarryTheTableTextAndTheOwnerOfTheCallingThread) {
  ASSERT_TRUE(desktop_->EnsureUiThread());
  CDesktopTestExcelWindow ownWindow;
  ASSERT_TRUE(ownWindow.Create());
  struct OwnerCase {
    const char* name;
    HWND given;
    HWND expectedOwner;
  };
  const OwnerCase cases[] = {
      {"none given: Excel's window", nullptr, excel_.Hwnd()},
      {"a window of this thread", ownWindow.Hwnd(), ownWindow.Hwnd()},
      {"another thread's window: Excel's", desktop_->UiThread()->HandlerWindow(), excel_.Hwnd()},
  };
  for (const int id :
       {kMessageOpenWorkbook, kMessageTraceErrorNeedsError, kMessageOpenWorkbookToEvaluate}) {
    EXPECT_EQ(MessageText(id), LoadModuleString(id)) << id;
  }
  for (const OwnerCase& ownerCase : cases) {
    SCOPED_TRACE(ownerCase.name);
    test_support::CMessageBoxWatcher watcher;
    EXPECT_EQ(IDOK, ShowMessageId(kMessageOpenWorkbook, MB_OK, ownerCase.given));
    ASSERT_TRUE(watcher.WaitForCount(1, kDesktopTestWait));
    const test_support::SeenMessageBox box = watcher.Seen().at(0);
    EXPECT_EQ(MessageText(kMessageOpenWorkbook), box.text);
    EXPECT_EQ(ownerCase.expectedOwner, box.owner);
  }
}

TEST_F(Win32Desktop, TheUiThreadStartsOnceAndMakesDialogsBeforeTheRequestReturns) {
  EXPECT_EQ(nullptr, desktop_->UiThread());
  ASSERT_TRUE(desktop_->EnsureUiThread());
  CNuvUIThread* thread = desktop_->UiThread();
  ASSERT_TRUE(desktop_->EnsureUiThread());
  EXPECT_EQ(thread, desktop_->UiThread());
  EXPECT_NE(::GetCurrentThreadId(), thread->ThreadId());
  EXPECT_EQ(thread->ThreadId(), ::GetWindowThreadProcessId(thread->HandlerWindow(), nullptr));

  CThreadNotingDialog dialog;
  thread->RequestDialog(&dialog, IDD_LOADING_PROGRESS, true);
  ASSERT_NE(nullptr, dialog.Hwnd());
  EXPECT_EQ(thread->ThreadId(), ::GetWindowThreadProcessId(dialog.Hwnd(), nullptr));
  EXPECT_EQ(thread->ThreadId(), dialog.initialisedOn);
  EXPECT_EQ(nullptr, ::GetParent(dialog.Hwnd()));

  thread->ActivateWindow(dialog.Hwnd());
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(dialog.Hwnd()) != FALSE; }));
  // Windows are destroyed on their own thread.
  thread->RunOnUiThread([&] { dialog.Destroy(); }, true);
  EXPECT_EQ(nullptr, dialog.Hwnd());
}

TEST_F(Win32Desktop, PostedCommandsRunFromTheMessageLoopAndTheFrameListsThemOnTheUiThread) {
  test_support::CSpreadsheetSession session;
  session.book->Sheet(1).SetValue({1, 1}, spreadsheet::CellValue::Number(2));
  session.book->Sheet(1).SetFormula({1, 2}, L"A1*2");
  session.app->Calculate();
  session.app->Select({session.book, 1, {{1, 2}, {1, 2}}});
  CAddInManager manager(ExcelObject(session.application.Get()), *desktop_);
  desktop_->SetManager(&manager);

  manager.ExecuteCommand(static_cast<int32_t>(CommandId::kShowPrecedents));
  // The callback has returned and nothing has run yet: the command waits in the queue.
  EXPECT_EQ(nullptr, desktop_->WindowManagerWindow());
  EXPECT_TRUE(manager.Containers().empty());
  ASSERT_TRUE(PumpUntil([&] {
    HWND frame = desktop_->WindowManagerWindow();
    return frame != nullptr && FrameLines(frame).size() == 1;
  }));
  manager.ExecuteCommand(static_cast<int32_t>(CommandId::kShowDependents));
  HWND frame = desktop_->WindowManagerWindow();
  ASSERT_TRUE(PumpUntil([&] { return FrameLines(frame).size() == 2; }));
  EXPECT_EQ(frame, desktop_->WindowManagerWindow());  // one frame for every window

  EXPECT_EQ((std::vector<std::wstring>{L"Sheet1!B1 - precedents", L"Sheet1!B1 - dependents"}),
            FrameLines(frame));
  EXPECT_EQ(desktop_->UiThread()->ThreadId(), ::GetWindowThreadProcessId(frame, nullptr));
  EXPECT_NE(::GetCurrentThreadId(), desktop_->UiThread()->ThreadId());
  wchar_t title[64] = {};
  ::GetWindowTextW(frame, title, 64);
  EXPECT_STREQ(L"Trelvane - Sheet1!B1 - dependents", title);
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(frame) != FALSE; }));

  // A closing workbook closes the frame's windows and hides it; the next window shows it again.
  desktop_->CloseWindowManager();
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(frame) == FALSE && FrameLines(frame).empty(); }));
  manager.ExecuteCommand(static_cast<int32_t>(CommandId::kShowPrecedents));
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(frame) != FALSE && FrameLines(frame).size() == 1; }));
  EXPECT_EQ(frame, desktop_->WindowManagerWindow());

  // The desktop's end takes the frame with it.
  desktop_.reset();
  EXPECT_FALSE(::IsWindow(frame));
}

TEST_F(Win32Desktop, RequestsStillQueuedWhenTheDesktopGoesGiveTheirContainersUp) {
  auto container = std::make_shared<CDependencyContainer>();
  container->SetWorkbookName(L"Book1.xlsx");
  container->SetExcelThread(&desktop_->ExcelThread());
  const std::weak_ptr<CDependencyContainer> watched = container;
  desktop_->OpenWindow({container, TraceKind::kCalculationChain, CellReference(), -1});
  HWND frame = desktop_->WindowManagerWindow();
  ASSERT_TRUE(PumpUntil([&] { return FrameLines(frame).size() == 1; }));
  EXPECT_EQ(L"Calculation Chain", FrameLines(frame)[0]);

  // The UI thread is busy while the next request is queued; the close sent at the desktop's end
  // overtakes it.
  desktop_->UiThread()->RunOnUiThread([] { ::Sleep(300); }, false);
  desktop_->OpenWindow({container, TraceKind::kErrorCells, CellReference(), -1});
  container.reset();
  desktop_.reset();
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_TRUE(watched.expired());
}

TEST_F(Win32Desktop, HiddenAndHostWindowsHaveTheirPlaces) {
  HWND hidden = desktop_->HiddenWindow();
  EXPECT_EQ(hidden, ::FindWindowW(nullptr, CHiddenWnd::kWindowName));
  EXPECT_FALSE(::IsWindowVisible(hidden));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hidden, GWL_EXSTYLE));
  EXPECT_EQ(static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  EXPECT_EQ(CHostWnd::Current(), ::GetDlgItem(excel_.Hwnd(), static_cast<int>(kHostWindowId)));
  EXPECT_EQ(nullptr, CHostWnd::Create(excel_.Hwnd()));  // one per process

  // Owner-draw messages reach the delegate only while one is set.
  CCountingOwnerDraw delegate;
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  ::SendMessageW(hidden, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  desktop_->SetOwnerDrawDelegate(&delegate);
  EXPECT_EQ(TRUE, ::SendMessageW(hidden, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  ::SendMessageW(hidden, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  desktop_->SetOwnerDrawDelegate(nullptr);
  ::SendMessageW(hidden, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(1, delegate.measured);
  EXPECT_EQ(17u, measure.itemHeight);
  EXPECT_EQ(1, delegate.drawn);
}

TEST_F(Win32Desktop, EscapeGoesDownAndUpToTheFocusWindowOfExcelsThread) {
  ::SetFocus(excel_.Hwnd());
  ASSERT_EQ(excel_.Hwnd(), ::GetFocus());
  MSG stale;
  while (::PeekMessageW(&stale, excel_.Hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) != FALSE) {
  }
  desktop_->PressEscape();
  MSG down{};
  MSG up{};
  ASSERT_TRUE(::PeekMessageW(&down, excel_.Hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  ASSERT_TRUE(::PeekMessageW(&up, excel_.Hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), down.message);
  EXPECT_EQ(static_cast<UINT>(WM_KEYUP), up.message);
  for (const MSG& key : {down, up}) {
    EXPECT_EQ(static_cast<WPARAM>(VK_ESCAPE), key.wParam);
    EXPECT_EQ(0x00010001, key.lParam);
  }
}

// Drives the next popup menu of this process from a thread of its own: reads its item texts,
// then presses `keys` in it.
class CDesktopTestMenuDriver {
 public:
  explicit CDesktopTestMenuDriver(std::vector<WPARAM> keys)
      : keys_(std::move(keys)), thread_([this] { Drive(); }) {}
  ~CDesktopTestMenuDriver() {
    stop_.store(true);
    thread_.join();
  }
  // The texts of the menu's items, once the menu was found.
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  void Drive() {
    HWND menuWindow = test_support::WaitForPopupMenu(stop_, kDesktopTestWait);
    if (menuWindow == nullptr) return;
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    std::vector<std::wstring> texts;
    for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
      wchar_t text[256] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(item), text, 256, MF_BYPOSITION);
      texts.emplace_back(text);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_ = texts;
    }
    for (WPARAM key : keys_) ::PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
  }

  const std::vector<WPARAM> keys_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

TEST_F(Win32Desktop, PopupMenusShowTheTextsAsWrittenAndAnswerTheChosenItem) {
  EXPECT_EQ(0, desktop_->ChooseFromRecentItemsMenu({}));  // nothing to show
  {
    CDesktopTestMenuDriver driver({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(2, desktop_->ChooseFromRecentItemsMenu({L"[R&D.xlsx]Sheet1!B3  - Precedents",
                                                      L"[Book1.xlsx]Sheet1!A1  - Dependents"}));
    // "&" would mark a mnemonic; the menu shows it as written.
    EXPECT_EQ((std::vector<std::wstring>{L"[R&&D.xlsx]Sheet1!B3  - Precedents",
                                         L"[Book1.xlsx]Sheet1!A1  - Dependents"}),
              driver.Texts());
  }
  {
    CDesktopTestMenuDriver driver({VK_ESCAPE});
    EXPECT_EQ(0, desktop_->ChooseFromColorMenu({{3, L"2 cell(s)", 0xFF}, {6, L"1 cell(s)", 0xFF00}},
                                               std::nullopt));
    EXPECT_EQ((std::vector<std::wstring>{L"2 cell(s)", L"1 cell(s)"}), driver.Texts());
  }
  {
    CDesktopTestMenuDriver driver({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(6, desktop_->ChooseFromColorMenu({{3, L"2 cell(s)", 0xFF}, {6, L"1 cell(s)", 0xFF00}},
                                               std::nullopt));  // the colour index is the answer
  }
}

// A loaded ribbon as Office hands it to onLoad: early-bound, or answering only late-bound calls.
class CDesktopTestRibbon final : public IRibbonUI {
 public:
  explicit CDesktopTestRibbon(bool earlyBound) : earlyBound_(earlyBound) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        (earlyBound_ && IsEqualIID(iid, IID_IRibbonUI))) {
      AddRef();
      *object = static_cast<IRibbonUI*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id != kRibbonInvalidateId) return DISP_E_MEMBERNOTFOUND;
    ++lateInvalidations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invalidate() override {
    ++earlyInvalidations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InvalidateControlMso(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateTab(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateTabMso(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateTabQ(BSTR, BSTR) override { return E_NOTIMPL; }

  ULONG references = 1;
  int earlyInvalidations = 0;
  int lateInvalidations = 0;

 private:
  bool earlyBound_;
};

TEST_F(Win32Desktop, NewRecentItemsInvalidateTheHeldRibbonEarlyOrLateBound) {
  desktop_->InvalidateRecentItems();  // no ribbon yet: nothing to do
  for (const bool earlyBound : {true, false}) {
    CDesktopTestRibbon ribbon(earlyBound);
    desktop_->SetRibbon(&ribbon);
    desktop_->InvalidateRecentItems();
    EXPECT_EQ(earlyBound ? 1 : 0, ribbon.earlyInvalidations) << earlyBound;
    EXPECT_EQ(earlyBound ? 0 : 1, ribbon.lateInvalidations) << earlyBound;
    desktop_->SetRibbon(nullptr);
    EXPECT_EQ(1u, ribbon.references) << earlyBound;  // held while set, released after
  }
}

// The clipboard's contents in a format, as bytes.
std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (::OpenClipboard(nullptr) == FALSE) return bytes;
  if (HANDLE data = ::GetClipboardData(format)) {
    if (const void* locked = ::GlobalLock(data)) {
      bytes.assign(static_cast<const char*>(locked), ::GlobalSize(data));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return bytes;
}

TEST_F(Win32Desktop, ClipboardTakesBothFormatsAndWaitsBrieflyForAHolder) {
  IClipboard& clipboard = desktop_->Clipboard();
  const std::wstring unicode = L"'Sheet 1'!$B$3:$C$4 \u00e9\u20ac";
  ASSERT_TRUE(clipboard.SetUnicodeText(unicode));
  std::string bytes = ClipboardBytes(CF_UNICODETEXT);
  ASSERT_GE(bytes.size(), (unicode.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(unicode, std::wstring(reinterpret_cast<const wchar_t*>(bytes.data())));

  const std::string ansi = "caf\xe9\tA1\r\n";
  ASSERT_TRUE(clipboard.SetAnsiText(ansi));
  bytes = ClipboardBytes(CF_TEXT);
  ASSERT_GE(bytes.size(), ansi.size() + 1);
  EXPECT_EQ(ansi, std::string(bytes.c_str()));

  // Held for a moment by someone else: the put waits and succeeds. Held past the retries: fails.
  const int retriesMs = static_cast<int>(kClipboardOpenTries * kClipboardRetryPauseMs);
  for (const auto& [holdMs, succeeds] :
       {std::pair{retriesMs / 4, true}, std::pair{retriesMs + 400, false}}) {
    std::atomic<bool> holding{false};
    std::thread holder([&, hold = holdMs] {
      if (::OpenClipboard(nullptr) == FALSE) return;
      holding.store(true);
      ::Sleep(static_cast<DWORD>(hold));
      ::CloseClipboard();
    });
    EXPECT_TRUE(PumpUntil([&] { return holding.load(); }));
    EXPECT_EQ(succeeds, clipboard.SetUnicodeText(L"held")) << holdMs;
    holder.join();
  }
}

}  // namespace
