// The Office interfaces an add-in answers or calls, which MinGW's headers do not declare,
// written from their published interface ids and slot orders. All are dual: IDispatch first.
#pragma once

#include <windows.h>
#include <oaidl.h>

// The add-in designer's connection interface, {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}.
enum ext_ConnectMode : int {
  ext_cm_AfterStartup = 0,
  ext_cm_Startup = 1,
  ext_cm_External = 2,
  ext_cm_CommandLine = 3
};
enum ext_DisconnectMode : int { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

inline constexpr IID IID_IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

struct IDTExtensibility2 : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application,
                                                 ext_ConnectMode connectMode,
                                                 IDispatch* addInInst, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode removeMode,
                                                    SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// Dispatch ids of IDTExtensibility2, for hosts that call it late-bound.
inline constexpr DISPID kOnConnectionId = 1;
inline constexpr DISPID kOnDisconnectionId = 2;
inline constexpr DISPID kOnAddInsUpdateId = 3;
inline constexpr DISPID kOnStartupCompleteId = 4;
inline constexpr DISPID kOnBeginShutdownId = 5;

// {000C0396-0000-0000-C000-000000000046}
inline constexpr IID IID_IRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IRibbonExtensibility : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* xml) = 0;
};
inline constexpr DISPID kGetCustomUiId = 1;

// {000C0395-0000-0000-C000-000000000046}: the control a callback is about.
inline constexpr IID IID_IRibbonControl = {
    0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IRibbonControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) = 0;
};
inline constexpr DISPID kRibbonControlIdId = 1;
inline constexpr DISPID kRibbonControlContextId = 2;
inline constexpr DISPID kRibbonControlTagId = 3;

// {000C03A7-0000-0000-C000-000000000046}: the loaded ribbon, handed to onLoad.
inline constexpr IID IID_IRibbonUI = {
    0x000C03A7, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IRibbonUI : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Invalidate() = 0;
  virtual HRESULT STDMETHODCALLTYPE InvalidateControl(BSTR controlId) = 0;
  virtual HRESULT STDMETHODCALLTYPE InvalidateControlMso(BSTR controlId) = 0;
  virtual HRESULT STDMETHODCALLTYPE ActivateTab(BSTR controlId) = 0;
  virtual HRESULT STDMETHODCALLTYPE ActivateTabMso(BSTR controlId) = 0;
  virtual HRESULT STDMETHODCALLTYPE ActivateTabQ(BSTR controlId, BSTR namespaceText) = 0;
};
inline constexpr DISPID kRibbonInvalidateId = 1;

// Excel's application events, {00024413-0000-0000-C000-000000000046}.
inline constexpr IID DIID_AppEvents = {
    0x00024413, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
