#include "cli/output_file.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

bool WriteOutput(const std::string& bytes, const std::string& output) {
  if (output.empty()) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return std::fflush(stdout) == 0;
  }
  const fs::path target(output);
  const fs::path temporary =
      fs::path(target).concat(".tmp" + std::to_string(static_cast<long>(getpid())));
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      std::fprintf(stderr, "trelvane: cannot write %s\n", temporary.string().c_str());
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    std::fprintf(stderr, "trelvane: cannot write %s\n", output.c_str());
    return false;
  }
  return true;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}
