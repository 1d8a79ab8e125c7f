// The progress window of the Windows add-in: CLoadingProgressDlg, shown by CLoadingProgressThread
// on a thread of its own so that it repaints and takes the Stop click while Excel's thread is
// busy; and the display the progress controller makes of them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/win32/scoped_handles.h"
#include "views/progress_colors.h"
#include "views/progress_display.h"
#include "views/win32/visual_styles.h"
#include "views/win32/window_base.h"

// Messages posted to the progress window's thread (not to a window).
inline constexpr UINT kProgressThreadClose = WM_APP + 102;
inline constexpr UINT kProgressThreadShowMessage = WM_APP + 104;
// Sent to the progress window: copies its message line into the buffer of lParam, of wParam
// characters with the terminator; answers the length copied.
inline constexpr UINT kProgressWindowReadMessage = WM_APP + 105;

// Works out the gradient colours from the current theme and system colours and keeps them for
// every progress window after; the add-in calls it once when it connects. A window shown before
// any call works them out itself.
ProgressGradientColors ComputeProgressGradientColors();

// The progress window: a title line, a message line and an optional Stop button over the
// gradient. The texts are set before its window exists, or on its thread afterwards.
class CLoadingProgressDlg final : public CDialogBase {
 public:
  void SetTitle(std::wstring title) { title_ = std::move(title); }
  void SetMessage(std::wstring message);
  void SetShowStop(bool show) { showStop_ = show; }

  // Creates the window, without owner and hidden, on the calling thread.
  bool Create();

 protected:
  BOOL OnInitDialog() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  void Paint(HDC dc) const;
  void PaintGradient(HDC dc) const;
  void DrawStopButton(const DRAWITEMSTRUCT& item) const;

  std::wstring title_;
  std::wstring message_;
  bool showStop_ = false;
  ProgressGradientColors colors_;
  RECT titleRect_{};
  RECT messageRect_{};
  HFONT normalFont_ = nullptr;  // The stock GUI font, not owned.
  CScopedFont boldFont_;
  CScopedTheme buttonTheme_;
};

// The thread of one progress window. Made on the operation's thread with its window object;
// once launched, the thread owns it and deletes it when it ends, which destroys the window and
// sets the ready event.
class CLoadingProgressThread {
 public:
  CLoadingProgressThread();
  ~CLoadingProgressThread();
  CLoadingProgressThread(const CLoadingProgressThread&) = delete;
  CLoadingProgressThread& operator=(const CLoadingProgressThread&) = delete;

  CLoadingProgressDlg& Dialog() { return dialog_; }

  // Starts the thread (made suspended, then resumed) and hands `thread` over to it. Answers the
  // thread's handle and id, or an empty handle when no thread could be made (`thread` is then
  // deleted here).
  static CScopedKernelHandle Launch(std::unique_ptr<CLoadingProgressThread> thread,
                                    DWORD* threadId);

 private:
  static DWORD WINAPI Main(void* parameter);
  void Run();
  void ShowHandedOverMessage();

  CScopedKernelHandle ready_;
  CLoadingProgressDlg dialog_;
};

// The progress window as the progress controller's display. Start and close wait without time
// limit for the window's thread.
std::unique_ptr<IProgressDisplay> MakeLoadingProgressDisplay();
// The same with waits bounded by `waitLimitMs`, for tests that must fail rather than hang: a
// wait that runs out leaves the thread to itself and Show answers false.
std::unique_ptr<IProgressDisplay> MakeLoadingProgressDisplayWithin(DWORD waitLimitMs);

// The progress window on the screen, or null; at most one exists in the process.
HWND ShownLoadingProgressWindow();
// The message line that `window` shows, read on its thread; empty when it does not answer.
std::wstring ReadLoadingProgressMessage(HWND window);
