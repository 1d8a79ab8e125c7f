// The error test of cells through the container's evaluation.
#include "scan/error_test.h"

#include <algorithm>
#include <string>

#include "formula/address_parser.h"
#include "scan/used_range.h"

bool IsErrorCell(CDependencyContainer& container, const CellPos& position) {
  if (position.IsNoCell()) return false;
  if (const auto cached = container.errorTestCache_.find(position);
      cached != container.errorTestCache_.end()) {
    return cached->second;
  }
  const std::wstring expression =
      L"ISERROR(" +
      CAddressParser::FormatCellAddress(container.SheetName(position.sheet), position.column,
                                        position.row) +
      L")";
  const CVariant result = container.EvaluateOnSheet(expression, position.sheet);
  const bool isError = result.Kind() == VT_BOOL && result.Get()->boolVal != VARIANT_FALSE;
  container.errorTestCache_.emplace(position, isError);
  return isError;
}

bool RangeHasError(CDependencyContainer& container, const CellPos& first, const CellPos& last) {
  if (first == last) return IsErrorCell(container, first);
  CellPos usedFirst;
  CellPos usedLast;
  if (!UsedRangeOf(container, last.sheet, &usedFirst, &usedLast)) return false;
  const int32_t firstRow = std::max(first.row, usedFirst.row);
  const int32_t lastRow = std::min(last.row, usedLast.row);
  const int32_t firstColumn = std::max(first.column, usedFirst.column);
  const int32_t lastColumn = std::min(last.column, usedLast.column);
  for (int32_t row = firstRow; row <= lastRow; ++row) {
    for (int32_t column = firstColumn; column <= lastColumn; ++column) {
      if (IsErrorCell(container, {usedFirst.sheet, column, row})) return true;
    }
  }
  return false;
}
