// SheetIndexByName: sheet name to sheet index, compared case-insensitively as Excel compares
// sheet names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "formula/text_compare.h"

// Owned by the dependency container and lent to the parsers. A later Set for a name that differs
// only in case replaces the earlier index.
class SheetIndexByName {
 public:
  void Set(std::wstring_view name, int32_t sheet) {
    map_.insert_or_assign(std::wstring(name), sheet);
  }
  // The sheet index, or 0 when no sheet has the name.
  int32_t Find(std::wstring_view name) const {
    const auto found = map_.find(name);
    return found == map_.end() ? 0 : found->second;
  }
  bool Contains(std::wstring_view name) const { return map_.find(name) != map_.end(); }
  void Clear() { map_.clear(); }
  size_t Size() const { return map_.size(); }

 private:
  std::unordered_map<std::wstring, int32_t, NoCaseHash, NoCaseEqual> map_;
};
