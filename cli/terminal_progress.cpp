// The command line's progress line and Ctrl-C.
#include "cli/terminal_progress.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "platform/text_encoding.h"

namespace {

// The width the line is cut to, so that it never wraps on an ordinary terminal.
constexpr std::size_t kLineWidth = 78;

// Written by the signal handler, hence a lock-free sig_atomic_t.
volatile std::sig_atomic_t interrupts = 0;

extern "C" void OnInterrupt(int) {
  interrupts = interrupts + 1;
  std::signal(SIGINT, SIG_DFL);  // A second Ctrl-C ends the process.
}

}  // namespace

void CTerminalProgress::InstallInterruptHandler() { std::signal(SIGINT, OnInterrupt); }

bool CTerminalProgress::Interrupted() { return interrupts != 0; }

void CTerminalProgress::Begin(const std::wstring& title, const std::wstring& message, bool) {
  // A new operation starts unstopped: a Ctrl-C that ended an earlier one does not end it too.
  ClearStop();
  terminal_ = showLine_ && isatty(fileno(stderr)) != 0;
  title_ = title;
  message_ = message;
  Draw();
}

void CTerminalProgress::SetMessage(const std::wstring& message) {
  message_ = message;
  if (std::chrono::steady_clock::now() - lastDraw_ >= kRedrawInterval) Draw();
}

bool CTerminalProgress::StopRequested() { return interrupts > interruptsCleared_; }

void CTerminalProgress::ClearStop() { interruptsCleared_ = interrupts; }

void CTerminalProgress::End() {
  if (terminal_ && drawn_) std::fputs("\r\x1b[K", stderr);
  drawn_ = false;
}

void CTerminalProgress::Draw() {
  lastDraw_ = std::chrono::steady_clock::now();
  if (!terminal_) return;
  std::wstring line = message_.empty() ? title_ : title_ + L": " + message_;
  if (line.size() > kLineWidth) line.resize(kLineWidth);
  std::fprintf(stderr, "\r%s\x1b[K", WideToUtf8(line).c_str());
  std::fflush(stderr);
  drawn_ = true;
}
