// The shared corpus of workbooks saved by Excel, kept beside the repository and never copied into
// it: its folder and its workbooks. Suites skip when the folder is absent. Needs the compile
// definition TRELVANE_SOURCE_DIR, which every test and benchmark target has.
#pragma once

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace test_support {

inline std::filesystem::path CorpusFolder() {
  return std::filesystem::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";
}

// The corpus's .xlsx files (and .xlsm ones when asked) in name order, so that every run walks
// them alike; none when the folder is absent.
inline std::vector<std::filesystem::path> CorpusWorkbooks(bool withMacroEnabled = false) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusFolder(), error)) {
    const auto extension = entry.path().extension();
    if (extension == ".xlsx" || (withMacroEnabled && extension == ".xlsm")) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace test_support
