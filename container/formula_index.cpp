// The formula index's entries and array ranges.
#include "container/formula_index.h"

#include <algorithm>
#include <utility>

const SharedReferenceList* CFormulaIndex::Find(const CellPos& cell) const {
  const auto found = entries_.find(cell);
  return found == entries_.end() ? nullptr : &found->second;
}

void CFormulaIndex::Add(const CellPos& origin, SharedReferenceList references) {
  if (!references) return;
  entries_.emplace(origin, std::move(references));
}

namespace {

bool RectHolds(const CellRect& rect, const CellPos& cell) {
  return cell.sheet == rect.first.sheet && cell.column >= rect.first.column &&
         cell.column <= rect.last.column && cell.row >= rect.first.row && cell.row <= rect.last.row;
}

}  // namespace

void CFormulaIndex::AddArray(const CellRect& array) {
  // The first cell met again (on demand, then by the walk) must not record its array twice.
  if (const CellRect* known = ArrayHolding(array.first); known != nullptr && *known == array) return;
  if (overlapping_) {
    if (std::find(arrays_.begin(), arrays_.end(), array) == arrays_.end()) arrays_.push_back(array);
    return;
  }
  const std::size_t index = arrays_.size();
  for (int32_t column = array.first.column; column <= array.last.column && !overlapping_;
       ++column) {
    const auto found = spans_.find(ColumnKey(array.first.sheet, column));
    if (found == spans_.end()) continue;
    for (const ArraySpan& span : found->second) {
      overlapping_ = overlapping_ ||
                     (span.firstRow <= array.last.row && array.first.row <= span.lastRow);
    }
  }
  arrays_.push_back(array);
  if (overlapping_) {
    spans_.clear();
    return;
  }
  for (int32_t column = array.first.column; column <= array.last.column; ++column) {
    std::vector<ArraySpan>& spans = spans_[ColumnKey(array.first.sheet, column)];
    const ArraySpan span{array.first.row, array.last.row, index};
    spans.insert(std::upper_bound(spans.begin(), spans.end(), span,
                                  [](const ArraySpan& a, const ArraySpan& b) {
                                    return a.firstRow < b.firstRow;
                                  }),
                 span);
  }
}

const CellRect* CFormulaIndex::ArrayHolding(const CellPos& cell) const {
  if (arrays_.empty()) return nullptr;
  if (overlapping_) {
    for (const CellRect& rect : arrays_) {
      if (RectHolds(rect, cell)) return &rect;
    }
    return nullptr;
  }
  const auto found = spans_.find(ColumnKey(cell.sheet, cell.column));
  if (found == spans_.end()) return nullptr;
  const std::vector<ArraySpan>& spans = found->second;
  auto after = std::upper_bound(spans.begin(), spans.end(), cell.row,
                                [](int32_t row, const ArraySpan& span) { return row < span.firstRow; });
  if (after == spans.begin()) return nullptr;
  const ArraySpan& span = *(after - 1);
  return span.lastRow >= cell.row ? &arrays_[span.array] : nullptr;
}

void CFormulaIndex::OnRefresh() {
  entries_.clear();
  allCollected_ = false;
}
