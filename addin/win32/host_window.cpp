// The host window and the host calls that run on Excel's thread.
#include "addin/win32/host_window.h"

#include <atomic>

#include "addin/win32/message_boxes.h"

namespace {

std::atomic<HWND> processHostWindow{nullptr};

// Keeps what a function run on Excel's thread threw, for its caller on the other side.
class CHostWndCallback_Function final : public CHostWndCallback {
 public:
  explicit CHostWndCallback_Function(const std::function<void()>& call) : call_(call) {}
  void Invoke() override {
    try {
      call_();
    } catch (...) {
      failure_ = std::current_exception();
    }
  }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  const std::function<void()>& call_;
  std::exception_ptr failure_;
};

}  // namespace

std::unique_ptr<CHostWnd> CHostWnd::Create(HWND excelWindow) {
  if (processHostWindow.load() != nullptr || excelWindow == nullptr) return nullptr;
  std::unique_ptr<CHostWnd> host(new CHostWnd());
  if (!host->CWindowBase::Create(L"TrelvaneHostWindow", 0, WS_CHILD, nullptr, excelWindow,
                                 kHostWindowId)) {
    return nullptr;
  }
  HWND expected = nullptr;
  if (!processHostWindow.compare_exchange_strong(expected, host->Hwnd())) return nullptr;
  return host;
}

CHostWnd::~CHostWnd() {
  HWND mine = Hwnd();
  // Also when Excel's window took it down first: the slot names this object's window.
  if (mine != nullptr) processHostWindow.compare_exchange_strong(mine, nullptr);
  Destroy();
}

HWND CHostWnd::Current() {
  return processHostWindow.load();
}

bool CHostWnd::SendCall(CHostWndCallback& callback) {
  HWND host = Current();
  if (host == nullptr) return false;
  ::SendMessageW(host, kHostCallMessage, 0, reinterpret_cast<LPARAM>(&callback));
  return true;
}

LRESULT CHostWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (message == WM_NCDESTROY) {
    HWND mine = Hwnd();
    processHostWindow.compare_exchange_strong(mine, nullptr);
  }
  if (message != kHostCallMessage || lParam == 0) {
    return CWindowBase::OnMessage(message, wParam, lParam, handled);
  }
  *handled = true;
  reinterpret_cast<CHostWndCallback*>(lParam)->Invoke();
  return 0;
}

bool CWin32ExcelThread::OnExcelThread() const {
  HWND host = CHostWnd::Current();
  const DWORD excelThread =
      host != nullptr ? ::GetWindowThreadProcessId(host, nullptr) : ownerThread_;
  return excelThread == ::GetCurrentThreadId();
}

void CWin32ExcelThread::Run(const std::function<void()>& call) {
  if (OnExcelThread()) {
    call();
    return;
  }
  CHostWndCallback_Function callback(call);
  {
    CDeferredMessageScope deferral;
    // Without a host window there is no way onto Excel's thread, and touching Excel's objects
    // from here is worse than not reading them: the read is skipped.
    if (!CHostWnd::SendCall(callback)) return;
  }
  callback.RethrowFailure();
}
