// CCustomTreeChildCtrl: the tree part of the column tree. It paints itself (images, dotted
// lines, 9 x 9 expand buttons) into an off-screen bitmap and leaves the texts to its owner's
// custom drawing, so that the owner can lay them out in columns.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "views/win32/image_lists.h"
#include "views/win32/window_base.h"

// TVM_GETITEMRECT, which takes the item in the rectangle it fills; the whole row, or with
// `labelOnly` the label.
inline bool TreeItemRect(HWND tree, HTREEITEM item, bool labelOnly, RECT* rect) {
  std::memcpy(rect, &item, sizeof item);
  return ::SendMessageW(tree, TVM_GETITEMRECT, labelOnly ? TRUE : FALSE,
                        reinterpret_cast<LPARAM>(rect)) != FALSE;
}

class CCustomTreeChildCtrl final : public CWindowBase {
 public:
  // Posted to the owner when the tree's vertical scroll bar comes or goes, so that the owner can
  // lay its parts out again.
  static constexpr UINT kVerticalBarChanged = WM_APP + 0x3A1;
  // Buttons and the line step.
  static constexpr int kButtonSize = 9;

  explicit CCustomTreeChildCtrl(int expandButtonsBitmap) : buttonsBitmap_(expandButtonsBitmap) {}

  // A tree control, child `id` of `parent`, subclassed.
  bool CreateChild(HWND parent, int id, const RECT& rect, DWORD style);

  void SetFirstColumnWidth(int width) { firstColumnWidth_ = width; }
  int FirstColumnWidth() const { return firstColumnWidth_; }
  // The item under a point of the client area by the tree's mouse rules (icon, state icon,
  // button; the whole row with full-row select; else the label up to the first field's text
  // width + 6 pixels); null elsewhere.
  HTREEITEM ItemAt(POINT point) const;
  // Whether the buttons come from the module's bitmap (else they are drawn by hand).
  bool HasButtonBitmap() const { return buttons_.IsValid(); }
  bool HasVerticalBar() const;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  void Paint(HDC target);
  void PaintItems(HDC dc, const RECT& client, LRESULT prePaintAnswer);
  void DrawLines(HDC dc, HTREEITEM item, const RECT& row, int depth, int indent);
  void DrawButton(HDC dc, int x, int y, bool expanded);
  LRESULT SendCustomDraw(NMTVCUSTOMDRAW* draw) const;
  // Selects and makes visible an item that is only partly shown at the bottom.
  bool IsPartlyVisible(HTREEITEM item) const;
  LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam, bool* handled);
  LRESULT OnLeftDoubleClick(WPARAM wParam, LPARAM lParam, bool* handled);

  int buttonsBitmap_;
  CScopedImageList buttons_;
  int firstColumnWidth_ = 0;
  bool hadVerticalBar_ = false;
};
