// CDependentsIndex: the formula index turned round, so that the formulas reading a cell are
// found without walking every formula of the workbook. It only narrows the search: each formula
// it offers is still tested reference by reference, in the formula index's own order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

class CDependentsIndex {
 public:
  // Formula names in the formulas are indexed by what they lead to; reading their definitions
  // may parse them, hence the container is not const.
  explicit CDependentsIndex(CDependencyContainer& container);

  // The formula index's size when this was built; entries are only ever added, so another size
  // means the index is stale.
  size_t IndexedFormulas() const { return indexedFormulas_; }
  // The formula cells with a reference that may hold `cell`, each once, in CellPosOrder.
  std::vector<CellPos> Candidates(const CellPos& cell) const;

 private:
  struct Area {
    CellPos low;   // the corners ordered
    CellPos high;
    std::vector<CellPos> formulas;
  };

  // A formula reading a single cell.
  struct Reader {
    CellPos cell;
    CellPos formula;
  };

  void Add(const CellPos& formula, const CellReference& reference);
  // Sorts the readers and makes the table of each cell's first reader.
  void IndexReaders();
  static uint64_t BlockKey(int32_t sheet, int32_t column, int32_t row);

  size_t indexedFormulas_ = 0;
  // Sorted by cell, each pair once: half a million cells with a map node and a list each cost
  // twice as much. readerSlots_ is an open hash table of each cell's first reader, by index + 1
  // (0 for an empty slot).
  std::vector<Reader> readers_;
  std::vector<uint32_t> readerSlots_;
  std::vector<Area> areas_;
  // Small areas by the blocks of rows and columns they cover; large ones are tested each time.
  std::unordered_map<uint64_t, std::vector<uint32_t>> blocks_;
  std::vector<uint32_t> largeAreas_;
  // Equal areas share one entry: a whole-column reference copied down a column is one area.
  std::unordered_map<uint64_t, std::vector<uint32_t>> areasByCorners_;
};
