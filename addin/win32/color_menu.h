// CColorMenu: the filter commands' popup menu, one owner-drawn item per colour with a swatch of
// the colour before its text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "addin/desktop.h"
#include "addin/win32/hidden_window.h"
#include "export/color_menu_items.h"
#include "platform/win32/scoped_handles.h"

// Invariant: every item of the menu has an entry in texts_; the font is the system's default
// interface font as it was when the menu was made.
class CColorMenu final : public IOwnerDrawDelegate {
 public:
  CColorMenu();
  CColorMenu(const CColorMenu&) = delete;
  CColorMenu& operator=(const CColorMenu&) = delete;

  // Appends an item; `id` is what Track answers when it is chosen (above 0). False when the
  // menu could not take it.
  bool AddItem(int32_t id, const std::wstring& text, COLORREF color);
  int ItemCount() const;
  HMENU Handle() const { return menu_.Get(); }

  // Shows the menu at `at` (screen coordinates) owned by `owner`, which must hand its
  // WM_MEASUREITEM and WM_DRAWITEM to this object meanwhile; the chosen id, or 0.
  int32_t Track(HWND owner, POINT at) const;

  void MeasureItem(MEASUREITEMSTRUCT* item) override;
  void DrawItem(const DRAWITEMSTRUCT* item) override;

 private:
  CScopedMenu menu_;
  std::map<int32_t, std::wstring> texts_;
  std::map<int32_t, COLORREF> colors_;
  CScopedFont font_;
};

// The filter commands' choice: the menu of `items`, owned and drawn through the hidden window;
// the chosen colour index, or 0 when cancelled or when there is nothing to choose. It opens at
// the cursor, or under the legacy toolbar's `button` when the cursor is on it.
int32_t ChooseFromColorMenu(CHiddenWnd& owner, const std::vector<ColorMenuItem>& items,
                            const std::optional<ToolbarButtonPlace>& button);
// Where that menu opens: under the button when `cursor` lies in the 20-pixel square at the
// button's lower left corner (the button was clicked), else at the cursor.
POINT ColorMenuPosition(POINT cursor, const std::optional<ToolbarButtonPlace>& button);
// The same at a given screen point.
int32_t ChooseFromColorMenuAt(CHiddenWnd& owner, const std::vector<ColorMenuItem>& items, POINT at);
