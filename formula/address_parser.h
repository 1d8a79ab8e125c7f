// CAddressParser: A1 address text to a rectangle of cells, and rectangles back to address text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/cell_pos.h"
#include "formula/defined_names.h"
#include "formula/sheet_index_by_name.h"

// Reads the address texts found in formulas, in Name.RefersTo and in Range.Address: English A1
// notation, dollar signs ignored, quoted sheet names read as Excel quotes them ("'O''Brien'!A1"),
// sheet names looked up case-insensitively, defined names allowed as corners. The row and column
// limits are fixed numbers (columns up to 65536, rows up to 1048576), not the running Excel's.
// R1C1 text is not understood.
//
// The working area (six integers) starts from the cell given to SetCurrentCell; whatever the
// text leaves out (the sheet, above all) keeps that cell's value. After a successful Parse the
// area is First()-Last(), unless IsExternal(): then the text names another workbook and the area
// means nothing. After a failed Parse the area may be partly overwritten.
//
// The sheet map and the name table are borrowed (owned by the dependency container) and may be
// null: a missing sheet map fails every sheet lookup, missing names find nothing.
class CAddressParser {
 public:
  CAddressParser(const SheetIndexByName* sheets, const CDefinedNames* names)
      : CAddressParser(sheets, names, 0) {}

  // Workbook.Name of the container's workbook; external texts naming it are read as local.
  void SetWorkbookName(std::wstring_view name) { workbookName_.assign(name); }
  const std::wstring& WorkbookName() const { return workbookName_; }
  const SheetIndexByName* Sheets() const { return sheets_; }
  const CDefinedNames* Names() const { return names_; }
  NameLookupResult LookupName(std::wstring_view text, int32_t sheet) const {
    return names_ != nullptr ? names_->DefinedNameLookup(text, sheet) : NameLookupResult{};
  }

  void SetCurrentCell(const CellPos& cell);
  bool Parse(std::wstring_view text);

  CellPos First() const { return {firstSheet_, firstColumn_, firstRow_}; }
  CellPos Last() const { return {lastSheet_, lastColumn_, lastRow_}; }
  bool IsExternal() const { return external_; }

  // "A" for 1, "XFD" for 16384; empty for 0 and below.
  static std::wstring ColumnLetters(int32_t column);
  // Sheet (quoted when it needs to be) "!" column letters and row; no sheet when it is empty.
  static std::wstring FormatCellAddress(std::wstring_view sheet, int32_t column, int32_t row);
  static std::wstring FormatRangeAddress(std::wstring_view sheet1, std::wstring_view sheet2,
                                         int32_t column1, int32_t column2, int32_t row1,
                                         int32_t row2);
  // The display form of an area: one cell, "A:C" for whole columns, "$3:$7" for whole rows, or
  // a range; only the given (first) sheet's name is shown. No dollar signs except for rows.
  static std::wstring FormatAddress(const CellPos& first, const CellPos& last,
                                    std::wstring_view sheet);

 private:
  struct TokenSpan {
    size_t offset;
    size_t length;
  };

  CAddressParser(const SheetIndexByName* sheets, const CDefinedNames* names, int nameDepth)
      : sheets_(sheets), names_(names), nameDepth_(nameDepth) {}

  bool Tokenize(std::wstring_view text);
  bool ParseTokens();
  bool ParseQualified();
  bool ParseCorner(bool second, bool partial);
  bool ParseNameCorner(const std::wstring& refersTo, bool second);
  bool TakeToken(std::wstring_view& token);
  bool TakeSheet(int32_t& sheet);
  std::wstring_view TokenAt(size_t index) const;
  int32_t FindSheet(std::wstring_view name) const;

  const SheetIndexByName* sheets_;
  const CDefinedNames* names_;
  int nameDepth_;  // how many names deep this parser reads (a name's text inside a name's ...)
  std::wstring workbookName_;

  std::wstring buffer_;  // the text without quoting and dollars; tokens point into it
  std::vector<TokenSpan> tokens_;
  std::wstring remainder_;  // the sheet part of an external text that names this workbook
  size_t cursor_ = 0;
  int bangCount_ = 0;
  bool secondCornerGiven_ = false;
  bool external_ = false;

  int32_t firstSheet_ = 0;
  int32_t lastSheet_ = 0;
  int32_t firstColumn_ = 0;
  int32_t lastColumn_ = 0;
  int32_t firstRow_ = 0;
  int32_t lastRow_ = 0;
};
