// CColumnBlock: what one read of a member gives for a block of cells of one column - a scalar
// for a single cell, a rows-by-1 array otherwise - seen as one value per row.
#pragma once

#include <cstdint>

#include "platform/variant.h"

class CColumnBlock {
 public:
  CColumnBlock() = default;
  CColumnBlock(const CColumnBlock&) = delete;
  CColumnBlock& operator=(const CColumnBlock&) = delete;
  ~CColumnBlock() { Release(); }

  // Takes the answer of a read of `rows` cells. False, leaving the block empty, when its shape
  // is not one value per row.
  bool Assign(CVariant answer, int32_t rows);
  int32_t Size() const { return size_; }
  // The value of the block's `row`-th cell (from 0).
  const VARIANT& operator[](int32_t row) const {
    return data_ != nullptr ? data_[row] : *answer_.Get();
  }

 private:
  void Release();

  CVariant answer_;
  VARIANT* data_ = nullptr;  // the array's elements while it is locked
  int32_t size_ = 0;
};
