// CCellBlocks: the cells a printer reads, a column's run at a time. Consecutive items of a trace
// are mostly cells one below another (a filled-down column in the chain, an input's
// dependents): one read of a run's Value2, Formula and FormulaLocal serves all its cells, where
// each cell alone costs a call for each. A cell's Text is still read on its own, as only a
// single cell's Text is its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "excel/excel_object.h"
#include "formula/cell_pos.h"
#include "platform/variant.h"

class CCellBlocks {
 public:
  // What a run's reads gave for one of its cells.
  struct Cell {
    CVariant value;                  // Value2
    std::optional<bool> hasFormula;  // unknown when the run mixes formulas and constants
    std::optional<bool> hasArray;    // false when the run holds no array, else unknown
    std::wstring formula;            // Formula
    std::wstring formulaLocal;       // FormulaLocal
  };

  // Runs shorter than this are read cell by cell; longer ones are cut to the longest.
  static constexpr int32_t kShortestRun = 4;
  static constexpr int32_t kLongestRun = 512;

  explicit CCellBlocks(ExcelObject worksheets = {}) : worksheets_(std::move(worksheets)) {}

  // The Range of one cell, through its sheet's object, which is fetched once.
  bool CellRange(const CellPos& cell, ExcelObject* range);
  // Reads the `rows` cells from `top` down unless they are read already. Reads beyond twice the
  // cells asked for are refused, so that runs read again and again (a deep tree whose levels
  // push each other's runs out) cost no more than reading cell by cell.
  void ReadRun(const CellPos& top, int32_t rows);
  // The cell as a run read it, or null. Each question counts towards the budget of reads.
  const Cell* Find(const CellPos& cell);
  // Whether a run starting at the cell may be read: the budget allows it, and the cell is not
  // in the run last tried and refused by the object model.
  bool MayReadRunAt(const CellPos& cell) const;

 private:
  // Runs kept at once: each level of a printed tree may be in the middle of its own.
  static constexpr size_t kKeptRuns = 16;

  struct Run {
    CellPos top;
    std::vector<Cell> cells;
  };
  const Run* RunHolding(const CellPos& cell) const;
  // The sheet's object, fetched on first use; null past the sheets kept or when it is missing.
  ExcelObject* KeptSheet(int32_t sheet);

  ExcelObject worksheets_;
  std::vector<ExcelObject> sheets_;  // by index, fetched on first use
  std::deque<Run> runs_;             // the newest last
  CellPos failedTop_;
  int32_t failedRows_ = 0;
  size_t cellsAsked_ = 0;
  size_t cellsRead_ = 0;
};
