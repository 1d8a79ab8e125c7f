// CEventHandlerApp: the sink of Excel's application events (AppEvents), turning the four the
// add-in follows into the manager's reactions.
#pragma once

#include <functional>
#include <utility>

#include "platform/automation.h"

class CAddInManager;

// Dispatch ids of Excel's AppEvents interface.
inline constexpr DISPID kSheetCalculateEvent = 0x61B;
inline constexpr DISPID kSheetChangeEvent = 0x61C;
inline constexpr DISPID kWorkbookOpenEvent = 0x61F;
inline constexpr DISPID kWorkbookBeforeCloseEvent = 0x622;

class CEventHandlerApp final : public IDispatch {
 public:
  CEventHandlerApp() = default;
  virtual ~CEventHandlerApp() = default;
  CEventHandlerApp(const CEventHandlerApp&) = delete;
  CEventHandlerApp& operator=(const CEventHandlerApp&) = delete;

  void SetManager(CAddInManager* manager) { manager_ = manager; }
  // Where an error that escapes a reaction is shown, with the reaction's context line; without
  // one it is dropped. Excel is told S_OK either way.
  using ErrorReporter = std::function<void(HRESULT error, const wchar_t* context)>;
  void SetErrorReporter(ErrorReporter report) { report_ = std::move(report); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  // Counted but never deleting: the manager owns the sink.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  // Always S_OK: an event Excel raises must never fail in Excel.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

 private:
  void Report(HRESULT error, const wchar_t* context) const noexcept;

  ULONG references_ = 1;
  CAddInManager* manager_ = nullptr;
  ErrorReporter report_;
};
