// Image lists of the trace windows: owned handles, and the strips cut from the module's bitmaps
// with the magenta mask colour.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/scoped_handles.h"

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::ImageList_Destroy(handle); }
};
using CScopedImageList = CScopedHandle<ImageListTraits>;

// The colour of the drawn bitmaps that stands for transparent.
inline constexpr COLORREF kBitmapMaskColor = RGB(255, 0, 255);

// The bitmap resource cut into square images `imageSize` pixels wide; null when it is missing.
CScopedImageList LoadMaskedStrip(int bitmapId, int imageSize);
