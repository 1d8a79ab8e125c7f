// Levels by a depth-first walk over an explicit work list, then the cells sorted by level.
#include "engine/calculation_chain.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "scan/workbook_lists.h"

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
  const auto& index = container_.formulaIndex_;
  if (reference.IsSingleCell()) {
    if (index.contains(reference.first)) cells->push_back(reference.first);
    return;
  }
  // Whole columns hold 65536 rows: the index is searched column by column instead of asked cell
  // by cell, and the few formulas found are put in row order afterwards.
  const int32_t sheet = reference.first.sheet;
  const int32_t firstColumn = std::min(reference.first.column, reference.last.column);
  const int32_t lastColumn = std::max(reference.first.column, reference.last.column);
  const int32_t firstRow = std::min(reference.first.row, reference.last.row);
  const int32_t lastRow = std::max(reference.first.row, reference.last.row);
  for (int64_t column = firstColumn; column <= lastColumn; ++column) {
    const CellPos top{sheet, static_cast<int32_t>(column), firstRow};
    for (auto it = index.lower_bound(top);
         it != index.end() && it->first.sheet == sheet && it->first.column == top.column &&
         it->first.row <= lastRow;
         ++it) {
      cells->push_back(it->first);
    }
  }
  std::sort(cells->begin(), cells->end(), [](const CellPos& a, const CellPos& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
}

bool CCalculationLevels::StartFrame(const CellPos& cell, std::vector<Frame>* frames) {
  const auto found = container_.formulaIndex_.find(cell);
  if (found == container_.formulaIndex_.end()) return false;
  onPath_.insert(cell);
  Frame frame;
  frame.cell = cell;
  frame.references = found->second;
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
      if (reference.nameId == 0 && reference.externalId == 0) {
        FormulaCellsOf(reference, &top.targets);
      }
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
  container.calculationChain_ = CDependencyContainer::EmptyList();
  CollectAllFormulas(container);

  CCalculationLevels levels(container);
  for (const auto& entry : container.formulaIndex_) levels.CalculationLevel(entry.first);

  // The level table is in key order; a stable sort keeps that order within a level.
  std::vector<std::pair<int32_t, CellPos>> ordered;
  ordered.reserve(levels.Levels().size());
  for (const auto& [cell, level] : levels.Levels()) ordered.emplace_back(level, cell);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  auto chain = std::make_shared<std::vector<CellReference>>();
  chain->reserve(ordered.size());
  for (const auto& [level, cell] : ordered) {
    CellReference reference;
    reference.first = cell;
    reference.last = cell;
    chain->push_back(std::move(reference));
  }
  container.calculationChain_ = std::move(chain);
  return container.calculationChain_;
}
