// CAppEventsPoint: the connection point of Excel's application events (AppEvents) on the host's
// Application: sinks are advised and unadvised by cookie, and events are raised on every sink
// with their arguments last first, as Excel passes them.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/variant.h"

// Dispatch ids of the AppEvents the host raises, from Excel's type library.
inline constexpr DISPID kAppEventSheetCalculate = 0x61B;       // (Sh)
inline constexpr DISPID kAppEventSheetChange = 0x61C;          // (Sh, Target)
inline constexpr DISPID kAppEventWorkbookOpen = 0x61F;         // (Wb)
inline constexpr DISPID kAppEventWorkbookBeforeClose = 0x622;  // (Wb, Cancel)

// Invariant: container_ is the Application that made the point, or null once that is gone;
// every held sink was advised and not yet unadvised.
class CAppEventsPoint final : public IConnectionPoint {
 public:
  // `container` is borrowed: its owner calls Orphan before it goes.
  static CComPtr<CAppEventsPoint> Create(IConnectionPointContainer* container);
  void Orphan() { container_ = nullptr; }

  // Calls `event` on every advised sink with `args` in the order Excel's documentation writes
  // them; answers the result of each call.
  std::vector<HRESULT> Raise(DISPID event, const std::vector<CVariant>& args);
  std::size_t SinkCount() const { return sinks_.size(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  // Not offered: the add-in never lists the connections.
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  explicit CAppEventsPoint(IConnectionPointContainer* container) : container_(container) {}
  virtual ~CAppEventsPoint() = default;

  std::atomic<ULONG> references_{1};
  IConnectionPointContainer* container_;
  std::vector<std::pair<DWORD, CComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};
