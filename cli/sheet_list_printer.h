// `trelvane sheets`: the workbook's sheets, hidden ones too, as an aligned table or JSON.
#pragma once

#include <string>
#include <vector>

#include "cli/workbook_session.h"

// Table: "Sheet  State  Used range  Formulas", one row per sheet in workbook order; a sheet never
// written has an empty used range. JSON: {"sheets": [{"index", "name", "state", "usedRange"
// (null for none), "formulas"}]}.
std::string FormatSheetList(const std::vector<SheetSummary>& sheets, bool json);
