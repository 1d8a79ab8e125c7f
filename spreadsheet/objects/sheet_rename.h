// Renaming a sheet as Excel renames one: the name is checked by Excel's rules, and every
// formula and defined name that refers to the sheet is rewritten to the new name, so that no
// reference is left pointing at a sheet that no longer exists.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

// Excel's limit on the length of a sheet name.
constexpr std::size_t kMaxSheetNameLength = 31;

// Why `name` cannot be given to `sheet` (empty, too long, a character Excel refuses, taken by
// another sheet); nothing when it can.
std::optional<std::wstring> SheetNameProblem(const CWorkbook& workbook, const CWorksheet& sheet,
                                             std::wstring_view name);

// `formula` (with or without its "=") with every sheet qualifier naming `oldName` (compared
// without regard to case; quoted or not; either end of a 3-D reference) changed to `newName`,
// quoted where the new name needs it. Strings, structured references and references to other
// workbooks are left alone.
std::wstring RenameSheetInFormula(std::wstring_view formula, std::wstring_view oldName,
                                  std::wstring_view newName);

// Renames the sheet and rewrites the workbook's formulas and defined names. The caller has
// checked the name with SheetNameProblem.
void RenameSheet(CWorkbook& workbook, CWorksheet& sheet, const std::wstring& newName);

}  // namespace spreadsheet
