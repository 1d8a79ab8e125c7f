// CWorksheet: one sheet of the embedded spreadsheet's workbook model.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "spreadsheet/model/cell.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

class CWorkbook;

enum class Visibility : std::uint8_t { Visible, Hidden, VeryHidden };

// A table (list object) on a sheet.
// A range whose tracer arrows Excel would draw: to its precedents or to its dependents.
struct TracerArrows {
  CellRect range;
  bool precedents = true;
  friend bool operator==(const TracerArrows&, const TracerArrows&) = default;
};

struct Table {
  std::wstring name;
  CellRect range;                    // Header, body and totals rows together.
  bool hasHeaderRow = true;
  bool hasTotalsRow = false;
  std::vector<std::wstring> columns;  // One name per column of `range`.
  std::wstring styleName = L"TableStyleMedium2";
};

// Invariants: every stored cell lies on the sheet; a cell's formula index names a record whose
// range holds the cell; merged ranges do not overlap. Cells with neither content nor format are
// not stored.
class CWorksheet {
 public:
  CWorksheet(CWorkbook& workbook, std::wstring name) : workbook_(&workbook), name_(std::move(name)) {}
  CWorksheet(const CWorksheet&) = delete;
  CWorksheet& operator=(const CWorksheet&) = delete;

  CWorkbook& Workbook() const { return *workbook_; }
  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring name) { name_ = std::move(name); }
  Visibility Visible() const { return visibility_; }
  void SetVisible(Visibility visibility) { visibility_ = visibility; }
  bool IsProtected() const { return protected_; }
  void SetProtected(bool on) { protected_ = on; }
  bool DisplayGridlines() const { return displayGridlines_; }
  void SetDisplayGridlines(bool on) { displayGridlines_ = on; }

  // Reading cells. A cell that is not stored reads as blank with the default format.
  const Cell* Find(CellCoord cell) const;
  // For the calculator's marks only; contents change through the writing members.
  Cell* FindForCalculation(CellCoord cell);
  CellValue Value(CellCoord cell) const;
  bool HasFormula(CellCoord cell) const;
  // The formula as Range.Formula shows it, with its "="; nothing for a cell without one.
  std::optional<std::wstring> Formula(CellCoord cell) const;
  const FormulaRecord* FormulaOf(CellCoord cell) const;
  std::uint32_t FormatOf(CellCoord cell) const;

  // Writing cells. Writes go through the workbook's string pool and never fail; the object
  // model checks protection and array membership before it calls them.
  void SetValue(CellCoord cell, const CellValue& value);  // A constant: the formula goes.
  void SetFormula(CellCoord cell, std::wstring text, const CellValue& cached = CellValue());
  // One record for a block that shares a formula or an array formula; cells join it with
  // AttachFormula (the reader) or all at once (SetArrayFormula).
  std::uint32_t AddFormulaRecord(FormulaRecord record);
  void AttachFormula(CellCoord cell, std::uint32_t record);
  void SetArrayFormula(const CellRect& range, std::wstring text);
  // The value a formula cell shows until it is calculated again.
  void SetCachedValue(CellCoord cell, const CellValue& value);
  // The same for a formula cell the calculator already holds (found by FindForCalculation).
  void StoreCalculatedValue(Cell& cell, const CellValue& value) { StoreValue(cell, value); }
  void SetFormat(CellCoord cell, std::uint32_t format);
  void ClearContents(CellCoord cell);  // Value and formula; the format stays.
  void Clear(CellCoord cell);          // Everything.

  // The smallest rectangle holding every cell stored since the sheet was made, or nothing for
  // a sheet never written. Like Excel's, it grows with writes and does not shrink on clearing.
  std::optional<CellRect> UsedRange() const;
  // Every stored cell, in row-major order.
  void ForEachCell(const std::function<void(CellCoord, const Cell&)>& visit) const;
  // Every stored cell in no particular order, for the calculator's marks: cheaper than sorting.
  void ForEachCellForCalculation(const std::function<void(CellCoord, Cell&)>& visit);
  std::size_t CellCount() const { return cells_.size(); }
  // The next stored non-blank cell below `cell` in its column, if any.
  std::optional<CellCoord> NextNonBlankBelow(CellCoord cell) const;
  const std::vector<FormulaRecord>& FormulaRecords() const { return formulas_; }
  // Replaces a record's text; renaming a sheet rewrites the references to it this way.
  void SetFormulaText(std::uint32_t record, std::wstring text) {
    formulas_.at(record).text = std::move(text);
  }

  void AddMerge(const CellRect& range);
  std::optional<CellRect> MergeAreaOf(CellCoord cell) const;
  const std::vector<CellRect>& Merges() const { return merges_; }

  // Column widths in characters of the default font, row heights in points.
  static constexpr double kDefaultColumnWidth = 8.43;
  static constexpr double kDefaultRowHeight = 15.0;
  void SetColumnWidth(std::int32_t column, double width) { columnWidths_[column] = width; }
  double ColumnWidth(std::int32_t column) const;
  const std::map<std::int32_t, double>& ColumnWidths() const { return columnWidths_; }
  void SetRowHeight(std::int32_t row, double height) { rowHeights_[row] = height; }
  double RowHeight(std::int32_t row) const;
  const std::map<std::int32_t, double>& RowHeights() const { return rowHeights_; }

  std::vector<Table>& Tables() { return tables_; }
  const std::vector<Table>& Tables() const { return tables_; }

  // Range.ShowPrecedents and ShowDependents add arrows, Worksheet.ClearArrows removes them all;
  // nothing draws them here, but callers can see what was asked for.
  void AddTracerArrows(const TracerArrows& arrows) { arrows_.push_back(arrows); }
  void ClearTracerArrows() { arrows_.clear(); }
  const std::vector<TracerArrows>& TracerArrowList() const { return arrows_; }

 private:
  static std::uint64_t Key(CellCoord cell) {
    return (static_cast<std::uint64_t>(cell.row) << 20) | static_cast<std::uint64_t>(cell.column);
  }
  static CellCoord CoordOf(std::uint64_t key) {
    return {static_cast<std::int32_t>(key >> 20), static_cast<std::int32_t>(key & 0xFFFFF)};
  }
  Cell& Touch(CellCoord cell);
  void DropIfBlank(CellCoord cell);
  void StoreValue(Cell& cell, const CellValue& value);

  CWorkbook* workbook_;  // Not owned; the workbook owns its sheets.
  std::wstring name_;
  Visibility visibility_ = Visibility::Visible;
  bool protected_ = false;
  bool displayGridlines_ = true;
  std::unordered_map<std::uint64_t, Cell> cells_;
  std::map<std::int32_t, std::int32_t> columnBottoms_;  // Lowest stored row of each column.
  std::optional<CellRect> used_;
  std::vector<FormulaRecord> formulas_;
  std::vector<CellRect> merges_;
  std::map<std::int32_t, double> columnWidths_;
  std::map<std::int32_t, double> rowHeights_;
  std::vector<Table> tables_;
  std::vector<TracerArrows> arrows_;
};

}  // namespace spreadsheet
