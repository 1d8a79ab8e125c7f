// The one Stop request of the process, set by the progress window's Stop button on any platform.
// A process-local flag rather than a named event: a named event would be shared by every Excel
// of the session, so that one user's Stop could end another workbook's operation. Only the
// progress window uses it; operations learn of a Stop through the progress they were given.
#pragma once

#include <atomic>

class CStopRequest {
 public:
  // A lock-free atomic store, safe from any thread.
  static void Set() { flag_.store(true, std::memory_order_relaxed); }
  static void Clear() { flag_.store(false, std::memory_order_relaxed); }
  static bool IsSet() { return flag_.load(std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free);
  static inline std::atomic<bool> flag_{false};
};
