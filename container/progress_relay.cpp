// Only the outermost operation reaches the registered progress.
#include "container/progress_relay.h"

#include "platform/invariant.h"

void CProgressRelay::Begin(const std::wstring& title, const std::wstring& message,
                           bool showStop) {
  if (depth_++ == 0 && target_ != nullptr) target_->Begin(title, message, showStop);
}

void CProgressRelay::SetMessage(const std::wstring& message) {
  if (depth_ == 1 && target_ != nullptr) target_->SetMessage(message);
}

bool CProgressRelay::StopRequested() { return target_ != nullptr && target_->StopRequested(); }

void CProgressRelay::ClearStop() {
  if (target_ != nullptr) target_->ClearStop();
}

void CProgressRelay::End() {
  TRELVANE_ASSERT(depth_ > 0, "every End closes a Begin");
  if (depth_ == 0) return;
  if (--depth_ == 0 && target_ != nullptr) target_->End();
}
