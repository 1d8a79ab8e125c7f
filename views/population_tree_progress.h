// CPopulationTreeProgress: counts the nodes an operation processes and reports every 50th to the
// operation's progress, polling Stop at the same moments. Tree filling, branch saving and
// branch formatting derive from it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "container/count_message.h"
#include "container/operation_progress.h"

class CPopulationTreeProgress {
 public:
  // Reporting every 50 nodes keeps the cost of progress small against the work.
  static constexpr std::int32_t kReportEvery = 50;

  CPopulationTreeProgress() = default;
  virtual ~CPopulationTreeProgress() { End(); }
  CPopulationTreeProgress(const CPopulationTreeProgress&) = delete;
  CPopulationTreeProgress& operator=(const CPopulationTreeProgress&) = delete;

  void SetTitle(std::wstring title) { title_ = std::move(title); }
  // `format` holds one %ld, replaced by the count.
  void SetFormat(std::wstring format) { format_ = std::move(format); }

  // Starts counting and begins the operation on `progress` (borrowed until End) with the title
  // and a Stop button.
  void Begin(IOperationProgress& progress);
  virtual void Tick();
  bool MayContinue() const { return progress_ == nullptr || !stopped_; }
  bool StopRequested() const { return progress_ != nullptr && progress_->StopRequested(); }
  void ResetStop();
  void SetMessage(const std::wstring& message);
  void End();

  std::int32_t Processed() const { return processed_; }

 private:
  IOperationProgress* progress_ = nullptr;  // Set between Begin and End.
  std::int32_t processed_ = 0;
  bool stopped_ = false;
  std::wstring title_ = L"Trelvane - expanding tree";
  std::wstring format_ = L"Nodes processed: %ld";
};
