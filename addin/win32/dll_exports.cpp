// The four functions an in-process COM server exports (named in trelvane_addin.def).
#include <windows.h>

#include "addin/win32/addin_ids.h"
#include "addin/win32/class_factory.h"
#include "addin/win32/com_module.h"
#include "addin/win32/registration.h"
#include "platform/win32/module_instance.h"

namespace {
CClassFactory classFactory;
}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(ModuleInstance()); }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(); }

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, CLSID_Connect)) return CLASS_E_CLASSNOTAVAILABLE;
  return classFactory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return CComModule::CanUnload() ? S_OK : S_FALSE; }

}  // extern "C"
