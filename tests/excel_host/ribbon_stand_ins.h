// The ribbon objects Office hands to an add-in: the loaded ribbon (IRibbonUI), which counts the
// invalidations the add-in asks for, and a control (IRibbonControl) that a callback is about.
// Both are dual, as Office's are: answered by slot and by name.
#pragma once

#include <atomic>
#include <string>

#include "addin/win32/office_interfaces.h"
#include "platform/com_ptr.h"

class CHostRibbonUi final : public IRibbonUI {
 public:
  static CComPtr<CHostRibbonUi> Create();

  int Invalidations() const { return invalidations_; }
  int ControlInvalidations() const { return controlInvalidations_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;
  HRESULT STDMETHODCALLTYPE Invalidate() override;
  HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR controlId) override;
  HRESULT STDMETHODCALLTYPE InvalidateControlMso(BSTR controlId) override;
  HRESULT STDMETHODCALLTYPE ActivateTab(BSTR controlId) override;
  HRESULT STDMETHODCALLTYPE ActivateTabMso(BSTR controlId) override;
  HRESULT STDMETHODCALLTYPE ActivateTabQ(BSTR controlId, BSTR namespaceText) override;

 private:
  CHostRibbonUi() = default;
  virtual ~CHostRibbonUi() = default;

  std::atomic<ULONG> references_{1};
  int invalidations_ = 0;
  int controlInvalidations_ = 0;
};

class CHostRibbonControl final : public IRibbonControl {
 public:
  // `readable` false makes every read of the control fail, as a control gone stale would.
  static CComPtr<CHostRibbonControl> Create(std::wstring id, std::wstring tag = {},
                                            bool readable = true);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;
  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override;
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override;
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override;

 private:
  CHostRibbonControl(std::wstring id, std::wstring tag, bool readable)
      : id_(std::move(id)), tag_(std::move(tag)), readable_(readable) {}
  virtual ~CHostRibbonControl() = default;

  std::atomic<ULONG> references_{1};
  std::wstring id_;
  std::wstring tag_;
  bool readable_;
};
