// CExcelWorkerThread: Excel's thread as the add-in meets it, for tests: a thread of its own that
// runs the calls handed to it one at a time while the caller waits. Objects obtained inside Run
// belong to this thread, so with the thread check on, any read that skips Run stops the test.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "excel/excel_thread.h"

namespace test_support {

class CExcelWorkerThread final : public IExcelThread {
 public:
  CExcelWorkerThread() : worker_([this] { Serve(); }) {}
  ~CExcelWorkerThread() {
    {
      const std::lock_guard guard(lock_);
      quit_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }
  CExcelWorkerThread(const CExcelWorkerThread&) = delete;
  CExcelWorkerThread& operator=(const CExcelWorkerThread&) = delete;

  void Run(const std::function<void()>& call) override {
    if (std::this_thread::get_id() == worker_.get_id()) {
      call();
      return;
    }
    std::unique_lock guard(lock_);
    pending_ = &call;
    ++calls;
    changed_.notify_all();
    changed_.wait(guard, [this] { return pending_ == nullptr; });
  }

  int calls = 0;  // Handed over from other threads.

 private:
  void Serve() {
    std::unique_lock guard(lock_);
    while (true) {
      changed_.wait(guard, [this] { return quit_ || pending_ != nullptr; });
      if (pending_ == nullptr) return;
      (*pending_)();
      pending_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex lock_;
  std::condition_variable changed_;
  const std::function<void()>* pending_ = nullptr;
  bool quit_ = false;
  std::thread worker_;  // Last: started once the rest is ready.
};

}  // namespace test_support
