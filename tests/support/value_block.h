// Two-dimensional arrays of values as Range.Value exchanges them: building one to write, and
// reading one back with its shape and lower bounds, for tests of block reads and writes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/automation.h"
#include "platform/variant.h"

namespace test_support {

// A rows x columns array (rows first) with lower bounds 1, owned by the CVariant returned.
inline CVariant MakeBlock(std::initializer_list<std::initializer_list<CVariant>> rows) {
  const auto height = static_cast<ULONG>(rows.size());
  const auto width = static_cast<ULONG>(rows.size() == 0 ? 0 : rows.begin()->size());
  SAFEARRAYBOUND bounds[2] = {{height, 1}, {width, 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  LONG row = 1;
  for (const auto& line : rows) {
    LONG column = 1;
    for (const CVariant& value : line) {
      LONG indices[2] = {row, column};
      SafeArrayPutElement(array, indices, value.GetSource());
      ++column;
    }
    ++row;
  }
  CVariant block;
  block.GetMutable()->vt = VT_ARRAY | VT_VARIANT;
  block.GetMutable()->parray = array;
  return block;
}

// A one-dimensional array (lower bound 0, as VBA's Array() makes them).
inline CVariant MakeRow(std::initializer_list<CVariant> values) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
  LONG index = 0;
  for (const CVariant& value : values) {
    SafeArrayPutElement(array, &index, value.GetSource());
    ++index;
  }
  CVariant row;
  row.GetMutable()->vt = VT_ARRAY | VT_VARIANT;
  row.GetMutable()->parray = array;
  return row;
}

struct BlockSeen {
  LONG rowLower = 0, columnLower = 0;
  LONG rows = 0, columns = 0;
  std::vector<CVariant> cells;                       // Row by row.
  const CVariant& At(LONG row, LONG column) const {  // From 1, as the array counts.
    return cells[static_cast<std::size_t>((row - 1) * columns + (column - 1))];
  }
};

// Nothing unless `value` is a two-dimensional array of VARIANTs.
inline std::optional<BlockSeen> SeeBlock(const CVariant& value) {
  if (value.Kind() != (VT_ARRAY | VT_VARIANT)) return std::nullopt;
  SAFEARRAY* array = value.Get()->parray;
  if (SafeArrayGetDim(array) != 2) return std::nullopt;
  BlockSeen seen;
  LONG rowUpper = 0, columnUpper = 0;
  SafeArrayGetLBound(array, 1, &seen.rowLower);
  SafeArrayGetUBound(array, 1, &rowUpper);
  SafeArrayGetLBound(array, 2, &seen.columnLower);
  SafeArrayGetUBound(array, 2, &columnUpper);
  seen.rows = rowUpper - seen.rowLower + 1;
  seen.columns = columnUpper - seen.columnLower + 1;
  for (LONG row = seen.rowLower; row <= rowUpper; ++row) {
    for (LONG column = seen.columnLower; column <= columnUpper; ++column) {
      LONG indices[2] = {row, column};
      CVariant element;
      SafeArrayGetElement(array, indices, element.Receive());
      seen.cells.push_back(std::move(element));
    }
  }
  return seen;
}

}  // namespace test_support
