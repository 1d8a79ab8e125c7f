// CListObjectContainer: how the formula parser finds tables by name.
#pragma once

#include <string_view>

#include "formula/table_record.h"

// Implemented by the dependency container over its table list (and by CTableList). The
// returned record stays valid until the owner's tables are rebuilt.
class CListObjectContainer {
 public:
  // The first table whose name equals `name` case-insensitively, or null.
  virtual const TableRecord* FindTable(std::wstring_view name) const = 0;

 protected:
  ~CListObjectContainer() = default;
};
