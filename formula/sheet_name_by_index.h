// SheetNameByIndex: sheet index to the sheet's name, for text shown to the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// Owned by the dependency container and lent to the formula parser.
class SheetNameByIndex {
 public:
  void Set(int32_t sheet, std::wstring_view name) {
    map_.insert_or_assign(sheet, std::wstring(name));
  }
  // The name, or an empty text when the index has none.
  std::wstring_view Find(int32_t sheet) const {
    const auto found = map_.find(sheet);
    return found == map_.end() ? std::wstring_view() : std::wstring_view(found->second);
  }
  void Clear() { map_.clear(); }
  size_t Size() const { return map_.size(); }

 private:
  std::unordered_map<int32_t, std::wstring> map_;
};
