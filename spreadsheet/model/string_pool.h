// CStringPool: the workbook's texts, each stored once and referred to by id (as a .xlsx shared
// string table does), so a cell holding text costs four bytes more than an empty one.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace spreadsheet {

// Invariant: id 0 is the empty text; ids are dense and stable for the pool's life.
class CStringPool {
 public:
  CStringPool() { Intern(L""); }
  CStringPool(const CStringPool&) = delete;
  CStringPool& operator=(const CStringPool&) = delete;

  std::uint32_t Intern(std::wstring_view text);
  const std::wstring& At(std::uint32_t id) const { return texts_.at(id); }
  std::size_t Size() const { return texts_.size(); }

 private:
  std::deque<std::wstring> texts_;  // A deque keeps the views in `ids_` valid as it grows.
  std::unordered_map<std::wstring_view, std::uint32_t> ids_;
};

}  // namespace spreadsheet
