// The process-wide list of reference-returning functions.
#include "formula/reference_functions.h"

#include <string>
#include <vector>

#include "formula/text_compare.h"

namespace {

std::vector<std::wstring>& Names() {
  static std::vector<std::wstring> names;
  return names;
}

}  // namespace

void ReferenceFunctions::Add(std::wstring_view name) {
  if (!Contains(name)) Names().emplace_back(name);
}

bool ReferenceFunctions::Contains(std::wstring_view name) {
  for (const std::wstring& known : Names()) {
    if (EqualsNoCase(known, name)) return true;
  }
  return false;
}

bool ReferenceFunctions::IsEmpty() {
  return Names().empty();
}

void ReferenceFunctions::Clear() {
  Names().clear();
}
