// The once-only whole-workbook walks.
#include "scan/workbook_lists.h"

#include "scan/scan_strategies.h"
#include "scan/sort_unique.h"
#include "scan/workbook_scan.h"

void CollectAllFormulas(CDependencyContainer& container) {
  if (container.formulasCollected_) return;
  CScanWorkbook_CollectData strategy(&container);
  ScanWorkbook(container, strategy);
  container.formulasCollected_ = true;
}

void AnalyzeColorsOnce(CDependencyContainer& container) {
  if (container.colorsAnalyzed_) return;
  CScanWorkbook_AnalyzeColors strategy(&container);
  ScanWorkbook(container, strategy);
  container.colorsAnalyzed_ = true;
}

void BuildErrorList(CDependencyContainer& container) {
  if (container.errorListBuilt_) return;
  container.errorCellList_.clear();
  CScanWorkbook_CollectErrors strategy(&container);
  ScanWorkbook(container, strategy);
  SortUnique(container.errorCellList_);
  container.errorListBuilt_ = true;
}
