// The used-range cache and the clamping of positions into it.
#include "scan/used_range.h"

#include <algorithm>
#include <optional>

#include "excel/cell_range.h"

bool UsedRangeOf(CDependencyContainer& container, int32_t sheet, CellPos* first, CellPos* last) {
  if (const std::optional<CellRect> cached = container.UsedRanges().Find(sheet)) {
    *first = cached->first;
    *last = cached->last;
    return true;
  }
  ExcelObject worksheet;
  ExcelObject used;
  CellRect rect;
  if (!GetSheet(container.Worksheets(), sheet, &worksheet) ||
      !worksheet.GetObject(L"UsedRange", &used) ||
      !GetRangePosition(used, container.AddressParser(), &rect.first, &rect.last)) {
    return false;
  }
  container.UsedRanges().Store(sheet, rect);
  *first = rect.first;
  *last = rect.last;
  return true;
}

void ClampToUsedRange(CDependencyContainer& container, CellPos* position) {
  CellPos first;
  CellPos last;
  if (!UsedRangeOf(container, position->sheet, &first, &last)) return;
  const bool inside = position->column >= first.column && position->column <= last.column &&
                      position->row >= first.row && position->row <= last.row;
  if (inside) return;
  position->column =
      std::clamp(position->column, first.column, std::max(first.column, last.column));
  position->row = std::clamp(position->row, first.row, std::max(first.row, last.row));
  position->sheet = first.sheet;
}

bool ClampRectangle(CDependencyContainer& container, CellPos* first, CellPos* last) {
  CellPos usedFirst;
  CellPos usedLast;
  if (UsedRangeOf(container, first->sheet, &usedFirst, &usedLast)) {
    const bool apart = std::max(first->column, last->column) < usedFirst.column ||
                       std::min(first->column, last->column) > usedLast.column ||
                       std::max(first->row, last->row) < usedFirst.row ||
                       std::min(first->row, last->row) > usedLast.row;
    if (apart) return false;
  }
  ClampToUsedRange(container, first);
  ClampToUsedRange(container, last);
  return true;
}

void ForEachUsedCell(CDependencyContainer& container, const CellPos& first, const CellPos& last,
                     const std::function<void(const CellPos&)>& visit) {
  const int32_t firstSheet = std::min(first.sheet, last.sheet);
  const int32_t lastSheet = std::max(first.sheet, last.sheet);
  const CellPos low{0, std::min(first.column, last.column), std::min(first.row, last.row)};
  const CellPos high{0, std::max(first.column, last.column), std::max(first.row, last.row)};
  // 64-bit counters, so that a corner at the largest index cannot wrap the loop.
  for (int64_t sheet = firstSheet; sheet <= lastSheet; ++sheet) {
    // Each sheet of a 3-D range has a used range of its own.
    CellPos from{static_cast<int32_t>(sheet), low.column, low.row};
    CellPos to{static_cast<int32_t>(sheet), high.column, high.row};
    if (!ClampRectangle(container, &from, &to)) continue;
    for (int64_t row = from.row; row <= to.row; ++row) {
      for (int64_t column = from.column; column <= to.column; ++column) {
        visit(CellPos{static_cast<int32_t>(sheet), static_cast<int32_t>(column),
                      static_cast<int32_t>(row)});
      }
    }
  }
}
