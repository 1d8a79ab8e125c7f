// The used-range cache and the clamping of positions into it.
#include "scan/used_range.h"

#include <algorithm>

#include "excel/cell_range.h"

bool UsedRangeOf(CDependencyContainer& container, int32_t sheet, CellPos* first, CellPos* last) {
  if (const auto cached = container.usedRangeCache_.find(sheet);
      cached != container.usedRangeCache_.end()) {
    *first = cached->second.first;
    *last = cached->second.last;
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
  container.usedRangeCache_.emplace(sheet, rect);
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

void ClampRectangle(CDependencyContainer& container, CellPos* first, CellPos* last) {
  ClampToUsedRange(container, first);
  ClampToUsedRange(container, last);
}

void ForEachUsedCell(CDependencyContainer& container, const CellPos& first, const CellPos& last,
                     const std::function<void(const CellPos&)>& visit) {
  CellPos from = first;
  CellPos to = last;
  ClampRectangle(container, &from, &to);
  // 64-bit counters, so that a corner at the largest index cannot wrap the loop.
  const int64_t sheetEnd = std::max(from.sheet, to.sheet);
  const int64_t rowEnd = std::max(from.row, to.row);
  const int64_t columnEnd = std::max(from.column, to.column);
  for (int64_t sheet = std::min(from.sheet, to.sheet); sheet <= sheetEnd; ++sheet) {
    for (int64_t row = std::min(from.row, to.row); row <= rowEnd; ++row) {
      for (int64_t column = std::min(from.column, to.column); column <= columnEnd; ++column) {
        visit(CellPos{static_cast<int32_t>(sheet), static_cast<int32_t>(column),
                      static_cast<int32_t>(row)});
      }
    }
  }
}
