// Button faces as Office takes them for a command bar button: the packed device-independent
// bitmaps that PasteFace reads from the clipboard, and the bitmap pictures written to Picture and
// Mask, decoded to plain pixels so that a test can compare what a button shows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/automation.h"
#include "platform/com_ptr.h"

// Pixels from the top row down, 0xRRGGBB each.
struct DecodedBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

enum class ButtonFaceRoute : std::uint8_t { None, PasteFace, Picture };

// What a button shows and how it got it. The mask is white (bit set) where the face is
// transparent; it is empty when none was given.
struct ButtonFace {
  ButtonFaceRoute route = ButtonFaceRoute::None;
  DecodedBitmap face;
  std::vector<bool> mask;

  bool MaskBit(int x, int y) const {
    return mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(face.width) +
                static_cast<std::size_t>(x)];
  }
};

// The clipboard formats Office registers for a button's face and its mask.
UINT ButtonFaceClipboardFormat();
UINT ButtonMaskClipboardFormat();

// A packed DIB (BITMAPINFOHEADER, colour table or bit-field masks, pixels), bottom-up or top-down;
// nothing when the bytes do not hold a whole, sensible bitmap.
std::optional<DecodedBitmap> DecodePackedDib(const std::byte* data, std::size_t size);
// The packed DIB the clipboard holds in `format`; nothing when it holds none.
std::optional<DecodedBitmap> ReadClipboardDib(UINT format);
// The pixels of a bitmap picture object (IPictureDisp of PICTYPE_BITMAP); nothing for others.
std::optional<DecodedBitmap> ReadBitmapPicture(IDispatch* picture);
// A bitmap picture object that owns a bitmap of these pixels.
CComPtr<IDispatch> MakeBitmapPicture(const DecodedBitmap& bitmap);
// Mask bits from a mask bitmap: set where it is not black.
std::vector<bool> MaskBitsOf(const DecodedBitmap& mask);
