#include "addin/win32/class_factory.h"

#include <new>

#include "addin/win32/addin_object.h"
#include "addin/win32/com_module.h"

HRESULT STDMETHODCALLTYPE CClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                        void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* addIn = new (std::nothrow) CAddIn();
  if (addIn == nullptr) return E_OUTOFMEMORY;
  // The caller's reference is the only one: a failed query deletes the object again.
  const HRESULT answer = addIn->QueryInterface(iid, object);
  addIn->Release();
  return answer;
}

HRESULT STDMETHODCALLTYPE CClassFactory::LockServer(BOOL lock) {
  if (lock) {
    CComModule::Lock();
  } else {
    CComModule::Unlock();
  }
  return S_OK;
}
