// Reading a workbook's structure into its dependency container: the sheets, the defined names
// and the tables, read once when the container attaches and again on every refresh.
#pragma once

#include <cstdint>

#include "container/dependency_container.h"
#include "excel/excel_object.h"

// The scope of the names of Workbook.Names; sheet scopes are sheet indexes, from 1.
inline constexpr int32_t kWorkbookScope = 0;

// Keeps Workbook.Worksheets in the container, then reads the workbook's names and, sheet by
// sheet, the sheet's index and name, its own names and its tables. Stops quietly when the
// Worksheets collection cannot be had.
void BuildSheetIndex(CDependencyContainer& container);

// Gives each name of the collection the container's next id and records it under `scope`.
void ReadDefinedNames(CDependencyContainer& container, const ExcelObject& names, int32_t scope);

// Appends one record per table (ListObject) of the sheet to the container's table list.
void ReadTables(CDependencyContainer& container, const ExcelObject& worksheet);
