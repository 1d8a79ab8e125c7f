#include "cli/cell_blocks.h"

#include <utility>

#include "excel/cell_range.h"
#include "excel/column_block.h"
#include "excel/value_text.h"

namespace {

// Sheets past this index are fetched for each cell rather than kept.
constexpr int32_t kMostKeptSheets = 4096;
// Cells a printer may read in runs before the budget counts: a run or two of every list.
constexpr size_t kFreeCells = 4096;

std::wstring TextOf(const VARIANT& value) {
  if (value.vt == VT_BSTR) {
    return value.bstrVal != nullptr ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                    : std::wstring();
  }
  std::wstring text;
  PropertyText(CVariant(value), &text);
  return text;
}

// A Boolean read of a run: the value when every cell agrees, nothing when they differ (null)
// or the read failed.
std::optional<bool> RunBool(const ExcelObject& range, std::wstring_view member) {
  CVariant answer;
  if (!range.GetValue(member, &answer) || answer.Kind() != VT_BOOL) return std::nullopt;
  return answer.Get()->boolVal != VARIANT_FALSE;
}

}  // namespace

ExcelObject* CCellBlocks::KeptSheet(int32_t sheet) {
  if (sheet < 1 || sheet > kMostKeptSheets) return nullptr;
  const auto index = static_cast<size_t>(sheet);
  if (sheets_.size() <= index) sheets_.resize(index + 1);
  ExcelObject& kept = sheets_[index];
  if (kept.IsEmpty() && !GetSheet(worksheets_, sheet, &kept)) return nullptr;
  return &kept;
}

bool CCellBlocks::CellRange(const CellPos& cell, ExcelObject* range) {
  if (ExcelObject* sheet = KeptSheet(cell.sheet)) return GetRangeOnSheet(*sheet, cell, cell, range);
  return GetCellRange(worksheets_, cell, range);
}

const CCellBlocks::Run* CCellBlocks::RunHolding(const CellPos& cell) const {
  for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
    if (run->top.sheet == cell.sheet && run->top.column == cell.column &&
        cell.row >= run->top.row &&
        cell.row - run->top.row < static_cast<int64_t>(run->cells.size())) {
      return &*run;
    }
  }
  return nullptr;
}

const CCellBlocks::Cell* CCellBlocks::Find(const CellPos& cell) {
  ++cellsAsked_;
  const Run* run = RunHolding(cell);
  return run != nullptr ? &run->cells[static_cast<size_t>(cell.row - run->top.row)] : nullptr;
}

bool CCellBlocks::MayReadRunAt(const CellPos& cell) const {
  const bool inFailed = cell.sheet == failedTop_.sheet && cell.column == failedTop_.column &&
                        cell.row >= failedTop_.row && cell.row - failedTop_.row < failedRows_;
  return !inFailed && cellsRead_ + kShortestRun <= 2 * cellsAsked_ + kFreeCells;
}

void CCellBlocks::ReadRun(const CellPos& top, int32_t rows) {
  if (rows < kShortestRun || RunHolding(top) != nullptr) return;
  if (rows > kLongestRun) rows = kLongestRun;
  if (cellsRead_ + static_cast<size_t>(rows) > 2 * cellsAsked_ + kFreeCells) return;
  // Until the reads succeed the run counts as refused.
  failedTop_ = top;
  failedRows_ = rows;
  const CellPos bottom{top.sheet, top.column, top.row + rows - 1};
  ExcelObject* sheet = KeptSheet(top.sheet);
  ExcelObject range;
  CVariant values;
  CColumnBlock valueBlock;
  if (sheet == nullptr || !GetRangeOnSheet(*sheet, top, bottom, &range) ||
      !range.GetValue(L"Value2", &values) || !valueBlock.Assign(std::move(values), rows)) {
    return;
  }
  cellsRead_ += static_cast<size_t>(rows);
  const std::optional<bool> hasFormula = RunBool(range, L"HasFormula");
  std::optional<bool> hasArray;
  CColumnBlock formulas;
  CColumnBlock localFormulas;
  if (hasFormula != false) {
    if (RunBool(range, L"HasArray") == false) hasArray = false;
    CVariant formulaAnswer;
    CVariant localAnswer;
    if (!range.GetValue(L"Formula", &formulaAnswer) ||
        !formulas.Assign(std::move(formulaAnswer), rows) ||
        !range.GetValue(L"FormulaLocal", &localAnswer) ||
        !localFormulas.Assign(std::move(localAnswer), rows)) {
      return;
    }
  } else {
    hasArray = false;
  }
  Run run;
  run.top = top;
  run.cells.resize(static_cast<size_t>(rows));
  for (int32_t row = 0; row < rows; ++row) {
    Cell& cell = run.cells[static_cast<size_t>(row)];
    cell.value = CVariant(valueBlock[row]);
    cell.hasFormula = hasFormula;
    cell.hasArray = hasArray;
    if (hasFormula != false) {
      cell.formula = TextOf(formulas[row]);
      cell.formulaLocal = TextOf(localFormulas[row]);
    }
  }
  if (runs_.size() == kKeptRuns) runs_.pop_front();
  runs_.push_back(std::move(run));
  failedRows_ = 0;
}
