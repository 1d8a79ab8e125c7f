// CPathWalk: a depth-first walk kept on a work list instead of the stack, so that chains and
// cycles in a workbook decide nothing about stack depth, which keeps the keys of the steps on
// the current path, so that a cycle shows as a key met again on its own path.
#pragma once

#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <utility>
#include <variant>
#include <vector>

template <typename Step, typename Key, typename KeyLess = std::less<Key>>
class CPathWalk {
 public:
  // On the path for the whole walk: what lies above the place the walk starts from.
  void AddToPath(const Key& key) { onPath_.insert(key); }
  bool OnPath(const Key& key) const { return onPath_.contains(key); }

  // Steps are taken last pushed first, as recursion would reach them.
  void Push(Step step) { work_.emplace_back(std::in_place_index<0>, std::move(step)); }
  // Pushes the steps so that they are taken in their order.
  template <typename Steps>
  void PushInOrder(const Steps& steps) {
    for (auto it = std::rbegin(steps); it != std::rend(steps); ++it) Push(*it);
  }

  // `key` is on the path until every step pushed after this call has been taken, and those
  // its steps pushed in turn.
  void Enter(const Key& key) {
    onPath_.insert(key);
    work_.emplace_back(std::in_place_index<1>, key);
  }

  // The next step; nothing when the walk is done. Keys whose steps are done leave the path.
  std::optional<Step> Next() {
    while (!work_.empty()) {
      Entry entry = std::move(work_.back());
      work_.pop_back();
      if (entry.index() == 0) return std::move(std::get<0>(entry));
      onPath_.erase(std::get<1>(entry));
    }
    return std::nullopt;
  }

 private:
  // A step to take, or the key that leaves the path when it is reached.
  using Entry = std::variant<Step, Key>;

  std::vector<Entry> work_;
  std::set<Key, KeyLess> onPath_;
};
