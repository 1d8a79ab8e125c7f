// The progress controller and the process-wide progress state.
#include "views/progress_window.h"

#include <atomic>

#include "views/stop_request.h"

namespace {

std::atomic<bool> running{false};

std::wstring Cut(const std::wstring& message) {
  return message.size() <= ProgressWindow::kMaxMessageLength
             ? message
             : message.substr(0, ProgressWindow::kMaxMessageLength);
}

}  // namespace

bool ProgressWindow::IsRunning() { return running.load(); }

void ProgressWindow::PressStop() { CStopRequest::Set(); }

void ProgressWindow::SetMessage(const std::wstring& message) {
  message_ = message;
  if (display_) display_->SetMessage(Cut(message_));
}

bool ProgressWindow::Start() {
  bool expected = false;
  if (!running.compare_exchange_strong(expected, true)) return true;
  // A new operation starts unstopped, shown or not: a Stop left from an earlier one would end
  // it at its first look.
  CStopRequest::Clear();
  display_ = makeDisplay_ ? makeDisplay_() : nullptr;
  // A window that cannot be shown must not keep the flag: every later operation would run
  // without progress.
  if (!display_) {
    running.store(false);
    return false;
  }
  if (!display_->Show(title_, Cut(message_), showStop_)) {
    display_.reset();
    running.store(false);
    return false;
  }
  return true;
}

bool ProgressWindow::StopRequested() { return CStopRequest::IsSet(); }

void ProgressWindow::Close() {
  if (!display_) return;
  running.store(false);
  std::unique_ptr<IProgressDisplay> display = std::move(display_);
  display->Close();
}

void ProgressWindow::Begin(const std::wstring& title, const std::wstring& message,
                           bool showStop) {
  SetTitle(title);
  SetShowStop(showStop);
  message_ = message;
  Start();
}

void ProgressWindow::ClearStop() { CStopRequest::Clear(); }
