// CValueArray: a read-only view of an array written to a range (Range.Value = array), as rows
// and columns whatever its dimensions, lower bounds and element kind.
#pragma once

#include <cstdint>

#include "platform/automation.h"
#include "platform/variant.h"

namespace spreadsheet {

// Invariant: when valid, the array is locked (its data pinned) for the view's life. A
// one-dimensional array is one row, as Excel writes it.
class CValueArray {
 public:
  explicit CValueArray(SAFEARRAY* array);
  CValueArray(const CValueArray&) = delete;
  CValueArray& operator=(const CValueArray&) = delete;
  ~CValueArray();

  // False for arrays of more than two dimensions or of an element kind a cell cannot take.
  bool IsValid() const { return data_ != nullptr; }
  std::int64_t Rows() const { return rows_; }
  std::int64_t Columns() const { return columns_; }
  // The element at a 0-based row and column, borrowed from the array: valid while the view
  // lives, never to be cleared.
  VARIANT At(std::int64_t row, std::int64_t column) const;

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
  VARTYPE type_ = VT_EMPTY;
  std::uint32_t elementSize_ = 0;
  std::int64_t rows_ = 0;
  std::int64_t columns_ = 0;
};

}  // namespace spreadsheet
