// The tab strip's layout and the item bookkeeping behind selecting, tiling and closing windows.
#include "wndmgr/tab_strip_layout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

void Append(WndMgrChanges& into, WndMgrChanges&& from) {
  into.destroyed.insert(into.destroyed.end(), from.destroyed.begin(), from.destroyed.end());
  into.hidden.insert(into.hidden.end(), from.hidden.begin(), from.hidden.end());
  into.placed.insert(into.placed.end(), from.placed.begin(), from.placed.end());
  into.closeManager = into.closeManager || from.closeManager;
}

}  // namespace

CTabStripLayout::CTabStripLayout(int smallIcon, TextMeasure measure)
    : smallIcon_(smallIcon), halfIcon_(smallIcon / 2), measure_(std::move(measure)) {}

void CTabStripLayout::SetCaption(int item, std::wstring caption) {
  if (item >= 0 && item < ItemCount())
    items_[static_cast<std::size_t>(item)].caption = std::move(caption);
}

int CTabStripLayout::UntiledCount() const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const WndMgrItem& i) { return !i.tiled; }));
}

std::int32_t CTabStripLayout::ClientSize() const {
  return orientation_ == kWndMgrSideBySide ? client_.right - client_.left
                                           : client_.bottom - client_.top;
}

std::int32_t CTabStripLayout::ClientOrigin() const {
  return orientation_ == kWndMgrSideBySide ? client_.left : client_.top;
}

WndMgrRect CTabStripLayout::PaneRect(int pane) const {
  const int panes = static_cast<int>(boundaries_.size()) + 1;
  if (singleMode_ || pane < 0 || pane >= panes) return client_;
  const auto edge = [this](int boundary) {
    return ClientOrigin() + static_cast<std::int32_t>(
                                boundaries_[static_cast<std::size_t>(boundary)] * ClientSize());
  };
  const std::int32_t start = pane == 0 ? ClientOrigin() : edge(pane - 1);
  const std::int32_t end = pane + 1 < panes ? edge(pane) : ClientOrigin() + ClientSize();
  if (orientation_ == kWndMgrSideBySide) return {start, client_.top, end, client_.bottom};
  return {client_.left, start, client_.right, end};
}

WndMgrRect CTabStripLayout::WindowRect(int pane) const {
  WndMgrRect rect = PaneRect(pane);
  if (singleMode_) return rect;
  // Below the header and inside the pane's frame line, then a 2-pixel margin.
  rect.top += smallIcon_ + 11 + 2;
  rect.left += 1 + 2;
  rect.right -= 1 + 2;
  rect.bottom -= 1 + 2;
  return rect;
}

WndMgrRect CTabStripLayout::HeaderStrip(int pane) const {
  const WndMgrRect p = PaneRect(pane);
  return {p.left + smallIcon_, p.top + 2, p.right - smallIcon_ - halfIcon_,
          p.top + smallIcon_ + 10};
}

void CTabStripLayout::Place(int pane, int item, WndMgrChanges& changes) const {
  if (item < 0 || item >= ItemCount()) return;
  changes.placed.push_back({items_[static_cast<std::size_t>(item)].key, WindowRect(pane)});
}

void CTabStripLayout::HideCurrent(WndMgrChanges& changes) {
  if (current_ >= 0 && current_ < ItemCount()) {
    changes.hidden.push_back(items_[static_cast<std::size_t>(current_)].key);
  }
  current_ = -1;
}

void CTabStripLayout::LayOutTabs(const WndMgrRect& main) {
  tabs_.clear();
  const WndMgrRect strip{main.left + smallIcon_, main.top + 2, main.right - smallIcon_ - halfIcon_,
                         main.top + smallIcon_ + 10};
  // The room a tab needs beside its caption: margins and its two buttons.
  const int chrome = 3 * smallIcon_ + 3 * halfIcon_ + 8;
  std::int32_t x = strip.left;
  for (int i = 0; i < ItemCount(); ++i) {
    const WndMgrItem& item = items_[static_cast<std::size_t>(i)];
    if (item.tiled) continue;
    FittedText fitted = FitText(item.caption, strip.right - x - chrome, measure_);
    if (!fitted.fits) break;
    const std::int32_t width = fitted.width + chrome + (i == current_ ? 1 : 0);
    if (x + width > strip.right) break;
    tabs_.push_back({std::move(fitted.text), {x, strip.top, x + width, strip.bottom}, i});
    x += width;
  }
}

void CTabStripLayout::AddZones(const WndMgrRect& main) {
  zones_.clear();
  const int s = smallIcon_;
  const int h = halfIcon_;
  if (UntiledCount() > 1) {
    for (const WndMgrTab& tab : tabs_) {
      const std::int32_t top = tab.rect.top + (tab.rect.bottom - tab.rect.top - s) / 2;
      const std::int32_t tileLeft = tab.rect.right - 2 * s - h - 4;
      const std::int32_t closeLeft = tab.rect.right - s - 4;
      zones_.push_back(
          {0, tab.item, WndMgrZoneKind::kTileToggle, {tileLeft, top, tileLeft + s, top + s}});
      zones_.push_back(
          {0, tab.item, WndMgrZoneKind::kClose, {closeLeft, top, closeLeft + s, top + s}});
    }
  } else {
    for (const WndMgrTab& tab : tabs_) {
      const std::int32_t top = tab.rect.top + (tab.rect.bottom - tab.rect.top - s) / 2;
      const std::int32_t closeLeft = tab.rect.right - s - 4;
      zones_.push_back(
          {0, tab.item, WndMgrZoneKind::kClose, {closeLeft, top, closeLeft + s, top + s}});
    }
  }
  const std::int32_t menuLeft = main.right - s - h;
  zones_.push_back(
      {0, -1, WndMgrZoneKind::kTabMenu, {menuLeft, main.top + 4, menuLeft + s, main.top + 4 + s}});
  for (std::size_t k = 0; k < tiled_.size(); ++k) {
    const int pane = static_cast<int>(k) + 1;
    const WndMgrRect p = PaneRect(pane);
    const std::int32_t top = p.top + 6;
    const std::int32_t tileLeft = p.right - s - h - 2 * s - h - 4;
    const std::int32_t closeLeft = p.right - s - h - s - 4;
    zones_.push_back(
        {pane, tiled_[k], WndMgrZoneKind::kTileToggle, {tileLeft, top, tileLeft + s, top + s}});
    zones_.push_back(
        {pane, tiled_[k], WndMgrZoneKind::kClose, {closeLeft, top, closeLeft + s, top + s}});
  }
}

WndMgrChanges CTabStripLayout::Layout() {
  WndMgrChanges changes;
  if (ItemCount() < 2) {
    singleMode_ = true;
    tabs_.clear();
    zones_.clear();
    splitterPositions_.clear();
    Place(0, current_, changes);
    return changes;
  }
  singleMode_ = false;
  splitterPositions_.clear();
  for (double boundary : boundaries_) {
    splitterPositions_.push_back(ClientOrigin() +
                                 static_cast<std::int32_t>(boundary * ClientSize()));
  }
  const WndMgrRect main = PaneRect(0);
  LayOutTabs(main);
  const bool currentShown = std::any_of(tabs_.begin(), tabs_.end(),
                                        [this](const WndMgrTab& t) { return t.item == current_; });
  if (!currentShown && current_ > 0 && current_ < ItemCount() && UntiledCount() > 0) {
    // The current window's tab did not fit: it moves to the front of the strip. A tiled first
    // item keeps its pane under its new index.
    std::swap(items_[0], items_[static_cast<std::size_t>(current_)]);
    for (int& tiled : tiled_) {
      if (tiled == 0) {
        tiled = current_;
      } else if (tiled == current_) {
        tiled = 0;
      }
    }
    current_ = 0;
    LayOutTabs(main);
  }
  AddZones(main);
  Place(0, current_, changes);
  for (std::size_t i = 0; i < tiled_.size(); ++i)
    Place(static_cast<int>(i) + 1, tiled_[i], changes);
  return changes;
}

WndMgrChanges CTabStripLayout::AddWindow(WndMgrItem item, bool activate) {
  item.tiled = false;
  items_.push_back(std::move(item));
  return activate ? SelectWindow(ItemCount() - 1) : Layout();
}

WndMgrChanges CTabStripLayout::SelectWindow(int item) {
  // A tiled window already has its pane; it is not also shown in the main one.
  if (item < 0 || item >= ItemCount() || item == current_ ||
      items_[static_cast<std::size_t>(item)].tiled) {
    return {};
  }
  WndMgrChanges changes;
  HideCurrent(changes);
  current_ = item;
  Append(changes, Layout());
  return changes;
}

void CTabStripLayout::RemovePane(int item) {
  const auto found = std::find(tiled_.begin(), tiled_.end(), item);
  if (found == tiled_.end()) return;
  const std::size_t removed = static_cast<std::size_t>(found - tiled_.begin()) + 1;
  tiled_.erase(found);
  // Pane shares (main pane first), the removed one's spread equally over the rest.
  std::vector<double> shares;
  double previous = 0.0;
  for (double boundary : boundaries_) {
    shares.push_back(boundary - previous);
    previous = boundary;
  }
  shares.push_back(1.0 - previous);
  const double freed = shares[removed];
  shares.erase(shares.begin() + static_cast<std::ptrdiff_t>(removed));
  boundaries_.clear();
  double edge = 0.0;
  for (std::size_t i = 0; i + 1 < shares.size(); ++i) {
    edge += shares[i] + freed / static_cast<double>(shares.size());
    boundaries_.push_back(edge);
  }
  if (draggedSplitter_ >= static_cast<int>(boundaries_.size())) draggedSplitter_ = -1;
}

WndMgrChanges CTabStripLayout::CloseWindowAt(int item) {
  if (item < 0 || item >= ItemCount()) return {};
  WndMgrChanges changes;
  changes.destroyed.push_back(items_[static_cast<std::size_t>(item)].key);
  if (ItemCount() == 1) {
    // Dropped here so that the manager's own closing does not destroy it a second time.
    items_.clear();
    tabs_.clear();
    zones_.clear();
    current_ = -1;
    changes.closeManager = true;
    return changes;
  }
  bool promote = false;
  bool chooseNext = false;
  if (items_[static_cast<std::size_t>(item)].tiled) {
    RemovePane(item);
    if (item < current_) --current_;
  } else if (UntiledCount() == 1) {
    promote = true;
    current_ = -1;
  } else if (item < current_) {
    --current_;
  } else if (item == current_) {
    current_ = -1;  // destroyed, so nothing to hide
    chooseNext = true;
  }
  items_.erase(items_.begin() + item);
  for (int& tiled : tiled_) {
    if (tiled > item) --tiled;
  }
  if (promote) {
    const int first = tiled_.front();
    WndMgrItem& promoted = items_[static_cast<std::size_t>(first)];
    promoted.tiled = false;
    changes.hidden.push_back(promoted.key);
    RemovePane(first);
    current_ = first;
    Append(changes, Layout());
    return changes;
  }
  if (chooseNext) {
    // The tab now at the closed one's place, else the one before; tiled windows are passed over
    // as they already have a pane.
    int next = -1;
    for (int i = item; i < ItemCount() && next < 0; ++i) {
      if (!items_[static_cast<std::size_t>(i)].tiled) next = i;
    }
    for (int i = std::min(item, ItemCount()) - 1; i >= 0 && next < 0; --i) {
      if (!items_[static_cast<std::size_t>(i)].tiled) next = i;
    }
    if (next >= 0) {
      Append(changes, SelectWindow(next));
      return changes;
    }
  }
  Append(changes, Layout());
  return changes;
}

WndMgrChanges CTabStripLayout::ToggleTile(int item, bool tiled) {
  if (item < 0 || item >= ItemCount()) return {};
  WndMgrItem& target = items_[static_cast<std::size_t>(item)];
  WndMgrChanges changes;
  if (tiled) {
    // The main pane keeps at least one window.
    if (target.tiled || UntiledCount() < 2) return {};
    target.tiled = true;
    tiled_.push_back(item);
    const double share = 1.0 - 1.0 / static_cast<double>(boundaries_.size() + 2);
    for (double& boundary : boundaries_) boundary *= share;
    boundaries_.push_back(share);
    if (item == current_) {
      int next = -1;
      for (int i = item + 1; i < ItemCount() && next < 0; ++i) {
        if (!items_[static_cast<std::size_t>(i)].tiled) next = i;
      }
      for (int i = item - 1; i >= 0 && next < 0; --i) {
        if (!items_[static_cast<std::size_t>(i)].tiled) next = i;
      }
      HideCurrent(changes);
      current_ = next;
    }
  } else {
    if (!target.tiled) return {};
    target.tiled = false;
    changes.hidden.push_back(target.key);
    RemovePane(item);
  }
  Append(changes, Layout());
  return changes;
}

WndMgrChanges CTabStripLayout::RunCommand(int command) {
  if (command >= kWndMgrFirstItemCommand &&
      command < kWndMgrFirstItemCommand + kWndMgrItemCommands) {
    return SelectWindow(command - kWndMgrFirstItemCommand);
  }
  if (command == kWndMgrStackPanesCommand || command == kWndMgrSideBySideCommand) {
    orientation_ = command == kWndMgrStackPanesCommand ? kWndMgrStacked : kWndMgrSideBySide;
    return Layout();
  }
  return {};
}

WndMgrChanges CTabStripLayout::CloseAll() {
  WndMgrChanges changes;
  for (const WndMgrItem& item : items_) changes.destroyed.push_back(item.key);
  current_ = -1;
  tiled_.clear();
  boundaries_.clear();
  splitterPositions_.clear();
  draggedSplitter_ = -1;
  items_.clear();
  tabs_.clear();
  zones_.clear();
  singleMode_ = true;
  return changes;
}

int CTabStripLayout::ZoneAt(std::int32_t x, std::int32_t y) const {
  for (std::size_t i = 0; i < zones_.size(); ++i) {
    if (zones_[i].rect.Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

int CTabStripLayout::TabItemAt(std::int32_t x, std::int32_t y) const {
  for (const WndMgrTab& tab : tabs_) {
    if (tab.rect.Contains(x, y)) return tab.item;
  }
  return -1;
}

int CTabStripLayout::SplitterAt(std::int32_t x, std::int32_t y) const {
  const std::int32_t along = orientation_ == kWndMgrSideBySide ? x : y;
  for (std::size_t i = 0; i < splitterPositions_.size(); ++i) {
    if (std::abs(along - splitterPositions_[i]) <= kWndMgrSplitterGrip) return static_cast<int>(i);
  }
  return -1;
}

bool CTabStripLayout::InHeaderStrip(std::int32_t x, std::int32_t y) const {
  if (singleMode_) return false;
  for (int pane = 0; pane <= static_cast<int>(tiled_.size()); ++pane) {
    if (HeaderStrip(pane).Contains(x, y)) return true;
  }
  return false;
}

bool CTabStripLayout::BeginSplitterDrag(int splitter) {
  if (splitter < 0 || splitter >= static_cast<int>(splitterPositions_.size())) return false;
  draggedSplitter_ = splitter;
  return true;
}

WndMgrChanges CTabStripLayout::DragSplitterTo(std::int32_t position) {
  const int count = static_cast<int>(splitterPositions_.size());
  const std::int32_t size = ClientSize();
  if (draggedSplitter_ < 0 || draggedSplitter_ >= count || size <= 0) return {};
  const std::size_t i = static_cast<std::size_t>(draggedSplitter_);
  const std::int32_t previous = i == 0 ? ClientOrigin() : splitterPositions_[i - 1];
  const std::int32_t next =
      draggedSplitter_ + 1 == count ? ClientOrigin() + size : splitterPositions_[i + 1];
  if (position - previous <= kWndMgrMinimumPane || next - position <= kWndMgrMinimumPane) return {};
  boundaries_[i] += static_cast<double>(position - splitterPositions_[i]) / size;
  return Layout();
}

WndMgrTabMenu CTabStripLayout::TabMenu() const {
  WndMgrTabMenu menu;
  // Only the first 200 items have a command.
  for (int i = 0; i < std::min(ItemCount(), kWndMgrItemCommands); ++i) {
    const WndMgrItem& item = items_[static_cast<std::size_t>(i)];
    if (!item.tiled && item.hasWindow) {
      menu.entries.push_back({item.caption, kWndMgrFirstItemCommand + i});
    }
  }
  menu.checkedCommand =
      orientation_ == kWndMgrStacked ? kWndMgrStackPanesCommand : kWndMgrSideBySideCommand;
  return menu;
}
