// CRecordingProgressDisplay: a progress display that records what it was shown, for tests of the
// progress window and of the views that report through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "views/progress_display.h"
#include "views/progress_window.h"

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

  // A progress window whose displays all write into one record, registered for the scope as
  // the progress of `container` when one is given.
  class Installed {
   public:
    explicit Installed(CDependencyContainer* container = nullptr)
        : record(std::make_shared<ProgressRecord>()),
          factory([r = record] { return std::make_unique<CRecordingProgressDisplay>(r); }),
          window(factory),
          container_(container) {
      if (container_ != nullptr) container_->SetProgress(&window);
    }
    ~Installed() {
      if (container_ != nullptr) container_->SetProgress(nullptr);
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    std::shared_ptr<ProgressRecord> record;
    // Makes displays that write into `record`, for more progress windows of the same test.
    ProgressDisplayFactory factory;
    ProgressWindow window;

   private:
    CDependencyContainer* container_;
  };

 private:
  std::shared_ptr<ProgressRecord> record_;
};

}  // namespace test_support
