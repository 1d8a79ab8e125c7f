// The three things a whole-workbook walk collects: formulas, error cells and colours.
#pragma once

#include "container/dependency_container.h"
#include "scan/workbook_scan.h"

// Collects each formula cell's references into the formula index.
class CScanWorkbook_CollectData final : public IScanWorkbook {
 public:
  explicit CScanWorkbook_CollectData(CDependencyContainer* container) : container_(container) {}
  void ProcessCell(const ExcelObject& cell, const CellPos& position) override;
  void ProcessRun(const CCellRun& run) override;

 private:
  CDependencyContainer* container_;
};

// Appends each cell whose value is an error value to the error-cell list.
class CScanWorkbook_CollectErrors final : public IScanWorkbook {
 public:
  explicit CScanWorkbook_CollectErrors(CDependencyContainer* container) : container_(container) {}
  void ProcessCell(const ExcelObject& cell, const CellPos& position) override;
  // The values the walk read are all it needs.
  void ProcessRun(const CCellRun& run) override;

 private:
  CDependencyContainer* container_;
};

// Records each cell under its fill colour index and its font colour index.
class CScanWorkbook_AnalyzeColors final : public IScanWorkbook {
 public:
  explicit CScanWorkbook_AnalyzeColors(CDependencyContainer* container) : container_(container) {}
  void ProcessCell(const ExcelObject& cell, const CellPos& position) override;

 private:
  CDependencyContainer* container_;
};

// Excel's colour indexes for "no fill" and "automatic font colour".
inline constexpr LONG kColorIndexNone = -4142;
inline constexpr LONG kColorIndexAutomatic = -4105;

// The entry this layer makes for one cell: no name, no linked workbook, no flags, no text.
CellReference SingleCellEntry(const CellPos& position);
