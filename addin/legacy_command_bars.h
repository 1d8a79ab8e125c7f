// The command bars of Excel before version 12, which has no ribbon: a Trelvane submenu under
// Tools, the Trelvane toolbar, a submenu of the cell context menu and a Recent Items submenu.
// Every button runs its command through its click event. All controls are temporary, so Excel
// drops them at exit; only the toolbar's placement is kept between sessions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "addin/desktop.h"
#include "addin/toolbar_settings.h"
#include "excel/excel_object.h"

struct CommandTableEntry {
  const wchar_t* caption;
  int32_t command;
  int32_t face;  // bitmap resource; 0 for none
  bool onToolbar;
  bool beginGroup;
};

// The Tools submenu and the toolbar, row by row. Row 0 is the Recent Items submenu in the menu
// and a button that pops the recent items up on the toolbar.
std::span<const CommandTableEntry> LegacyCommandTable();
// The cell context menu's submenu.
std::span<const CommandTableEntry> CellMenuTable();
inline constexpr std::size_t kRecentItemsRow = 0;
inline constexpr std::size_t kFillColorRow = 7;
inline constexpr std::size_t kFontColorRow = 8;
inline constexpr std::size_t kRecentItemButtons = 10;
inline constexpr int32_t kRecentItemFace = 1043;

// Until destroyed, a button's clicks run a command.
class IClickConnection {
 public:
  virtual ~IClickConnection() = default;
};

// What only the platform can do to a command bar button.
class ICommandBarButtons {
 public:
  virtual ~ICommandBarButtons() = default;
  // Gives the control a bitmap resource as its face.
  virtual void SetButtonFace(const ExcelObject& control, int32_t bitmapId) = 0;
  // Null when the control raises no click events (a submenu) or advising failed.
  virtual std::unique_ptr<IClickConnection> ConnectClicks(const ExcelObject& control,
                                                          int32_t command) = 0;
};

// Invariant: the click connections go before the controls they listen to.
struct CommandBarItem {
  ExcelObject menuControl;
  ExcelObject toolbarControl;
  std::unique_ptr<IClickConnection> menuClicks;
  std::unique_ptr<IClickConnection> toolbarClicks;
};

// Each build step stops quietly at the first read of Excel that fails; a single control that
// cannot be added stays empty and the writes to it fail without effect.
class CLegacyCommandBars {
 public:
  CLegacyCommandBars(const ExcelObject& application, ICommandBarButtons& buttons);
  CLegacyCommandBars(const CLegacyCommandBars&) = delete;
  CLegacyCommandBars& operator=(const CLegacyCommandBars&) = delete;

  // The Trelvane submenu of Tools, after Formula Auditing when Tools has it, else at the end.
  void BuildWorksheetMenu();
  // The Trelvane toolbar, shown and placed as the user left it.
  void BuildToolbar(const ToolbarPlacement& placement);
  // The commands in the submenu and on the toolbar, and the ten hidden Recent Items buttons.
  void BuildCommandControls();
  // The first `captions` (at most ten) shown in the Recent Items submenu, the rest hidden.
  void UpdateRecentItemsMenu(const std::vector<std::wstring>& captions);
  // The cell context menu's submenu, on the menu Excel had before (Reset first).
  void BuildCellContextMenu();

  bool HasToolbar() const { return !toolbar_.IsEmpty(); }
  // The toolbar as the user left it; a visibility that cannot be read counts as shown.
  std::optional<ToolbarPlacement> ReadToolbarPlacement() const;
  // Where a row's toolbar button is on the screen, when the toolbar is shown.
  std::optional<ToolbarButtonPlace> ButtonPlace(std::size_t row) const;
  // The Tools submenu and toolbar buttons stop listening (at shutdown); the cell menu's and the
  // Recent Items' buttons listen until this object goes.
  void DisconnectCommandItems() { commandItems_.clear(); }

 private:
  ExcelObject application_;
  ICommandBarButtons& buttons_;
  ExcelObject worksheetMenuPopup_;
  ExcelObject toolbar_;
  ExcelObject cellMenuPopup_;
  std::vector<CommandBarItem> commandItems_;
  std::vector<CommandBarItem> recentItemMenuItems_;
  std::vector<CommandBarItem> cellMenuItems_;
};
