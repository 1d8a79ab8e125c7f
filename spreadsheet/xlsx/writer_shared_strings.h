// CWriterSharedStrings: the shared string table of a saved file, built from the text constants
// of every sheet as the sheets are written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spreadsheet {

class CWorkbook;

// Only texts that some cell holds as a constant are listed (formula results are written in
// their cells), in the order the sheets first use them, as Excel orders them. The table part is
// written after the sheet parts; should it be rendered before a sheet is, that sheet's texts
// are collected first, so the table is complete either way.
class CWriterSharedStrings {
 public:
  explicit CWriterSharedStrings(const CWorkbook& workbook);

  // The table index of a pool text, added on first use.
  std::uint32_t Add(std::uint32_t poolId);
  // Sheet `sheet` (from 1) has been written, with `references` cells referring to the table.
  void SheetWritten(std::int32_t sheet, std::uint64_t references);
  void Render(std::string& out);

 private:
  static constexpr std::uint32_t kUnused = UINT32_MAX;
  void CollectSheet(std::int32_t sheet);

  const CWorkbook& workbook_;
  std::vector<std::uint32_t> indexes_;     // Per pool id: its table index, or kUnused.
  std::vector<std::uint32_t> order_;       // Pool ids in table order.
  std::vector<std::uint64_t> references_;  // Per sheet: cells referring to the table.
  std::vector<bool> written_;              // Per sheet.
};

}  // namespace spreadsheet
