// CCalculator: the recalculation of the open workbooks' formulas. It knows which formula cells
// wait for calculation (formulas read without a value, cells written, what depends on either,
// volatile formulas), calculates them precedents first with an explicit work list (so chains of
// any length take no stack), and keeps each formula parsed once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/calc/expression.h"
#include "spreadsheet/calc/formula_evaluator.h"
#include "spreadsheet/model/coordinates.h"

namespace spreadsheet {

class CWorkbook;
struct Cell;
struct FormulaRecord;

// Counts for tests and benchmarks.
struct CalculationStatistics {
  std::uint64_t evaluations = 0;    // Formula evaluations, retries included.
  std::uint64_t parses = 0;         // Texts parsed (formulas, names, INDIRECT texts).
  std::uint64_t circularCells = 0;  // Cells that read a cell of their own chain.
};

// Invariant: a cell waits (is pending) only while it holds a formula; after Calculate no cell
// waits. A circle of formulas is calculated once around, each cell reading the value the first
// had before (Excel with iteration off leaves such cells with a value, too, and warns). When the
// workbook's settings ask for iteration, Calculate goes round the circles (and what depends on
// them) again, up to the settings' count of passes, until no value changes by their maximum.
class CCalculator final : private ICellReader {
 public:
  using WorkbookFinder = std::function<CWorkbook*(std::wstring_view fileName)>;

  CCalculator();
  CCalculator(const CCalculator&) = delete;
  CCalculator& operator=(const CCalculator&) = delete;
  ~CCalculator() override;

  // External references reach other open workbooks through this.
  void SetWorkbookFinder(WorkbookFinder finder) { finder_ = std::move(finder); }
  // The cells of arrays one evaluation may build, kMaxArrayCellsPerEvaluation unless set lower: a fuzzer that judges time wants linear work over whole columns cut short.
  void SetArrayCellBudget(std::int64_t cells) { arrayCellBudget_ = cells; }

  // Starts keeping a workbook: its formula cells without a value wait for calculation.
  void Attach(CWorkbook& workbook);
  void Detach(const CWorkbook& workbook);

  // Cells of a sheet were written (values or formulas): their formulas wait, and so does every
  // formula that depends on them, however indirectly.
  void CellsChanged(CWorkbook& workbook, std::int32_t sheet, const CellRect& range);
  // Every formula of the workbook waits (Application.CalculateFull).
  void InvalidateAll(CWorkbook& workbook);
  // Sheets were added, moved or renamed, or names changed: what was known of the workbook's
  // formulas is dropped and every formula waits.
  void StructureChanged(CWorkbook& workbook);

  // Calculates what waits; `volatileToo` also recalculates volatile formulas and what depends
  // on them, as Application.Calculate does.
  void Calculate(bool volatileToo);
  // Calculates the waiting cells of one range and what they need, and nothing else.
  void CalculateRange(CWorkbook& workbook, std::int32_t sheet, const CellRect& range);
  bool HasPending() const;
  bool IsPending(const CWorkbook& workbook, std::int32_t sheet, CellCoord cell) const;

  // The value of expression text (without "=") on a sheet, as Worksheet.Evaluate computes it:
  // as an array formula standing in A1. With `calculate`, waiting cells it reads are calculated
  // first; without, they are read as they stand (manual calculation), except that an expression
  // that is just a reference has its own cells calculated.
  EvalValue Evaluate(CWorkbook& workbook, std::int32_t sheet, std::wstring_view text,
                     bool calculate);

  // What formula text (without "=") gives standing in a cell, without writing it there: the
  // cell's value, or for an array formula the whole array. Waiting cells it reads are calculated.
  EvalValue EvaluateAsCell(CWorkbook& workbook, std::int32_t sheet, CellCoord cell,
                           std::wstring_view text, bool arrayFormula);

  const CalculationStatistics& Statistics() const { return statistics_; }

 private:
  struct WorkbookState;
  struct Frame {
    WorkbookState* state;
    std::uint64_t key;
    bool expanded;
  };

  // ICellReader.
  EvalValue Read(CWorkbook& workbook, std::int32_t sheet, CellCoord cell) override;
  CWorkbook* FindOpenWorkbook(std::wstring_view name) override;
  ExpressionPtr Parse(std::wstring_view text) override;
  std::int64_t ArrayCellBudget() const override { return arrayCellBudget_; }

  WorkbookState* StateOf(const CWorkbook& workbook) const;
  ExpressionPtr ExpressionOf(WorkbookState& state, std::int32_t sheet, std::uint32_t record);
  void MarkPending(WorkbookState& state, std::uint64_t key);
  void Run(std::vector<Frame>& stack);
  // `cell` is the stored cell of `key`, found once by the caller.
  void CalculateCell(WorkbookState& state, std::uint64_t key, Cell& cell);
  void PushPendingPrecedents(WorkbookState& state, std::uint64_t key, const Cell& cell,
                             std::vector<Frame>& stack);
  std::vector<Area> PrecedentsOf(WorkbookState& state, std::uint64_t key, const Cell* cell);
  void BuildDependents(WorkbookState& state);
  void AddDependents(WorkbookState& state, std::uint64_t key);
  void SpreadPending(WorkbookState& state, std::vector<Area> changed);
  // Runs everything that waits in `state`, precedents first.
  void RunPending(WorkbookState& state);
  // Further passes over the circles met by the first, as the workbook's settings ask.
  void Iterate(WorkbookState& state);
  // Notes how far a recalculated value moved, while passes are being compared.
  void NoteChange(const CellValue& before, const CellValue& after);
  std::vector<std::uint64_t> FormulaCellsIn(WorkbookState& state, std::int32_t sheet,
                                            const CellRect& range);

  std::vector<std::unique_ptr<WorkbookState>> states_;
  WorkbookFinder finder_;
  std::unordered_map<std::wstring, ExpressionPtr> parsedTexts_;
  std::int64_t arrayCellBudget_ = kMaxArrayCellsPerEvaluation;
  bool waitForPending_ = true;
  CalculationStatistics statistics_;
  // Cells read while being calculated during Calculate (each closes a circle), by workbook.
  bool noteCircles_ = false;
  std::vector<std::pair<WorkbookState*, std::uint64_t>> circleCells_;
  // The largest change of a recalculated value in the current pass, while comparing passes.
  bool noteChanges_ = false;
  double largestChange_ = 0.0;
};

}  // namespace spreadsheet
