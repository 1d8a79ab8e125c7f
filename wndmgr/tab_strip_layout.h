// The window manager's state and geometry without a window: hosted items, tabs, panes, splitters,
// the clickable zones, and what each user action asks the window to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wndmgr/fit_text.h"

struct WndMgrRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  friend bool operator==(const WndMgrRect&, const WndMgrRect&) = default;
};

// A hosted window as the layout sees it; `key` is the caller's name for the window object.
struct WndMgrItem {
  std::uint64_t key = 0;
  std::wstring caption;
  bool tiled = false;
  bool hasWindow = true;
};

struct WndMgrTab {
  std::wstring caption;  // shortened to fit
  WndMgrRect rect;
  int item = -1;
};

enum class WndMgrZoneKind { kClose = 1, kTabMenu = 2, kTileToggle = 3 };

struct WndMgrZone {
  int pane = 0;   // 0 the main pane, k the tiled pane k
  int item = -1;  // -1 for the tab menu button
  WndMgrZoneKind kind = WndMgrZoneKind::kClose;
  WndMgrRect rect;
};

struct WndMgrPlacement {
  std::uint64_t key = 0;
  WndMgrRect rect;
};

// What the window must do after an action, in this order: destroy, hide, place (showing what was
// hidden; the manager's caption then names the last placed window), post WM_CLOSE to itself.
struct WndMgrChanges {
  std::vector<std::uint64_t> destroyed;
  std::vector<std::uint64_t> hidden;
  std::vector<WndMgrPlacement> placed;
  bool closeManager = false;
};

struct WndMgrMenuEntry {
  std::wstring caption;
  int command = 0;
};

struct WndMgrTabMenu {
  std::vector<WndMgrMenuEntry> entries;  // followed by a separator when not empty
  int checkedCommand = 0;                // the orientation now in use
};

inline constexpr int kWndMgrFirstItemCommand = 40000;
inline constexpr int kWndMgrItemCommands = 200;
inline constexpr int kWndMgrStackPanesCommand = 30000;  // orientation 1
inline constexpr int kWndMgrSideBySideCommand = 30001;  // orientation 2
inline constexpr int kWndMgrStacked = 1;
inline constexpr int kWndMgrSideBySide = 2;
inline constexpr int kWndMgrSplitterGrip = 2;  // pixels either side of a splitter
inline constexpr int kWndMgrMinimumPane = 100;

class CTabStripLayout {
 public:
  // `smallIcon` is SM_CXSMICON; `measure` gives a caption's width in the tab font.
  CTabStripLayout(int smallIcon, TextMeasure measure);

  void SetClient(const WndMgrRect& client) { client_ = client; }
  void SetCaption(int item, std::wstring caption);

  WndMgrChanges AddWindow(WndMgrItem item, bool activate);
  WndMgrChanges SelectWindow(int item);
  WndMgrChanges Layout();
  WndMgrChanges CloseWindowAt(int item);
  WndMgrChanges ToggleTile(int item, bool tiled);
  // Item selection and orientation; anything else, or an item out of range, changes nothing.
  WndMgrChanges RunCommand(int command);
  // The manager closing: every hosted window is destroyed and the state emptied.
  WndMgrChanges CloseAll();

  // -1 when the point is over nothing of that kind.
  int ZoneAt(std::int32_t x, std::int32_t y) const;
  int TabItemAt(std::int32_t x, std::int32_t y) const;
  int SplitterAt(std::int32_t x, std::int32_t y) const;
  // Where the right button opens the tab menu: the header strip of any pane.
  bool InHeaderStrip(std::int32_t x, std::int32_t y) const;

  // Dragging splitter `splitter` to `position` (x or y by orientation): the boundary moves only
  // while both neighbouring panes stay wider than 100 pixels. Returns the re-layout, or nothing.
  bool BeginSplitterDrag(int splitter);
  WndMgrChanges DragSplitterTo(std::int32_t position);
  void EndSplitterDrag() { draggedSplitter_ = -1; }
  bool Dragging() const { return draggedSplitter_ >= 0; }

  WndMgrTabMenu TabMenu() const;

  // The main pane (0) or tiled pane k, and the part of it a hosted window covers.
  WndMgrRect PaneRect(int pane) const;
  WndMgrRect WindowRect(int pane) const;
  WndMgrRect HeaderStrip(int pane) const;

  const std::vector<WndMgrItem>& Items() const { return items_; }
  const std::vector<WndMgrTab>& Tabs() const { return tabs_; }
  const std::vector<WndMgrZone>& Zones() const { return zones_; }
  const std::vector<int>& TiledItems() const { return tiled_; }
  const std::vector<double>& Boundaries() const { return boundaries_; }
  const std::vector<std::int32_t>& SplitterPositions() const { return splitterPositions_; }
  int Current() const { return current_; }
  int Orientation() const { return orientation_; }
  bool SingleMode() const { return singleMode_; }

 private:
  int ItemCount() const { return static_cast<int>(items_.size()); }
  int UntiledCount() const;
  std::int32_t ClientSize() const;
  std::int32_t ClientOrigin() const;
  void LayOutTabs(const WndMgrRect& main);
  void AddZones(const WndMgrRect& main);
  void RemovePane(int item);
  void Place(int pane, int item, WndMgrChanges& changes) const;
  void HideCurrent(WndMgrChanges& changes);

  int smallIcon_;
  int halfIcon_;
  TextMeasure measure_;
  WndMgrRect client_;
  std::vector<WndMgrItem> items_;
  int current_ = -1;
  int orientation_ = kWndMgrSideBySide;
  std::vector<int> tiled_;
  std::vector<double> boundaries_;
  std::vector<std::int32_t> splitterPositions_;
  int draggedSplitter_ = -1;
  bool singleMode_ = true;
  std::vector<WndMgrTab> tabs_;
  std::vector<WndMgrZone> zones_;
};
