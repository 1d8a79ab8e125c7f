// CSheetReader: one worksheet part (xl/worksheets/sheetN.xml) streamed into a CWorksheet: cells
// with their values, formulas (single, shared, array, data table) and formats; merged ranges,
// column widths, row heights, gridlines, protection, and the ids of its table parts.
//
// Cells are stored as they stream by; what can only be settled at the end (shared formula cells
// met before their master, array members the file leaves out, column widths) is settled by
// Finish. The sheet's <dimension> is never trusted: the used range follows from the cells.
//
// Bad input: what is wrong with one cell or item is read around, with a warning that names the
// part, the cell (or the line) and what became of it. A value that does not parse as its type
// (a shared string index that is no number or past the table among them) or a cell type that
// is unknown reads as empty, and a formula keeps its text without a cached value; a cell
// reference that is malformed or off the sheet leaves the cell out, a row number off the sheet
// the row; a style index past the cell formats gives the default format; a formula range that
// does not hold its cell makes the formula the cell's own (a shared group's other cells each
// get the formula moved to them); a shared formula cell whose group has no master keeps its
// value; a data table input that is no cell reads #REF!; a merged range off the sheet or over
// an earlier one is left out. Only the bounds of XlsxReadLimits (cells, text, merged ranges)
// refuse the part.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "spreadsheet/model/worksheet.h"
#include "spreadsheet/xlsx/reader_warnings.h"
#include "spreadsheet/xlsx/xlsx_reader_limits.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

// What a sheet part is read against: the workbook-wide tables it refers into.
struct SheetReadContext {
  const std::vector<std::wstring>& sharedStrings;
  const std::vector<std::uint32_t>& cellFormats;  // File xf index to model format index.
  const std::vector<std::wstring>& externalBooks;
  const XlsxReadLimits& limits;
  std::uint64_t& cellsStored;  // Across the workbook, against limits.maxCells.
  CReadWarnings& warnings;
  bool date1904 = false;
};

class CSheetReader final : public IXmlContentHandler {
 public:
  // `part` names the sheet's part in warnings.
  CSheetReader(CWorksheet& sheet, const SheetReadContext& context, std::string part);

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) override;

  // Settles what the stream left open. Empty text on success, else why the sheet is refused.
  std::string Finish();

  const std::vector<std::string>& TablePartIds() const { return tableParts_; }

 private:
  enum class CellType : std::uint8_t { Number, SharedString, FormulaString, InlineString,
                                       Boolean, Error, Date, Unknown };
  enum class FormulaType : std::uint8_t { None, Normal, Shared, Array, DataTable };

  void StartRow(CXmlStreamParser& parser, const XmlAttributes& attributes);
  void StartCell(CXmlStreamParser& parser, const XmlAttributes& attributes);
  void StartFormula(const XmlAttributes& attributes);
  std::string DataTableInput(std::string_view cell, bool deleted);
  void EndCell(CXmlStreamParser& parser);
  CellValue ReadValue();
  void StoreFormula(const CellValue& value);
  // The cell's own formula range ("ref"), or the cell alone when the file gives none or gives
  // one that does not hold the cell (with a warning ending in `otherwise`).
  CellRect FormulaRange(std::string_view kind, std::string_view otherwise);
  void AddSingleFormula(CellCoord cell, std::wstring text);
  void AttachSharedMember(CellCoord cell, std::uint32_t record);
  void ReadColumn(const XmlAttributes& attributes);
  void ReadMerge(CXmlStreamParser& parser, const XmlAttributes& attributes);
  bool CountCell(CXmlStreamParser* parser);
  std::wstring FormulaText(std::string_view utf8) const;
  std::string CellPrefix() const;
  // The openings of warnings: "xl/worksheets/sheet1.xml, cell B7: " and "..., line 12: ".
  std::string AtCell(CellCoord cell) const;
  std::string AtLine(const CXmlStreamParser& parser) const;
  // What becomes of the cell being read when its value cannot be read.
  const char* ValueLost() const;

  CWorksheet& sheet_;
  SheetReadContext context_;
  std::string part_;

  // Where the stream is.
  bool inSheetData_ = false;
  bool inRow_ = false;
  bool inCell_ = false;
  bool inInline_ = false;
  bool viewSeen_ = false;
  std::int32_t row_ = 0;         // The current row.
  std::int32_t nextColumn_ = 1;  // Where a cell without "r" goes.

  // The cell being read.
  CellCoord cell_;
  std::uint32_t format_ = 0;
  bool styled_ = false;  // The cell names its format ("s").
  CellType type_ = CellType::Number;
  std::string typeText_;  // The "t" of a type this reader does not know.
  bool hasValue_ = false;
  std::string value_;
  std::string inline_;
  FormulaType formulaType_ = FormulaType::None;
  std::string formula_;
  std::string formulaRef_;
  std::string formulaSi_;
  bool formulaHasRef_ = false;
  bool formulaHasSi_ = false;
  std::string dataTableText_;  // TABLE(row input, column input) of a data table.

  // Shared formula groups by si, and members met before their master.
  std::unordered_map<std::uint32_t, std::uint32_t> shared_;
  struct PendingMember {
    CellCoord cell;
    std::uint32_t si;
  };
  std::vector<PendingMember> pending_;
  std::vector<std::uint32_t> arrays_;  // Records of multi-cell array formulas.

  std::vector<double> columnWidths_;  // Characters; negative for columns the file leaves alone.
  std::vector<std::string> tableParts_;
  std::size_t merges_ = 0;
};

}  // namespace spreadsheet
