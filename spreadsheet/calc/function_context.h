// CFunctionContext: what a worksheet function sees of the formula it is called from.
#pragma once

#include <cstdint>
#include <string_view>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

class CWorkbook;

class CFunctionContext {
 public:
  virtual ~CFunctionContext() = default;

  // The workbook, sheet (from 1) and cell the formula stands in; Worksheet.Evaluate stands in A1.
  virtual CWorkbook& Workbook() const = 0;
  virtual std::int32_t Sheet() const = 0;
  virtual CellCoord Cell() const = 0;
  // True in an array formula and in the arguments of parameters that take arrays: ranges there
  // are arrays, not implicitly intersected with the formula's row or column.
  virtual bool ArrayMode() const = 0;

  // The value of a cell of an area's sheet. Blank cells are Empty.
  virtual EvalValue CellValueAt(const Area& area, CellCoord cell) = 0;
  // The part of an area that may hold anything: the area clipped to its sheet's used range.
  // Nothing when no cell of the area is used.
  virtual std::optional<CellRect> UsedPart(const Area& area) const = 0;
  // Text as INDIRECT reads it (A1 or R1C1, relative to the formula's cell, with sheet names,
  // defined names and table references): a reference, or #REF!.
  virtual EvalValue ReferenceFromText(std::wstring_view text, bool a1) = 0;
  // The formula text of a cell with its "=", or nothing (FORMULATEXT, ISFORMULA).
  virtual std::optional<std::wstring> FormulaAt(const Area& area, CellCoord cell) const = 0;
  // The number format code of a cell (CELL("format"), TEXT of nothing).
  virtual std::wstring NumberFormatAt(const Area& area, CellCoord cell) const = 0;

  // Now as a date serial of the workbook's date system, and a uniform number in [0, 1).
  virtual double Now() = 0;
  virtual double Random() = 0;
  virtual bool Date1904() const = 0;

  // Counts an array of `cells` a function is about to build; false (build nothing, give #NUM!)
  // past the bound of one array or of the evaluation's arrays together.
  virtual bool ReserveArrayCells(std::int64_t cells) { return cells <= kMaxArrayCells; }
};

}  // namespace spreadsheet
