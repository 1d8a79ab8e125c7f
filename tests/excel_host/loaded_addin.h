// CLoadedAddIn: the add-in object as Excel holds it: created by ProgID in this process on the
// calling (single-threaded apartment) thread, and called through IDTExtensibility2,
// IRibbonExtensibility and, for the ribbon callbacks and scripts, IDispatch by member name.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "addin/win32/office_interfaces.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "tests/support/workbook_dispatch.h"

class CLoadedAddIn {
 public:
  // CLSIDFromProgID, then CoCreateInstance in process; the result of the first that fails.
  HRESULT Create(const wchar_t* progId);
  bool IsCreated() const { return static_cast<bool>(object_); }

  IUnknown* Object() const { return object_.Get(); }
  IDTExtensibility2* Extensibility() const { return extensibility_.Get(); }
  IRibbonExtensibility* RibbonExtensibility() const { return ribbon_.Get(); }
  IDispatch* Dispatch() const { return dispatch_.Get(); }

  // The connection sequence with the empty custom array Excel passes.
  HRESULT OnConnection(IDispatch* application, IDispatch* addInInst,
                       ext_ConnectMode mode = ext_cm_Startup);
  HRESULT OnStartupComplete();
  HRESULT OnBeginShutdown();
  HRESULT OnDisconnection(ext_DisconnectMode mode = ext_dm_HostShutdown);
  HRESULT GetCustomUi(std::wstring_view ribbonId, std::wstring* xml);

  // A member called by name, as Office calls the callbacks the customUI document names.
  test_support::DispatchAnswer CallByName(std::wstring_view member,
                                          const std::vector<CVariant>& args = {}) const;

  // Excel's last release of the add-in object.
  void Release();

 private:
  CComPtr<IUnknown> object_;
  CComPtr<IDTExtensibility2> extensibility_;
  CComPtr<IRibbonExtensibility> ribbon_;
  CComPtr<IDispatch> dispatch_;
};
