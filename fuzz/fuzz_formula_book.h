// The small workbook the formula fuzzers parse against: two sheets, names of every kind (a
// range, a constant, a formula, one naming itself, one per sheet) and a table with odd columns.
#pragma once

#include "formula/cell_pos.h"
#include "formula/reference_functions.h"
#include "formula/table_record.h"
#include "tests/support/formula_workbook.h"

namespace fuzz_support {

inline TableRecord SalesTable() {
  TableRecord table;
  table.name = L"Sales";
  table.whole = {{1, 2, 2}, {1, 5, 10}};
  table.dataBody = {{1, 2, 3}, {1, 5, 9}};
  table.headerRow = {{1, 2, 2}, {1, 5, 2}};
  table.totalsRow = {{1, 2, 10}, {1, 5, 10}};
  const wchar_t* names[] = {L"Item", L"Amount", L"It's", L"[Note]"};
  for (int32_t i = 0; i < 4; ++i) {
    table.columns.push_back({{{1, 2 + i, 3}, {1, 2 + i, 9}}, names[i]});
  }
  return table;
}

// `withContext` false gives a workbook without sheets, names or tables.
inline void FillFormulaBook(test_support::CFormulaWorkbook& book, bool withContext) {
  if (!withContext) return;
  ReferenceFunctions::Add(L"OFFSET");
  ReferenceFunctions::Add(L"INDIRECT");
  book.AddSheet(L"Sheet1");
  book.AddSheet(L"O'Brien Data");
  const CellPos first{1, 1, 1};
  const CellPos last{1, 3, 4};
  book.AddName(L"Block", L"=Sheet1!$A$1:$C$4", 0, &first, &last);
  book.AddName(L"Rate", L"=0.2");
  book.AddName(L"Twice", L"=Block*2");
  book.AddName(L"Loop", L"=Loop+1");
  book.AddName(L"Local", L"='O''Brien Data'!$B$2", 2, &first, &first);
  book.tables.Add(SalesTable());
}

}  // namespace fuzz_support
