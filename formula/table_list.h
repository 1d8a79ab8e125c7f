// CTableList: the tables of a workbook in the order read, searchable by name.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "formula/list_object_container.h"
#include "formula/table_record.h"

// Tables are kept in reading order (sheet by sheet, ListObjects order); of two names that differ
// only in case the one read first is found.
class CTableList final : public CListObjectContainer {
 public:
  void Add(TableRecord table) { tables_.push_back(std::move(table)); }
  void Clear() { tables_.clear(); }
  const std::vector<TableRecord>& Tables() const { return tables_; }

  const TableRecord* FindTable(std::wstring_view name) const override;
  const TableRecord* FindTableAt(const CellPos& cell) const override;

 private:
  std::vector<TableRecord> tables_;
};
