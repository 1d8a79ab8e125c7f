// The views as the container's observers: its notifications arriving as window messages, and
// where a new view opens beside the last one.
#include "views/container_view.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class CTestView final : public IContainerView {
 public:
  void PostRefresh() override { ++refreshes; }
  void SendClose() override { ++closes; }
  bool WindowRect(ScreenRect* rect) const override {
    if (!windowRect) return false;
    *rect = *windowRect;
    return true;
  }

  int refreshes = 0;
  int closes = 0;
  std::optional<ScreenRect> windowRect;
};

// An observer that is no window.
class CPlainObserver final : public IContainerObserver {
 public:
  void OnContainerRefreshed() override {}
  void OnContainerClosing() override {}
};

class CFixedScreen final : public IScreenMetrics {
 public:
  int32_t ScreenWidth() const override { return 1920; }
  int32_t ScreenHeight() const override { return 1080; }
};

TEST(ContainerView, ARefreshIsPostedAndTheContainersEndSent) {
  CTestView view;  // Outlives the container, which closes the views still registered.
  {
    CDependencyContainer container;
    container.RegisterView(&view);
    container.Refresh();
    EXPECT_EQ(1, view.refreshes);
    EXPECT_EQ(0, view.closes);
  }
  EXPECT_EQ(1, view.refreshes);
  EXPECT_EQ(1, view.closes);
}

TEST(ContainerView, NewViewPositionFollowsTheLastRegisteredWindow) {
  const CFixedScreen screen;
  struct Case {
    std::optional<ScreenRect> rect;
    std::optional<ScreenPoint> expected;
  };
  const Case cases[] = {
      {ScreenRect{100, 200, 500, 600}, ScreenPoint{100, 210}},
      {ScreenRect{1, 1, 2, 2}, ScreenPoint{1, 11}},
      {ScreenRect{0, 200, 500, 600}, std::nullopt},      // left not above 0
      {ScreenRect{100, 0, 500, 600}, std::nullopt},      // top not above 0
      {ScreenRect{100, 200, 100, 600}, std::nullopt},    // no width
      {ScreenRect{100, 200, 500, 200}, std::nullopt},    // no height
      {ScreenRect{1920, 200, 2500, 600}, std::nullopt},  // beyond the screen's right
      {ScreenRect{100, 1080, 500, 1200}, std::nullopt},  // beyond the screen's bottom
      {ScreenRect{1919, 1079, 2500, 1200}, ScreenPoint{1919, 1089}},
      {std::nullopt, std::nullopt},  // the rectangle cannot be read
  };
  for (const Case& c : cases) {
    CTestView earlier, last;
    CDependencyContainer container;
    EXPECT_EQ(std::nullopt, NewViewPosition(container, screen));
    earlier.windowRect = ScreenRect{300, 300, 800, 800};
    last.windowRect = c.rect;
    container.RegisterView(&earlier);
    container.RegisterView(&last);
    EXPECT_EQ(c.expected, NewViewPosition(container, screen))
        << (c.rect ? c.rect->left : -1) << "," << (c.rect ? c.rect->top : -1);
  }
}

TEST(ContainerView, AnObserverThatIsNoWindowGivesNoPosition) {
  const CFixedScreen screen;
  CTestView window;
  CPlainObserver plain;
  CDependencyContainer container;
  window.windowRect = ScreenRect{100, 200, 500, 600};
  container.RegisterView(&window);
  container.RegisterView(&plain);
  EXPECT_EQ(std::nullopt, NewViewPosition(container, screen));
  container.UnregisterView(&plain);
  EXPECT_EQ((ScreenPoint{100, 210}), NewViewPosition(container, screen));
}

}  // namespace
