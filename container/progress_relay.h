// CProgressRelay: the container's end of the progress its owner registered. Operations nest
// (expanding a tree asks for dependents, which collects the whole workbook), and only the
// outermost one is shown, as only one progress window is shown at a time.
#pragma once

#include <string>

#include "container/operation_progress.h"
#include "platform/invariant.h"

// An operation begun while another runs is part of it: its Begin, End and messages go nowhere,
// while its Stop polls reach the registered progress, so a Stop ends whatever runs. Without a
// registered progress nothing is shown and nothing stops.
class CProgressRelay final : public IOperationProgress {
 public:
  CProgressRelay() = default;
  CProgressRelay(const CProgressRelay&) = delete;
  CProgressRelay& operator=(const CProgressRelay&) = delete;
  ~CProgressRelay() = default;

  // Borrowed; null for none. Changed only while no operation runs.
  void SetTarget(IOperationProgress* target) {
    TRELVANE_ASSERT(depth_ == 0, "the progress is changed only while no operation runs");
    target_ = target;
  }
  IOperationProgress* Target() const { return target_; }

  void Begin(const std::wstring& title, const std::wstring& message, bool showStop) override;
  void SetMessage(const std::wstring& message) override;
  bool StopRequested() override;
  void ClearStop() override;
  void End() override;

 private:
  IOperationProgress* target_ = nullptr;
  int depth_ = 0;  // operations begun and not ended
};

// Begins an operation on construction and ends it however the scope is left.
class CProgressScope {
 public:
  CProgressScope(IOperationProgress& progress, const std::wstring& title,
                 const std::wstring& message, bool showStop)
      : progress_(progress) {
    progress_.Begin(title, message, showStop);
  }
  ~CProgressScope() { progress_.End(); }
  CProgressScope(const CProgressScope&) = delete;
  CProgressScope& operator=(const CProgressScope&) = delete;

  void SetMessage(const std::wstring& message) { progress_.SetMessage(message); }
  bool StopRequested() { return progress_.StopRequested(); }

 private:
  IOperationProgress& progress_;
};
