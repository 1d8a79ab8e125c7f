// Excel's start-up scan of its AddIns key, over the registry readers of addin_registration.h.
#include "tests/excel_host/registered_addins.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "tests/excel_host/addin_registration.h"

bool LoadsAtStartUp(DWORD loadBehavior) {
  constexpr DWORD kConnectedAtStartUp = 0x3;
  return (loadBehavior & kConnectedAtStartUp) == kConnectedAtStartUp;
}

std::vector<RegisteredAddIn> StartUpAddIns(HKEY root, const std::wstring& addInsPath) {
  std::vector<RegisteredAddIn> found;
  for (const std::wstring& progId : RegistrySubkeyNames(root, addInsPath)) {
    const std::wstring key = addInsPath + L"\\" + progId;
    const std::optional<RegistryValue> behaviour = ReadRegistryValue(root, key, L"LoadBehavior");
    const std::optional<DWORD> value = behaviour ? behaviour->Dword() : std::nullopt;
    if (!value || !LoadsAtStartUp(*value)) continue;
    RegisteredAddIn addIn{progId, {}, *value};
    if (const std::optional<RegistryValue> name = ReadRegistryValue(root, key, L"FriendlyName")) {
      addIn.friendlyName = name->Text().value_or(std::wstring());
    }
    found.push_back(std::move(addIn));
  }
  std::sort(found.begin(), found.end(),
            [](const RegisteredAddIn& a, const RegisteredAddIn& b) { return a.progId < b.progId; });
  return found;
}
