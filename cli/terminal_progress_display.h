// CTerminalProgressDisplay: progress as one status line on stderr, for the command line. It
// draws only when stderr is a terminal and at most a few times a second, so reporting never
// slows an operation or litters a log.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "views/progress_display.h"

class CTerminalProgressDisplay final : public IProgressDisplay {
 public:
  // Five redraws a second are enough to look alive.
  static constexpr std::chrono::milliseconds kRedrawInterval{200};

  bool Show(const std::wstring& title, const std::wstring& message, bool showStop) override;
  void SetMessage(const std::wstring& message) override;
  void Close() override;

  // Makes Ctrl-C set the process's Stop request; a second Ctrl-C ends the process as usual.
  static void InstallInterruptHandler();

 private:
  void Draw();

  std::mutex lock_;
  bool terminal_ = false;
  bool drawn_ = false;
  std::wstring title_;
  std::wstring message_;
  std::chrono::steady_clock::time_point lastDraw_{};
};
