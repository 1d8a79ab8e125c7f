// The module the calling code is linked into: the add-in's DLL inside Excel, the executable in
// tests. Its resources (dialogs, strings, icons, the type library) are loaded from it.
#pragma once

#include <windows.h>

inline HINSTANCE ModuleInstance() {
  static const HINSTANCE module = [] {
    HMODULE found = nullptr;
    // Any address inside this module names it; the module stays loaded while its code runs.
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ModuleInstance), &found);
    return found;
  }();
  return module;
}
