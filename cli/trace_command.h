// The trace commands: one workbook, one kind of trace, printed as a tree or as JSON.
#pragma once

#include <optional>
#include <string>

#include "engine/related.h"

// Exit codes beyond 0.
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreadable = 3;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

enum class TraceFormat { kTree, kJson };

struct TraceOptions {
  TraceKind kind = TraceKind::kPrecedents;
  std::string workbook;
  std::string cell;  // empty for the whole-workbook lists
  TraceFormat format = TraceFormat::kTree;
  std::optional<int> depth;  // nothing expands every level
  std::string output;        // empty writes to stdout
};

// Runs the trace and returns the process's exit code; messages go to stderr.
int RunTraceCommand(const TraceOptions& options);
