// What regsvr32 does with the add-in: the class, its ProgID and type library under the classes
// root, and the key under each hive's Excel add-ins that makes Excel load it at start-up.
#pragma once

#include <windows.h>

// The codes the self-registration protocol defines for its two failures.
inline constexpr HRESULT kSelfRegTypeLibFailed = static_cast<HRESULT>(0x80040200L);
inline constexpr HRESULT kSelfRegClassFailed = static_cast<HRESULT>(0x80040201L);

// Registering again rewrites the same values.
HRESULT RegisterServer(HMODULE module);
// Succeeds also when nothing (or only part) was registered.
HRESULT UnregisterServer();
