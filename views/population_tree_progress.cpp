// Counting processed nodes.
#include "views/population_tree_progress.h"

#include "views/stop_request.h"

std::wstring FormatCount(const std::wstring& format, long count) {
  // Only %ld is replaced: a format is never handed to printf, so a stray % cannot misbehave.
  const std::size_t at = format.find(L"%ld");
  if (at == std::wstring::npos) return format;
  return format.substr(0, at) + std::to_wstring(count) + format.substr(at + 3);
}

void CPopulationTreeProgress::Begin() {
  processed_ = 0;
  stopped_ = false;
  controller_ = std::make_unique<ProgressWindow>();
  controller_->SetTitle(title_);
  controller_->SetShowStop(true);
  controller_->Start();
}

void CPopulationTreeProgress::Tick() {
  if (!controller_) return;
  ++processed_;
  if (processed_ % kReportEvery != 0) return;
  controller_->SetMessage(FormatCount(format_, processed_));
  stopped_ = controller_->StopRequested();
}

void CPopulationTreeProgress::ResetStop() { CStopRequest::Clear(); }

void CPopulationTreeProgress::SetMessage(const std::wstring& message) {
  if (controller_) controller_->SetMessage(message);
}

void CPopulationTreeProgress::End() {
  if (!controller_) return;
  controller_->Close();
  controller_.reset();
}
