// ProgressWindow: the progress controller an operation owns while it runs: a title line, a
// message line, an optional Stop button, and polling of the process-wide Stop request. Only one
// progress window is shown in the process at a time; a second controller started meanwhile runs
// without one, keeps its messages to itself, and still sees the shared Stop request.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "container/operation_progress.h"
#include "views/progress_display.h"

// As the progress of the operations on a workbook (IOperationProgress), one controller serves
// them one after another: Begin starts it with the operation's texts and End closes it.
class ProgressWindow final : public IOperationProgress {
 public:
  // Messages handed to the display are cut to this many characters, the capacity of the
  // hand-over buffer of the window's thread (1000 with its terminator).
  static constexpr std::size_t kMaxMessageLength = 999;

  // `makeDisplay` makes the window when one is started; without it nothing is ever shown.
  explicit ProgressWindow(ProgressDisplayFactory makeDisplay = {})
      : makeDisplay_(std::move(makeDisplay)) {}
  ~ProgressWindow() { Close(); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void SetTitle(std::wstring title) { title_ = std::move(title); }
  void SetMessage(const std::wstring& message) override;
  void SetShowStop(bool show) { showStop_ = show; }

  // True when a window is shown, by this controller or by another one already running; false
  // when none could be made.
  bool Start();
  bool StopRequested() override;
  // Closes this controller's window and returns when it is gone; nothing without one.
  void Close();

  // IOperationProgress.
  void Begin(const std::wstring& title, const std::wstring& message, bool showStop) override;
  void ClearStop() override;
  void End() override { Close(); }

  // Whether any progress window of the process is shown.
  static bool IsRunning();
  // What the Stop button does: sets the process's Stop request.
  static void PressStop();

 private:
  ProgressDisplayFactory makeDisplay_;
  std::wstring title_;
  std::wstring message_;
  bool showStop_ = false;
  std::unique_ptr<IProgressDisplay> display_;  // Set while this controller's window is shown.
};
