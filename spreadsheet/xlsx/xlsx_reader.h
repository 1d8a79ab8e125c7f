// Reading .xlsx and .xlsm workbooks (as Excel and LibreOffice save them) into the embedded
// spreadsheet's model. The reader streams every part (libzip, expat), holds the file to the
// bounds of XlsxReadLimits and never writes to it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader_limits.h"

namespace spreadsheet {

// Either the workbook or the reason there is none. The reason names the file and, where one
// part is at fault, the part: "book.xlsx: xl/worksheets/sheet2.xml: not well-formed XML at
// line 3, column 9: mismatched tag".
//
// A workbook may come with warnings: what the reader read around rather than refuse the file
// for, each naming the part and the cell or line, and what became of it:
//   xl/worksheets/sheet2.xml, cell B7: shared string index "" is not a number; the cell is
//   read as empty
// At most XlsxReadLimits::maxWarningsKept of them, then one "N more warnings not shown".
struct XlsxReadResult {
  std::unique_ptr<CWorkbook> workbook;  // Set on success.
  std::wstring error;                   // Set on failure.
  std::vector<std::wstring> warnings;   // Set on success, when something was read around.

  bool Ok() const { return workbook != nullptr; }
};

// Reads the workbook at `path`. Unreadable input (not a zip, a missing or malformed part, a
// file past a limit) gives an error result; one bad cell or item gives a warning and the cell
// read as empty or the item left out. The only exception that leaves is std::bad_alloc.
XlsxReadResult ReadXlsxFile(const std::filesystem::path& path, const XlsxReadLimits& limits = {});

}  // namespace spreadsheet
