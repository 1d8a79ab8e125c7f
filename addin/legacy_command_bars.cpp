#include "addin/legacy_command_bars.h"

#include <algorithm>
#include <array>

#include "formula/text_compare.h"

namespace {

// Office's control types and button styles.
constexpr LONG kControlButton = 1;
constexpr LONG kControlPopup = 10;
constexpr LONG kIconOnly = 1;
constexpr LONG kIconAndCaption = 3;
// The Tools menu is the sixth of the worksheet menu bar in every version with command bars.
constexpr LONG kToolsMenuIndex = 6;
constexpr wchar_t kProductCaption[] = L"Trelvane";

constexpr std::array<CommandTableEntry, 15> kCommandTable{{
    {L"Recent Items", 17, kRecentItemFace, true, false},
    {L"Show Precedents", 1, 1004, true, false},
    {L"Show Dependents", 0, 1003, true, false},
    {L"Show Inputs", 2, 3009, true, true},
    {L"Show Errors", 3, 3008, true, false},
    {L"Trace Error", 4, 3007, true, false},
    {L"Evaluate Formula", 5, 1011, true, true},
    {L"Filter by background color", 7, 1020, true, true},
    {L"Filter by text color", 8, 1025, true, false},
    {L"Display Calculation Chain", 9, 3010, true, false},
    {L"Refresh Contents", 10, 3001, true, true},
    {L"Transpose", 11, 1034, true, true},
    {L"Contact us", 15, 1040, true, true},
    {L"About Trelvane", 14, 1039, true, true},
    {L"Trelvane Help", 13, 1014, true, true},
}};

constexpr std::array<CommandTableEntry, 6> kCellMenuTable{{
    {L"Show Precedents", 1, 1004, true, false},
    {L"Show Dependents", 0, 1003, true, false},
    {L"Show Inputs", 2, 3009, true, false},
    {L"Evaluate Formula", 5, 1011, true, false},
    {L"Copy Address to Clipboard", 16, 0, true, true},
    {L"Transpose", 11, 1034, true, true},
}};

// Type is passed as VT_INT, as Office's own type library declares it.
CVariant ControlType(LONG type) {
  CVariant value(type);
  value.GetMutable()->vt = VT_INT;
  return value;
}

// Controls.Add(Type, Id, Parameter, Before, Temporary) of a temporary control; empty when Excel
// refuses it.
ExcelObject AddControl(const ExcelObject& controls, LONG type,
                       const CVariant& before = CVariant::Missing()) {
  ExcelObject control;
  controls.CallForObject(L"Add", &control,
                         {ControlType(type), CVariant::Missing(), CVariant::Missing(), before,
                          CVariant(true)});
  return control;
}

// The caption without its accelerator marks.
std::wstring PlainCaption(std::wstring caption) {
  std::erase(caption, L'&');
  return caption;
}

// The position after Formula Auditing (Excel 2002 and later) or Auditing (earlier).
std::optional<LONG> PositionAfterAuditing(const ExcelObject& items) {
  LONG count = 0;
  if (!items.GetLong(L"Count", &count)) return std::nullopt;
  for (LONG i = 1; i <= count; ++i) {
    ExcelObject item;
    std::wstring caption;
    if (!items.GetObject(L"Item", &item, {CVariant(i)}) || !item.GetText(L"Caption", &caption)) {
      return std::nullopt;
    }
    const std::wstring plain = PlainCaption(std::move(caption));
    if (EqualsNoCase(plain, L"Formula Auditing") || EqualsNoCase(plain, L"Auditing")) return i + 1;
  }
  return std::nullopt;
}

}  // namespace

std::span<const CommandTableEntry> LegacyCommandTable() {
  return kCommandTable;
}

std::span<const CommandTableEntry> CellMenuTable() {
  return kCellMenuTable;
}

CLegacyCommandBars::CLegacyCommandBars(const ExcelObject& application,
                                       ICommandBarButtons& buttons)
    : application_(application), buttons_(buttons) {}

void CLegacyCommandBars::BuildWorksheetMenu() {
  ExcelObject bars;
  ExcelObject menuBar;
  ExcelObject topMenus;
  ExcelObject tools;
  ExcelObject items;
  if (!application_.GetObject(L"CommandBars", &bars) ||
      !bars.GetObject(L"Item", &menuBar, {CVariant(L"Worksheet Menu Bar")}) ||
      !menuBar.GetObject(L"Controls", &topMenus) ||
      !topMenus.GetObject(L"Item", &tools, {CVariant(kToolsMenuIndex)}) ||
      !tools.GetObject(L"Controls", &items)) {
    return;
  }
  const std::optional<LONG> position = PositionAfterAuditing(items);
  ExcelObject popup = AddControl(items, kControlPopup,
                                 position ? CVariant(*position) : CVariant::Missing());
  if (popup.IsEmpty()) return;
  popup.PutText(L"Caption", kProductCaption);
  worksheetMenuPopup_ = std::move(popup);
}

void CLegacyCommandBars::BuildToolbar(const ToolbarPlacement& placement) {
  ExcelObject bars;
  ExcelObject toolbar;
  if (!application_.GetObject(L"CommandBars", &bars) ||
      !bars.CallForObject(L"Add", &toolbar,
                          {CVariant(kProductCaption), CVariant::Missing(), CVariant::Missing(),
                           CVariant(true)})) {
    return;
  }
  toolbar_ = std::move(toolbar);
  toolbar_.PutBool(L"Visible", placement.visible);
  if (placement.HasStoredPlace()) {
    toolbar_.PutLong(L"RowIndex", placement.rowIndex);
    toolbar_.PutLong(L"Position", placement.position);
    toolbar_.PutLong(L"Left", placement.left);
    toolbar_.PutLong(L"Top", placement.top);
  }
}

void CLegacyCommandBars::BuildCommandControls() {
  ExcelObject menuControls;
  ExcelObject toolbarControls;
  if (!worksheetMenuPopup_.GetObject(L"Controls", &menuControls) ||
      !toolbar_.GetObject(L"Controls", &toolbarControls)) {
    return;
  }
  toolbar_.PutLong(L"Protection", 0);
  commandItems_.clear();
  commandItems_.resize(kCommandTable.size());
  for (std::size_t row = 0; row < kCommandTable.size(); ++row) {
    const CommandTableEntry& entry = kCommandTable[row];
    CommandBarItem& item = commandItems_[row];
    const bool recentItems = row == kRecentItemsRow;
    item.menuControl = AddControl(menuControls, recentItems ? kControlPopup : kControlButton);
    item.menuControl.PutText(L"Caption", entry.caption);
    if (entry.onToolbar) {
      // On the toolbar the recent items are a plain button that pops them up.
      item.toolbarControl = AddControl(toolbarControls, kControlButton);
      item.toolbarControl.PutLong(L"Style", kIconOnly);
      item.toolbarControl.PutText(L"TooltipText", entry.caption);
    }
    if (entry.face != 0) {
      if (!recentItems && !item.menuControl.IsEmpty()) {
        buttons_.SetButtonFace(item.menuControl, entry.face);
      }
      if (!item.toolbarControl.IsEmpty()) buttons_.SetButtonFace(item.toolbarControl, entry.face);
    }
    if (entry.beginGroup) {
      item.menuControl.PutBool(L"BeginGroup", true);
      item.toolbarControl.PutBool(L"BeginGroup", true);
    }
    if (!recentItems && !item.menuControl.IsEmpty()) {
      item.menuClicks = buttons_.ConnectClicks(item.menuControl, entry.command);
    }
    if (!item.toolbarControl.IsEmpty()) {
      item.toolbarClicks = buttons_.ConnectClicks(item.toolbarControl, entry.command);
    }
  }

  // The Recent Items submenu: ten hidden buttons that UpdateRecentItemsMenu shows.
  ExcelObject recentControls;
  if (!commandItems_[kRecentItemsRow].menuControl.GetObject(L"Controls", &recentControls)) return;
  recentItemMenuItems_.clear();
  recentItemMenuItems_.resize(kRecentItemButtons);
  for (std::size_t k = 0; k < kRecentItemButtons; ++k) {
    CommandBarItem& item = recentItemMenuItems_[k];
    item.menuControl = AddControl(recentControls, kControlButton);
    if (item.menuControl.IsEmpty()) continue;
    item.menuControl.PutLong(L"Style", kIconAndCaption);
    buttons_.SetButtonFace(item.menuControl, kRecentItemFace);
    item.menuControl.PutBool(L"Visible", false);
    item.menuClicks =
        buttons_.ConnectClicks(item.menuControl, static_cast<int32_t>(18 + k));
  }
}

void CLegacyCommandBars::UpdateRecentItemsMenu(const std::vector<std::wstring>& captions) {
  const std::size_t shown = std::min({captions.size(), kRecentItemButtons,
                                      recentItemMenuItems_.size()});
  for (std::size_t k = 0; k < shown; ++k) {
    const ExcelObject& button = recentItemMenuItems_[k].menuControl;
    button.PutText(L"Caption", captions[k]);
    button.PutBool(L"Visible", true);
  }
  for (std::size_t k = shown; k < recentItemMenuItems_.size(); ++k) {
    if (!recentItemMenuItems_[k].menuControl.PutBool(L"Visible", false)) break;
  }
}

void CLegacyCommandBars::BuildCellContextMenu() {
  ExcelObject bars;
  ExcelObject cell;
  if (!application_.GetObject(L"CommandBars", &bars) ||
      !bars.GetObject(L"Item", &cell, {CVariant(L"Cell")})) {
    return;
  }
  CVariant ignored;
  cell.CallMethod(L"Reset", &ignored);
  ExcelObject cellControls;
  if (!cell.GetObject(L"Controls", &cellControls)) return;
  ExcelObject popup = AddControl(cellControls, kControlPopup);
  ExcelObject popupControls;
  if (popup.IsEmpty()) return;
  popup.PutText(L"Caption", kProductCaption);
  popup.PutBool(L"BeginGroup", true);
  cellMenuPopup_ = std::move(popup);
  if (!cellMenuPopup_.GetObject(L"Controls", &popupControls)) return;
  for (const CommandTableEntry& entry : kCellMenuTable) {
    CommandBarItem item;
    item.menuControl = AddControl(popupControls, kControlButton);
    if (item.menuControl.IsEmpty()) continue;
    item.menuControl.PutLong(L"Style", kIconAndCaption);
    item.menuControl.PutText(L"Caption", entry.caption);
    if (entry.beginGroup) item.menuControl.PutBool(L"BeginGroup", true);
    if (entry.face != 0) buttons_.SetButtonFace(item.menuControl, entry.face);
    item.menuClicks = buttons_.ConnectClicks(item.menuControl, entry.command);
    cellMenuItems_.push_back(std::move(item));
  }
}

std::optional<ToolbarPlacement> CLegacyCommandBars::ReadToolbarPlacement() const {
  if (toolbar_.IsEmpty()) return std::nullopt;
  ToolbarPlacement placement;
  toolbar_.GetBool(L"Visible", &placement.visible);
  toolbar_.GetLong(L"RowIndex", &placement.rowIndex);
  toolbar_.GetLong(L"Position", &placement.position);
  toolbar_.GetLong(L"Left", &placement.left);
  toolbar_.GetLong(L"Top", &placement.top);
  return placement;
}

std::optional<ToolbarButtonPlace> CLegacyCommandBars::ButtonPlace(std::size_t row) const {
  bool visible = false;
  if (row >= commandItems_.size() || !toolbar_.GetBool(L"Visible", &visible) || !visible) {
    return std::nullopt;
  }
  const ExcelObject& button = commandItems_[row].toolbarControl;
  ToolbarButtonPlace place;
  if (!button.GetLong(L"Left", &place.left) || !button.GetLong(L"Top", &place.top) ||
      !button.GetLong(L"Height", &place.height)) {
    return std::nullopt;
  }
  return place;
}
