// Fuzzes the .xlsx reader on whole files: the zip directory, every part's XML, shared strings,
// styles, names, tables and cells. Whatever it accepts must be a workbook with a sheet.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_text.h"
#include "spreadsheet/xlsx/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz_support::CMemoryFile file;
  const spreadsheet::XlsxReadResult read = spreadsheet::ReadXlsxFile(file.Write(data, size));
  if (read.Ok() ? read.workbook->SheetCount() < 1 : read.error.empty()) {
    fuzz_support::Fail("the reader answered neither a workbook with sheets nor a reason");
  }
  return 0;
}
