// The function table: one hash map from upper-case names to their entries, filled once.
#include "spreadsheet/calc/function_registry.h"

#include <cwctype>
#include <stdexcept>
#include <unordered_map>

namespace spreadsheet {

class CFunctionTable {
 public:
  void Add(const FunctionEntry& entry) {
    if (!byName_.emplace(entry.name, entry).second) {
      throw std::logic_error("a worksheet function is registered twice");
    }
  }
  const FunctionEntry* Find(std::wstring_view name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : &found->second;
  }

 private:
  std::unordered_map<std::wstring_view, FunctionEntry> byName_;
};

void AddFunction(CFunctionTable& table, const FunctionEntry& entry) {
  table.Add(entry);
}

namespace {

const CFunctionTable& Table() {
  static const CFunctionTable table = [] {
    CFunctionTable built;
    RegisterLogicalFunctions(built);
    RegisterInformationFunctions(built);
    RegisterMathFunctions(built);
    RegisterStatisticalFunctions(built);
    RegisterAggregateFunctions(built);
    RegisterTextFunctions(built);
    RegisterDateFunctions(built);
    RegisterFinancialFunctions(built);
    RegisterEngineeringFunctions(built);
    RegisterComplexFunctions(built);
    RegisterLookupFunctions(built);
    return built;
  }();
  return table;
}

}  // namespace

const FunctionEntry* FindFunction(std::wstring_view upperCaseName) {
  return Table().Find(upperCaseName);
}

}  // namespace spreadsheet
