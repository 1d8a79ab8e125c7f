// The side a trace window moves to, and the search for Excel's workbook window.
#include "views/move_aside.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsEmptyRect(const ScreenRect& r) { return r.left >= r.right || r.top >= r.bottom; }

bool BeginsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(text[i])) !=
        std::towlower(static_cast<wint_t>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

ScreenRect WithTop(const ScreenRect& r, int32_t top) {
  return {r.left, top, r.right, top + (r.bottom - r.top)};
}
ScreenRect WithLeft(const ScreenRect& r, int32_t left) {
  return {left, r.top, left + (r.right - r.left), r.bottom};
}

}  // namespace

bool RectanglesOverlap(const ScreenRect& a, const ScreenRect& b) {
  if (IsEmptyRect(a) || IsEmptyRect(b)) return false;
  return std::max(a.left, b.left) < std::min(a.right, b.right) &&
         std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

std::optional<ScreenRect> ChooseAsidePosition(const ScreenRect& window, const ScreenRect& cells,
                                              const std::optional<ScreenRect>& workArea) {
  if (!RectanglesOverlap(window, cells)) return std::nullopt;
  // 64-bit so that far-off coordinates cannot overflow the comparisons.
  const int64_t height = int64_t{window.bottom} - window.top;
  const int64_t width = int64_t{window.right} - window.left;
  const int64_t h = height + kAsideGap;
  const int64_t w = width + kAsideGap;
  if (workArea && h < int64_t{workArea->bottom} - cells.bottom) {
    return WithTop(window, cells.bottom + kAsideGap);
  }
  if (h < cells.top) {
    return WithTop(window, static_cast<int32_t>(cells.top - kAsideGap - height));
  }
  if (w < cells.left) {
    return WithLeft(window, static_cast<int32_t>(cells.left - kAsideGap - width));
  }
  if (workArea && w < int64_t{workArea->right} - cells.right) {
    return WithLeft(window, cells.right + kAsideGap);
  }
  return std::nullopt;
}

std::optional<WindowNode> FindWorkbookWindow(const IWindowTree& tree, WindowNode top,
                                             std::wstring_view caption) {
  std::vector<WindowNode> pending{top};
  for (size_t visited = 0; !pending.empty() && visited < kMaxWindowsSearched; ++visited) {
    const WindowNode window = pending.back();
    pending.pop_back();
    if (tree.ClassName(window) == kWorkbookWindowClass &&
        BeginsWithIgnoringCase(tree.Text(window), caption)) {
      return window;
    }
    // Reversed onto the stack, so the first child is visited next.
    const std::vector<WindowNode> children = tree.Children(window);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return std::nullopt;
}
