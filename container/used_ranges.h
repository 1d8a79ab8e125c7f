// CUsedRanges: the UsedRange corners of each sheet, by sheet index, as first read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "formula/cell_rect.h"

class CUsedRanges {
 public:
  std::optional<CellRect> Find(int32_t sheet) const {
    const auto found = ranges_.find(sheet);
    if (found == ranges_.end()) return std::nullopt;
    return found->second;
  }
  void Store(int32_t sheet, const CellRect& corners) { ranges_.emplace(sheet, corners); }
  bool Contains(int32_t sheet) const { return ranges_.contains(sheet); }

  // A refresh keeps them: positions clamped before it stay clamped the same way after.
  void OnRefresh() {}

 private:
  std::map<int32_t, CellRect> ranges_;
};
