// Levels by a depth-first walk over an explicit work list, then the cells sorted by level.
#include "engine/calculation_chain.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <utility>

#include "container/name_definitions.h"
#include "scan/cell_collection.h"
#include "scan/workbook_lists.h"

namespace {

bool InArea(const CellRect& area, const CellPos& cell) {
  return area.first.sheet <= cell.sheet && cell.sheet <= area.last.sheet &&
         area.first.column <= cell.column && cell.column <= area.last.column &&
         area.first.row <= cell.row && cell.row <= area.last.row;
}

bool Overlap(const CellRect& a, const CellRect& b) {
  return a.first.sheet <= b.last.sheet && b.first.sheet <= a.last.sheet &&
         a.first.column <= b.last.column && b.first.column <= a.last.column &&
         a.first.row <= b.last.row && b.first.row <= a.last.row;
}

}  // namespace

// One cell whose level is being computed: where it stands in its references, and the highest
// level found among them so far.
struct CCalculationLevels::Frame {
  CellPos cell;
  SharedReferenceList references;
  size_t nextReference = 0;
  std::vector<CellPos> targets;  // Formula cells of the reference being followed.
  size_t nextTarget = 0;
  int32_t highest = kNoFormula;
};

void CCalculationLevels::FormulaCellsOf(const CellReference& reference,
                                        std::vector<CellPos>* cells) const {
  // Formula names were replaced by what they lead to when the frame started; what is left of
  // names that are no range are constants.
  if (reference.externalId != 0 || (reference.flags & RefNameNotRange) != 0) return;
  const CFormulaIndex::Entries& index = container_.Formulas().All();
  if (reference.IsSingleCell()) {
    if (index.contains(reference.first)) {
      cells->push_back(reference.first);
    } else if (const CellPos origin = ArrayOriginOf(container_, reference.first);
               index.contains(origin)) {
      cells->push_back(origin);
    }
    return;
  }
  // Whole columns hold 65536 rows: the index is searched column by column instead of asked cell
  // by cell, and the few formulas found are put in row order afterwards.
  const int32_t firstColumn = std::min(reference.first.column, reference.last.column);
  const int32_t lastColumn = std::max(reference.first.column, reference.last.column);
  const int32_t firstRow = std::min(reference.first.row, reference.last.row);
  const int32_t lastRow = std::max(reference.first.row, reference.last.row);
  const int32_t lastSheet = std::max(reference.first.sheet, reference.last.sheet);
  for (int64_t sheet = std::min(reference.first.sheet, reference.last.sheet); sheet <= lastSheet;
       ++sheet) {
    const size_t sheetStart = cells->size();
    const CellRect area{{static_cast<int32_t>(sheet), firstColumn, firstRow},
                        {static_cast<int32_t>(sheet), lastColumn, lastRow}};
    for (int64_t column = firstColumn; column <= lastColumn; ++column) {
      const CellPos top{area.first.sheet, static_cast<int32_t>(column), firstRow};
      for (auto it = index.lower_bound(top);
           it != index.end() && it->first.sheet == top.sheet && it->first.column == top.column &&
           it->first.row <= lastRow;
           ++it) {
        cells->push_back(it->first);
      }
    }
    // An array reaching into the area from a first cell outside it is calculated there.
    for (const CellRect& array : container_.Formulas().Arrays()) {
      if (array.first.sheet == area.first.sheet && !InArea(area, array.first) &&
          Overlap(area, array) && index.contains(array.first)) {
        cells->push_back(array.first);
      }
    }
    std::sort(cells->begin() + static_cast<std::ptrdiff_t>(sheetStart), cells->end(),
              [](const CellPos& a, const CellPos& b) {
                return a.row != b.row ? a.row < b.row : a.column < b.column;
              });
  }
}

bool CCalculationLevels::StartFrame(const CellPos& cell, std::vector<Frame>* frames) {
  const SharedReferenceList* found = container_.Formulas().Find(cell);
  if (found == nullptr) return false;
  onPath_.insert(cell);
  Frame frame;
  frame.cell = cell;
  frame.references = WithNamesFollowed(container_, *found);
  frames->push_back(std::move(frame));
  return true;
}

int32_t CCalculationLevels::CalculationLevel(const CellPos& cell) {
  if (const auto known = levels_.find(cell); known != levels_.end()) return known->second;
  std::vector<Frame> frames;
  if (!StartFrame(cell, &frames)) return kNoFormula;
  for (;;) {
    Frame& top = frames.back();
    if (top.nextTarget < top.targets.size()) {
      const CellPos next = top.targets[top.nextTarget++];
      if (const auto known = levels_.find(next); known != levels_.end()) {
        top.highest = std::max(top.highest, known->second);
      } else if (!onPath_.contains(next)) {
        StartFrame(next, &frames);  // `top` is not used after this.
      }
      continue;
    }
    if (top.references && top.nextReference < top.references->size()) {
      const CellReference& reference = (*top.references)[top.nextReference++];
      top.targets.clear();
      top.nextTarget = 0;
      FormulaCellsOf(reference, &top.targets);
      continue;
    }
    const int32_t level = top.highest + 1;
    levels_.emplace(top.cell, level);
    onPath_.erase(top.cell);
    frames.pop_back();
    if (frames.empty()) return level;
    frames.back().highest = std::max(frames.back().highest, level);
  }
}

SharedReferenceList BuildCalculationChain(CDependencyContainer& container) {
  container.Answers().SetCalculationChain(CDependencyContainer::EmptyList());
  CollectAllFormulas(container);

  CCalculationLevels levels(container);
  levels.Reserve(container.Formulas().Size());
  for (const auto& entry : container.Formulas().All()) levels.CalculationLevel(entry.first);

  // An array formula is indexed at its first cell; every cell of its block is a formula cell.
  std::map<CellPos, CellRect, CellPosOrder> arrays;
  for (const CellRect& array : container.Formulas().Arrays()) arrays.emplace(array.first, array);
  std::vector<std::pair<int32_t, CellPos>> ordered;
  ordered.reserve(levels.Levels().size());
  for (const auto& [cell, level] : levels.Levels()) {
    const auto array = arrays.find(cell);
    if (array == arrays.end()) {
      ordered.emplace_back(level, cell);
      continue;
    }
    const CellRect& block = array->second;
    for (int64_t column = block.first.column; column <= block.last.column; ++column) {
      for (int64_t row = block.first.row; row <= block.last.row; ++row) {
        ordered.emplace_back(level, CellPos{cell.sheet, static_cast<int32_t>(column),
                                            static_cast<int32_t>(row)});
      }
    }
  }
  const CellPosOrder byPosition;
  std::sort(ordered.begin(), ordered.end(), [&byPosition](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : byPosition(a.second, b.second);
  });

  auto chain = std::make_shared<std::vector<CellReference>>();
  chain->reserve(ordered.size());
  for (const auto& [level, cell] : ordered) {
    CellReference reference;
    reference.first = cell;
    reference.last = cell;
    chain->push_back(std::move(reference));
  }
  container.Answers().SetCalculationChain(std::move(chain));
  return container.Answers().CalculationChain();
}
