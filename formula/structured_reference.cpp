// Splitting table references and resolving their items.
#include "formula/structured_reference.h"

#include "formula/text_compare.h"

TableReferenceParts SplitTableReference(std::wstring_view word) {
  const size_t bracket = word.find(L'[');
  if (bracket == std::wstring_view::npos) return {word, {}};
  const size_t start = bracket + 1;
  // "Sales[" has nothing between its "[" and its last character.
  const size_t end = word.size() - 1;
  return {word.substr(0, bracket),
          start < end ? word.substr(start, end - start) : std::wstring_view()};
}

std::optional<CellRect> ResolveTableItem(const TableRecord& table, std::wstring_view item,
                                         const CellPos& currentCell) {
  if (item.empty()) return std::nullopt;
  if (item.front() != L'#' && item != L"@") {
    for (const TableColumnRecord& column : table.columns) {
      if (EqualsNoCase(column.name, item)) return column.dataBody;
    }
    return std::nullopt;
  }
  if (EqualsNoCase(item, L"#Data")) return table.dataBody;
  if (EqualsNoCase(item, L"#Headers")) return table.headerRow;
  if (EqualsNoCase(item, L"#Totals")) return table.totalsRow;
  if (EqualsNoCase(item, L"#This Row") || item == L"@") {
    const CellRect& whole = table.whole;
    if (currentCell.row < whole.first.row || currentCell.row > whole.last.row) return std::nullopt;
    const int32_t sheet = whole.last.sheet;
    return CellRect{{sheet, whole.first.column, currentCell.row},
                    {sheet, whole.last.column, currentCell.row}};
  }
  return table.whole;
}
