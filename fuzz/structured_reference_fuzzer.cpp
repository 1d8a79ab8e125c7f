// Fuzzes the structured-reference split and its resolution against a small table: any word,
// from any cell in or beside the table; a resolved rectangle must lie inside the table.
#include <cstddef>
#include <cstdint>

#include "formula/structured_reference.h"
#include "fuzz/fuzz_formula_book.h"
#include "fuzz/fuzz_text.h"

namespace {

bool Inside(const CellPos& cell, const CellRect& area) {
  return cell.column >= area.first.column && cell.column <= area.last.column &&
         cell.row >= area.first.row && cell.row <= area.last.row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TableRecord table = fuzz_support::SalesTable();
  if (size == 0) return 0;
  // The first byte places the current cell on a 8 by 16 grid over the table and beyond it.
  const CellPos current{1, 1 + (data[0] & 7), 1 + (data[0] >> 4)};
  const std::wstring word = fuzz_support::WideText(fuzz_support::Bytes(data + 1, size - 1));
  const TableReferenceParts parts = SplitTableReference(word);
  if (parts.tableName.size() + parts.bracketPart.size() > word.size()) {
    fuzz_support::Fail("the split is longer than the word", word);
  }
  IsBareTableReference(word);
  for (const auto& result : {ResolveTableSpecifier(table, parts.bracketPart, current),
                             ResolveTableItem(table, parts.bracketPart, current)}) {
    if (result && (!Inside(result->first, table.whole) || !Inside(result->last, table.whole))) {
      fuzz_support::Fail("a table reference resolved outside its table", word);
    }
  }
  return 0;
}
