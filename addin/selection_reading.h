// What the user selected in Excel, as the reference a command works on.
#pragma once

#include <string>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_reference.h"

// True when Workbooks.Count can be read and is above 0.
bool IsWorkbookOpen(const ExcelObject& application);

// Selection.Address read on the active sheet with the container's address parser; only `first`
// and `last` are set. False when a read or the parse fails.
bool ReadSelectionRange(const ExcelObject& application, CDependencyContainer& container,
                        CellReference* range);

// The same, widened to the whole array block (flagged RefArrayRange) when the selection is part of
// an array formula.
bool ReadPrecedentsRange(const ExcelObject& application, CDependencyContainer& container,
                         CellReference* range);
