// The one Stop request of the process, the portable stand-in for the named Stop event that every
// progress window and its Stop button open. Only the progress window uses it; operations learn
// of a Stop through the progress they were given.
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
