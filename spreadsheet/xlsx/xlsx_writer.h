// CXlsxWriter: saves a workbook of the embedded spreadsheet as a .xlsx file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace spreadsheet {

class CWorkbook;
class CWriterFormulaEncoder;
struct WriterPackageLayout;

struct XlsxWriteResult {
  bool ok = false;
  std::wstring error;  // Names the file; empty when ok.
  explicit operator bool() const { return ok; }
};

// Writes every sheet (cells, formulas with their cached values, sizes, merged ranges, tables,
// view and protection), the defined names, formats, named styles and external book links.
//
// A workbook that a file cannot hold (no sheet, a sheet name Excel refuses, a name scoped to a
// missing sheet, two tables of one name, a format referring to a missing font) is refused with
// an error before anything is written. The file is written beside the target under a temporary
// name and renamed over it only when complete, so a failure leaves the target as it was and no
// partial file. The file the workbook was read from (FullName) is never written over: an input
// stays unmodified. The workbook's own path is not changed (a copy is saved).
class CXlsxWriter {
 public:
  explicit CXlsxWriter(const CWorkbook& workbook) : workbook_(workbook) {}
  CXlsxWriter(const CXlsxWriter&) = delete;
  CXlsxWriter& operator=(const CXlsxWriter&) = delete;

  XlsxWriteResult Write(const std::filesystem::path& path);

 private:
  std::wstring CheckWorkbook() const;
  std::wstring CheckTarget(const std::filesystem::path& path) const;
  // The sheet shown when the file opens: the active one if visible, else the first visible.
  std::int32_t ShownSheet() const;
  void RenderWorkbookPart(const WriterPackageLayout& layout, CWriterFormulaEncoder& encoder,
                          std::int32_t shown, std::string& out) const;

  const CWorkbook& workbook_;
};

// A CXlsxWriter's Write, for callers that save once.
XlsxWriteResult WriteXlsxFile(const CWorkbook& workbook, const std::filesystem::path& path);

}  // namespace spreadsheet
