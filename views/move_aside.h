// Where a trace window goes so that it no longer covers the cells it selected, and how Excel's
// workbook window is found among the windows under Excel's main window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "views/container_view.h"

// Pixels kept between a moved window and the cells.
inline constexpr int32_t kAsideGap = 5;

// True when the two rectangles share an area, as IntersectRect answers: an empty rectangle
// (the cells that could not be measured) meets nothing.
bool RectanglesOverlap(const ScreenRect& a, const ScreenRect& b);

// The window's new rectangle, the same size: below the cells, above, left or right, the first
// that fits with the gap. Below and right need the work area. Nothing when the window does not
// cover the cells or no side fits.
std::optional<ScreenRect> ChooseAsidePosition(const ScreenRect& window, const ScreenRect& cells,
                                              const std::optional<ScreenRect>& workArea);

// A tree of windows as the search sees it; on Windows a node is a window handle.
using WindowNode = std::uintptr_t;
class IWindowTree {
 public:
  virtual std::wstring Text(WindowNode window) const = 0;
  virtual std::wstring ClassName(WindowNode window) const = 0;
  virtual std::vector<WindowNode> Children(WindowNode window) const = 0;

 protected:
  ~IWindowTree() = default;
};

// Excel's class of a workbook window.
inline constexpr std::wstring_view kWorkbookWindowClass = L"EXCEL7";
// The search gives up after this many windows, so a tree that changes under it cannot keep it
// going.
inline constexpr size_t kMaxWindowsSearched = 100000;

// Depth first from `top` (a window, then each of its children in order): the first window of
// class EXCEL7 whose text begins with the caption, compared without regard to case.
std::optional<WindowNode> FindWorkbookWindow(const IWindowTree& tree, WindowNode top,
                                             std::wstring_view caption);
