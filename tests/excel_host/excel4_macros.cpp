// GET.CELL(42) and GET.CELL(43) over the embedded spreadsheet's window layout.
#include "tests/excel_host/excel4_macros.h"

#include <cmath>
#include <cwctype>
#include <string>

#include "platform/text_case.h"
#include "spreadsheet/objects/range_geometry.h"
#include "spreadsheet/objects/window_layout.h"

namespace {

using spreadsheet::CellCoord;

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.back()))) text.remove_suffix(1);
  return text;
}

// "R3C2" to row 3, column 2.
std::optional<CellCoord> ParseR1C1Cell(std::wstring_view text) {
  const auto number = [&text](wchar_t letter) -> std::optional<std::int32_t> {
    if (text.empty() || std::towupper(static_cast<wint_t>(text.front())) != letter) {
      return std::nullopt;
    }
    text.remove_prefix(1);
    std::int64_t value = 0;
    size_t digits = 0;
    while (digits < text.size() && std::iswdigit(static_cast<wint_t>(text[digits])) &&
           value < 10'000'000) {
      value = value * 10 + (text[digits] - L'0');
      ++digits;
    }
    text.remove_prefix(digits);
    if (digits == 0 || value < 1) return std::nullopt;
    return static_cast<std::int32_t>(value);
  };
  const std::optional<std::int32_t> row = number(L'R');
  const std::optional<std::int32_t> column = number(L'C');
  if (!row || !column || !text.empty() || *row > spreadsheet::kMaxRows ||
      *column > spreadsheet::kMaxColumns) {
    return std::nullopt;
  }
  return CellCoord{*row, *column};
}

std::wstring Unquoted(std::wstring_view text) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    plain.push_back(text[i]);
    if (text[i] == L'\'' && i + 1 < text.size() && text[i + 1] == L'\'') ++i;
  }
  return plain;
}

// Points from the pane's first column (row) to the cell's, negative for a cell before it.
double Between(std::int32_t first, std::int32_t target, bool columns,
               const spreadsheet::CWorksheet& sheet) {
  const auto extent = [&](std::int32_t from, std::int32_t to) {
    return columns ? spreadsheet::ColumnsWidth(sheet, from, to)
                   : spreadsheet::RowsHeight(sheet, from, to);
  };
  if (target > first) return extent(first, target - 1);
  if (target < first) return -extent(target, first - 1);
  return 0.0;
}

}  // namespace

std::optional<ExternalCell> ParseExternalCell(std::wstring_view text) {
  text = Trimmed(text);
  const size_t bang = text.rfind(L'!');
  const size_t open = text.find(L'[');
  const size_t close = text.find(L']');
  if (bang == std::wstring_view::npos || open == std::wstring_view::npos ||
      close == std::wstring_view::npos || !(open < close && close < bang)) {
    return std::nullopt;
  }
  std::wstring_view sheet = text.substr(close + 1, bang - close - 1);
  if (!sheet.empty() && sheet.back() == L'\'') sheet.remove_suffix(1);
  std::wstring_view cell = text.substr(bang + 1);
  cell = cell.substr(0, cell.find(L':'));
  const std::optional<CellCoord> coord = ParseR1C1Cell(cell);
  if (!coord) return std::nullopt;
  return ExternalCell{Unquoted(text.substr(open + 1, close - open - 1)), Unquoted(sheet), *coord};
}

std::optional<double> EvaluateExcel4Macro(spreadsheet::CSpreadsheetApplication& application,
                                          std::wstring_view macro) {
  macro = Trimmed(macro);
  constexpr std::wstring_view kGetCell = L"GET.CELL(";
  if (macro.size() < kGetCell.size() + 1 ||
      UpperCase(macro.substr(0, kGetCell.size())) != kGetCell || macro.back() != L')') {
    return std::nullopt;
  }
  const std::wstring_view inside =
      macro.substr(kGetCell.size(), macro.size() - kGetCell.size() - 1);
  const size_t comma = inside.find(L',');
  if (comma == std::wstring_view::npos) return std::nullopt;
  const std::wstring_view kind = Trimmed(inside.substr(0, comma));
  const bool horizontal = kind == L"42";
  if (!horizontal && kind != L"43") return std::nullopt;
  const std::optional<ExternalCell> target = ParseExternalCell(inside.substr(comma + 1));
  if (!target) return std::nullopt;

  for (const auto& workbook : application.Workbooks()) {
    if (UpperCase(workbook->Name()) != UpperCase(target->workbook)) continue;
    for (std::int32_t index = 1; index <= workbook->SheetCount(); ++index) {
      const spreadsheet::CWorksheet& sheet = workbook->Sheet(index);
      if (UpperCase(sheet.Name()) != UpperCase(target->sheet)) continue;
      spreadsheet::WindowState& state = application.Window(*workbook);
      const spreadsheet::CWindowLayout layout(state, sheet);
      const std::int32_t pane = layout.ActivePane();
      const CellCoord origin = layout.PaneOrigin(pane);
      const double zoom = (std::isnan(state.zoom) ? 100.0 : state.zoom) / 100.0;
      // The active pane begins after the split when it lies right of (below) it.
      const std::int32_t panes = layout.PaneCount();
      const bool pastSplit = horizontal
                                 ? (panes == 4 && (pane == 2 || pane == 4)) ||
                                       (panes == 2 && pane == 2 && layout.SplitVertical() > 0)
                                 : (panes == 4 && pane >= 3) ||
                                       (panes == 2 && pane == 2 && layout.SplitHorizontal() > 0);
      double points = 0;
      if (state.displayHeadings) {
        points += (horizontal ? kHostRowHeadingWidth : kHostColumnHeadingHeight) * zoom;
      }
      if (pastSplit) points += horizontal ? layout.SplitVertical() : layout.SplitHorizontal();
      points += zoom * (horizontal ? Between(origin.column, target->cell.column, true, sheet)
                                   : Between(origin.row, target->cell.row, false, sheet));
      return points;
    }
  }
  return std::nullopt;
}
