// Sheets, names and tables, and what a refresh empties of them.
#include "container/workbook_structure.h"

#include <utility>

void CWorkbookStructure::AddSheet(int32_t index, std::wstring_view name) {
  sheetIndexes_.Set(name, index);
  sheetNames_.Set(index, name);
}

void CWorkbookStructure::NameRectangle(const CellPos& first, const CellPos& last,
                                       const std::wstring& name) {
  CellReference key;
  key.first = first;
  key.last = last;
  rectangleNames_.insert_or_assign(std::move(key), name);
}

std::wstring CWorkbookStructure::RectangleName(const CellPos& first, const CellPos& last) const {
  CellReference key;
  key.first = first;
  key.last = last;
  const auto found = rectangleNames_.find(key);
  return found == rectangleNames_.end() ? std::wstring() : found->second;
}

void CWorkbookStructure::OnRefresh() {
  sheetIndexes_.Clear();
  sheetNames_.Clear();
  sheetSet_.clear();
  names_.Clear();
  rectangleNames_.clear();
  tables_.Clear();
}
