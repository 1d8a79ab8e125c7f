// The recalculation benchmark's workbook: an input column filled down with four formula columns,
// stored as Excel stores a filled column (one shared formula per column). The same workbook is
// built for another engine by tools/hyperformula-benchmark/bench.mjs; the two must stay alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

// Sheet "Data", rows 1..rows:
//   A  input    ((row*37) mod 1000) / 4
//   B  A*1.07+ROUND(A/3,2)
//   C  running total: B1, then C(n-1)+B(n)
//   D  VLOOKUP(MOD(ROW(),1000)+1, Lookup!$A$1:$B$1000, 2, 0)
//   E  IF(MOD(C,100)>50, SUMIF(Lookup!$C$1:$C$10, "<"&A), B-D)
// Sheet "Lookup": A1:A1000 the keys 1..1000, B1:B1000 key*0.5+(key mod 7), C1:C10 25..250.
struct RecalculationWorkbookShape {
  std::int32_t rows = 125000;
  double firstInputBump = 0.0;  // Added to A1, for a workbook whose input was changed.
};

constexpr std::int32_t kLookupRows = 1000;
constexpr std::int32_t kCriteriaRows = 10;
constexpr std::int32_t kFormulaColumns = 4;  // B to E.

std::unique_ptr<CWorkbook> BuildRecalculationWorkbook(const RecalculationWorkbookShape& shape);

double FirstInput(const RecalculationWorkbookShape& shape);  // A1.

inline std::int64_t FormulaCellCount(const RecalculationWorkbookShape& shape) {
  return std::int64_t{shape.rows} * kFormulaColumns;
}

// What a correct engine computes for one cell, worked out here in plain arithmetic (not through
// any formula), so that a fast but wrong calculator cannot pass.
struct ExpectedCell {
  CellCoord cell;  // On sheet 1 ("Data").
  double value;
};
std::vector<ExpectedCell> ExpectedValues(const RecalculationWorkbookShape& shape);

// Compares the sheet's computed values with ExpectedValues; empty when all match, else a
// description of the first mismatch.
std::string CheckRecalculationWorkbook(const CWorkbook& workbook,
                                       const RecalculationWorkbookShape& shape);

}  // namespace spreadsheet
