// Handing out the error-cell list and the colour lists.
#include "scan/workbook_cell_lists.h"

#include <memory>
#include <vector>

#include "scan/workbook_lists.h"

namespace {

// The container keeps these lists as plain vectors that a later walk may rebuild, so a holder
// gets a copy of its own.
SharedReferenceList Published(const std::vector<CellReference>& list) {
  if (list.empty()) return CDependencyContainer::EmptyList();
  return std::make_shared<const std::vector<CellReference>>(list);
}

SharedReferenceList ColorCells(const CColorTable& table, const CellPos& request) {
  const std::vector<CellReference>* cells = table.CellsOf(request.sheet);
  if (cells == nullptr) return CDependencyContainer::EmptyList();
  return Published(*cells);
}

}  // namespace

SharedReferenceList ErrorCells(CDependencyContainer& container, const CellPos& request) {
  if (request != CellPos{}) return CDependencyContainer::EmptyList();
  BuildErrorList(container);
  return Published(container.Lists().ErrorCells());
}

SharedReferenceList FillColorCells(CDependencyContainer& container, const CellPos& request) {
  if (request.column != 0 || request.row != 0) return CDependencyContainer::EmptyList();
  AnalyzeColorsOnce(container);
  return ColorCells(container.Lists().FillColors(), request);
}

SharedReferenceList FontColorCells(CDependencyContainer& container, const CellPos& request) {
  if (request.column != 0 || request.row != 0) return CDependencyContainer::EmptyList();
  AnalyzeColorsOnce(container);
  return ColorCells(container.Lists().FontColors(), request);
}
