// Building the formula index turned round, and asking it for the formulas that may read a cell.
#include "container/dependents_index.h"

#include <algorithm>

#include "container/name_definitions.h"

namespace {

constexpr int32_t kBlockColumns = 16;
constexpr int32_t kBlockRows = 64;
// An area over more blocks than this is tested on every question instead.
constexpr int64_t kMostBlocksPerArea = 64;

uint64_t Mix(uint64_t hash, uint64_t value) {
  return (hash ^ value) * 0x100000001B3ull;
}

uint64_t CornersHash(const CellPos& low, const CellPos& high) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const int32_t part : {low.sheet, low.column, low.row, high.sheet, high.column, high.row}) {
    hash = Mix(hash, static_cast<uint32_t>(part));
  }
  return hash;
}

bool InBox(const CellPos& low, const CellPos& high, const CellPos& cell) {
  return low.sheet <= cell.sheet && cell.sheet <= high.sheet && low.column <= cell.column &&
         cell.column <= high.column && low.row <= cell.row && cell.row <= high.row;
}

}  // namespace

uint64_t CDependentsIndex::BlockKey(int32_t sheet, int32_t column, int32_t row) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(sheet)) << 42) ^
         (static_cast<uint64_t>(static_cast<uint32_t>(column / kBlockColumns)) << 21) ^
         static_cast<uint64_t>(static_cast<uint32_t>(row / kBlockRows));
}

CDependentsIndex::CDependentsIndex(CDependencyContainer& container)
    : indexedFormulas_(container.Formulas().Size()) {
  // Room for every reference as written, so that the pairs are not copied as they grow.
  size_t written = 0;
  for (const auto& entry : container.Formulas().All()) written += entry.second->size();
  readers_.reserve(written);
  for (const auto& [formula, references] : container.Formulas().All()) {
    const SharedReferenceList followed = WithNamesFollowed(container, references);
    if (!followed) continue;
    for (const CellReference& reference : *followed) Add(formula, reference);
  }
  IndexReaders();
}

void CDependentsIndex::IndexReaders() {
  const CellPosOrder order;
  std::sort(readers_.begin(), readers_.end(), [&order](const Reader& a, const Reader& b) {
    if (order(a.cell, b.cell)) return true;
    if (order(b.cell, a.cell)) return false;
    return order(a.formula, b.formula);
  });
  readers_.erase(std::unique(readers_.begin(), readers_.end(),
                             [](const Reader& a, const Reader& b) {
                               return a.cell == b.cell && a.formula == b.formula;
                             }),
                 readers_.end());
  size_t cells = 0;
  for (size_t i = 0; i < readers_.size(); ++i) {
    cells += i == 0 || !(readers_[i].cell == readers_[i - 1].cell) ? 1u : 0u;
  }
  size_t slots = 16;
  while (slots < 2 * cells) slots *= 2;
  readerSlots_.assign(slots, 0);
  const size_t mask = slots - 1;
  for (size_t i = 0; i < readers_.size(); ++i) {
    if (i > 0 && readers_[i].cell == readers_[i - 1].cell) continue;
    size_t slot = std::hash<CellPos>{}(readers_[i].cell) & mask;
    while (readerSlots_[slot] != 0) slot = (slot + 1) & mask;
    readerSlots_[slot] = static_cast<uint32_t>(i + 1);
  }
}

void CDependentsIndex::Add(const CellPos& formula, const CellReference& reference) {
  // What CellReference::Contains can never answer true for.
  if ((reference.nameId != 0 && (reference.flags & RefNameNotRange) != 0) ||
      reference.externalId != 0) {
    return;
  }
  const CellPos& first = reference.first;
  const CellPos& last = reference.last;
  if (first == last) {
    readers_.push_back({first, formula});
    return;
  }
  // Contains also answers for the two corners as written, whatever their order; the box of
  // the ordered corners holds them.
  const CellPos low{std::min(first.sheet, last.sheet), std::min(first.column, last.column),
                    std::min(first.row, last.row)};
  const CellPos high{std::max(first.sheet, last.sheet), std::max(first.column, last.column),
                     std::max(first.row, last.row)};
  std::vector<uint32_t>& same = areasByCorners_[CornersHash(low, high)];
  for (const uint32_t id : same) {
    Area& area = areas_[id];
    if (area.low == low && area.high == high) {
      if (!(area.formulas.back() == formula)) area.formulas.push_back(formula);
      return;
    }
  }
  const auto id = static_cast<uint32_t>(areas_.size());
  areas_.push_back({low, high, {formula}});
  same.push_back(id);

  const int64_t sheets = int64_t{high.sheet} - low.sheet + 1;
  const int64_t columnBlocks = int64_t{high.column} / kBlockColumns -
                               int64_t{low.column} / kBlockColumns + 1;
  const int64_t rowBlocks = int64_t{high.row} / kBlockRows - int64_t{low.row} / kBlockRows + 1;
  if (sheets * columnBlocks * rowBlocks > kMostBlocksPerArea) {
    largeAreas_.push_back(id);
    return;
  }
  for (int64_t sheet = low.sheet; sheet <= high.sheet; ++sheet) {
    for (int64_t column = low.column / kBlockColumns; column <= high.column / kBlockColumns;
         ++column) {
      for (int64_t row = low.row / kBlockRows; row <= high.row / kBlockRows; ++row) {
        blocks_[BlockKey(static_cast<int32_t>(sheet), static_cast<int32_t>(column * kBlockColumns),
                         static_cast<int32_t>(row * kBlockRows))]
            .push_back(id);
      }
    }
  }
}

std::vector<CellPos> CDependentsIndex::Candidates(const CellPos& cell) const {
  std::vector<CellPos> found;
  const size_t mask = readerSlots_.size() - 1;
  for (size_t slot = std::hash<CellPos>{}(cell) & mask; readerSlots_[slot] != 0;
       slot = (slot + 1) & mask) {
    size_t i = readerSlots_[slot] - 1;
    if (!(readers_[i].cell == cell)) continue;
    for (; i < readers_.size() && readers_[i].cell == cell; ++i) {
      found.push_back(readers_[i].formula);
    }
    break;
  }
  const auto take = [&](uint32_t id) {
    const Area& area = areas_[id];
    if (InBox(area.low, area.high, cell)) {
      found.insert(found.end(), area.formulas.begin(), area.formulas.end());
    }
  };
  if (const auto block = blocks_.find(BlockKey(cell.sheet, cell.column, cell.row));
      block != blocks_.end()) {
    for (const uint32_t id : block->second) take(id);
  }
  for (const uint32_t id : largeAreas_) take(id);
  const CellPosOrder order;
  std::sort(found.begin(), found.end(), order);
  found.erase(std::unique(found.begin(), found.end(),
                          [](const CellPos& a, const CellPos& b) { return a == b; }),
              found.end());
  return found;
}
