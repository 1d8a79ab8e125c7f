// Cache of parsed number format codes.
#include "spreadsheet/calc/number_format_cache.h"

namespace spreadsheet {

std::shared_ptr<const CNumberFormat> CNumberFormatCache::Find(std::wstring_view code) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (lastCode_ != nullptr && *lastCode_ == code) return last_;
    if (const auto found = entries_.find(code); found != entries_.end()) {
      lastCode_ = &found->first;
      last_ = found->second;
      return last_;
    }
  }
  // Parsed outside the lock; two threads meeting a new code at once parse it twice, harmlessly.
  auto format = std::make_shared<const CNumberFormat>(code);
  const std::lock_guard<std::mutex> lock(mutex_);
  if (entries_.size() >= kMaxEntries) {
    entries_.clear();
    lastCode_ = nullptr;
  }
  const auto [entry, inserted] = entries_.emplace(std::wstring(code), std::move(format));
  lastCode_ = &entry->first;
  last_ = entry->second;
  return last_;
}

std::size_t CNumberFormatCache::Size() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

}  // namespace spreadsheet
