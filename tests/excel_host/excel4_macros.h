// The Excel 4 macro functions the add-in evaluates through Application.ExecuteExcel4Macro:
// GET.CELL(42) and GET.CELL(43), answered from the host's own layout of the workbook window.
#pragma once

#include <optional>
#include <string_view>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/objects/spreadsheet_application.h"

// The headings the host draws, in points at zoom 100; they grow with the zoom, as Excel's do.
inline constexpr double kHostRowHeadingWidth = 27.0;
inline constexpr double kHostColumnHeadingHeight = 15.0;

// A reference in the external R1C1 form, "[Book1.xlsx]Sheet1!R3C2" (a range gives its first
// cell; names may be quoted).
struct ExternalCell {
  std::wstring workbook;
  std::wstring sheet;
  spreadsheet::CellCoord cell;
};
std::optional<ExternalCell> ParseExternalCell(std::wstring_view text);

// The cell's distance in points from the left (42) or top (43) of the sheet window's client
// area, as drawn at the window's zoom and measured within its active pane: headings when shown,
// the panes before the active one, then the columns or rows from the pane's first visible one
// (negative for a cell before it). Nothing for any other macro or an unknown reference.
std::optional<double> EvaluateExcel4Macro(spreadsheet::CSpreadsheetApplication& application,
                                          std::wstring_view macro);
