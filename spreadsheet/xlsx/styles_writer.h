// CStylesWriter: the styles part of a saved file (number formats, fonts, fills, borders, cell
// formats and named styles) from the workbook's format table.
#pragma once

#include <cstdint>
#include <string>

namespace spreadsheet {

class CFormatTable;

// Cell format i of the table is written as cellXfs entry i, so cells keep their indexes; named
// style i is cellStyleXfs entry i. The two fills every file starts with are written first; if
// the table does not start with them, its fills follow them and fill ids move by two.
class CStylesWriter {
 public:
  explicit CStylesWriter(const CFormatTable& formats);

  // An error text when a format refers to a font, fill, border or style the table lacks; a
  // file written from it would not open. Empty when the table is sound.
  std::wstring Check() const;
  void Render(std::string& out) const;

 private:
  std::uint32_t FillId(std::uint32_t fill) const { return fill + fillShift_; }

  const CFormatTable& formats_;
  std::uint32_t fillShift_ = 0;
};

}  // namespace spreadsheet
