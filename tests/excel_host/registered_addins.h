// The COM add-ins Excel finds in the registry when it starts: the subkeys of its AddIns key whose
// LoadBehavior asks for loading at start-up, read as Excel reads them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Where Excel looks for COM add-ins, under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kExcelAddInsPath[] = L"Software\\Microsoft\\Office\\Excel\\AddIns";

struct RegisteredAddIn {
  std::wstring progId;  // the subkey's name, which Excel creates the add-in by
  std::wstring friendlyName;
  DWORD loadBehavior = 0;
};

// True for a LoadBehavior that loads and connects the add-in when Excel starts: both the
// "connected" (1) and "load at start-up" (2) bits; the higher bits (on demand, first time) do
// not matter.
bool LoadsAtStartUp(DWORD loadBehavior);

// The add-ins under `root`\`addInsPath` that Excel would load at start-up, sorted by ProgID. A
// subkey without a DWORD LoadBehavior is not loaded (Excel ignores one written as text).
std::vector<RegisteredAddIn> StartUpAddIns(HKEY root,
                                           const std::wstring& addInsPath = kExcelAddInsPath);
