#include "views/item_reference_map.h"

#include <algorithm>
#include <cstddef>
#include <utility>

const uint32_t* CItemReferenceMap::SlotOf(TreeItem item) const {
  if (!ordered_.empty() && item <= ordered_.back() && item >= ordered_.front()) {
    // A flat list's items are numbered without gaps: the item is where its number says.
    const TreeItem guess = item - ordered_.front();
    if (guess < ordered_.size() && ordered_[static_cast<size_t>(guess)] == item) {
      return &orderedSlots_[static_cast<size_t>(guess)];
    }
    const auto at = std::lower_bound(ordered_.begin(), ordered_.end(), item);
    if (at != ordered_.end() && *at == item) {
      return &orderedSlots_[static_cast<size_t>(at - ordered_.begin())];
    }
  }
  const auto found = others_.find(item);
  return found == others_.end() ? nullptr : &found->second;
}

uint32_t* CItemReferenceMap::SlotOf(TreeItem item) {
  return const_cast<uint32_t*>(std::as_const(*this).SlotOf(item));
}

const CellReference* CItemReferenceMap::Find(TreeItem item) const {
  const uint32_t* slot = SlotOf(item);
  return slot == nullptr || *slot == kErased ? nullptr : &references_[*slot];
}

void CItemReferenceMap::Set(TreeItem item, const CellReference& reference) {
  uint32_t* slot = SlotOf(item);
  if (slot != nullptr && *slot != kErased) {
    references_[*slot] = reference;
    return;
  }
  uint32_t index = 0;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
    references_[index] = reference;
  } else {
    index = static_cast<uint32_t>(references_.size());
    references_.push_back(reference);
  }
  if (slot != nullptr) {
    *slot = index;
  } else if (ordered_.empty() || item > ordered_.back()) {
    ordered_.push_back(item);
    orderedSlots_.push_back(index);
  } else {
    others_.emplace(item, index);
  }
}

void CItemReferenceMap::Erase(TreeItem item) {
  uint32_t* slot = SlotOf(item);
  if (slot == nullptr || *slot == kErased) return;
  references_[*slot] = CellReference{};
  free_.push_back(*slot);
  *slot = kErased;
}

void CItemReferenceMap::Clear() {
  ordered_ = {};
  orderedSlots_ = {};
  others_ = {};
  references_ = {};
  free_ = {};
}
