// trelvane: audits the formulas of .xlsx workbooks from the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/terminal_progress_display.h"
#ifndef _WIN32
#include "cli/command_line.h"
#endif

namespace {

constexpr int kExitUsageError = 2;

#ifndef _WIN32
enum class Arguments { kCell, kNone, kColorIndex, kPath, kRange, kStyle };

struct CommandEntry {
  const char* name;
  Arguments arguments;
  const char* description;
};

const CommandEntry kCommands[] = {
    {"precedents", Arguments::kCell, "The cells a cell's formula reads, level by level"},
    {"dependents", Arguments::kCell, "The formulas that read a cell, level by level"},
    {"inputs", Arguments::kCell, "The constant cells a cell's value comes from"},
    {"trace-error", Arguments::kCell, "Where a cell's error value comes from"},
    {"errors", Arguments::kNone, "Every formula cell whose value is an error"},
    {"chain", Arguments::kNone, "The workbook's formulas in calculation order"},
    {"evaluate", Arguments::kCell, "A formula broken into its parts, each with its value"},
    {"fill-color", Arguments::kColorIndex,
     "The fill colours in use, or the cells of one colour index"},
    {"font-color", Arguments::kColorIndex,
     "The font colours in use, or the cells of one colour index"},
    {"path", Arguments::kPath, "How one cell reaches another in a trace"},
    {"transpose", Arguments::kRange, "Turns a range over its diagonal, into a copy"},
    {"style", Arguments::kStyle, "Applies a cell style to a trace's branch, into a copy"},
    {"copy-address", Arguments::kRange, "The range's address as Copy Address puts it"},
};

const std::map<std::string, OutputFormat> kFormats{
    {"tree", OutputFormat::kTree}, {"json", OutputFormat::kJson}, {"branch", OutputFormat::kBranch}};
const std::vector<std::string> kTraceKinds{"precedents", "dependents", "inputs"};

void AddArguments(CLI::App& command, const CommandEntry& entry, CommandLine& line, int& index) {
  command.add_option("WORKBOOK", line.workbook, "The .xlsx or .xlsm file")->required();
  switch (entry.arguments) {
    case Arguments::kCell:
      command.add_option("CELL", line.cell, "Sheet1!B3, 'My Sheet'!B3:C4 or B3 (first sheet)")
          ->required();
      break;
    case Arguments::kRange:
      command.add_option("RANGE", line.cell, "Sheet1!B3:C4, 'My Sheet'!B3 or B3 (first sheet)")
          ->required();
      break;
    case Arguments::kColorIndex:
      command.add_option("INDEX", index, "The colour index to list the cells of")
          ->check(CLI::PositiveNumber);
      break;
    case Arguments::kPath:
      command.add_option("FROM", line.cell, "The trace's root cell")->required();
      command.add_option("TO", line.second, "The cell to find in the trace")->required();
      break;
    case Arguments::kStyle:
      command.add_option("CELL", line.cell, "The trace's root cell")->required();
      command.add_option("STYLE", line.second, "A style of the workbook, by name or number")
          ->required();
      command.add_option("--path-to", line.pathTo,
                         "Style only the path from the root to this cell");
      break;
    case Arguments::kNone:
      break;
  }
  if (entry.arguments == Arguments::kPath || entry.arguments == Arguments::kStyle) {
    command.add_option("--kind", line.kind, "precedents, dependents or inputs")
        ->check(CLI::IsMember(kTraceKinds));
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app{"Trelvane: formula auditing for Excel workbooks", "trelvane"};
    app.set_version_flag("--version", std::string("trelvane ") + TRELVANE_VERSION);
    app.require_subcommand(0, 1);
    bool noProgress = false;
#ifndef _WIN32
    CommandLine line;
    int depth = 0;
    int colorIndex = 0;
    std::vector<std::pair<CLI::App*, const CommandEntry*>> commands;
    for (const CommandEntry& entry : kCommands) {
      CLI::App* command = app.add_subcommand(entry.name, entry.description);
      AddArguments(*command, entry, line, colorIndex);
      command->add_option("--format", line.format, "tree, json or branch (the saved text file)")
          ->transform(CLI::CheckedTransformer(kFormats, CLI::ignore_case))
          ->default_str("tree");
      command->add_option("--output", line.output, "Write to FILE instead of stdout");
      command->add_option("--save-sheet", line.saveSheet,
                          "Save the branch on a new worksheet, into this copy of the workbook");
      command->add_option("--depth", depth, "Levels to expand (all when not given)")
          ->check(CLI::PositiveNumber);
      command->add_flag("--highlight-errors", line.highlightErrors,
                        "Mark the cells that hold error values");
      command->add_flag("--filter-errors", line.filterErrors,
                        "Show only the cells that hold error values");
      command->add_flag("--no-progress", noProgress, "Show no progress line");
      commands.emplace_back(command, &entry);
    }
#endif
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
      const int code = app.exit(error);
      return code == 0 ? 0 : kExitUsageError;
    }
    if (!noProgress) {
      SetProgressDisplayFactory([] { return std::make_unique<CTerminalProgressDisplay>(); });
    }
    CTerminalProgressDisplay::InstallInterruptHandler();
#ifndef _WIN32
    for (const auto& [command, entry] : commands) {
      if (!command->parsed()) continue;
      line.command = entry->name;
      if (depth > 0) line.depth = depth;
      if (colorIndex > 0) line.colorIndex = colorIndex;
      return RunCommand(line);
    }
#endif
    if (argc == 1) std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "trelvane: %s\n", error.what());
    return 1;
  }
}
