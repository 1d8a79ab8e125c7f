// Recalculation. A formula is calculated from a work list: its waiting precedents (the areas its
// references name) are pushed above it first; a precedent found only while it runs (OFFSET,
// INDIRECT) interrupts it with CPendingCell, is pushed, and the formula runs again after it.
// Dependents for spreading "waiting" are kept in an index: single cells by key, areas in
// buckets by column (areas wider than kBucketColumns in one list per sheet).
#include "spreadsheet/calc/calculator.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "spreadsheet/calc/expression_parser.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

constexpr std::int32_t kBucketColumns = 16;
// Parsed texts of names, INDIRECT and Evaluate kept at most; the memo starts again past it.
// Texts that come back (names, the INDIRECT of a filled-down formula) come back soon; a trace
// of half a million cells asks Evaluate once per cell, and keeping those would cost megabytes.
constexpr std::size_t kMaxParsedTexts = 8192;

// A cell of a workbook as one number: sheet, row and column.
std::uint64_t KeyOf(std::int32_t sheet, CellCoord cell) {
  return (static_cast<std::uint64_t>(sheet) << 40) | (static_cast<std::uint64_t>(cell.row) << 16) |
         static_cast<std::uint64_t>(cell.column);
}
std::int32_t SheetOfKey(std::uint64_t key) {
  return static_cast<std::int32_t>(key >> 40);
}
CellCoord CellOfKey(std::uint64_t key) {
  return {static_cast<std::int32_t>((key >> 16) & 0xFFFFFF),
          static_cast<std::int32_t>(key & 0xFFFF)};
}

std::size_t Index(std::int32_t oneBased) {
  return static_cast<std::size_t>(oneBased - 1);
}

}  // namespace

// Thrown by Read for a cell that still waits; Run catches it.
struct CPendingCell {
  void* state;
  std::uint64_t key;
};

struct CCalculator::WorkbookState {
  struct CachedRecord {
    std::size_t textHash = 0;
    std::size_t textSize = 0;
    ExpressionPtr expression;
  };
  struct AreaDependent {
    CellRect rect;
    std::uint64_t dependent;
  };
  struct SheetIndex {
    std::vector<CachedRecord> records;
    std::map<std::int32_t, std::vector<std::int32_t>> formulaRows;  // Column -> sorted rows.
    std::unordered_map<std::int32_t, std::vector<AreaDependent>> columnDependents;
    std::vector<AreaDependent> wideDependents;
  };

  CWorkbook* workbook = nullptr;
  // Cells marked waiting, perhaps since done: the marks themselves are in the cells.
  std::vector<std::uint64_t> pendingList;
  std::vector<SheetIndex> sheets;
  bool formulaRowsValid = false;
  bool dependentsValid = false;
  std::unordered_map<std::uint64_t, std::vector<std::uint64_t>> cellDependents;
  std::unordered_set<std::uint64_t> volatileCells;

  Cell* CellAt(std::uint64_t key) const {
    const std::int32_t sheet = SheetOfKey(key);
    if (sheet < 1 || sheet > workbook->SheetCount()) return nullptr;
    return workbook->Sheet(sheet).FindForCalculation(CellOfKey(key));
  }
  static bool Waits(const Cell* cell) {
    return cell != nullptr && cell->HasFormula() && (cell->calcState & kCalcPending) != 0;
  }
  bool Waits(std::uint64_t key) const { return Waits(CellAt(key)); }
  // Drops done cells from the list; true when some cell still waits.
  bool Prune() {
    std::erase_if(pendingList, [&](std::uint64_t key) { return !Waits(key); });
    return !pendingList.empty();
  }

  SheetIndex& Sheet(std::int32_t sheet) {
    if (static_cast<std::int32_t>(sheets.size()) < workbook->SheetCount()) {
      sheets.resize(static_cast<std::size_t>(workbook->SheetCount()));
    }
    return sheets.at(Index(sheet));
  }
};

CCalculator::CCalculator() = default;
CCalculator::~CCalculator() = default;

CCalculator::WorkbookState* CCalculator::StateOf(const CWorkbook& workbook) const {
  for (const auto& state : states_) {
    if (state->workbook == &workbook) return state.get();
  }
  return nullptr;
}

void CCalculator::Attach(CWorkbook& workbook) {
  if (StateOf(workbook) != nullptr) return;
  auto state = std::make_unique<WorkbookState>();
  state->workbook = &workbook;
  for (std::int32_t sheet = 1; sheet <= workbook.SheetCount(); ++sheet) {
    workbook.Sheet(sheet).ForEachCellForCalculation([&](CellCoord cell, Cell& stored) {
      stored.calcState = 0;
      if (stored.HasFormula() && stored.kind == ValueKind::Empty) {
        stored.calcState = kCalcPending;
        state->pendingList.push_back(KeyOf(sheet, cell));
      }
    });
  }
  states_.push_back(std::move(state));
}

void CCalculator::Detach(const CWorkbook& workbook) {
  std::erase_if(states_, [&](const auto& state) { return state->workbook == &workbook; });
}

bool CCalculator::HasPending() const {
  return std::any_of(states_.begin(), states_.end(),
                     [](const auto& state) { return state->Prune(); });
}

bool CCalculator::IsPending(const CWorkbook& workbook, std::int32_t sheet, CellCoord cell) const {
  const WorkbookState* state = StateOf(workbook);
  return state != nullptr && state->Waits(KeyOf(sheet, cell));
}

// --- parsing
// ---------------------------------------------------------------------------------------

ExpressionPtr CCalculator::Parse(std::wstring_view text) {
  const std::wstring key(text);
  if (const auto found = parsedTexts_.find(key); found != parsedTexts_.end()) return found->second;
  ++statistics_.parses;
  ExpressionPtr expression = ParseExpression(text).expression;
  if (parsedTexts_.size() >= kMaxParsedTexts) parsedTexts_.clear();
  parsedTexts_.emplace(key, expression);
  return expression;
}

ExpressionPtr CCalculator::ExpressionOf(WorkbookState& state, std::int32_t sheet,
                                        std::uint32_t record) {
  const FormulaRecord& formula = state.workbook->Sheet(sheet).FormulaRecords().at(record);
  auto& records = state.Sheet(sheet).records;
  if (records.size() <= record)
    records.resize(state.workbook->Sheet(sheet).FormulaRecords().size());
  WorkbookState::CachedRecord& cached = records[record];
  // Renaming a sheet rewrites record texts; a changed text is parsed again.
  const std::size_t hash = std::hash<std::wstring_view>{}(formula.text);
  if (cached.expression == nullptr || cached.textHash != hash ||
      cached.textSize != formula.text.size()) {
    ++statistics_.parses;
    cached.expression = ParseExpression(formula.text).expression;
    cached.textHash = hash;
    cached.textSize = formula.text.size();
  }
  return cached.expression;
}

// --- reading cells
// -----------------------------------------------------------------------------------

EvalValue CCalculator::Read(CWorkbook& workbook, std::int32_t sheet, CellCoord cell) {
  if (sheet < 1 || sheet > workbook.SheetCount()) return EvalValue();
  const CWorksheet& worksheet = workbook.Sheet(sheet);
  const Cell* stored = worksheet.Find(cell);
  if (stored == nullptr) return EvalValue();
  if (stored->calcState != 0 && stored->HasFormula() && waitForPending_ &&
      (stored->calcState & kCalcPending) != 0) {
    if ((stored->calcState & kCalcInProgress) != 0) {
      ++statistics_.circularCells;
      if (noteCircles_) {
        if (WorkbookState* state = StateOf(workbook)) {
          circleCells_.emplace_back(state, KeyOf(sheet, cell));
        }
      }
    } else if (WorkbookState* state = StateOf(workbook)) {
      throw CPendingCell{state, KeyOf(sheet, cell)};
    }
  }
  switch (stored->kind) {
    case ValueKind::Empty:
      return EvalValue();
    case ValueKind::Number:
      return EvalValue::Number(stored->number);
    case ValueKind::Boolean:
      return EvalValue::Boolean(stored->number != 0.0);
    case ValueKind::Error:
      return EvalValue::Error(stored->error);
    case ValueKind::Text:
      return EvalValue::Text(workbook.Strings().At(stored->text));
  }
  return EvalValue();
}

CWorkbook* CCalculator::FindOpenWorkbook(std::wstring_view name) {
  return finder_ ? finder_(name) : nullptr;
}

// --- which cells wait
// ----------------------------------------------------------------------------------

void CCalculator::MarkPending(WorkbookState& state, std::uint64_t key) {
  const std::int32_t sheet = SheetOfKey(key);
  const FormulaRecord* record = state.workbook->Sheet(sheet).FormulaOf(CellOfKey(key));
  if (record == nullptr) return;
  auto mark = [&](std::uint64_t member) {
    Cell* cell = state.CellAt(member);
    if (cell == nullptr || !cell->HasFormula() || (cell->calcState & kCalcPending) != 0) return;
    cell->calcState |= kCalcPending;
    state.pendingList.push_back(member);
  };
  if (record->kind != FormulaRecord::Kind::Array) {
    mark(key);
    return;
  }
  for (std::int32_t row = record->range.first.row; row <= record->range.last.row; ++row) {
    for (std::int32_t column = record->range.first.column; column <= record->range.last.column;
         ++column) {
      mark(KeyOf(sheet, {row, column}));
    }
  }
}

std::vector<std::uint64_t> CCalculator::FormulaCellsIn(WorkbookState& state, std::int32_t sheet,
                                                       const CellRect& range) {
  if (!state.formulaRowsValid) {
    for (std::int32_t s = 1; s <= state.workbook->SheetCount(); ++s) {
      auto& rows = state.Sheet(s).formulaRows;
      rows.clear();
      state.workbook->Sheet(s).ForEachCellForCalculation([&](CellCoord cell, Cell& stored) {
        if (stored.HasFormula()) rows[cell.column].push_back(cell.row);
      });
      for (auto& [column, list] : rows) std::sort(list.begin(), list.end());
    }
    state.formulaRowsValid = true;
  }
  std::vector<std::uint64_t> keys;
  const auto& columns = state.Sheet(sheet).formulaRows;
  for (auto column = columns.lower_bound(range.first.column);
       column != columns.end() && column->first <= range.last.column; ++column) {
    const auto& rows = column->second;
    for (auto row = std::lower_bound(rows.begin(), rows.end(), range.first.row);
         row != rows.end() && *row <= range.last.row; ++row) {
      keys.push_back(KeyOf(sheet, {*row, column->first}));
    }
  }
  return keys;
}

std::vector<Area> CCalculator::PrecedentsOf(WorkbookState& state, std::uint64_t key,
                                            const Cell* stored) {
  const std::int32_t sheet = SheetOfKey(key);
  const CellCoord cell = CellOfKey(key);
  if (stored == nullptr || !stored->HasFormula()) return {};
  const ExpressionPtr expression = ExpressionOf(state, sheet, stored->formula - 1);
  if (!expression) return {};
  const FormulaRecord& record = state.workbook->Sheet(sheet).FormulaRecords()[stored->formula - 1];
  EvaluationSite site{state.workbook, sheet, cell, record.origin, false};
  if (record.kind == FormulaRecord::Kind::Array) site.cell = record.range.first;
  CFormulaEvaluator evaluator(*this, site);
  bool complete = true;
  std::vector<Area> areas = evaluator.ReferencedAreas(*expression, complete);
  if (!complete) state.volatileCells.insert(key);
  return areas;
}

void CCalculator::AddDependents(WorkbookState& state, std::uint64_t key) {
  for (const Area& area : PrecedentsOf(state, key, state.CellAt(key))) {
    if (area.workbook != state.workbook) continue;  // Other workbooks' changes do not spread.
    if (area.rect.IsSingleCell()) {
      state.cellDependents[KeyOf(area.sheet, area.rect.first)].push_back(key);
      continue;
    }
    auto& index = state.Sheet(area.sheet);
    if (area.rect.Columns() > kBucketColumns) {
      index.wideDependents.push_back({area.rect, key});
      continue;
    }
    for (std::int32_t column = area.rect.first.column; column <= area.rect.last.column; ++column) {
      index.columnDependents[column].push_back({area.rect, key});
    }
  }
}

void CCalculator::BuildDependents(WorkbookState& state) {
  state.cellDependents.clear();
  state.volatileCells.clear();
  for (auto& sheet : state.sheets) {
    sheet.columnDependents.clear();
    sheet.wideDependents.clear();
  }
  for (std::int32_t sheet = 1; sheet <= state.workbook->SheetCount(); ++sheet) {
    state.workbook->Sheet(sheet).ForEachCellForCalculation([&](CellCoord cell, Cell& stored) {
      if (stored.HasFormula()) AddDependents(state, KeyOf(sheet, cell));
    });
  }
  state.dependentsValid = true;
}

void CCalculator::SpreadPending(WorkbookState& state, std::vector<Area> changed) {
  if (!state.dependentsValid) BuildDependents(state);
  std::vector<std::uint64_t> reached;
  auto reach = [&](std::uint64_t dependent) {
    Cell* cell = state.CellAt(dependent);
    if (cell == nullptr || (cell->calcState & kCalcReached) != 0) return;
    cell->calcState |= kCalcReached;
    reached.push_back(dependent);
    MarkPending(state, dependent);
    const std::int32_t sheet = SheetOfKey(dependent);
    const FormulaRecord* record = state.workbook->Sheet(sheet).FormulaOf(CellOfKey(dependent));
    const CellRect rect = record != nullptr && record->kind == FormulaRecord::Kind::Array
                              ? record->range
                              : CellRect::Of(CellOfKey(dependent));
    changed.push_back(Area{state.workbook, sheet, rect});
  };
  while (!changed.empty()) {
    const Area area = changed.back();
    changed.pop_back();
    if (area.workbook != state.workbook || area.sheet < 1 ||
        area.sheet > state.workbook->SheetCount()) {
      continue;
    }
    if (area.rect.CellCount() <= 4096) {
      for (std::int32_t row = area.rect.first.row; row <= area.rect.last.row; ++row) {
        for (std::int32_t column = area.rect.first.column; column <= area.rect.last.column;
             ++column) {
          const auto found = state.cellDependents.find(KeyOf(area.sheet, {row, column}));
          if (found == state.cellDependents.end()) continue;
          for (const std::uint64_t dependent : found->second) reach(dependent);
        }
      }
    } else {
      std::vector<std::uint64_t> hits;
      for (const auto& [precedent, dependents] : state.cellDependents) {
        if (SheetOfKey(precedent) == area.sheet && area.rect.Contains(CellOfKey(precedent))) {
          hits.insert(hits.end(), dependents.begin(), dependents.end());
        }
      }
      for (const std::uint64_t dependent : hits) reach(dependent);
    }
    auto& index = state.Sheet(area.sheet);
    std::vector<std::uint64_t> hits;
    auto scan = [&](const std::vector<WorkbookState::AreaDependent>& entries) {
      for (const auto& entry : entries) {
        if (entry.rect.Intersects(area.rect)) hits.push_back(entry.dependent);
      }
    };
    if (area.rect.Columns() <= kBucketColumns) {
      for (std::int32_t column = area.rect.first.column; column <= area.rect.last.column;
           ++column) {
        const auto bucket = index.columnDependents.find(column);
        if (bucket != index.columnDependents.end()) scan(bucket->second);
      }
    } else {
      for (const auto& [column, entries] : index.columnDependents) {
        if (column >= area.rect.first.column && column <= area.rect.last.column) scan(entries);
      }
    }
    scan(index.wideDependents);
    for (const std::uint64_t dependent : hits) reach(dependent);
  }
  for (const std::uint64_t key : reached) {
    if (Cell* cell = state.CellAt(key)) cell->calcState &= static_cast<std::uint8_t>(~kCalcReached);
  }
}

void CCalculator::CellsChanged(CWorkbook& workbook, std::int32_t sheet, const CellRect& range) {
  WorkbookState* state = StateOf(workbook);
  if (state == nullptr || sheet < 1 || sheet > workbook.SheetCount()) return;
  state->formulaRowsValid = false;
  CWorksheet& worksheet = workbook.Sheet(sheet);
  std::vector<std::uint64_t> formulas;
  const auto used = worksheet.UsedRange();
  if (used && used->Intersects(range)) {
    const CellRect part = used->Intersection(range);
    if (part.CellCount() <= static_cast<std::int64_t>(worksheet.CellCount())) {
      for (std::int32_t row = part.first.row; row <= part.last.row; ++row) {
        for (std::int32_t column = part.first.column; column <= part.last.column; ++column) {
          Cell* stored = worksheet.FindForCalculation({row, column});
          if (stored == nullptr) continue;
          // A cell no longer holding a formula waits for nothing.
          if (!stored->HasFormula()) stored->calcState = 0;
          if (stored->HasFormula()) formulas.push_back(KeyOf(sheet, {row, column}));
        }
      }
    } else {
      worksheet.ForEachCellForCalculation([&](CellCoord cell, Cell& stored) {
        if (!part.Contains(cell)) return;
        if (!stored.HasFormula()) stored.calcState = 0;
        if (stored.HasFormula()) formulas.push_back(KeyOf(sheet, cell));
      });
    }
  }
  for (const std::uint64_t key : formulas) {
    MarkPending(*state, key);
    if (state->dependentsValid) AddDependents(*state, key);
  }
  SpreadPending(*state, {Area{&workbook, sheet, range}});
}

void CCalculator::StructureChanged(CWorkbook& workbook) {
  if (StateOf(workbook) == nullptr) return;
  Detach(workbook);
  Attach(workbook);
  InvalidateAll(workbook);
}

void CCalculator::InvalidateAll(CWorkbook& workbook) {
  WorkbookState* state = StateOf(workbook);
  if (state == nullptr) return;
  for (std::int32_t sheet = 1; sheet <= workbook.SheetCount(); ++sheet) {
    workbook.Sheet(sheet).ForEachCellForCalculation([&](CellCoord cell, Cell& stored) {
      if (!stored.HasFormula() || (stored.calcState & kCalcPending) != 0) return;
      stored.calcState = kCalcPending;
      state->pendingList.push_back(KeyOf(sheet, cell));
    });
  }
}

// --- calculating
// ------------------------------------------------------------------------------------

void CCalculator::CalculateCell(WorkbookState& state, std::uint64_t key, Cell& target) {
  const std::int32_t sheet = SheetOfKey(key);
  const CellCoord cell = CellOfKey(key);
  CWorksheet& worksheet = state.workbook->Sheet(sheet);
  Cell* stored = &target;
  if (!stored->HasFormula()) {
    stored->calcState = 0;
    return;
  }
  const std::uint32_t recordIndex = stored->formula - 1;
  const FormulaRecord& record = worksheet.FormulaRecords()[recordIndex];
  const ExpressionPtr expression = ExpressionOf(state, sheet, recordIndex);
  ++statistics_.evaluations;
  if (record.kind == FormulaRecord::Kind::Array) {
    const CellRect range = record.range;
    std::vector<EvalValue> values;
    if (expression) {
      CFormulaEvaluator evaluator(*this, {state.workbook, sheet, range.first, record.origin, true});
      values = evaluator.EvaluateOverRange(*expression, range);
    } else {
      values.assign(static_cast<std::size_t>(range.CellCount()), EvalValue::Error(ErrorCode::Name));
    }
    std::size_t i = 0;
    for (std::int32_t row = range.first.row; row <= range.last.row; ++row) {
      for (std::int32_t column = range.first.column; column <= range.last.column; ++column) {
        const CellValue after = values[i++].ToCellValue();
        if (noteChanges_) NoteChange(worksheet.Value({row, column}), after);
        worksheet.SetCachedValue({row, column}, after);
        if (Cell* member = worksheet.FindForCalculation({row, column})) member->calcState = 0;
      }
    }
    return;
  }
  EvalValue value = EvalValue::Error(ErrorCode::Name);
  if (expression) {
    CFormulaEvaluator evaluator(*this, {state.workbook, sheet, cell, record.origin, false});
    value = evaluator.EvaluateForCell(*expression);
  }
  const CellValue after = value.ToCellValue();
  if (noteChanges_) NoteChange(worksheet.Value(cell), after);
  worksheet.StoreCalculatedValue(*stored, after);
  stored->calcState = 0;
}

void CCalculator::NoteChange(const CellValue& before, const CellValue& after) {
  double change = 0.0;
  if (after.Kind() == ValueKind::Number &&
      (before.Kind() == ValueKind::Number || before.Kind() == ValueKind::Empty)) {
    const double was = before.Kind() == ValueKind::Number ? before.AsNumber() : 0.0;
    change = std::fabs(after.AsNumber() - was);
  } else if (!(before == after)) {
    change = std::numeric_limits<double>::infinity();
  }
  largestChange_ = std::max(largestChange_, change);
}

void CCalculator::PushPendingPrecedents(WorkbookState& state, std::uint64_t key, const Cell& cell,
                                        std::vector<Frame>& stack) {
  for (const Area& area : PrecedentsOf(state, key, &cell)) {
    WorkbookState* owner = StateOf(*area.workbook);
    if (owner == nullptr || owner->pendingList.empty()) continue;
    auto consider = [&](std::uint64_t precedent) {
      const Cell* waiting = owner->CellAt(precedent);
      if (WorkbookState::Waits(waiting) && (waiting->calcState & kCalcInProgress) == 0) {
        stack.push_back({owner, precedent, false});
      }
    };
    if (area.rect.IsSingleCell()) {
      consider(KeyOf(area.sheet, area.rect.first));
    } else if (static_cast<std::int64_t>(owner->pendingList.size()) < area.rect.CellCount() / 8) {
      std::vector<std::uint64_t> inside;
      for (const std::uint64_t waiting : owner->pendingList) {
        if (SheetOfKey(waiting) == area.sheet && area.rect.Contains(CellOfKey(waiting))) {
          inside.push_back(waiting);
        }
      }
      std::sort(inside.begin(), inside.end(), std::greater<>());
      for (const std::uint64_t waiting : inside) consider(waiting);
    } else {
      std::vector<std::uint64_t> inside = FormulaCellsIn(*owner, area.sheet, area.rect);
      for (auto it = inside.rbegin(); it != inside.rend(); ++it) consider(*it);
    }
  }
}

void CCalculator::Run(std::vector<Frame>& stack) {
  while (!stack.empty()) {
    const std::size_t top = stack.size() - 1;
    const Frame frame = stack[top];
    WorkbookState& state = *frame.state;
    Cell* cell = state.CellAt(frame.key);
    if (!WorkbookState::Waits(cell)) {
      stack.pop_back();
      continue;
    }
    if (!frame.expanded && (cell->calcState & kCalcInProgress) == 0) {
      stack[top].expanded = true;
      cell->calcState |= kCalcInProgress;
      PushPendingPrecedents(state, frame.key, *cell, stack);
      if (stack.size() > top + 1) continue;
    }
    try {
      CalculateCell(state, frame.key, *cell);
    } catch (const CPendingCell& waiting) {
      stack.push_back({static_cast<WorkbookState*>(waiting.state), waiting.key, false});
      continue;
    }
    stack.pop_back();
  }
}

void CCalculator::RunPending(WorkbookState& state) {
  if (!state.Prune()) return;
  std::vector<std::uint64_t> roots = state.pendingList;
  std::sort(roots.begin(), roots.end(), std::greater<>());  // The stack takes the first last.
  std::vector<Frame> stack;
  stack.reserve(roots.size());
  for (const std::uint64_t key : roots) stack.push_back({&state, key, false});
  Run(stack);
  state.pendingList.clear();  // Run leaves nothing waiting.
}

void CCalculator::Calculate(bool volatileToo) {
  for (const auto& state : states_) {
    if (volatileToo) {
      if (!state->dependentsValid) BuildDependents(*state);
      std::vector<Area> changed;
      for (const std::uint64_t key : state->volatileCells) {
        MarkPending(*state, key);
        changed.push_back(Area{state->workbook, SheetOfKey(key), CellRect::Of(CellOfKey(key))});
      }
      SpreadPending(*state, std::move(changed));
    }
    if (!state->Prune()) continue;
    const bool iterate = state->workbook->Calculation().iterate;
    circleCells_.clear();
    noteCircles_ = iterate;
    noteChanges_ = iterate;
    largestChange_ = 0.0;
    RunPending(*state);
    if (iterate) Iterate(*state);
    noteCircles_ = false;
    noteChanges_ = false;
    circleCells_.clear();
  }
}

void CCalculator::Iterate(WorkbookState& state) {
  // Excel's own bound on Maximum Iterations, whatever a workbook asks for.
  constexpr std::int32_t kMostIterations = 32767;
  const CalculationSettings& settings = state.workbook->Calculation();
  const std::int32_t passes = std::clamp(settings.maxIterations, 1, kMostIterations);
  for (std::int32_t pass = 2; pass <= passes; ++pass) {
    // Circles met in another workbook through an external reference are that workbook's own.
    std::vector<std::uint64_t> circle;
    for (const auto& [owner, key] : circleCells_) {
      if (owner == &state) circle.push_back(key);
    }
    if (circle.empty() || largestChange_ < settings.maxChange) return;
    std::sort(circle.begin(), circle.end());
    circle.erase(std::unique(circle.begin(), circle.end()), circle.end());
    // The cell that closed each circle, and so the whole circle after it and what reads it.
    std::vector<Area> changed;
    for (const std::uint64_t key : circle) {
      MarkPending(state, key);
      changed.push_back(Area{state.workbook, SheetOfKey(key), CellRect::Of(CellOfKey(key))});
    }
    SpreadPending(state, std::move(changed));
    circleCells_.clear();
    largestChange_ = 0.0;
    RunPending(state);
  }
}

void CCalculator::CalculateRange(CWorkbook& workbook, std::int32_t sheet, const CellRect& range) {
  WorkbookState* state = StateOf(workbook);
  if (state == nullptr || state->pendingList.empty() || sheet < 1 ||
      sheet > workbook.SheetCount()) {
    return;
  }
  std::vector<Frame> stack;
  const std::vector<std::uint64_t> cells = FormulaCellsIn(*state, sheet, range);
  for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
    if (state->Waits(*it)) stack.push_back({state, *it, false});
  }
  const bool saved = waitForPending_;
  waitForPending_ = true;
  Run(stack);
  waitForPending_ = saved;
}

EvalValue CCalculator::Evaluate(CWorkbook& workbook, std::int32_t sheet, std::wstring_view text,
                                bool calculate) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
  const ExpressionPtr expression = Parse(text);
  if (!expression) return EvalValue::Error(ErrorCode::Name);
  const EvaluationSite site{&workbook, sheet, {1, 1}, {1, 1}, true};
  // A formula never gives nothing: "IF(TRUE,)" and "CHOOSE(1,,2)" are 0, as in a cell.
  const auto valueOf = [](EvalValue value) {
    return value.IsEmpty() ? EvalValue::Number(0.0) : value;
  };
  if (!calculate) {
    waitForPending_ = false;
    EvalValue value = valueOf(CFormulaEvaluator(*this, site).Evaluate(*expression));
    waitForPending_ = true;
    const NodeKind kind = expression->Node(expression->root).kind;
    const bool justReference = kind == NodeKind::Cell || kind == NodeKind::Area ||
                               kind == NodeKind::Name || kind == NodeKind::Table;
    if (justReference && value.IsReference()) {
      for (const Area& area : value.AsAreas()) {
        if (area.workbook != nullptr) CalculateRange(*area.workbook, area.sheet, area.rect);
      }
    }
    return value;
  }
  for (;;) {
    try {
      return valueOf(CFormulaEvaluator(*this, site).Evaluate(*expression));
    } catch (const CPendingCell& waiting) {
      std::vector<Frame> stack{{static_cast<WorkbookState*>(waiting.state), waiting.key, false}};
      Run(stack);
    }
  }
}

}  // namespace spreadsheet

namespace spreadsheet {

EvalValue CCalculator::EvaluateAsCell(CWorkbook& workbook, std::int32_t sheet, CellCoord cell,
                                      std::wstring_view text, bool arrayFormula) {
  if (!text.empty() && text.front() == L'=') text.remove_prefix(1);
  const ExpressionPtr expression = Parse(text);
  if (!expression) return EvalValue::Error(ErrorCode::Name);
  const EvaluationSite site{&workbook, sheet, cell, cell, arrayFormula};
  for (;;) {
    try {
      CFormulaEvaluator evaluator(*this, site);
      if (!arrayFormula) return evaluator.EvaluateForCell(*expression);
      EvalValue value = evaluator.Evaluate(*expression);
      return value.IsReference() ? Dereference(value, evaluator) : value;
    } catch (const CPendingCell& waiting) {
      std::vector<Frame> stack{{static_cast<WorkbookState*>(waiting.state), waiting.key, false}};
      Run(stack);
    }
  }
}

}  // namespace spreadsheet
