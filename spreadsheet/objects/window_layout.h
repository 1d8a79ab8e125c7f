// CWindowLayout: the panes of a workbook window and the cells each shows, derived from the
// window's state and the active sheet's column widths and row heights; and the changes that
// Window's split, freeze and scroll members make to that state.
#pragma once

#include <cstdint>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/worksheet.h"
#include "spreadsheet/objects/spreadsheet_application.h"

namespace spreadsheet {

// Panes are counted as Excel counts them: one; two (top and bottom, or left and right); or four
// (top left, top right, bottom left, bottom right). A split divides the window at a position in
// points; frozen panes divide it at whole rows and columns, and only the bottom and right panes
// scroll. Every write keeps these invariants: the split counts and positions agree with each
// other, a frozen window's scrolling panes start below and right of the frozen cells, scroll
// positions lie on the sheet, and the active pane is one of the panes.
class CWindowLayout {
 public:
  CWindowLayout(WindowState& state, const CWorksheet& sheet) : state_(state), sheet_(sheet) {}

  std::int32_t PaneCount() const;
  std::int32_t ActivePane() const;
  // The top-left cell and the cells a pane (from 1) shows; a partly visible row or column
  // counts as shown, as in Excel.
  CellCoord PaneOrigin(std::int32_t pane) const;
  CellRect PaneVisibleRange(std::int32_t pane) const;

  bool IsFrozen() const { return state_.freezePanes; }
  // True for a split window and for frozen panes, as Window.Split reads.
  bool IsSplit() const { return (state_.split || state_.freezePanes) && PaneCount() > 1; }
  std::int32_t SplitRow() const { return PaneCount() > 1 ? state_.splitRow : 0; }
  std::int32_t SplitColumn() const { return PaneCount() > 1 ? state_.splitColumn : 0; }
  // Positions of the split in points from the top and left of the window.
  double SplitHorizontal() const;
  double SplitVertical() const;

  // Window.ScrollRow and ScrollColumn: the top-left pane's, or with frozen panes the first row
  // and column that scroll.
  std::int32_t ScrollRow() const;
  std::int32_t ScrollColumn() const;

  // The writes; each returns false, changing nothing, for a value Excel refuses (a row or
  // column off the sheet, a split outside the window, scrolling a frozen pane).
  bool SetScrollRow(std::int32_t row);
  bool SetScrollColumn(std::int32_t column);
  bool SetPaneScrollRow(std::int32_t pane, std::int32_t row);
  bool SetPaneScrollColumn(std::int32_t pane, std::int32_t column);
  bool SetSplitRow(std::int32_t rows);
  bool SetSplitColumn(std::int32_t columns);
  bool SetSplitHorizontal(double points);
  bool SetSplitVertical(double points);
  // Freezing or splitting an undivided window divides it above and left of the active cell,
  // or in the middle of the window when that cell is its top-left one.
  void SetFrozen(bool on, CellCoord activeCell);
  void SetSplit(bool on, CellCoord activeCell);
  bool SetActivePane(std::int32_t pane);

 private:
  struct Axis;
  Axis Rows() const;
  Axis Columns() const;
  bool HasSplit(const Axis& axis) const;
  double FirstPaneExtent(const Axis& axis) const;
  // Which half of each axis a pane lies in.
  bool IsLowerPane(std::int32_t pane) const;
  bool IsRightPane(std::int32_t pane) const;
  double Zoom() const;
  bool SetScroll(Axis axis, std::int32_t first);
  bool SetPaneScroll(Axis axis, bool second, std::int32_t first);
  bool SetSplitCount(Axis axis, std::int32_t count);
  bool SetSplitPoints(Axis axis, double points);
  void Divide(CellCoord activeCell);
  void ClampActivePane();

  WindowState& state_;
  const CWorksheet& sheet_;
};

}  // namespace spreadsheet
