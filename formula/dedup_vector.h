// CDedupVector: a list in insertion order that refuses items equal to one it holds.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

// Short lists (the usual formula) are searched directly; from kIndexFrom items on a hash index
// keeps each addition constant-time, so a formula with thousands of references is not quadratic.
// `Hash` and `Same` must agree: equal items hash equally.
template <typename Item, typename Hash, typename Same>
class CDedupVector {
 public:
  // Appends unless an equal item is present; returns whether it was appended.
  bool Add(Item item) {
    if (items_.size() < kIndexFrom) {
      for (const Item& known : items_) {
        if (Same{}(known, item)) return false;
      }
      items_.push_back(std::move(item));
      if (items_.size() == kIndexFrom) BuildIndex();
      return true;
    }
    const size_t hash = Hash{}(item);
    const auto [from, to] = index_.equal_range(hash);
    for (auto it = from; it != to; ++it) {
      if (Same{}(items_[it->second], item)) return false;
    }
    items_.push_back(std::move(item));
    index_.emplace(hash, items_.size() - 1);
    return true;
  }

  void Clear() {
    items_.clear();
    index_.clear();
  }
  // Keeps the items and forgets the index (for lists that will not grow again).
  void ReleaseIndex() { std::unordered_multimap<size_t, size_t>().swap(index_); }

  const std::vector<Item>& Items() const { return items_; }
  size_t Size() const { return items_.size(); }

 private:
  static constexpr size_t kIndexFrom = 16;

  void BuildIndex() {
    index_.clear();
    for (size_t i = 0; i < items_.size(); ++i) index_.emplace(Hash{}(items_[i]), i);
  }

  std::vector<Item> items_;
  std::unordered_multimap<size_t, size_t> index_;
};
