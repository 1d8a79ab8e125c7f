// ITreeUIManager: lets the owner of a column tree choose each item's text colour and font as it
// is drawn.
#pragma once

#include <windows.h>

#include <commctrl.h>

class ITreeUIManager {
 public:
  virtual ~ITreeUIManager() = default;
  // May set the text colour of `dc`; returns the font to draw with (`font` to keep it).
  // `highlighted`: the item is selected while the tree has the keyboard focus.
  virtual HFONT ItemColor(HTREEITEM item, bool highlighted, HDC dc, HFONT font) = 0;
};
