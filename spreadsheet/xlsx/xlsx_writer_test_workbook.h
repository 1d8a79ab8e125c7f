// The workbook the writer's tests save and read back, with each feature the writer handles in
// a known cell. Its layout is what the tests' expectations refer to:
//   Data: row 1 constants of every kind (A1 bold on red, K1 a percentage, L1 a custom number
//     format), row 2 formulas (cross-sheet, strings, newer functions), A3:A5 one shared
//     formula, C3:C4 an array formula, A7:B8 merged, table Sales in A10:B12, row 14 formulas on
//     the table, an external book and a name; column B 20 wide, row 1 30 high.
//   Other Sheet: A1:A2 numbers, no grid lines, protected, the active sheet.
//   Hidden (hidden) and Secret (very hidden), empty. Names MyName, LocalName (of Other
//   Sheet) and HiddenName (hidden). Dates from 1904.
#pragma once

namespace spreadsheet {

class CWorkbook;

void BuildWriterTestWorkbook(CWorkbook& book);

}  // namespace spreadsheet
