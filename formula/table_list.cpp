// Table lookup by name and by position.
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

const TableRecord* CTableList::FindTableAt(const CellPos& cell) const {
  for (const TableRecord& table : tables_) {
    const CellRect& whole = table.whole;
    if (cell.sheet >= whole.first.sheet && cell.sheet <= whole.last.sheet &&
        cell.column >= whole.first.column && cell.column <= whole.last.column &&
        cell.row >= whole.first.row && cell.row <= whole.last.row && !cell.IsNoCell()) {
      return &table;
    }
  }
  return nullptr;
}
