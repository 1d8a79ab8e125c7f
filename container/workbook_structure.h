// CWorkbookStructure: what a workbook is made of, as last read: its sheets both ways, its defined
// names with the rectangles they name, and its tables. The structure reader fills it when the
// container attaches and after every refresh.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "formula/cell_pos.h"
#include "formula/cell_reference.h"
#include "formula/defined_names.h"
#include "formula/name_record.h"
#include "formula/sheet_index_by_name.h"
#include "formula/sheet_name_by_index.h"
#include "formula/table_list.h"
#include "formula/table_record.h"

// The sheet maps and the name table are lent to the parsers, which keep pointers to them, so
// they live as long as the structure and are emptied, never replaced.
class CWorkbookStructure {
 public:
  // Sheets. Index i is the i-th of Workbook.Worksheets, from 1.
  void AddSheet(int32_t index, std::wstring_view name);
  // The sheet indexes present, named or not (a sheet whose name cannot be read still counts).
  void AddSheetIndex(int32_t index) { sheetSet_.insert(index); }
  const std::set<int32_t>& SheetSet() const { return sheetSet_; }
  // The name of the sheet, or empty text when the index has none.
  std::wstring_view SheetNameOf(int32_t index) const { return sheetNames_.Find(index); }
  // The index of the sheet, the name compared without case; 0 when no sheet has it.
  int32_t SheetIndexOf(std::wstring_view name) const { return sheetIndexes_.Find(name); }
  // The two maps as the parsers and the branch labels take them.
  const SheetIndexByName& SheetsByName() const { return sheetIndexes_; }
  const SheetNameByIndex& SheetsByIndex() const { return sheetNames_; }
  SheetNameByIndex& SheetsByIndex() { return sheetNames_; }

  // Defined names. Ids count from 1 over the structure's whole life, refreshes included.
  int32_t NextNameId() { return ++nameCounter_; }
  int32_t LastNameId() const { return nameCounter_; }
  CDefinedNames& Names() { return names_; }
  const CDefinedNames& Names() const { return names_; }
  const NameRecord* FindName(int32_t id) const { return names_.FindRecord(id); }
  // The sheet a name belongs to; 0 for a workbook-level name.
  int32_t NameScope(int32_t id) const { return names_.ScopeOf(id); }
  // Records `name` as the name of the rectangle; a later name for it replaces the earlier.
  void NameRectangle(const CellPos& first, const CellPos& last, const std::wstring& name);
  // The name of exactly that rectangle, or empty text.
  std::wstring RectangleName(const CellPos& first, const CellPos& last) const;
  std::size_t NamedRectangles() const { return rectangleNames_.size(); }

  // Tables, in reading order.
  CTableList& Tables() { return tables_; }
  const CTableList& Tables() const { return tables_; }

  // A refresh empties everything read (the reader reads it again), but keeps counting name ids.
  void OnRefresh();

 private:
  SheetIndexByName sheetIndexes_;
  SheetNameByIndex sheetNames_;
  std::set<int32_t> sheetSet_;
  int32_t nameCounter_ = 0;
  CDefinedNames names_;
  std::map<CellReference, std::wstring> rectangleNames_;
  CTableList tables_;
};
