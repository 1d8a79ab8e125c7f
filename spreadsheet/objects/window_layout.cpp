// Panes, splits and visible cells of a workbook window.
#include "spreadsheet/objects/window_layout.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "spreadsheet/objects/range_geometry.h"

namespace spreadsheet {
namespace {

constexpr double kMinZoom = 10.0;
constexpr double kMaxZoom = 400.0;
// Split positions are compared in points; sums of row heights carry rounding this small.
constexpr double kPointTolerance = 1e-9;

}  // namespace

// One direction of the window: rows (top and bottom panes) or columns (left and right panes).
struct CWindowLayout::Axis {
  std::int32_t* first;   // First row or column of the top or left panes.
  std::int32_t* second;  // First row or column of the bottom or right panes.
  std::int32_t* count;   // Rows or columns above or left of the split.
  double* points;        // The split's position in points.
  double usable;         // The window's height or width in points.
  double defaultSize;    // Points.
  const std::map<std::int32_t, double>*
      sizes;  // Row heights in points, column widths in characters.
  bool characters;
  std::int32_t max;

  double SizeOf(double stored) const {
    return characters ? ColumnWidthInPoints(stored) : std::max(stored, 0.0);
  }

  // Points taken by `n` rows or columns from `from`.
  double Extent(std::int32_t from, std::int32_t n) const {
    if (n <= 0 || from > max) return 0.0;
    const std::int32_t to = std::min(max, from + n - 1);
    double total = defaultSize * (to - from + 1);
    for (auto it = sizes->lower_bound(from); it != sizes->end() && it->first <= to; ++it) {
      total += SizeOf(it->second) - defaultSize;
    }
    return total;
  }

  // The last row or column reached when `extent` points are laid out from `from`; a partly
  // covered one counts. Costs one step per custom size passed, not one per row.
  std::int32_t LastCovered(std::int32_t from, double extent) const {
    if (!(extent > 0.0)) return from;
    double remaining = extent;
    std::int32_t current = from;
    auto it = sizes->lower_bound(from);
    while (current <= max) {
      const std::int32_t next = it == sizes->end() ? max + 1 : it->first;
      const std::int32_t run = next - current;
      if (run > 0) {
        if (defaultSize * run >= remaining) {
          const double cells = std::ceil(remaining / defaultSize - kPointTolerance);
          return current + std::clamp(static_cast<std::int32_t>(cells), 1, run) - 1;
        }
        remaining -= defaultSize * run;
        current = next;
      }
      if (current > max) break;
      remaining -= SizeOf(it->second);
      if (remaining <= kPointTolerance) return current;
      ++current;
      ++it;
    }
    return max;
  }

  // How many whole rows or columns from `from` fit in `extent` points.
  std::int32_t CountFitting(std::int32_t from, double extent) const {
    if (!(extent > 0.0)) return 0;
    double remaining = extent + kPointTolerance;
    std::int32_t fitting = 0;
    std::int32_t current = from;
    auto it = sizes->lower_bound(from);
    while (current <= max) {
      const std::int32_t next = it == sizes->end() ? max + 1 : it->first;
      const std::int32_t run = next - current;
      if (run > 0) {
        const double whole = std::floor(remaining / defaultSize);
        if (whole < run) return fitting + static_cast<std::int32_t>(whole);
        fitting += run;
        remaining -= defaultSize * run;
        current = next;
      }
      if (current > max) break;
      const double size = SizeOf(it->second);
      if (size > remaining) return fitting;
      remaining -= size;
      ++fitting;
      ++current;
      ++it;
    }
    return fitting;
  }
};

CWindowLayout::Axis CWindowLayout::Rows() const {
  return {&state_.scrollRow,
          &state_.lowerScrollRow,
          &state_.splitRow,
          &state_.splitHorizontal,
          state_.usableHeight,
          CWorksheet::kDefaultRowHeight,
          &sheet_.RowHeights(),
          false,
          kMaxRows};
}

CWindowLayout::Axis CWindowLayout::Columns() const {
  return {&state_.scrollColumn,
          &state_.rightScrollColumn,
          &state_.splitColumn,
          &state_.splitVertical,
          state_.usableWidth,
          ColumnWidthInPoints(CWorksheet::kDefaultColumnWidth),
          &sheet_.ColumnWidths(),
          true,
          kMaxColumns};
}

double CWindowLayout::Zoom() const {
  return std::isnan(state_.zoom) ? 100.0 : std::clamp(state_.zoom, kMinZoom, kMaxZoom);
}

bool CWindowLayout::HasSplit(const Axis& axis) const {
  if (state_.freezePanes) return *axis.count > 0;
  return state_.split && (*axis.count > 0 || *axis.points > 0.0);
}

double CWindowLayout::FirstPaneExtent(const Axis& axis) const {
  if (!HasSplit(axis)) return axis.usable;
  if (state_.freezePanes) return axis.Extent(*axis.first, *axis.count) * Zoom() / 100.0;
  return *axis.points;
}

std::int32_t CWindowLayout::PaneCount() const {
  return (HasSplit(Rows()) ? 2 : 1) * (HasSplit(Columns()) ? 2 : 1);
}

std::int32_t CWindowLayout::ActivePane() const {
  return std::clamp(state_.activePane, 1, PaneCount());
}

bool CWindowLayout::IsLowerPane(std::int32_t pane) const {
  const bool rows = HasSplit(Rows());
  if (rows && HasSplit(Columns())) return pane >= 3;
  return rows && pane == 2;
}

bool CWindowLayout::IsRightPane(std::int32_t pane) const {
  const bool columns = HasSplit(Columns());
  if (columns && HasSplit(Rows())) return pane == 2 || pane == 4;
  return columns && pane == 2;
}

CellCoord CWindowLayout::PaneOrigin(std::int32_t pane) const {
  return {IsLowerPane(pane) ? state_.lowerScrollRow : state_.scrollRow,
          IsRightPane(pane) ? state_.rightScrollColumn : state_.scrollColumn};
}

CellRect CWindowLayout::PaneVisibleRange(std::int32_t pane) const {
  const double zoom = Zoom();
  const auto span = [&](const Axis& axis, bool second) {
    const std::int32_t from = second ? *axis.second : *axis.first;
    if (!second && state_.freezePanes && HasSplit(axis)) {
      return std::pair{from, std::min(axis.max, from + *axis.count - 1)};
    }
    const double screen = !HasSplit(axis) ? axis.usable
                          : second        ? axis.usable - FirstPaneExtent(axis)
                                          : FirstPaneExtent(axis);
    return std::pair{from, axis.LastCovered(from, screen * 100.0 / zoom)};
  };
  const auto [firstRow, lastRow] = span(Rows(), IsLowerPane(pane));
  const auto [firstColumn, lastColumn] = span(Columns(), IsRightPane(pane));
  return {{firstRow, firstColumn}, {lastRow, lastColumn}};
}

double CWindowLayout::SplitHorizontal() const {
  return HasSplit(Rows()) ? FirstPaneExtent(Rows()) : 0.0;
}

double CWindowLayout::SplitVertical() const {
  return HasSplit(Columns()) ? FirstPaneExtent(Columns()) : 0.0;
}

std::int32_t CWindowLayout::ScrollRow() const {
  return state_.freezePanes && HasSplit(Rows()) ? state_.lowerScrollRow : state_.scrollRow;
}

std::int32_t CWindowLayout::ScrollColumn() const {
  return state_.freezePanes && HasSplit(Columns()) ? state_.rightScrollColumn : state_.scrollColumn;
}

bool CWindowLayout::SetScroll(Axis axis, std::int32_t first) {
  if (first < 1 || first > axis.max) return false;
  if (state_.freezePanes && HasSplit(axis)) {
    // The frozen cells stay; scrolling starts below or right of them.
    *axis.second = std::min(axis.max, std::max(first, *axis.first + *axis.count));
  } else {
    *axis.first = first;
  }
  return true;
}

bool CWindowLayout::SetScrollRow(std::int32_t row) {
  return SetScroll(Rows(), row);
}
bool CWindowLayout::SetScrollColumn(std::int32_t column) {
  return SetScroll(Columns(), column);
}

bool CWindowLayout::SetPaneScroll(Axis axis, bool second, std::int32_t first) {
  if (first < 1 || first > axis.max) return false;
  if (second) {
    *axis.second =
        state_.freezePanes ? std::min(axis.max, std::max(first, *axis.first + *axis.count)) : first;
    return true;
  }
  if (state_.freezePanes && HasSplit(axis)) return false;
  *axis.first = first;
  return true;
}

bool CWindowLayout::SetPaneScrollRow(std::int32_t pane, std::int32_t row) {
  if (pane < 1 || pane > PaneCount()) return false;
  return SetPaneScroll(Rows(), IsLowerPane(pane), row);
}

bool CWindowLayout::SetPaneScrollColumn(std::int32_t pane, std::int32_t column) {
  if (pane < 1 || pane > PaneCount()) return false;
  return SetPaneScroll(Columns(), IsRightPane(pane), column);
}

void CWindowLayout::ClampActivePane() {
  state_.activePane = ActivePane();
}

bool CWindowLayout::SetSplitCount(Axis axis, std::int32_t count) {
  if (count < 0 || count > axis.max - *axis.first) return false;
  *axis.count = count;
  *axis.second = std::min(axis.max, *axis.first + count);
  if (count == 0) {
    *axis.points = 0.0;
    if (!HasSplit(Rows()) && !HasSplit(Columns())) {
      state_.split = false;
      state_.freezePanes = false;
    }
  } else {
    if (!state_.freezePanes) state_.split = true;
    *axis.points = axis.Extent(*axis.first, count) * Zoom() / 100.0;
  }
  ClampActivePane();
  return true;
}

bool CWindowLayout::SetSplitRow(std::int32_t rows) {
  return SetSplitCount(Rows(), rows);
}
bool CWindowLayout::SetSplitColumn(std::int32_t columns) {
  return SetSplitCount(Columns(), columns);
}

bool CWindowLayout::SetSplitPoints(Axis axis, double points) {
  if (!(points >= 0.0) || points > axis.usable) return false;
  const std::int32_t count = axis.CountFitting(*axis.first, points * 100.0 / Zoom());
  if (state_.freezePanes || points == 0.0) return SetSplitCount(axis, count);
  *axis.points = points;
  *axis.count = std::min(count, axis.max - *axis.first);
  *axis.second = std::min(axis.max, *axis.first + *axis.count);
  state_.split = true;
  ClampActivePane();
  return true;
}

bool CWindowLayout::SetSplitHorizontal(double points) {
  return SetSplitPoints(Rows(), points);
}
bool CWindowLayout::SetSplitVertical(double points) {
  return SetSplitPoints(Columns(), points);
}

void CWindowLayout::Divide(CellCoord activeCell) {
  const double zoom = Zoom();
  const Axis rows = Rows();
  const Axis columns = Columns();
  const std::int32_t lastRow = rows.LastCovered(state_.scrollRow, rows.usable * 100.0 / zoom);
  const std::int32_t lastColumn =
      columns.LastCovered(state_.scrollColumn, columns.usable * 100.0 / zoom);
  const auto before = [](std::int32_t active, std::int32_t first, std::int32_t last) {
    return active > first ? std::min(active, last) - first : 0;
  };
  std::int32_t splitRows = before(activeCell.row, state_.scrollRow, lastRow);
  std::int32_t splitColumns = before(activeCell.column, state_.scrollColumn, lastColumn);
  if (splitRows == 0 && splitColumns == 0) {
    splitRows = std::max(1, (lastRow - state_.scrollRow + 1) / 2);
    splitColumns = std::max(1, (lastColumn - state_.scrollColumn + 1) / 2);
  }
  splitRows = std::min(splitRows, kMaxRows - state_.scrollRow);
  splitColumns = std::min(splitColumns, kMaxColumns - state_.scrollColumn);
  for (auto [axis, count] : {std::pair{rows, splitRows}, std::pair{columns, splitColumns}}) {
    *axis.count = count;
    *axis.points = axis.Extent(*axis.first, count) * zoom / 100.0;
    *axis.second = std::min(axis.max, *axis.first + count);
  }
}

void CWindowLayout::SetFrozen(bool on, CellCoord activeCell) {
  if (on == state_.freezePanes) return;
  if (on) {
    // A split window freezes where it is split; an undivided one at the active cell.
    if (!IsSplit() || (state_.splitRow == 0 && state_.splitColumn == 0)) Divide(activeCell);
    state_.freezePanes = true;
    for (const Axis& axis : {Rows(), Columns()}) {
      *axis.second = std::min(axis.max, *axis.first + *axis.count);
    }
    state_.activePane = PaneCount();
    return;
  }
  state_.freezePanes = false;
  for (const Axis& axis : {Rows(), Columns()}) {
    if (state_.split && *axis.count > 0) {
      *axis.points = axis.Extent(*axis.first, *axis.count) * Zoom() / 100.0;
    } else {
      *axis.count = 0;
      *axis.points = 0.0;
      *axis.second = *axis.first;
    }
  }
  if (PaneCount() == 1) state_.split = false;
  ClampActivePane();
}

void CWindowLayout::SetSplit(bool on, CellCoord activeCell) {
  if (on) {
    if (IsSplit()) return;
    Divide(activeCell);
    state_.split = true;
    state_.activePane = PaneCount();
    return;
  }
  state_.split = false;
  state_.freezePanes = false;
  for (const Axis& axis : {Rows(), Columns()}) {
    *axis.count = 0;
    *axis.points = 0.0;
    *axis.second = *axis.first;
  }
  state_.activePane = 1;
}

bool CWindowLayout::SetActivePane(std::int32_t pane) {
  if (pane < 1 || pane > PaneCount()) return false;
  state_.activePane = pane;
  return true;
}

}  // namespace spreadsheet
