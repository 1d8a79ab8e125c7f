// CWorkbook: the embedded spreadsheet's model of one workbook: its sheets, defined names, text
// pool and formats. Files are read into it and written from it by spreadsheet/xlsx/; the object
// model of spreadsheet/objects/ answers Excel's members from it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "spreadsheet/model/formats.h"
#include "spreadsheet/model/string_pool.h"
#include "spreadsheet/model/worksheet.h"

namespace spreadsheet {

// A defined name; `refersTo` keeps its "=", as Name.RefersTo shows it.
struct DefinedName {
  std::wstring name;
  std::wstring refersTo;
  std::int32_t scope = 0;  // 0 for the workbook, else the index of the sheet (from 1).
  bool hidden = false;
};

// How circular references are calculated (the workbook's calcPr): without iteration a circle is
// calculated once around; with it, again and again up to `maxIterations` times, until no value
// changes by `maxChange` or more (Application.Iteration, MaxIterations, MaxChange).
struct CalculationSettings {
  static constexpr std::int32_t kDefaultMaxIterations = 100;
  static constexpr double kDefaultMaxChange = 0.001;
  bool iterate = false;
  std::int32_t maxIterations = kDefaultMaxIterations;
  double maxChange = kDefaultMaxChange;
  friend bool operator==(const CalculationSettings&, const CalculationSettings&) = default;
};

// Excel's XlFileFormat numbers of the two kinds read and written.
constexpr std::int32_t kFileFormatXlsx = 51;
constexpr std::int32_t kFileFormatXlsm = 52;

class CWorkbook {
 public:
  explicit CWorkbook(std::wstring name = L"Book1.xlsx");
  CWorkbook(const CWorkbook&) = delete;
  CWorkbook& operator=(const CWorkbook&) = delete;

  // Name is the file name alone ("Book1.xlsx"); FullName the path it was read from or saved to.
  const std::wstring& Name() const { return name_; }
  const std::wstring& FullName() const { return fullName_; }
  void SetPath(const std::wstring& fullName);
  std::int32_t FileFormat() const { return fileFormat_; }
  void SetFileFormat(std::int32_t format) { fileFormat_ = format; }
  bool Date1904() const { return date1904_; }
  void SetDate1904(bool on) { date1904_ = on; }
  const CalculationSettings& Calculation() const { return calculation_; }
  void SetCalculation(const CalculationSettings& settings) { calculation_ = settings; }

  // Sheets by position, from 1, as Worksheets.Item counts them.
  std::int32_t SheetCount() const { return static_cast<std::int32_t>(sheets_.size()); }
  CWorksheet& Sheet(std::int32_t index) const { return *sheets_.at(static_cast<std::size_t>(index - 1)); }
  std::optional<std::int32_t> FindSheet(std::wstring_view name) const;  // Case-insensitive.
  std::int32_t IndexOf(const CWorksheet& sheet) const;
  // Adds a sheet at `position` (from 1; past the end appends). The name must be new.
  CWorksheet& AddSheet(std::wstring name, std::optional<std::int32_t> position = std::nullopt);
  // A name Excel would give a new sheet: "Sheet" and the next free number.
  std::wstring NextSheetName() const;
  std::int32_t ActiveSheet() const { return activeSheet_; }
  void SetActiveSheet(std::int32_t index) { activeSheet_ = index; }

  // Adding a name replaces one of the same name and scope.
  void AddName(DefinedName name);
  const std::vector<DefinedName>& Names() const { return names_; }
  const DefinedName* FindName(std::wstring_view name, std::int32_t scope) const;

  // File names of the external workbooks formulas refer to, in the file's order (from 1).
  std::vector<std::wstring>& ExternalLinks() { return externalLinks_; }
  const std::vector<std::wstring>& ExternalLinks() const { return externalLinks_; }

  CStringPool& Strings() { return strings_; }
  const CStringPool& Strings() const { return strings_; }
  CFormatTable& Formats() { return formats_; }
  const CFormatTable& Formats() const { return formats_; }

 private:
  std::wstring name_;
  std::wstring fullName_;
  std::int32_t fileFormat_ = kFileFormatXlsx;
  bool date1904_ = false;
  CalculationSettings calculation_;
  std::vector<std::unique_ptr<CWorksheet>> sheets_;
  std::int32_t activeSheet_ = 1;
  std::vector<DefinedName> names_;
  std::vector<std::wstring> externalLinks_;
  CStringPool strings_;
  CFormatTable formats_;
};

// Case-insensitive comparison of sheet, name and style identifiers, as Excel compares them.
bool SameIdentifier(std::wstring_view a, std::wstring_view b);

}  // namespace spreadsheet
