// CEvaluationTreeCtrl: the evaluate window's column tree, whose Formula and Value widths are kept
// between sessions.
#pragma once

#include <string>
#include <vector>

#include "views/win32/column_tree_ctrl.h"

class CEvaluationTreeCtrl final : public CColumnTreeCtrl {
 public:
  explicit CEvaluationTreeCtrl(int expandButtonsBitmap = 1036)
      : CColumnTreeCtrl(expandButtonsBitmap) {}

  // The names of the saved Formula and Value widths.
  static const std::vector<std::wstring>& WidthNames();
  // Formula 7u - 7 and Value 3u - 3 with u a tenth of the usable client width.
  static std::vector<int> DefaultWidths(int clientWidth);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
};
