// CSheetWriter: the part of one worksheet: its cells with values and formulas, rows and
// columns with their sizes, view, protection, merged ranges and table references.
#pragma once

#include <cstdint>
#include <string>

namespace spreadsheet {

class CWorksheet;
class CWriterFormulaEncoder;
class CWriterSharedStrings;

// The file's column width (characters plus the cell padding, in 1/256 of a character) of a
// width in characters of the default font, for the 7-pixel digits of 11-point Calibri. Widths
// Excel shows (whole pixels, two decimals) read back unchanged.
double FileColumnWidth(double characters);

// Shared formula records are written as shared groups when their first cell still uses them
// (the form Excel reads fastest); any other shared cell gets its own formula, moved from the
// record's origin. Array records are written once, on their first member, with a cached value
// on every member. Numbers that are not finite, which a file cannot hold, are written as #NUM!.
class CSheetWriter {
 public:
  // The sheet's tables are related to its part as rId1 to rIdN, in the sheet's order.
  // `index` is the sheet's position (from 1), under which it reports its shared strings.
  CSheetWriter(const CWorksheet& sheet, std::int32_t index, CWriterSharedStrings& strings,
               CWriterFormulaEncoder& encoder, bool selected);

  void Render(std::string& out);

 private:
  const CWorksheet& sheet_;
  std::int32_t index_;
  CWriterSharedStrings& strings_;
  CWriterFormulaEncoder& encoder_;
  bool selected_;
  std::wstring formula_;  // Scratch text, reused for every formula.
};

}  // namespace spreadsheet
