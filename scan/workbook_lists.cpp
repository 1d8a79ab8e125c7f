// The once-only whole-workbook walks.
#include "scan/workbook_lists.h"

#include <utility>
#include <vector>

#include "scan/scan_strategies.h"
#include "scan/sort_unique.h"
#include "scan/workbook_scan.h"

void CollectAllFormulas(CDependencyContainer& container) {
  if (container.Formulas().AllCollected()) return;
  CScanWorkbook_CollectData strategy(&container);
  ScanWorkbook(container, strategy);
  container.Formulas().MarkAllCollected();
}

void AnalyzeColorsOnce(CDependencyContainer& container) {
  if (container.Lists().ColorsAnalyzed()) return;
  CScanWorkbook_AnalyzeColors strategy(&container);
  ScanWorkbook(container, strategy);
  container.Lists().MarkColorsAnalyzed();
}

void BuildErrorList(CDependencyContainer& container) {
  CScannedLists& lists = container.Lists();
  if (lists.ErrorListBuilt()) return;
  lists.StartErrorList();
  CScanWorkbook_CollectErrors strategy(&container);
  ScanWorkbook(container, strategy);
  std::vector<CellReference> sorted = lists.ErrorCells();
  SortUnique(sorted);
  lists.FinishErrorList(std::move(sorted));
}
