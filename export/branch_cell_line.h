// The line of one cell or rectangle in a saved branch or path: what is read from the workbook for
// it and handed to the storage. Shared by the branch walk and the path writer.
#pragma once

#include <cstdint>
#include <string>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "export/branch_storage.h"
#include "formula/cell_pos.h"
#include "formula/cell_reference.h"

// The defined name recorded for exactly this rectangle (one cell when the corners are equal), or
// empty.
std::wstring RectangleName(const CDependencyContainer& container, const CellPos& first,
                           const CellPos& last);

// WriteCell with the cell's FormulaLocal (when HasFormula reads TRUE), its Text and its name.
// Writes nothing and answers false when the cell's range cannot be had.
bool WriteCellLine(CBranchStorage& storage, CDependencyContainer& container, const CellPos& cell,
                   std::uint32_t depth, bool expandedAbove);
// The same for a range the caller already holds.
void WriteCellLine(CBranchStorage& storage, const CDependencyContainer& container,
                   const ExcelObject& range, const CellPos& cell, std::uint32_t depth,
                   bool expandedAbove);

// WriteName for a defined name that is no range: its name and refers-to text. Writes nothing and
// answers false for an id the workbook does not know.
bool WriteNameLine(CBranchStorage& storage, const CDependencyContainer& container, int32_t nameId,
                   std::uint32_t depth, bool expandedAbove);

// Whether the entry is a defined name that is no range (a constant or a formula), which has a
// line of its own rather than a cell's or a rectangle's.
bool IsNameEntry(const CellReference& entry);
