// The trelvane command's commands: one table read by the options parser, for the arguments and
// help of each, and by the runner, for what runs it.
#pragma once

#include <optional>
#include <string_view>

#include "addin/command_ids.h"

enum class Arguments { kCell, kNone, kColorIndex, kPath, kRange, kStyle, kSheets };

struct CommandEntry {
  const char* name;
  Arguments arguments;
  const char* description;
  // The ribbon command it runs; none for the three the command line adds (path, style, sheets),
  // which its arguments tell apart.
  std::optional<CommandId> ribbon;
};

inline constexpr CommandEntry kCommands[] = {
    {"precedents", Arguments::kCell, "The cells a cell's formula reads, level by level",
     CommandId::kShowPrecedents},
    {"dependents", Arguments::kCell, "The formulas that read a cell, level by level",
     CommandId::kShowDependents},
    {"inputs", Arguments::kCell, "The constant cells a cell's value comes from",
     CommandId::kShowInputs},
    {"trace-error", Arguments::kCell, "Where a cell's error value comes from",
     CommandId::kTraceError},
    {"errors", Arguments::kNone, "Every formula cell whose value is an error",
     CommandId::kShowErrors},
    {"chain", Arguments::kNone, "The workbook's formulas in calculation order",
     CommandId::kCalculationChain},
    {"evaluate", Arguments::kCell, "A formula broken into its parts, each with its value",
     CommandId::kEvaluateFormula},
    {"fill-color", Arguments::kColorIndex,
     "The fill colours in use, or the cells of one colour index", CommandId::kFilterByFillColor},
    {"font-color", Arguments::kColorIndex,
     "The font colours in use, or the cells of one colour index", CommandId::kFilterByFontColor},
    {"path", Arguments::kPath, "How one cell reaches another in a trace", std::nullopt},
    {"transpose", Arguments::kRange, "Turns a range over its diagonal, into a copy",
     CommandId::kTranspose},
    {"style", Arguments::kStyle, "Applies a cell style to a trace's branch, into a copy",
     std::nullopt},
    {"copy-address", Arguments::kRange, "The range's address as Copy Address puts it",
     CommandId::kCopyAddress},
    {"sheets", Arguments::kSheets, "The sheets, hidden ones too: used range, formula count",
     std::nullopt},
};

// Whether the command's first argument is a cell or range the ribbon command runs on.
constexpr bool TakesCell(const CommandEntry& entry) {
  return entry.arguments == Arguments::kCell || entry.arguments == Arguments::kRange;
}

// Null for a name that is no command.
inline const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& entry : kCommands) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}
