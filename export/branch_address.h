// Address text of the cells and rectangles in a saved branch.
#pragma once

#include <string>
#include <string_view>

#include "formula/cell_pos.h"
#include "formula/sheet_name_by_index.h"

// One cell: the sheet (in apostrophes when it holds a space, "!" or "&"; apostrophes inside are
// not doubled), "!", column letters and row. A rectangle over rows 1 to 65536 is "A:C" and one
// over columns 1 to 256 is "$4:$6", both without a sheet; any other is "Sheet!B3:D9" with the
// sheet never in apostrophes. An empty sheet name leaves the sheet part out. Corners on two
// sheets make a 3-D rectangle: `sheet` then names the span ("First:Last"), and one cell on each
// sheet of it is written with its address once ("First:Last!B3").
std::wstring BranchAddress(const CellPos& first, const CellPos& last, std::wstring_view sheet);

// The sheet part of an entry: the sheet of `first`, or "First:Last" when the corners' sheets
// differ.
std::wstring BranchSheetText(const SheetNameByIndex& sheets, const CellPos& first,
                             const CellPos& last);

// "name (address)", or the address alone when the name is empty; sheets are looked up in
// `sheets`.
std::wstring BranchLabel(const SheetNameByIndex& sheets, const CellPos& first, const CellPos& last,
                         const std::wstring& name);
