// CellInput: what one value written to a range (one element of Range.Value = ...) does to a cell.
#pragma once

#include <cstdint>
#include <string>

#include "platform/automation.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/objects/range_outcome.h"

namespace spreadsheet {

struct CellInput {
  enum class Kind : std::uint8_t { Clear, Value, Formula };
  Kind kind = Kind::Clear;
  CellValue value;                 // Value.
  std::wstring formula;            // Formula: with its "=".
  std::uint32_t numberFormat = 0;  // The format the value implies for a General cell; 0: none.
};

// How Excel takes one automation value written into a cell: empty and null clear it; numbers,
// Booleans and error values are stored as they are; dates become serials with a date format;
// text is a typed entry, except in a cell formatted as text ("@"), which keeps it as written.
// DISP_E_TYPEMISMATCH for kinds a cell cannot hold (objects, nested arrays, unknown SCODEs);
// a run-time error for text longer than a cell holds or a lone "=".
RangeOutcome ConvertCellInput(const VARIANT& value, bool textFormatted, bool date1904,
                              std::int32_t currentYear, CellInput* input);

}  // namespace spreadsheet
