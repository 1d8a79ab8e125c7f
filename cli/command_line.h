// One run of the trelvane command as the options parser leaves it.
#pragma once

#include <optional>
#include <string>

// kJsonLines prints a trace as JSON Lines; the other outputs are one line of JSON already, the
// same in both JSON formats.
enum class OutputFormat { kTree, kJson, kJsonLines, kBranch };

inline bool IsJson(OutputFormat format) {
  return format == OutputFormat::kJson || format == OutputFormat::kJsonLines;
}

struct CommandLine {
  std::string command;  // the subcommand's name
  std::string workbook;
  std::string cell;    // CELL, RANGE or FROM; empty for the whole-workbook lists
  std::string second;  // TO of path, STYLE of style
  std::optional<int> colorIndex;
  OutputFormat format = OutputFormat::kTree;
  std::string output;     // empty writes to stdout
  std::string saveSheet;  // a copy of the workbook with the branch on a new worksheet
  std::optional<int> depth;
  bool highlightErrors = false;
  bool filterErrors = false;
  std::string kind = "precedents";  // the trace that path and style walk
  std::string pathTo;               // style: the path's end instead of the whole branch
  bool showProgress = true;         // the status line on stderr
};

// Runs the command and returns the process's exit code; messages go to stderr.
int RunCommand(const CommandLine& line);
