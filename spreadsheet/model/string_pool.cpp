// The workbook's text pool.
#include "spreadsheet/model/string_pool.h"

namespace spreadsheet {

std::uint32_t CStringPool::Intern(std::wstring_view text) {
  if (const auto found = ids_.find(text); found != ids_.end()) return found->second;
  const auto id = static_cast<std::uint32_t>(texts_.size());
  texts_.emplace_back(text);
  ids_.emplace(texts_.back(), id);
  return id;
}

}  // namespace spreadsheet
