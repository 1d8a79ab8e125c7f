// CFormulaIndex: the direct precedents of every formula cell collected so far, the array-formula
// ranges met on the way, and whether the whole workbook has been collected.
#pragma once

#include <cstddef>
#include <map>
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

  // Whether the whole-workbook walk has collected every formula (also when Stop cut it short).
  bool AllCollected() const { return allCollected_; }
  void MarkAllCollected() { allCollected_ = true; }

  // A refresh empties the entries and forgets the whole-workbook walk. The array ranges stay:
  // an array's later cells keep leading to its first cell, whose formula is collected again.
  void OnRefresh();

 private:
  Entries entries_;
  std::vector<CellRect> arrays_;
  bool allCollected_ = false;
};
