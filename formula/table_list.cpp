// Table lookup by name.
#include "formula/table_list.h"

#include "formula/text_compare.h"

const TableRecord* CTableList::FindTable(std::wstring_view name) const {
  // A table whose name could not be read has an empty one; an empty name finds nothing.
  if (name.empty()) return nullptr;
  for (const TableRecord& table : tables_) {
    if (EqualsNoCase(table.name, name)) return &table;
  }
  return nullptr;
}
