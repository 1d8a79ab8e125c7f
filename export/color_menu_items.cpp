#include "export/color_menu_items.h"

#include "scan/workbook_lists.h"

std::vector<ColorMenuItem> ColorMenuItems(CDependencyContainer& container, bool fill) {
  AnalyzeColorsOnce(container);
  const CColorTable& table = fill ? container.Lists().FillColors() : container.Lists().FontColors();
  std::vector<ColorMenuItem> items;
  items.reserve(table.AllCells().size());
  for (const auto& [index, list] : table.AllCells()) {
    items.push_back({index, std::to_wstring(list.size()) + L" cell(s)", table.ColorOf(index)});
  }
  return items;
}
