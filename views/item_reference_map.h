// CItemReferenceMap: the reference each item of a trace tree stands for, compact for trees of
// half a million items.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "formula/cell_reference.h"
#include "views/tree_structure.h"

// The node map: each item's reference. Items inserted in rising handle order (every item of
// CTraceTree) sit in a sorted array; others (a tree control's handles are addresses) in a hash
// table. References never move while their item stays; an erased item's reference is reused by
// the next item listed.
class CItemReferenceMap {
 public:
  const CellReference* Find(TreeItem item) const;
  bool Contains(TreeItem item) const { return Find(item) != nullptr; }
  void Set(TreeItem item, const CellReference& reference);
  void Erase(TreeItem item);
  void Clear();

 private:
  static constexpr uint32_t kErased = UINT32_MAX;

  // The slot in references_ of a listed item, erased or not; null when it was never listed.
  const uint32_t* SlotOf(TreeItem item) const;
  uint32_t* SlotOf(TreeItem item);

  // Deques, not vectors: a large tree leaves no doubled capacity unused.
  std::deque<TreeItem> ordered_;
  std::deque<uint32_t> orderedSlots_;
  std::unordered_map<TreeItem, uint32_t> others_;
  std::deque<CellReference> references_;
  // References of erased items, free for the next.
  std::vector<uint32_t> free_;
};
