// CExternalTable: external-reference id to the reference text as written.
#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Invariant: ids are unique for the life of the table. The counter that hands them out lives
// here rather than in each parser, so that parsers sharing one table (the container's and the
// ones made from it) never reuse an id, and Clear (a container refresh) keeps counting.
class CExternalTable {
 public:
  // Records the text under a new id and returns the id (1 for the first).
  // At the last representable id the counter stops, and that id is reused.
  int32_t Add(std::wstring_view text) {
    if (counter_ < INT32_MAX) ++counter_;
    entries_.insert_or_assign(counter_, std::wstring(text));
    return counter_;
  }
  // The text of an id, or an empty text when the id is unknown.
  std::wstring_view Find(int32_t id) const {
    const auto found = entries_.find(id);
    return found == entries_.end() ? std::wstring_view() : std::wstring_view(found->second);
  }
  void Clear() { entries_.clear(); }
  size_t Size() const { return entries_.size(); }
  int32_t LastId() const { return counter_; }

 private:
  int32_t counter_ = 0;
  std::map<int32_t, std::wstring> entries_;
};
