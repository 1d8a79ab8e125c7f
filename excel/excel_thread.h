// IExcelThread: the one way code that runs on another thread reaches the workbook. In the add-in
// the trees and windows live on the add-in's own thread while the workbook's objects belong to
// Excel's, so every object-model access of the views is handed to Excel's thread and waited for.
// Off Windows and in tests the caller's thread is Excel's, and the call is made directly.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

class IExcelThread {
 public:
  // Runs `call` on Excel's thread and returns when it has run. A call made on Excel's thread
  // itself (a nested one included) runs at once.
  virtual void Run(const std::function<void()>& call) = 0;

 protected:
  ~IExcelThread() = default;
};

// Excel's thread is the caller's.
class CCallerIsExcelThread final : public IExcelThread {
 public:
  void Run(const std::function<void()>& call) override { call(); }
};

// Runs `read` through `thread` and answers what it returned.
template <typename Read>
auto OnExcelThread(IExcelThread& thread, Read&& read) -> std::invoke_result_t<Read&> {
  using Result = std::invoke_result_t<Read&>;
  if constexpr (std::is_void_v<Result>) {
    thread.Run([&read] { read(); });
  } else {
    // Results of views' reads (texts, lists, Booleans) are all default-constructible.
    Result result{};
    thread.Run([&read, &result] { result = read(); });
    return result;
  }
}
