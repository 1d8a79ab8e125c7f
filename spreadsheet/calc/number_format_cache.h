// CNumberFormatCache: parsed format codes by their text.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "spreadsheet/calc/number_format.h"

namespace spreadsheet {

// A workbook applies a few codes to many cells, so each is parsed once and found by its text.
// Invariant: at most kMaxEntries codes are held; when one more arrives all are dropped, which
// bounds memory whatever codes a file carries. Entries are shared, so a format handed out stays
// valid after it is dropped. Safe to use from several threads at once.
class CNumberFormatCache {
 public:
  // Real workbooks use tens of codes, a few hundred at most.
  static constexpr std::size_t kMaxEntries = 512;

  std::shared_ptr<const CNumberFormat> Find(std::wstring_view code);
  std::size_t Size() const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const noexcept {
      return std::hash<std::wstring_view>{}(text);
    }
  };

  mutable std::mutex mutex_;
  std::unordered_map<std::wstring, std::shared_ptr<const CNumberFormat>, Hash, std::equal_to<>>
      entries_;
  // The entry found last: cells of a column mostly share one code.
  const std::wstring* lastCode_ = nullptr;
  std::shared_ptr<const CNumberFormat> last_;
};

}  // namespace spreadsheet
