// The progress window on its own thread: shown and closed in step with the operation, repainting
// and taking the Stop click while the operation's thread never pumps messages, messages handed
// over between the threads, one window per process.
#include "views/win32/loading_progress.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/resource_ids.h"
#include "tests/support/window_screenshot.h"
#include "views/progress_window.h"

namespace {

using test_support::CaptureWindow;
using test_support::PixelOf;
using test_support::WindowImage;

// Long enough for a loaded machine, short enough that a broken handshake fails the test.
constexpr DWORD kWaitLimitMs = 10000;

ProgressDisplayFactory BoundedFactory() {
  return [] { return MakeLoadingProgressDisplayWithin(kWaitLimitMs); };
}

// Polls without pumping messages, as a busy operation does: whatever happens to the window
// happens on its own thread.
bool BecomesTrue(const std::function<bool()>& condition) {
  const ULONGLONG end = ::GetTickCount64() + kWaitLimitMs;
  while (!condition()) {
    if (::GetTickCount64() > end) return false;
    ::Sleep(5);
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

int VisibleProgressWindowsOfThisProcess() {
  int count = 0;
  ::EnumWindows(
      [](HWND window, LPARAM counter) CALLBACK -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) != FALSE &&
            ::GetDlgItem(window, IDC_PROGRESS_STOP) != nullptr) {
          ++*reinterpret_cast<int*>(counter);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Win32LoadingProgress, ShowsOnItsOwnThreadWithoutTakingTheFocus) {
  ProgressWindow progress(BoundedFactory());
  progress.SetTitle(L"Trelvane - analyzing workbook");
  progress.SetMessage(L"Cells processed: 0");
  progress.SetShowStop(true);
  ASSERT_TRUE(progress.Start());
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_NE(FALSE, ::IsWindowVisible(window));  // Visible when start returns.
  EXPECT_EQ(L"#32770", ClassOf(window));
  EXPECT_NE(::GetCurrentThreadId(), ::GetWindowThreadProcessId(window, nullptr));
  EXPECT_NE(window, ::GetForegroundWindow());
  EXPECT_EQ(nullptr, ::GetWindow(window, GW_OWNER));
  EXPECT_EQ(L"Trelvane - analyzing workbook", TextOf(window));
  // The message set before start shows at once.
  EXPECT_EQ(L"Cells processed: 0", ReadLoadingProgressMessage(window));
  EXPECT_NE(FALSE, ::IsWindowVisible(::GetDlgItem(window, IDC_PROGRESS_STOP)));
  test_support::SaveScreenshotIfAsked(window, L"progress_window");
  progress.Close();
}

TEST(Win32LoadingProgress, PaintsTheGradientTitleAndStopAndRepaintsWhileTheOperationIsBusy) {
  const ProgressGradientColors colors = ComputeProgressGradientColors();
  ProgressWindow progress(BoundedFactory());
  progress.SetTitle(L"Trelvane - processing dependents");
  progress.SetMessage(L"Nodes processed: 50");
  progress.SetShowStop(true);
  ASSERT_TRUE(progress.Start());
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  const WindowImage image = CaptureWindow(window);
  ASSERT_FALSE(image.IsEmpty());
  const std::uint32_t frame = PixelOf(::GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(frame, image.At(0, 0));
  EXPECT_EQ(frame, image.At(image.width - 1, image.height - 1));
  // The first colour at the bottom, the top band nearly the second; the window is taller than
  // 64 rows, so both edge bands are drawn. A column left of the texts and the button.
  EXPECT_EQ(PixelOf(GradientBandColor(colors, 0).ToColorRef()), image.At(1, image.height - 2));
  EXPECT_EQ(PixelOf(GradientBandColor(colors, kProgressGradientBands - 1).ToColorRef()),
            image.At(1, 1));

  HWND stop = ::GetDlgItem(window, IDC_PROGRESS_STOP);
  RECT button{};
  ::GetWindowRect(stop, &button);
  ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
  ASSERT_GT(button.top, 0);
  int titleInk = 0;
  int buttonInk = 0;
  const std::uint32_t text = PixelOf(::GetSysColor(COLOR_BTNTEXT));
  // The title is centred: text colour in the middle third above the button.
  for (int y = 2; y < button.top; ++y) {
    for (int x = image.width / 3; x < 2 * image.width / 3; ++x) titleInk += image.At(x, y) == text;
  }
  // The button's own frame: pixels that are not the gradient's colour of their row.
  for (int y = button.top; y < button.bottom; ++y) {
    for (int x = button.left; x < button.right; ++x) {
      buttonInk += image.At(x, y) != image.At(1, y);
    }
  }
  EXPECT_GT(titleInk, 20);
  EXPECT_GT(buttonInk, (button.right - button.left) * 2);

  ::InvalidateRect(window, nullptr, TRUE);
  EXPECT_TRUE(BecomesTrue([&] { return ::GetUpdateRect(window, nullptr, FALSE) == FALSE; }));
  DWORD_PTR answer = 0;
  EXPECT_NE(0,
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitLimitMs, &answer));
  // For people to look at: a message too long for its line ends in an ellipsis.
  std::wstring longMessage = L"Cells processed: 1000 in";
  for (int i = 0; i < 20; ++i) longMessage += L" 'Quarterly figures'!A1:Z100";
  progress.SetMessage(longMessage);
  EXPECT_TRUE(BecomesTrue([&] { return ReadLoadingProgressMessage(window) == longMessage; }));
  ::UpdateWindow(window);
  test_support::SaveScreenshotIfAsked(window, L"progress_window_long_message");
  progress.Close();
}

TEST(Win32LoadingProgress, HandsOverTheLatestMessageWithinTheBuffer) {
  std::unique_ptr<IProgressDisplay> display = MakeLoadingProgressDisplayWithin(kWaitLimitMs);
  ASSERT_TRUE(display->Show(L"Trelvane - saving branch", std::wstring(5000, L'y'), false));
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  const auto shows = [&](const std::wstring& message) {
    return BecomesTrue([&] { return ReadLoadingProgressMessage(window) == message; });
  };
  EXPECT_EQ(std::wstring(ProgressWindow::kMaxMessageLength, L'y'),
            ReadLoadingProgressMessage(window));
  display->SetMessage(L"Cells processed: 50");
  EXPECT_TRUE(shows(L"Cells processed: 50"));
  display->SetMessage(std::wstring(5000, L'z'));
  EXPECT_TRUE(shows(std::wstring(ProgressWindow::kMaxMessageLength, L'z')));
  // Far more than a thread's queue holds: the last one still arrives, and close still gets
  // through.
  for (int i = 1; i <= 20000; ++i) display->SetMessage(L"Cells processed: " + std::to_wstring(i));
  EXPECT_TRUE(shows(L"Cells processed: 20000"));
  display->SetMessage(L"");
  EXPECT_TRUE(shows(L""));
  display->Close();
  EXPECT_FALSE(::IsWindow(window));
}

TEST(Win32LoadingProgress, StopButtonSetsTheStopRequestAndLeavesTheWindowOpen) {
  ProgressWindow progress(BoundedFactory());
  progress.SetShowStop(true);
  ProgressWindow::PressStop();  // Left over from an earlier operation: start forgets it.
  ASSERT_TRUE(progress.Start());
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_FALSE(progress.StopRequested());
  DWORD_PTR answer = 0;
  ASSERT_NE(0, ::SendMessageTimeoutW(::GetDlgItem(window, IDC_PROGRESS_STOP), BM_CLICK, 0, 0,
                                     SMTO_ABORTIFHUNG, kWaitLimitMs, &answer));
  EXPECT_TRUE(BecomesTrue([&] { return progress.StopRequested(); }));
  // Closing from outside is refused too: only the operation closes it.
  ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWaitLimitMs, &answer);
  EXPECT_NE(FALSE, ::IsWindowVisible(window));
  progress.ClearStop();
  EXPECT_FALSE(progress.StopRequested());
  progress.Close();
}

TEST(Win32LoadingProgress, CloseReturnsAfterTheThreadEnded) {
  ProgressWindow progress(BoundedFactory());
  progress.SetShowStop(true);
  ASSERT_TRUE(progress.Start());
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  CScopedKernelHandle thread(
      ::OpenThread(SYNCHRONIZE, FALSE, ::GetWindowThreadProcessId(window, nullptr)));
  ASSERT_TRUE(thread);
  progress.Close();
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), 0));
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(nullptr, ShownLoadingProgressWindow());
  EXPECT_FALSE(ProgressWindow::IsRunning());
  // The next operation gets a window of its own, here without Stop.
  progress.SetShowStop(false);
  ASSERT_TRUE(progress.Start());
  HWND next = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, next);
  EXPECT_EQ(FALSE, ::IsWindowVisible(::GetDlgItem(next, IDC_PROGRESS_STOP)));
  progress.Close();
}

TEST(Win32LoadingProgress, ASecondControllerShowsNothingAndClosesNothing) {
  ProgressWindow first(BoundedFactory());
  first.SetMessage(L"first");
  ASSERT_TRUE(first.Start());
  HWND window = ShownLoadingProgressWindow();
  ASSERT_NE(nullptr, window);
  {
    ProgressWindow second(BoundedFactory());
    EXPECT_TRUE(second.Start());
    second.SetMessage(L"second");
    EXPECT_EQ(window, ShownLoadingProgressWindow());
    EXPECT_EQ(1, VisibleProgressWindowsOfThisProcess());
    second.Close();
  }
  EXPECT_NE(FALSE, ::IsWindowVisible(window));
  EXPECT_EQ(L"first", ReadLoadingProgressMessage(window));
  first.Close();
  EXPECT_EQ(0, VisibleProgressWindowsOfThisProcess());
}

}  // namespace
