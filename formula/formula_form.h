// The position-independent form of a formula text: the memo key under which filled-down and
// filled-across copies of one formula meet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/cell_pos.h"

enum class FormAddressKind : uint8_t {
  Cell,    // "B3", "$B3", "B$3", "$B$3"
  Column,  // one side of "A:C"
  Row      // one side of "1:3"
};

// One address part of a formula text as the form scan reads it: written the way Excel writes
// it (capital letters, no leading zero), within Excel's grid, standing where a reference can.
struct FormAddress {
  uint32_t begin = 0;  // offsets in the formula text
  uint32_t end = 0;
  FormAddressKind kind = FormAddressKind::Cell;
  bool columnAbsolute = false;  // "$" before the letters
  bool rowAbsolute = false;     // "$" before the digits
  int32_t column = 0;           // 0 for a row part
  int32_t row = 0;              // 0 for a column part

  bool HasRelativeColumn() const { return kind != FormAddressKind::Row && !columnAbsolute; }
  bool HasRelativeRow() const { return kind != FormAddressKind::Column && !rowAbsolute; }
  bool IsRelative() const { return HasRelativeColumn() || HasRelativeRow(); }
};

// Writes into `form` the text with every relative column and row of its address parts replaced
// by its offset from `cell` (as R1C1 does: B2 in C5 is column -1, row -3); everything else,
// absolute parts included, stays as written. Equal forms at two cells mean texts that differ
// only in where they stand, so one text can be told from its form and cell. The sheet takes no
// part. `addresses` receives the address parts in text order.
//
// The scan is light and may leave an address as text (in strings, quoted sheet names, table and
// workbook brackets, before "(" or "!", joined to other characters: "A1#", "a1"); texts it
// leaves are compared as written. It never looks names up: what decides whether a part is a
// reference is the parser, which is why it checks what the scan found.
void BuildFormulaForm(std::wstring_view text, const CellPos& cell, std::wstring& form,
                      std::vector<FormAddress>& addresses);

// Appends one address part as Excel writes it, for `column` and `row` (one of them is ignored for
// a column or row part).
void AppendFormAddress(std::wstring& out, FormAddressKind kind, bool columnAbsolute,
                       bool rowAbsolute, int32_t column, int32_t row);
