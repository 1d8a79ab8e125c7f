// CFormulaIndex: the direct precedents of every formula cell collected so far, the array-formula
// ranges met on the way, and whether the whole workbook has been collected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "container/reference_lists.h"
#include "formula/cell_pos.h"
#include "formula/cell_rect.h"

// Invariants: an entry is keyed by the formula's own cell (the first cell of an array formula),
// holds a non-null list, and is never replaced once stored; an array range is recorded once.
// So a list read from the index stays the cell's list until a refresh.
class CFormulaIndex {
 public:
  using Entries = std::map<CellPos, SharedReferenceList, CellPosOrder>;

  // The formula's references, or null when the cell was not collected (or holds no formula).
  const SharedReferenceList* Find(const CellPos& cell) const;
  bool Contains(const CellPos& cell) const { return entries_.contains(cell); }
  // Stores the list under the formula's own cell unless the cell has one; a null list is not
  // stored.
  void Add(const CellPos& origin, SharedReferenceList references);
  std::size_t Size() const { return entries_.size(); }
  // Every entry in CellPosOrder, the order in which dependents are listed.
  const Entries& All() const { return entries_; }

  // Array-formula ranges in the order found.
  const std::vector<CellRect>& Arrays() const { return arrays_; }
  void AddArray(const CellRect& array);
  // The first recorded array range that holds the cell, or null.
  const CellRect* ArrayHolding(const CellPos& cell) const;

  // Whether the whole-workbook walk has collected every formula (also when Stop cut it short).
  bool AllCollected() const { return allCollected_; }
  void MarkAllCollected() { allCollected_ = true; }

  // A refresh empties the entries and forgets the whole-workbook walk. The array ranges stay:
  // an array's later cells keep leading to its first cell, whose formula is collected again.
  void OnRefresh();

 private:
  // One column's stretch of an array range.
  struct ArraySpan {
    int32_t firstRow = 0;
    int32_t lastRow = 0;
    std::size_t array = 0;  // index in arrays_
  };
  static uint64_t ColumnKey(int32_t sheet, int32_t column) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(sheet)) << 32) |
           static_cast<uint32_t>(column);
  }

  Entries entries_;
  std::vector<CellRect> arrays_;
  // Each column's spans sorted by row, so that a cell's array is one binary search away. Excel's
  // arrays never overlap; ranges recorded before a refresh may overlap ranges recorded after it,
  // and then every question scans arrays_ in order.
  std::unordered_map<uint64_t, std::vector<ArraySpan>> spans_;
  bool overlapping_ = false;
  bool allCollected_ = false;
};
