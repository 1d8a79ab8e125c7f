// Placing a new view below the last one.
#include "views/container_view.h"

std::optional<ScreenPoint> NewViewPosition(const CDependencyContainer& container,
                                           const IScreenMetrics& screen) {
  if (container.Views().empty()) return std::nullopt;
  const auto* view = dynamic_cast<const IContainerView*>(container.Views().back());
  ScreenRect rect;
  if (view == nullptr || !view->WindowRect(&rect)) return std::nullopt;
  // A minimised or off-screen window gives no useful anchor.
  if (rect.left <= 0 || rect.top <= 0 || rect.right <= rect.left || rect.bottom <= rect.top ||
      rect.left >= screen.ScreenWidth() || rect.top >= screen.ScreenHeight()) {
    return std::nullopt;
  }
  return ScreenPoint{rect.left, rect.top + 10};
}
