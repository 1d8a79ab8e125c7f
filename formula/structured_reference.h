// Structured (table) references: taking a word such as "Sales[Amount]" apart and turning the
// bracket part into a rectangle of the table.
#pragma once

#include <cstddef>
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

// Whether the word is one bracket pair with no table name, as formulas inside a table refer to
// it ("[@Qty]", "[[#This Row],[Qty]]"); "[Book1.xlsx]Sheet1!A1" is not.
bool IsBareTableReference(std::wstring_view word);

// The rectangle of one item: a column name, "#Data", "#Headers", "#Totals", "#This Row" or "@"
// (the current cell's row across the table), or any other "#" item for the whole table. Names
// compare case-insensitively. Fails for an empty item, an unknown column, and a current row
// outside the table.
std::optional<CellRect> ResolveTableItem(const TableRecord& table, std::wstring_view item,
                                         const CellPos& currentCell);

// The rectangle of a whole bracket part, in every form Excel writes:
//   ""                       the data body
//   "#Totals"                one special item (ResolveTableItem)
//   "Amount", "Col']x"       one column; an apostrophe makes the next character literal
//   "@", "@Amount", "@[Amount]", "@[Item]:[Date]"     the current row, of the columns given
//   "[#This Row],[Amount]", "[#Data],[#Totals],[Amount]", "[Item]:[Date]", "[#Headers]"
//                            rows of the special items (the data body when none is given)
//                            across the columns given (all when none; a range spans both)
// Blanks around the inner brackets are allowed. Fails for an unknown column or special item
// combination that names no cells (a current row outside the table, a part that could not be
// read), so the reference keeps zero coordinates.
std::optional<CellRect> ResolveTableSpecifier(const TableRecord& table,
                                              std::wstring_view bracketPart,
                                              const CellPos& currentCell);
