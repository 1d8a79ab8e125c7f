#include "addin/command_ids.h"

std::optional<CommandId> CommandFromNumber(int32_t number) {
  if (number < 0 || number > static_cast<int32_t>(CommandId::kRecentItem9) || number == 6 ||
      number == 12) {
    return std::nullopt;
  }
  return static_cast<CommandId>(number);
}

bool IsPostedTraceCommand(CommandId command) {
  switch (command) {
    case CommandId::kShowDependents:
    case CommandId::kShowPrecedents:
    case CommandId::kShowInputs:
    case CommandId::kShowErrors:
    case CommandId::kTraceError:
    case CommandId::kCalculationChain:
      return true;
    default:
      return false;
  }
}
