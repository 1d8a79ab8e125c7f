// The faces of the legacy command bar buttons, from the module's bitmap resources: set through
// the buttons' Picture and Mask, or, where Office has no such properties, pasted from the
// clipboard, whose contents the user gets back afterwards.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "excel/excel_object.h"
#include "platform/win32/scoped_handles.h"

// Bitmaps above this size in either direction are not button faces but damage.
inline constexpr LONG kMaxFaceSide = 3000;

struct FaceBitmaps {
  CScopedBitmap face;
  CScopedBitmap mask;  // white (1) where the face is white, which Office draws transparent
};

// The resource with the system's 3-D colours mapped in, and its mask; nothing for an empty,
// oversized or missing bitmap.
std::optional<FaceBitmaps> LoadButtonFace(int32_t bitmapId);
// A bitmap as a packed device-independent bitmap of `bitCount` bits a pixel: the 40-byte
// header, the colour table of 1-, 4- and 8-bit pictures, the pixel rows bottom-up.
std::vector<std::byte> PackedDib(HBITMAP bitmap, WORD bitCount);

// `clipboardOwner` opens the clipboard when the paste route is taken.
void SetButtonFace(const ExcelObject& control, int32_t bitmapId, HWND clipboardOwner);
