// CTerminalProgress: the command line's progress of long operations: one status line on stderr,
// and Ctrl-C as the Stop button. The line is drawn only when stderr is a terminal and at most a
// few times a second, so reporting never slows an operation or litters a log.
#pragma once

#include <chrono>
#include <string>

#include "container/operation_progress.h"

class CTerminalProgress final : public IOperationProgress {
 public:
  // Five redraws a second are enough to look alive.
  static constexpr std::chrono::milliseconds kRedrawInterval{200};

  // `showLine` false keeps stderr quiet; Ctrl-C still stops.
  explicit CTerminalProgress(bool showLine) : showLine_(showLine) {}

  void Begin(const std::wstring& title, const std::wstring& message, bool showStop) override;
  void SetMessage(const std::wstring& message) override;
  bool StopRequested() override;
  void ClearStop() override;
  void End() override;

  // Makes Ctrl-C stop the running operation; a second Ctrl-C ends the process as usual.
  static void InstallInterruptHandler();
  // Whether Ctrl-C was pressed at any time in this process.
  static bool Interrupted();

 private:
  void Draw();

  bool showLine_;
  bool terminal_ = false;
  bool drawn_ = false;
  int interruptsCleared_ = 0;  // Ctrl-C presses before the last ClearStop
  std::wstring title_;
  std::wstring message_;
  std::chrono::steady_clock::time_point lastDraw_{};
};
