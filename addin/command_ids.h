// The command numbers of the ribbon, menus, recent items and trace windows. They are persistent:
// recent items store them, and 0 to 9 are also the kinds of the windows they open.
#pragma once

#include <cstdint>
#include <optional>

enum class CommandId : int32_t {
  kShowDependents = 0,
  kShowPrecedents = 1,
  kShowInputs = 2,
  kShowErrors = 3,
  kTraceError = 4,
  kEvaluateFormula = 5,
  kFilterByFillColor = 7,
  kFilterByFontColor = 8,
  kCalculationChain = 9,
  kRefreshContents = 10,
  kTranspose = 11,
  kShowHelp = 13,
  kAbout = 14,
  kContactUs = 15,
  kCopyAddress = 16,
  kRecentItemsMenu = 17,
  kRecentItem0 = 18,
  kRecentItem9 = 27,
};

// The command a number names; nothing for 6, 12, negatives and numbers above 27.
std::optional<CommandId> CommandFromNumber(int32_t number);

// The commands that open a trace window through the hidden window.
bool IsPostedTraceCommand(CommandId command);
