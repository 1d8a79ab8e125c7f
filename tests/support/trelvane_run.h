// Runs the trelvane binary as a user does, for the end-to-end suites: exit code, standard
// output and standard error.
#pragma once

#include <sys/wait.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/temporary_folder.h"

namespace test_support {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ExampleWorkbook() {
  return std::string(TRELVANE_SOURCE_DIR) + "/examples/budget.xlsx";
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// Adds --no-progress unless the command is "unknown", which tests the options parser.
inline RunResult RunTrelvane(const std::vector<std::string>& arguments) {
  CTemporaryFolder folder;
  const std::filesystem::path errors = folder / "stderr";
  std::string command = ShellQuote(TRELVANE_BINARY);
  for (const std::string& argument : arguments) command += " " + ShellQuote(argument);
  if (!arguments.empty() && arguments[0] != "unknown") command += " --no-progress";
  command += " 2>" + ShellQuote(errors.string());
  RunResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, read);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = ReadFileBytes(errors);
  return result;
}

// The run's standard output as JSON (--format json is added); the run must succeed.
inline nlohmann::json RunJson(std::vector<std::string> arguments) {
  arguments.push_back("--format");
  arguments.push_back("json");
  const RunResult result = RunTrelvane(arguments);
  EXPECT_EQ(0, result.exitCode) << result.err;
  return nlohmann::json::parse(result.out, nullptr, false);
}

// Every item of a trace document, parents before children.
inline std::vector<const nlohmann::json*> AllItems(const nlohmann::json& document) {
  std::vector<const nlohmann::json*> items;
  std::vector<const nlohmann::json*> pending;
  for (const nlohmann::json& item : document.at("items")) pending.push_back(&item);
  while (!pending.empty()) {
    const nlohmann::json* item = pending.back();
    pending.pop_back();
    items.push_back(item);
    if (item->at("children").is_array()) {
      for (const nlohmann::json& child : item->at("children")) pending.push_back(&child);
    }
  }
  return items;
}

}  // namespace test_support
