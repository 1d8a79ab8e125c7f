// Cell and FormulaRecord: how a sheet stores what a cell holds.
#pragma once

#include <cstdint>
#include <string>

#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

// A cell's content: its value (a constant, or the result its formula last produced), its
// formula and its format. Text lives in the workbook's string pool.
struct Cell {
  ValueKind kind = ValueKind::Empty;
  ErrorCode error = ErrorCode::Value;  // When kind is Error.
  std::uint32_t text = 0;              // String pool id, when kind is Text.
  double number = 0.0;                 // When kind is Number; 1 or 0 when Boolean.
  std::uint32_t formula = 0;           // 0 for none, else 1 + the sheet's formula record index.
  std::uint32_t format = 0;            // Index into the workbook's cell formats.
  // The calculator's marks on a formula cell (kCalcPending, kCalcInProgress); kept in the cell
  // because they are read with every value a formula reads.
  std::uint8_t calcState = 0;

  bool HasFormula() const { return formula != 0; }
  bool IsBlank() const { return kind == ValueKind::Empty && formula == 0; }
};

inline constexpr std::uint8_t kCalcPending = 1;     // Waits to be calculated.
inline constexpr std::uint8_t kCalcInProgress = 2;  // Being calculated: reading it is circular.
inline constexpr std::uint8_t kCalcReached = 4;     // Seen by the spreading of a change.

// One formula as written, and the cells that use it.
struct FormulaRecord {
  enum class Kind : std::uint8_t {
    Single,  // One cell.
    Shared,  // A block filled from `origin`: each cell's references move with it.
    Array,   // One array formula over `range`; every member cell shows the same text.
  };
  Kind kind = Kind::Single;
  std::wstring text;  // Without the leading "=", references as they read at `origin`.
  CellCoord origin;
  CellRect range;
};

}  // namespace spreadsheet
