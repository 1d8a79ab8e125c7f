// Advising, unadvising and raising Excel's application events.
#include "tests/excel_host/app_events_point.h"

#include <new>

#include "addin/win32/office_interfaces.h"
#include "platform/bstr.h"

CComPtr<CAppEventsPoint> CAppEventsPoint::Create(IConnectionPointContainer* container) {
  CComPtr<CAppEventsPoint> point;
  point.Attach(new CAppEventsPoint(container));
  return point;
}

std::vector<HRESULT> CAppEventsPoint::Raise(DISPID event, const std::vector<CVariant>& args) {
  // Excel's order: the last argument first.
  std::vector<VARIANT> reversed;
  reversed.reserve(args.size());
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->Get());
  // A sink may unadvise itself while it handles the event; the copy keeps each one alive.
  const auto sinks = sinks_;
  std::vector<HRESULT> results;
  for (const auto& [cookie, sink] : sinks) {
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    CVariant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    results.push_back(sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                   result.Receive(), &exception, &argumentError));
    // Whatever a failing sink described is dropped with these.
    const CBstr source = CBstr::Adopt(exception.bstrSource);
    const CBstr description = CBstr::Adopt(exception.bstrDescription);
    const CBstr helpFile = CBstr::Adopt(exception.bstrHelpFile);
  }
  return results;
}

HRESULT CAppEventsPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CAppEventsPoint::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CAppEventsPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = DIID_AppEvents;
  return S_OK;
}

HRESULT CAppEventsPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = container_;
  if (container_ == nullptr) return E_UNEXPECTED;
  container_->AddRef();
  return S_OK;
}

HRESULT CAppEventsPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  // The events' own interface when the sink answers it, else plain IDispatch: both are called
  // late-bound by dispatch id.
  void* found = nullptr;
  if (FAILED(sink->QueryInterface(DIID_AppEvents, &found)) &&
      FAILED(sink->QueryInterface(IID_IDispatch, &found))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  CComPtr<IDispatch> dispatch;
  dispatch.Attach(static_cast<IDispatch*>(found));
  try {
    sinks_.emplace_back(nextCookie_, dispatch);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT CAppEventsPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT CAppEventsPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}
