// Items of an object-model collection (Workbooks, Worksheets, ...) found by name.
#pragma once

#include <string_view>

#include "excel/excel_object.h"

// The first item, from 1 to Count, whose Name equals `name` ignoring case, as Excel compares
// workbook and sheet names; false when there is none or the collection cannot be read.
bool FindItemByName(const ExcelObject& collection, std::wstring_view name, ExcelObject* item);
