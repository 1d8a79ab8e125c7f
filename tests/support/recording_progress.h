// CRecordingProgress: an operation's progress that records what it was told and can press Stop
// at a chosen message, for tests of operations below the views.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "container/operation_progress.h"

namespace test_support {

class CRecordingProgress final : public IOperationProgress {
 public:
  CRecordingProgress() = default;
  // Stop is pressed when a message for which `stopWhen` answers true arrives.
  explicit CRecordingProgress(std::function<bool(const std::wstring& title,
                                                 const std::wstring& message)> stopWhen)
      : stopWhen_(std::move(stopWhen)) {}

  void Begin(const std::wstring& title, const std::wstring& message, bool offersStop) override {
    ++begun;
    titles.push_back(title);
    showStop = offersStop;
    if (offersStop) ++begunWithStop;
    title_ = title;
    messages.push_back(message);
  }
  void SetMessage(const std::wstring& message) override {
    messages.push_back(message);
    if (stopWhen_ && stopWhen_(title_, message)) stop = true;
  }
  bool StopRequested() override {
    ++stopPolls;
    return stop;
  }
  void ClearStop() override { stop = false; }
  void End() override { ++ended; }

  int begun = 0;
  int begunWithStop = 0;  // Of the Begins, those that offered Stop.
  int ended = 0;
  int stopPolls = 0;
  bool showStop = false;
  bool stop = false;  // Pressed; a test may press it before the operation starts.
  std::vector<std::wstring> titles;    // Of every Begin.
  std::vector<std::wstring> messages;  // The message of each Begin, then every SetMessage.

 private:
  std::function<bool(const std::wstring&, const std::wstring&)> stopWhen_;
  std::wstring title_;
};

}  // namespace test_support
