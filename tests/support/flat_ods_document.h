// CFlatOdsDocument: what LibreOffice made of a workbook, read from the flat OpenDocument
// spreadsheet (.fods) it converts it to: sheets, cells with values and formulas, cell styles,
// named ranges, database ranges (tables) and view settings.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/xml_tree.h"

namespace test_support {

struct OdsCell {
  std::string valueType;   // calcext:value-type: "float", "string", "boolean", "error", ...
  std::string value;       // office:value (numbers) or office:string-value, when present.
  std::string text;        // The displayed text: the cell's paragraphs joined by "\n".
  std::string formula;     // table:formula, "of:=..." in OpenFormula syntax.
  std::string style;       // table:style-name.
  int columnsSpanned = 1;  // Merged area, on its first cell.
  int rowsSpanned = 1;
  int matrixColumns = 0;  // Array formula area, on its first cell.
  int matrixRows = 0;
};

class CFlatOdsDocument {
 public:
  // Nothing, with `error` set, when the file is missing or not well-formed.
  static std::unique_ptr<CFlatOdsDocument> Load(const std::filesystem::path& file,
                                                std::string& error);

  std::vector<std::string> SheetNames() const;
  // Row and column from 1; nothing for a cell with no value, formula or style of its own.
  const OdsCell* Cell(std::string_view sheet, int row, int column) const;
  // Every cell of a sheet with something of its own, by (row, column); null for no such sheet.
  const std::map<std::pair<int, int>, OdsCell>* Cells(std::string_view sheet) const;
  bool SheetHidden(std::string_view sheet) const;
  bool SheetProtected(std::string_view sheet) const;
  // A property of a style ("fo:font-weight", "fo:background-color"), looked up through its
  // parents and then the default cell style; empty when none sets it.
  std::string StyleProperty(std::string_view style, std::string_view property) const;
  // Named ranges and expressions: name to table:cell-range-address or table:expression.
  const std::map<std::string, std::string>& NamedRanges() const { return namedRanges_; }
  // Database ranges (LibreOffice's tables): name to table:target-range-address.
  const std::map<std::string, std::string>& DatabaseRanges() const { return databaseRanges_; }
  // A view setting of the document ("ActiveTable") or of one sheet ("ShowGrid").
  std::string ViewSetting(std::string_view name) const;
  std::string SheetViewSetting(std::string_view sheet, std::string_view name) const;
  const XmlElement& Root() const { return *root_; }

 private:
  struct Sheet {
    std::string name;
    std::string style;
    bool isProtected = false;
    std::map<std::pair<int, int>, OdsCell> cells;
  };
  void ReadSheet(const XmlElement& table);
  const XmlElement* FindStyle(std::string_view name) const;

  std::unique_ptr<XmlElement> root_;
  std::vector<Sheet> sheets_;
  std::map<std::string, std::string> namedRanges_;
  std::map<std::string, std::string> databaseRanges_;
  std::map<std::string, const XmlElement*, std::less<>> styles_;  // By style:name.
  const XmlElement* cellDefaults_ = nullptr;                      // Family table-cell.
};

}  // namespace test_support
