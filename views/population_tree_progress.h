// CPopulationTreeProgress: counts the nodes an operation processes and reports every 50th in a
// progress window, polling the Stop request at the same moments. Tree filling, branch saving and
// branch formatting derive from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "views/progress_window.h"

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

  void Begin();
  virtual void Tick();
  bool MayContinue() const { return !controller_ || !stopped_; }
  bool StopRequested() const { return controller_ && controller_->StopRequested(); }
  void ResetStop();
  void SetMessage(const std::wstring& message);
  void End();

  std::int32_t Processed() const { return processed_; }

 private:
  std::unique_ptr<ProgressWindow> controller_;
  std::int32_t processed_ = 0;
  bool stopped_ = false;
  std::wstring title_ = L"Trelvane - expanding tree";
  std::wstring format_ = L"Nodes processed: %ld";
};

// `format` with its first %ld replaced by `count`; the rest is kept as it is.
std::wstring FormatCount(const std::wstring& format, long count);
