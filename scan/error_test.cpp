// The error test of cells through the container's evaluation.
#include "scan/error_test.h"

#include <algorithm>
#include <optional>
#include <string>

#include "formula/address_parser.h"
#include "scan/used_range.h"

bool IsErrorCell(CDependencyContainer& container, const CellPos& position) {
  if (position.IsNoCell()) return false;
  if (const std::optional<bool> cached = container.Answers().ErrorTest(position)) return *cached;
  const std::wstring expression =
      L"ISERROR(" +
      CAddressParser::FormatCellAddress(container.SheetName(position.sheet), position.column,
                                        position.row) +
      L")";
  const CVariant result = container.EvaluateOnSheet(expression, position.sheet);
  const bool isError = result.Kind() == VT_BOOL && result.Get()->boolVal != VARIANT_FALSE;
  container.Answers().StoreErrorTest(position, isError);
  return isError;
}

bool RangeHasError(CDependencyContainer& container, const CellPos& first, const CellPos& last) {
  if (first == last) return IsErrorCell(container, first);
  // A 3-D range is tested on every sheet it spans, each within its own used range.
  for (int64_t sheet = std::min(first.sheet, last.sheet);
       sheet <= std::max(first.sheet, last.sheet); ++sheet) {
    CellPos usedFirst;
    CellPos usedLast;
    if (!UsedRangeOf(container, static_cast<int32_t>(sheet), &usedFirst, &usedLast)) continue;
    const int32_t firstRow = std::max(std::min(first.row, last.row), usedFirst.row);
    const int32_t lastRow = std::min(std::max(first.row, last.row), usedLast.row);
    const int32_t firstColumn = std::max(std::min(first.column, last.column), usedFirst.column);
    const int32_t lastColumn = std::min(std::max(first.column, last.column), usedLast.column);
    for (int32_t row = firstRow; row <= lastRow; ++row) {
      for (int32_t column = firstColumn; column <= lastColumn; ++column) {
        if (IsErrorCell(container, {usedFirst.sheet, column, row})) return true;
      }
    }
  }
  return false;
}
