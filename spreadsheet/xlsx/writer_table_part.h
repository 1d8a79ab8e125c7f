// The part of one table (list object): its range, header and totals rows, columns and style.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {

// The names a file gives the columns of `table`: one per column of its range, none empty and
// no two the same without regard to case (as a file requires); the table's own names where
// they are sound, else "Column" and a number, as Excel names new columns.
std::vector<std::wstring> TableColumnNames(const Table& table);

// `id` is unique within the workbook.
void RenderTablePart(const Table& table, std::int32_t id, std::string& out);

}  // namespace spreadsheet
