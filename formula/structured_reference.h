// Structured (table) references: taking a word such as "Sales[Amount]" apart and turning the
// bracket part into a rectangle of the table.
#pragma once

#include <optional>
#include <string_view>

#include "formula/cell_pos.h"
#include "formula/cell_rect.h"
#include "formula/table_record.h"

struct TableReferenceParts {
  std::wstring_view tableName;    // the text before the first "[", or the whole word
  std::wstring_view bracketPart;  // between that "[" and the word's last character
};

// The bracket part drops the word's last character whatever it is (normally the closing "]").
TableReferenceParts SplitTableReference(std::wstring_view word);

// The rectangle of one item: a column name, "#Data", "#Headers", "#Totals", "#This Row" or "@"
// (the current cell's row across the table), or any other "#" item for the whole table. Names
// compare case-insensitively. Fails for an empty item, an unknown column, and a current row
// outside the table.
std::optional<CellRect> ResolveTableItem(const TableRecord& table, std::wstring_view item,
                                         const CellPos& currentCell);
