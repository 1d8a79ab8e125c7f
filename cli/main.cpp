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
#include "cli/trace_command.h"
#endif

namespace {

constexpr int kExitUsageError = 2;

#ifndef _WIN32
struct TraceCommandEntry {
  const char* name;
  TraceKind kind;
  bool takesCell;
  const char* description;
};

const TraceCommandEntry kTraceCommands[] = {
    {"precedents", TraceKind::kPrecedents, true,
     "The cells a cell's formula reads, level by level"},
    {"dependents", TraceKind::kDependents, true, "The formulas that read a cell, level by level"},
    {"inputs", TraceKind::kInputs, true, "The constant cells a cell's value comes from"},
    {"trace-error", TraceKind::kTraceError, true, "Where a cell's error value comes from"},
    {"errors", TraceKind::kErrorCells, false, "Every formula cell whose value is an error"},
    {"chain", TraceKind::kCalculationChain, false, "The workbook's formulas in calculation order"},
};
#endif

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app{"Trelvane: formula auditing for Excel workbooks", "trelvane"};
    app.set_version_flag("--version", std::string("trelvane ") + TRELVANE_VERSION);
    app.require_subcommand(0, 1);
    bool noProgress = false;
#ifndef _WIN32
    TraceOptions options;
    int depth = 0;
    const std::map<std::string, TraceFormat> formats{{"tree", TraceFormat::kTree},
                                                     {"json", TraceFormat::kJson}};
    std::vector<std::pair<CLI::App*, const TraceCommandEntry*>> commands;
    for (const TraceCommandEntry& entry : kTraceCommands) {
      CLI::App* command = app.add_subcommand(entry.name, entry.description);
      command->add_option("WORKBOOK", options.workbook, "The .xlsx or .xlsm file")->required();
      if (entry.takesCell) {
        command->add_option("CELL", options.cell, "Sheet1!B3, 'My Sheet'!B3 or B3 (first sheet)")
            ->required();
      }
      command->add_option("--format", options.format, "tree or json")
          ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
          ->default_str("tree");
      command->add_option("--depth", depth, "Levels to expand (all when not given)")
          ->check(CLI::PositiveNumber);
      command->add_option("--output", options.output, "Write to FILE instead of stdout");
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
      options.kind = entry->kind;
      if (depth > 0) options.depth = depth;
      return RunTraceCommand(options);
    }
#endif
    if (argc == 1) std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "trelvane: %s\n", error.what());
    return 1;
  }
}
