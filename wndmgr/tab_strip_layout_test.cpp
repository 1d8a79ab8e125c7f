// The tab strip's geometry and bookkeeping with 16-pixel icons and a 7-pixel-a-character font:
// a tab is 80 pixels plus its caption (one more for the current one).
#include "wndmgr/tab_strip_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kIcon = 16;

int SevenPixels(std::wstring_view text) {
  return 7 * static_cast<int>(text.size());
}

// Items keyed 100, 101, ... in the order added, each added with activation.
CTabStripLayout Manager(const std::vector<std::wstring>& captions, std::int32_t width = 800,
                        std::int32_t height = 400) {
  CTabStripLayout layout(kIcon, SevenPixels);
  layout.SetClient({0, 0, width, height});
  std::uint64_t key = 100;
  for (const std::wstring& caption : captions) layout.AddWindow({key++, caption}, true);
  return layout;
}

std::vector<std::uint64_t> Keys(const CTabStripLayout& layout) {
  std::vector<std::uint64_t> keys;
  for (const WndMgrItem& item : layout.Items()) keys.push_back(item.key);
  return keys;
}

std::vector<std::uint64_t> PlacedKeys(const WndMgrChanges& changes) {
  std::vector<std::uint64_t> keys;
  for (const WndMgrPlacement& placed : changes.placed) keys.push_back(placed.key);
  return keys;
}

TEST(TabStripLayout, OneWindowFillsTheClientWithoutTabs) {
  CTabStripLayout layout(kIcon, SevenPixels);
  layout.SetClient({0, 0, 800, 400});
  const WndMgrChanges changes = layout.AddWindow({7, L"Alpha"}, true);
  EXPECT_TRUE(layout.SingleMode());
  EXPECT_TRUE(layout.Tabs().empty());
  EXPECT_TRUE(layout.Zones().empty());
  ASSERT_EQ(1u, changes.placed.size());
  EXPECT_EQ((WndMgrRect{0, 0, 800, 400}), changes.placed[0].rect);
  EXPECT_FALSE(layout.InHeaderStrip(100, 10));
}

TEST(TabStripLayout, TwoAndThreeWindowsGetTabsSideBySide) {
  struct Case {
    std::vector<std::wstring> captions;
    std::vector<WndMgrRect> tabs;
  };
  const Case cases[] = {
      {{L"Alpha", L"Beta"}, {{16, 2, 131, 26}, {131, 2, 240, 26}}},
      {{L"Alpha", L"Beta", L"Gamma9"}, {{16, 2, 131, 26}, {131, 2, 239, 26}, {239, 2, 362, 26}}},
  };
  for (const Case& c : cases) {
    CTabStripLayout layout = Manager(c.captions);
    EXPECT_FALSE(layout.SingleMode());
    ASSERT_EQ(c.tabs.size(), layout.Tabs().size());
    for (std::size_t i = 0; i < c.tabs.size(); ++i) {
      EXPECT_EQ(c.tabs[i], layout.Tabs()[i].rect) << i;
      EXPECT_EQ(static_cast<int>(i), layout.Tabs()[i].item);
      EXPECT_EQ(c.captions[i], layout.Tabs()[i].caption);
    }
    // The last one added is current and fills the main pane below the header.
    EXPECT_EQ(static_cast<int>(c.captions.size()) - 1, layout.Current());
    EXPECT_EQ((WndMgrRect{3, 29, 797, 397}), layout.WindowRect(0));
  }
}

TEST(TabStripLayout, ZonesSitOnTabsMenuAndTiledPanes) {
  CTabStripLayout layout = Manager({L"Alpha", L"Beta"});
  const std::vector<WndMgrZone>& zones = layout.Zones();
  ASSERT_EQ(5u, zones.size());
  // Tile toggle and close on each tab, centred in its 24 pixels.
  EXPECT_EQ((WndMgrRect{87, 6, 103, 22}), zones[0].rect);
  EXPECT_EQ(WndMgrZoneKind::kTileToggle, zones[0].kind);
  EXPECT_EQ((WndMgrRect{111, 6, 127, 22}), zones[1].rect);
  EXPECT_EQ(WndMgrZoneKind::kClose, zones[1].kind);
  EXPECT_EQ((WndMgrRect{196, 6, 212, 22}), zones[2].rect);
  EXPECT_EQ(1, zones[3].item);
  EXPECT_EQ((WndMgrRect{776, 4, 792, 20}), zones[4].rect);
  EXPECT_EQ(WndMgrZoneKind::kTabMenu, zones[4].kind);
  EXPECT_EQ(-1, zones[4].item);
  EXPECT_EQ(1, layout.ZoneAt(111, 6));
  EXPECT_EQ(-1, layout.ZoneAt(127, 6));
  EXPECT_EQ(1, layout.TabItemAt(200, 25));
  EXPECT_EQ(-1, layout.TabItemAt(200, 26));

  // Tiling Beta leaves one tab, which loses its tile toggle; the pane gets both buttons.
  layout.ToggleTile(1, true);
  EXPECT_EQ(0, layout.Current());
  const std::vector<WndMgrZone>& tiled = layout.Zones();
  ASSERT_EQ(4u, tiled.size());
  EXPECT_EQ(WndMgrZoneKind::kClose, tiled[0].kind);
  EXPECT_EQ((WndMgrRect{112, 6, 128, 22}), tiled[0].rect);  // the current tab is 116 wide
  EXPECT_EQ((WndMgrRect{376, 4, 392, 20}), tiled[1].rect);
  EXPECT_EQ((WndMgrRect{732, 6, 748, 22}), tiled[2].rect);
  EXPECT_EQ(WndMgrZoneKind::kTileToggle, tiled[2].kind);
  EXPECT_EQ((WndMgrRect{756, 6, 772, 22}), tiled[3].rect);
  EXPECT_EQ(1, tiled[3].pane);
  EXPECT_EQ(1, tiled[3].item);
  EXPECT_TRUE(layout.InHeaderStrip(416, 2));
  EXPECT_FALSE(layout.InHeaderStrip(776, 2));
  EXPECT_FALSE(layout.InHeaderStrip(500, 26));
}

TEST(TabStripLayout, CurrentTabThatDoesNotFitMovesToTheFront) {
  // 260 pixels of strip: two 122-pixel tabs fit, the third does not.
  CTabStripLayout layout = Manager({L"Window", L"Window", L"Window"}, 300);
  EXPECT_EQ((std::vector<std::uint64_t>{102, 101, 100}), Keys(layout));
  EXPECT_EQ(0, layout.Current());
  ASSERT_EQ(2u, layout.Tabs().size());
  EXPECT_EQ((WndMgrRect{16, 2, 139, 26}), layout.Tabs()[0].rect);
}

TEST(TabStripLayout, FrontSwapKeepsTheTiledPaneOfTheFirstItem) {
  CTabStripLayout layout = Manager({L"Window", L"Window", L"Window", L"Window"}, 600);
  layout.ToggleTile(0, true);  // the main pane is now 300 wide, as above
  EXPECT_EQ((std::vector<std::uint64_t>{103, 101, 102, 100}), Keys(layout));
  EXPECT_EQ(0, layout.Current());
  EXPECT_EQ(std::vector<int>{3}, layout.TiledItems());
  EXPECT_TRUE(layout.Items()[3].tiled);
  EXPECT_FALSE(layout.Items()[0].tiled);
}

TEST(TabStripLayout, TilingGivesEqualPanesAndUntilingSharesTheSpace) {
  CTabStripLayout layout = Manager({L"A", L"B", L"C"}, 600);
  layout.SelectWindow(0);
  layout.ToggleTile(1, true);
  EXPECT_EQ(std::vector<double>{0.5}, layout.Boundaries());
  EXPECT_EQ(std::vector<std::int32_t>{300}, layout.SplitterPositions());
  const WndMgrChanges changes = layout.ToggleTile(2, true);
  ASSERT_EQ(2u, layout.Boundaries().size());
  EXPECT_DOUBLE_EQ(1.0 / 3, layout.Boundaries()[0]);
  EXPECT_DOUBLE_EQ(2.0 / 3, layout.Boundaries()[1]);
  EXPECT_EQ((std::vector<std::int32_t>{200, 400}), layout.SplitterPositions());
  EXPECT_EQ((std::vector<std::uint64_t>{100, 101, 102}), PlacedKeys(changes));
  EXPECT_EQ((WndMgrRect{400, 0, 600, 400}), layout.PaneRect(2));
  EXPECT_EQ((WndMgrRect{403, 29, 597, 397}), layout.WindowRect(2));
  EXPECT_EQ(-1, layout.SplitterAt(0, 0));
  EXPECT_EQ(0, layout.SplitterAt(198, 50));
  EXPECT_EQ(1, layout.SplitterAt(402, 50));
  EXPECT_EQ(-1, layout.SplitterAt(403, 50));

  const WndMgrChanges untiled = layout.ToggleTile(1, false);
  EXPECT_EQ(std::vector<std::uint64_t>{101}, untiled.hidden);
  EXPECT_EQ(std::vector<double>{0.5}, layout.Boundaries());
  EXPECT_EQ(std::vector<int>{2}, layout.TiledItems());

  // Stacked panes split along y.
  layout.RunCommand(kWndMgrStackPanesCommand);
  EXPECT_EQ((WndMgrRect{0, 200, 600, 400}), layout.PaneRect(1));
  EXPECT_EQ(0, layout.SplitterAt(0, 201));
}

TEST(TabStripLayout, TilingTheCurrentTabSelectsTheNextOne) {
  struct Case {
    int tiled;
    int expectedCurrent;  // as an index after tiling
  };
  for (const Case& c : {Case{1, 2}, Case{2, 1}}) {
    CTabStripLayout layout = Manager({L"A", L"B", L"C"});
    layout.SelectWindow(c.tiled);
    const WndMgrChanges changes = layout.ToggleTile(c.tiled, true);
    EXPECT_EQ(c.expectedCurrent, layout.Current()) << c.tiled;
    EXPECT_EQ(std::vector<std::uint64_t>{static_cast<std::uint64_t>(100 + c.tiled)},
              changes.hidden);
  }
  // The last window of the main pane stays there.
  CTabStripLayout layout = Manager({L"A", L"B"});
  layout.ToggleTile(0, true);
  EXPECT_TRUE(layout.ToggleTile(1, true).placed.empty());
  EXPECT_FALSE(layout.Items()[1].tiled);
}

TEST(TabStripLayout, SplitterMovesOnlyWhilePanesStayWiderThan100) {
  struct Case {
    int splitter;
    std::int32_t position;
    std::vector<std::int32_t> expected;
  };
  const Case cases[] = {
      {0, 250, {250, 400}}, {0, 101, {101, 400}}, {1, 499, {200, 499}},
      {0, 100, {200, 400}}, {0, 300, {200, 400}}, {1, 500, {200, 400}},
  };
  for (const Case& c : cases) {
    CTabStripLayout layout = Manager({L"A", L"B", L"C"}, 600);
    layout.SelectWindow(0);
    layout.ToggleTile(1, true);
    layout.ToggleTile(2, true);
    ASSERT_TRUE(layout.BeginSplitterDrag(c.splitter));
    const bool moved = !layout.DragSplitterTo(c.position).placed.empty();
    EXPECT_EQ(c.expected, layout.SplitterPositions()) << c.position;
    EXPECT_EQ(c.expected != std::vector<std::int32_t>({200, 400}), moved) << c.position;
  }
}

TEST(TabStripLayout, ClosingAdjustsCurrentAndTiledIndices) {
  struct Case {
    std::vector<int> tiled;  // tiled in this order, item 0 current while tiling
    int current;
    int closed;
    std::vector<std::uint64_t> keysAfter;
    int currentAfter;
    std::vector<int> tiledAfter;
    std::vector<std::uint64_t> hidden;
  };
  const Case cases[] = {
      // The current tab: the next one at its place, or the previous for the last.
      {{}, 1, 1, {100, 102}, 1, {}, {}},
      {{}, 2, 2, {100, 101}, 1, {}, {}},
      // A tab before the current one.
      {{}, 2, 0, {101, 102}, 1, {}, {}},
      // A tiled window: its pane goes, the indices after it shift.
      {{1}, 2, 1, {100, 102}, 1, {}, {}},
      {{1, 2}, 0, 1, {100, 102}, 0, {1}, {}},
      // The only tab: the first tiled window takes the main pane.
      {{1, 2}, 0, 0, {101, 102}, 0, {1}, {101}},
  };
  for (const Case& c : cases) {
    CTabStripLayout layout = Manager({L"A", L"B", L"C"});
    layout.SelectWindow(0);
    for (int tiled : c.tiled) layout.ToggleTile(tiled, true);
    layout.SelectWindow(c.current);
    const WndMgrChanges changes = layout.CloseWindowAt(c.closed);
    SCOPED_TRACE(c.closed);
    EXPECT_EQ(std::vector<std::uint64_t>{static_cast<std::uint64_t>(100 + c.closed)},
              changes.destroyed);
    EXPECT_FALSE(changes.closeManager);
    EXPECT_EQ(c.keysAfter, Keys(layout));
    EXPECT_EQ(c.currentAfter, layout.Current());
    EXPECT_EQ(c.tiledAfter, layout.TiledItems());
    EXPECT_EQ(c.tiledAfter.size(), layout.Boundaries().size());
    EXPECT_EQ(c.hidden, changes.hidden);
    ASSERT_FALSE(changes.placed.empty());
    EXPECT_EQ(layout.Items()[static_cast<std::size_t>(c.currentAfter)].key,
              changes.placed.front().key);
  }
}

TEST(TabStripLayout, ClosingTheLastWindowClosesTheManager) {
  CTabStripLayout layout = Manager({L"A"});
  const WndMgrChanges changes = layout.CloseWindowAt(0);
  EXPECT_TRUE(changes.closeManager);
  EXPECT_EQ(std::vector<std::uint64_t>{100}, changes.destroyed);
  EXPECT_TRUE(layout.CloseAll().destroyed.empty());
  EXPECT_TRUE(layout.CloseWindowAt(0).destroyed.empty());
}

TEST(TabStripLayout, TabMenuListsWindowsOfTheMainPane) {
  CTabStripLayout layout(kIcon, SevenPixels);
  layout.SetClient({0, 0, 800, 400});
  layout.AddWindow({100, L"A"}, true);
  layout.AddWindow({101, L"B"}, false);
  layout.AddWindow({102, L"C", false, false}, false);
  layout.AddWindow({103, L"D"}, false);
  layout.ToggleTile(1, true);
  const WndMgrTabMenu menu = layout.TabMenu();
  ASSERT_EQ(2u, menu.entries.size());
  EXPECT_EQ(L"A", menu.entries[0].caption);
  EXPECT_EQ(40000, menu.entries[0].command);
  EXPECT_EQ(L"D", menu.entries[1].caption);
  EXPECT_EQ(40003, menu.entries[1].command);
  EXPECT_EQ(kWndMgrSideBySideCommand, menu.checkedCommand);
  layout.RunCommand(kWndMgrStackPanesCommand);
  EXPECT_EQ(kWndMgrStackPanesCommand, layout.TabMenu().checkedCommand);

  // Item commands select; tiled or unknown items are ignored.
  EXPECT_EQ((std::vector<std::uint64_t>{103, 101}), PlacedKeys(layout.RunCommand(40003)));
  EXPECT_EQ(3, layout.Current());
  EXPECT_TRUE(layout.RunCommand(40001).placed.empty());
  EXPECT_TRUE(layout.RunCommand(40004).placed.empty());
  EXPECT_TRUE(layout.RunCommand(40200).placed.empty());
  EXPECT_EQ(3, layout.Current());
}

}  // namespace
