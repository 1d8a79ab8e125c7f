// The one Stop request of the process. Every progress controller, the progress window's Stop
// button and the command line's Ctrl-C handler share it, so a Stop stops whatever is running.
#pragma once

#include <atomic>

class CStopRequest {
 public:
  // Safe to call from a signal handler: a lock-free atomic store.
  static void Set() { flag_.store(true, std::memory_order_relaxed); }
  static void Clear() { flag_.store(false, std::memory_order_relaxed); }
  static bool IsSet() { return flag_.load(std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free);
  static inline std::atomic<bool> flag_{false};
};
