// CListObjectContainer: how the formula parser finds tables by name.
#pragma once

#include <string_view>

#include "formula/cell_pos.h"
#include "formula/table_record.h"

// Implemented by the dependency container over its table list (and by CTableList). The
// returned record stays valid until the owner's tables are rebuilt.
class CListObjectContainer {
 public:
  // The first table whose name equals `name` case-insensitively, or null.
  virtual const TableRecord* FindTable(std::wstring_view name) const = 0;
  // The first table whose range holds the cell, or null: a formula inside a table may leave the
  // table's name out ("[@Qty]"). An owner that knows no positions finds none.
  virtual const TableRecord* FindTableAt(const CellPos& cell) const {
    static_cast<void>(cell);
    return nullptr;
  }

 protected:
  ~CListObjectContainer() = default;
};
