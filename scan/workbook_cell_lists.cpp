// Handing out the error-cell list and the colour lists.
#include "scan/workbook_cell_lists.h"

#include <map>
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

SharedReferenceList ColorCells(const std::map<int32_t, std::vector<CellReference>>& table,
                               const CellPos& request) {
  const auto found = table.find(request.sheet);
  if (found == table.end()) return CDependencyContainer::EmptyList();
  return Published(found->second);
}

}  // namespace

SharedReferenceList ErrorCells(CDependencyContainer& container, const CellPos& request) {
  if (request != CellPos{}) return CDependencyContainer::EmptyList();
  BuildErrorList(container);
  return Published(container.errorCellList_);
}

SharedReferenceList FillColorCells(CDependencyContainer& container, const CellPos& request) {
  if (request.column != 0 || request.row != 0) return CDependencyContainer::EmptyList();
  AnalyzeColorsOnce(container);
  return ColorCells(container.fillColorCells_, request);
}

SharedReferenceList FontColorCells(CDependencyContainer& container, const CellPos& request) {
  if (request.column != 0 || request.row != 0) return CDependencyContainer::EmptyList();
  AnalyzeColorsOnce(container);
  return ColorCells(container.fontColorCells_, request);
}
