// The workbook's named cell styles, as the "Format" submenus offer them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "excel/excel_object.h"

// The names of Workbook.Styles from Item(1) to Item(Count). A style whose item or name cannot be
// read keeps its place with an empty name, so that menu positions still match style indexes.
std::vector<std::wstring> ReadStyleNames(const ExcelObject& workbook);

// Styles.Item(index).Name, with index from 1; empty when it cannot be read. Commands read the name
// again when they run, since the styles may have changed since the menu was built.
std::wstring StyleNameAt(const ExcelObject& workbook, int32_t index);
