// trelvane: audits the formulas of .xlsx workbooks from the command line.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/exit_codes.h"

#ifndef _WIN32
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "cli/terminal_progress.h"
#endif

namespace {

#ifndef _WIN32
const std::map<std::string, OutputFormat> kFormats{
    {"tree", OutputFormat::kTree},
    {"json", OutputFormat::kJson},
    {"jsonl", OutputFormat::kJsonLines},
    {"branch", OutputFormat::kBranch}};
const std::vector<std::string> kTraceKinds{"precedents", "dependents", "inputs"};

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// "a, b or c".
std::string Choices(const std::vector<std::string>& words) {
  std::string text;
  for (size_t i = 0; i < words.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
  }
  return text;
}

// One of `words`, in any case; the message says which are taken.
CLI::Validator OneOf(std::vector<std::string> words) {
  return CLI::Validator(
      [words](std::string& value) -> std::string {
        const std::string lowered = Lowered(value);
        if (std::find(words.begin(), words.end(), lowered) == words.end()) {
          return "takes " + Choices(words) + ", not " + value;
        }
        value = lowered;
        return {};
      },
      Choices(words));
}

// A whole number from 1 up; `what` names what it counts.
CLI::Validator Counting(const std::string& what) {
  return CLI::Validator(
      [what](std::string& value) -> std::string {
        size_t used = 0;
        long number = 0;
        try {
          number = std::stol(value, &used);
        } catch (const std::exception&) {
          used = 0;
        }
        if (used == 0 || used != value.size() || number < 1 || number > 1000000000L) {
          return "takes " + what + " from 1 up, not " + value;
        }
        return {};
      },
      "NUMBER");
}

const char* const kCellHelp =
    "Sheet1!B3, 'My Sheet'!B3:C4, B3 (first visible sheet), a defined name or a table";

void AddArguments(CLI::App& command, const CommandEntry& entry, CommandLine& line, int& index) {
  command.add_option("WORKBOOK", line.workbook, "The .xlsx or .xlsm file")->required();
  switch (entry.arguments) {
    case Arguments::kCell:
      command.add_option("CELL", line.cell, kCellHelp)->required();
      break;
    case Arguments::kRange:
      command.add_option("RANGE", line.cell, kCellHelp)->required();
      break;
    case Arguments::kColorIndex:
      command.add_option("INDEX", index, "The colour index to list the cells of")
          ->check(Counting("a colour index"));
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
    case Arguments::kSheets:
      break;
  }
  if (entry.arguments == Arguments::kPath || entry.arguments == Arguments::kStyle) {
    command.add_option("--kind", line.kind, "precedents, dependents or inputs")
        ->transform(OneOf(kTraceKinds));
  }
}

// The options every command but `sheets` takes.
void AddTraceOptions(CLI::App& command, CommandLine& line, int& depth, bool& noProgress) {
  command.add_option("--save-sheet", line.saveSheet,
                     "Save the branch on a new worksheet, into this copy of the workbook");
  command.add_option("--depth", depth, "Levels to expand (all when not given)")
      ->check(Counting("a number of levels"));
  command.add_flag("--highlight-errors", line.highlightErrors,
                   "Mark the cells that hold error values (\"! \" before the line)");
  command.add_flag("--filter-errors", line.filterErrors,
                   "Show only the cells that hold error values (highlighted)");
  command.add_flag("--no-progress", noProgress, "Show no progress line");
}
#endif

// "The file" as "the file" in the middle of a sentence; "Sheet1!B3" stays as it is.
std::string MidSentence(std::string text) {
  const size_t word = text.find(' ');
  const std::string first = text.substr(0, word);
  if (!first.empty() && std::all_of(first.begin(), first.end(),
                                    [](unsigned char c) { return std::isalpha(c) != 0; })) {
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  }
  return text;
}

// The words of CLI11's list of unexpected arguments, which it gives last first.
std::string InGivenOrder(const std::string& list) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < list.size()) {
    const size_t end = std::min(list.find(' ', start), list.size());
    if (end > start) words.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  std::string text;
  for (auto it = words.rbegin(); it != words.rend(); ++it) text += (text.empty() ? "" : " ") + *it;
  return text;
}

// A parse error as a person would say it, after "trelvane COMMAND: ".
std::string UsageText(const CLI::App& command, const CLI::Error& error) {
  const std::string what = error.what();
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    const size_t end = what.find(" is required");
    const std::string name = what.substr(0, end);
    const CLI::Option* option =
        end == std::string::npos ? nullptr : command.get_option_no_throw(name);
    if (option != nullptr)
      return "missing " + name + " (" + MidSentence(option->get_description()) + ")";
    return "missing " + name;
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    const size_t colon = what.find(": ");
    return "does not take " +
           (colon == std::string::npos ? what : InGivenOrder(what.substr(colon + 2)));
  }
  if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
    // "--depth: takes ..." reads as "--depth takes ...".
    const size_t colon = what.find(": ");
    if (colon != std::string::npos) return what.substr(0, colon) + " " + what.substr(colon + 2);
  }
  return what;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App app{"Trelvane: formula auditing for Excel workbooks", "trelvane"};
    app.set_version_flag("--version", std::string("trelvane ") + TRELVANE_VERSION);
    app.require_subcommand(0, 1);
#ifndef _WIN32
    bool noProgress = false;
    CommandLine line;
    int depth = 0;
    int colorIndex = 0;
    std::vector<std::pair<CLI::App*, const CommandEntry*>> commands;
    for (const CommandEntry& entry : kCommands) {
      CLI::App* command = app.add_subcommand(entry.name, entry.description);
      AddArguments(*command, entry, line, colorIndex);
      const bool sheets = entry.arguments == Arguments::kSheets;
      command
          ->add_option("--format", line.format,
                       sheets ? "tree or json"
                              : "tree, json, jsonl (a trace's items a line each) or branch (the "
                                "saved text file)")
          // Transforms added later run first: the readable check, then the mapping.
          ->transform(CLI::CheckedTransformer(kFormats))
          ->transform(OneOf(sheets ? std::vector<std::string>{"tree", "json"}
                                   : std::vector<std::string>{"tree", "json", "jsonl", "branch"}))
          ->default_str("tree");
      command->add_option("--output", line.output, "Write to FILE instead of stdout");
      if (sheets) {
        command->add_flag("--no-progress", noProgress, "Show no progress line");
      } else {
        AddTraceOptions(*command, line, depth, noProgress);
      }
      commands.emplace_back(command, &entry);
    }
#endif
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
      if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
      const CLI::App* command = &app;
      for (const CLI::App* parsed : app.get_subcommands()) command = parsed;
      std::string name = "trelvane";
      if (command != &app) name += " " + command->get_name();
      if (command == &app && argc > 1 && argv[1][0] != '-') {
        std::fprintf(stderr, "trelvane: no command %s; see trelvane --help\n", argv[1]);
      } else {
        std::fprintf(stderr, "%s: %s\n(%s --help lists what it takes)\n", name.c_str(),
                     UsageText(*command, error).c_str(), name.c_str());
      }
      return kExitUsage;
    }
#ifndef _WIN32
    line.showProgress = !noProgress;
    CTerminalProgress::InstallInterruptHandler();
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
