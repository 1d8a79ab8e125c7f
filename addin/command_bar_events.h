// The sinks of the legacy command bar buttons' click events: each runs one command.
#pragma once

#include <cstdint>

#include "platform/automation.h"

class CAddInManager;

// Office's _CommandBarButtonEvents, {000C0351-0000-0000-C000-000000000046}; Click is id 1.
inline constexpr IID DIID_CommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kButtonClickEvent = 1;

// A sink of one Office event interface, answering IDispatch, IUnknown and that interface. It
// counts references but never deletes itself: its owner does, after unadvising it.
template <const IID& EventInterface>
class CExcelEventHandler : public IDispatch {
 public:
  CExcelEventHandler() = default;
  virtual ~CExcelEventHandler() = default;
  CExcelEventHandler(const CExcelEventHandler&) = delete;
  CExcelEventHandler& operator=(const CExcelEventHandler&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, EventInterface)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }

  ULONG References() const { return references_; }

 private:
  ULONG references_ = 1;
};

// Runs its command when its button is clicked; every other event is ignored.
class CEventHandlerMenuItem final : public CExcelEventHandler<DIID_CommandBarButtonEvents> {
 public:
  CEventHandlerMenuItem(int32_t command, CAddInManager* manager)
      : command_(command), manager_(manager) {}

  int32_t Command() const { return command_; }

  // Always S_OK: an event Excel raises must never fail in Excel. CancelDefault is left alone.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

 private:
  int32_t command_ = -1;
  CAddInManager* manager_ = nullptr;
};
