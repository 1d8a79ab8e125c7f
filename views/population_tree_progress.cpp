// Counting processed nodes.
#include "views/population_tree_progress.h"

void CPopulationTreeProgress::Begin(IOperationProgress& progress) {
  End();
  processed_ = 0;
  stopped_ = false;
  progress_ = &progress;
  progress_->Begin(title_, L"", true);
}

void CPopulationTreeProgress::Tick() {
  if (progress_ == nullptr) return;
  ++processed_;
  if (processed_ % kReportEvery != 0) return;
  progress_->SetMessage(FormatCount(format_, processed_));
  stopped_ = progress_->StopRequested();
}

void CPopulationTreeProgress::ResetStop() {
  if (progress_ != nullptr) progress_->ClearStop();
}

void CPopulationTreeProgress::SetMessage(const std::wstring& message) {
  if (progress_ != nullptr) progress_->SetMessage(message);
}

void CPopulationTreeProgress::End() {
  if (progress_ == nullptr) return;
  IOperationProgress* progress = progress_;
  progress_ = nullptr;
  progress->End();
}
