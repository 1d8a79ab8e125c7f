#include "export/color_menu_items.h"

#include "scan/workbook_lists.h"

std::vector<ColorMenuItem> ColorMenuItems(CDependencyContainer& container, bool fill) {
  AnalyzeColorsOnce(container);
  const auto& cells = fill ? container.fillColorCells_ : container.fontColorCells_;
  const auto& colors = fill ? container.fillColorValues_ : container.fontColorValues_;
  std::vector<ColorMenuItem> items;
  items.reserve(cells.size());
  for (const auto& [index, list] : cells) {
    const auto color = colors.find(index);
    items.push_back({index, std::to_wstring(list.size()) + L" cell(s)",
                     color == colors.end() ? 0 : color->second});
  }
  return items;
}
