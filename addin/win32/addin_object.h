// CAddIn: the object Excel creates by the ProgID "NUV.Connect". It answers Excel's connection
// interface, hands Excel the ribbon, and is itself IConnect, the dispatch interface of the
// ribbon's callbacks and of the scripts' Trace.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "addin/win32/com_module.h"
#include "addin/win32/office_interfaces.h"
#include "platform/com_ptr.h"

class CAddInSession;

// IConnect's members by name, with their dispatch ids in this order from 1.
inline constexpr std::wstring_view kConnectMembers[] = {
    L"ButtonClicked", L"LoadImage",        L"GetDescription", L"GetScreentip",
    L"GetSupertip",   L"GetKeytip",        L"GetButtonVisible", L"GetButtonLabel",
    L"OnLoadCustomUI", L"Test",            L"Trace"};

class CAddIn final : public IDispatch {
 public:
  CAddIn();
  ~CAddIn();
  CAddIn(const CAddIn&) = delete;
  CAddIn& operator=(const CAddIn&) = delete;

  // IUnknown, shared by the two nested interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch as IConnect: every member bound by name.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argumentError) override;

  // The connection, as IDTExtensibility2 and IRibbonExtensibility forward it.
  HRESULT Connect(IDispatch* application, IDispatch* addInInst);
  HRESULT StartupComplete();
  HRESULT BeginShutdown();
  HRESULT GetCustomUi(BSTR* xml);

 private:
  class XDTExtensibility2;
  class XRibbonExtensibility;

  HRESULT InvokeMember(DISPID member, const DISPPARAMS& params, VARIANT* result,
                       UINT* argumentError);

  CModuleReference moduleReference_;
  ULONG references_ = 1;
  CComPtr<IDispatch> application_;
  std::unique_ptr<CAddInSession> session_;  // The manager with all it needs; made on connection.
  std::unique_ptr<XDTExtensibility2> extensibility_;
  std::unique_ptr<XRibbonExtensibility> ribbon_;
};
