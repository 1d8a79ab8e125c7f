// CCellTreeCtrl: the trace window's column tree: its owner chooses each item's colour and font,
// and its four column widths are kept between sessions.
#pragma once

#include <string>
#include <vector>

#include "views/win32/column_tree_ctrl.h"
#include "views/win32/tree_ui_manager.h"

class CCellTreeCtrl final : public CColumnTreeCtrl {
 public:
  explicit CCellTreeCtrl(int expandButtonsBitmap = 1036) : CColumnTreeCtrl(expandButtonsBitmap) {}

  void SetUIManager(ITreeUIManager* manager) { manager_ = manager; }

  // The names of the saved Cell, Sheet, Value and Formula widths.
  static const std::vector<std::wstring>& WidthNames();
  // Cell 7u - 7, Sheet 3u - 3, Value 3u - 3, Formula 8u - 8 with u a twentieth of the usable
  // client width; the starting widths before the saved ones apply.
  static std::vector<int> DefaultWidths(int clientWidth);
  // Replaces the widths that have saved values; how many did.
  static int ReadSavedWidths(const std::vector<std::wstring>& names, std::vector<int>& widths);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
  HFONT ItemColorHook(HTREEITEM item, bool highlighted, HDC dc, HFONT font) override;

 private:
  ITreeUIManager* manager_ = nullptr;
};
