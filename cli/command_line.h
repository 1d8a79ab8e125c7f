// One run of the trelvane command as the options parser leaves it, and the exit codes.
#pragma once

#include <optional>
#include <string>

// Exit codes beyond 0; a message of the system shown to the user exits with 1.
inline constexpr int kExitMessage = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreadable = 3;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

enum class OutputFormat { kTree, kJson, kBranch };

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
};

// Runs the command and returns the process's exit code; messages go to stderr.
int RunCommand(const CommandLine& line);
