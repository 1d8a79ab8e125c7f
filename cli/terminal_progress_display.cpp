// The command line's progress line.
#include "cli/terminal_progress_display.h"

#include <csignal>
#include <cstdio>

#include "platform/text_encoding.h"
#include "views/stop_request.h"

#ifdef _WIN32
#include <io.h>
#define TRELVANE_ISATTY _isatty
#define TRELVANE_FILENO _fileno
#else
#include <unistd.h>
#define TRELVANE_ISATTY isatty
#define TRELVANE_FILENO fileno
#endif

namespace {

// The width the line is cut to, so that it never wraps on an ordinary terminal.
constexpr std::size_t kLineWidth = 78;

extern "C" void OnInterrupt(int) {
  CStopRequest::Set();
  std::signal(SIGINT, SIG_DFL);  // A second Ctrl-C ends the process.
}

}  // namespace

void CTerminalProgressDisplay::InstallInterruptHandler() { std::signal(SIGINT, OnInterrupt); }

bool CTerminalProgressDisplay::Show(const std::wstring& title, const std::wstring& message, bool) {
  const std::lock_guard guard(lock_);
  terminal_ = TRELVANE_ISATTY(TRELVANE_FILENO(stderr)) != 0;
  title_ = title;
  message_ = message;
  Draw();
  return true;
}

void CTerminalProgressDisplay::SetMessage(const std::wstring& message) {
  const std::lock_guard guard(lock_);
  message_ = message;
  if (std::chrono::steady_clock::now() - lastDraw_ >= kRedrawInterval) Draw();
}

void CTerminalProgressDisplay::Close() {
  const std::lock_guard guard(lock_);
  if (terminal_ && drawn_) std::fputs("\r\x1b[K", stderr);
  drawn_ = false;
}

void CTerminalProgressDisplay::Draw() {
  lastDraw_ = std::chrono::steady_clock::now();
  if (!terminal_) return;
  std::wstring line = message_.empty() ? title_ : title_ + L": " + message_;
  if (line.size() > kLineWidth) line.resize(kLineWidth);
  std::fprintf(stderr, "\r%s\x1b[K", WideToUtf8(line).c_str());
  std::fflush(stderr);
  drawn_ = true;
}
