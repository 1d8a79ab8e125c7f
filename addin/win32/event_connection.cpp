#include "addin/win32/event_connection.h"

#include "addin/win32/com_error.h"

namespace {
constexpr wchar_t kAdviseContext[] = L"Error occured:";
}  // namespace

bool EventConnection::Advise(IUnknown* source, REFIID eventInterface, IUnknown* sink) {
  if (cookie_ != 0) return true;
  sink_ = sink;
  if (sink == nullptr || source == nullptr) return false;
  CComPtr<IConnectionPointContainer> container;
  if (FAILED(source->QueryInterface(IID_IConnectionPointContainer,
                                    reinterpret_cast<void**>(container.Receive())))) {
    return false;
  }
  HRESULT answer = container->FindConnectionPoint(eventInterface, point_.Receive());
  if (SUCCEEDED(answer)) answer = point_->Advise(sink, &cookie_);
  if (FAILED(answer)) {
    point_.Reset();
    cookie_ = 0;
    ShowComError(answer, kAdviseContext);
    return false;
  }
  return true;
}

void EventConnection::Unadvise() {
  sink_ = nullptr;
  if (!point_) return;
  const HRESULT answer = point_->Unadvise(cookie_);
  if (FAILED(answer)) {
    ShowComError(answer, kAdviseContext);
    return;
  }
  point_.Reset();
  cookie_ = 0;
}
