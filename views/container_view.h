// IContainerView: a trace or evaluate window as the dependency container's observer, and where a
// new window opens beside the ones already showing the workbook.
#pragma once

#include <cstdint>
#include <optional>

#include "container/container_observer.h"
#include "container/dependency_container.h"

// Window messages of the views, kept as numbers so that this layer needs no Windows header.
inline constexpr uint32_t kViewRefreshMessage = 0x8001;  // WM_APP + 1, posted after a refresh
inline constexpr uint32_t kViewCloseMessage = 0x8002;    // WM_APP + 2, sent on destruction

struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The Windows views implement it over their window handle: PostRefresh posts kViewRefreshMessage,
// SendClose sends kViewCloseMessage, both with zero parameters. The container does not own its
// views.
class IContainerView : public IContainerObserver {
 public:
  virtual void PostRefresh() = 0;
  virtual void SendClose() = 0;
  // The window's rectangle on the screen; false when it cannot be read.
  virtual bool WindowRect(ScreenRect* rect) const = 0;

  // The container's notifications arrive as the window's messages.
  void OnContainerRefreshed() final { PostRefresh(); }
  void OnContainerClosing() final { SendClose(); }

 protected:
  ~IContainerView() = default;
};

// The size of the primary screen (SM_CXSCREEN, SM_CYSCREEN on Windows).
class IScreenMetrics {
 public:
  virtual int32_t ScreenWidth() const = 0;
  virtual int32_t ScreenHeight() const = 0;

 protected:
  ~IScreenMetrics() = default;
};

// Where a new view of the container opens: the left edge of the view registered last and 10
// pixels below its top, when that window lies on the primary screen with a size; otherwise (no
// view, an observer that is no window, a minimised or off-screen window) nowhere in particular.
std::optional<ScreenPoint> NewViewPosition(const CDependencyContainer& container,
                                           const IScreenMetrics& screen);
