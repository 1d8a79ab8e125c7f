// Pictures of windows for the Windows tests: a window's pixels to check, and PNG files for
// people to look at (written only when TRELVANE_SCREENSHOTS names a folder).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct WindowImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // Rows from the top, each pixel 0x00RRGGBB.

  bool IsEmpty() const { return pixels.empty(); }
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The 0x00RRGGBB form of a COLORREF, to compare with WindowImage pixels.
inline std::uint32_t PixelOf(COLORREF color) {
  return (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
}

// The whole window, frame and children included, as its device context holds it (PrintWindow
// when that fails); empty when neither works.
WindowImage CaptureWindow(HWND window);

// Writes `image` as a PNG file through the Windows imaging component; false on failure.
bool SavePng(const WindowImage& image, const std::wstring& path);

// Saves `window` as NAME.png in the folder that TRELVANE_SCREENSHOTS names; nothing without the
// variable. Answers the file written, or empty.
std::wstring SaveScreenshotIfAsked(HWND window, const std::wstring& name);

}  // namespace test_support
