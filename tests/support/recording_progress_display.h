// CRecordingProgressDisplay: a progress display that records what it was shown, for tests of
// operations that report progress.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "views/progress_display.h"

namespace test_support {

struct ProgressRecord {
  int shown = 0;
  int closed = 0;
  std::wstring title;
  bool showStop = false;
  std::vector<std::wstring> messages;  // The message at Show first, then every SetMessage.
};

class CRecordingProgressDisplay final : public IProgressDisplay {
 public:
  explicit CRecordingProgressDisplay(std::shared_ptr<ProgressRecord> record)
      : record_(std::move(record)) {}
  bool Show(const std::wstring& title, const std::wstring& message, bool showStop) override {
    ++record_->shown;
    record_->title = title;
    record_->showStop = showStop;
    record_->messages.push_back(message);
    return true;
  }
  void SetMessage(const std::wstring& message) override { record_->messages.push_back(message); }
  void Close() override { ++record_->closed; }

  // Installs a factory whose displays all write into one record, for the life of the scope.
  class Installed {
   public:
    Installed() : record(std::make_shared<ProgressRecord>()) {
      SetProgressDisplayFactory(
          [r = record] { return std::make_unique<CRecordingProgressDisplay>(r); });
    }
    ~Installed() { SetProgressDisplayFactory(nullptr); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    std::shared_ptr<ProgressRecord> record;
  };

 private:
  std::shared_ptr<ProgressRecord> record_;
};

}  // namespace test_support
