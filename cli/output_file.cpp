#include "cli/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Copies go through a buffer of this size, so a large result never sits in memory whole.
constexpr size_t kCopyBuffer = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Why `target` cannot be written, as a person would say it.
std::string Reason(const fs::path& target, int error) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ignored;
  if (!fs::exists(folder, ignored)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folder, ignored)) return folder.string() + " is not a folder";
  return error != 0 ? std::strerror(error) : "the write failed";
}

void ReportFailure(const std::string& output, const std::string& reason) {
  std::fprintf(stderr, "trelvane: cannot write %s: %s\n", output.c_str(), reason.c_str());
}

}  // namespace

bool WriteOutputStream(const std::function<bool(std::FILE*)>& write, const std::string& output) {
  if (output.empty()) {
    const bool written = write(stdout);
    return std::fflush(stdout) == 0 && written;
  }
  const fs::path target(output);
  const fs::path temporary =
      fs::path(target).concat(".tmp" + std::to_string(static_cast<long>(getpid())));
  std::error_code ignored;
  {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
      ReportFailure(output, Reason(target, errno));
      return false;
    }
    const bool written = write(file.get());
    const int error = errno;
    if (!written || std::fflush(file.get()) != 0 || std::ferror(file.get()) != 0) {
      file.reset();
      fs::remove(temporary, ignored);
      ReportFailure(output, Reason(target, error));
      return false;
    }
    if (std::fclose(file.release()) != 0) {
      fs::remove(temporary, ignored);
      ReportFailure(output, Reason(target, errno));
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, ignored);
    ReportFailure(output, error.message());
    return false;
  }
  return true;
}

bool WriteOutput(const std::string& bytes, const std::string& output) {
  return WriteOutputStream(
      [&bytes](std::FILE* to) {
        return std::fwrite(bytes.data(), 1, bytes.size(), to) == bytes.size();
      },
      output);
}

bool CopyFileBytes(const fs::path& file, std::FILE* to) {
  std::error_code ignored;
  if (!fs::exists(file, ignored)) return true;  // nothing was written
  std::unique_ptr<std::FILE, FileCloser> from(std::fopen(file.c_str(), "rb"));
  if (!from) return false;
  std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
  size_t read = 0;
  while ((read = std::fread(buffer.get(), 1, kCopyBuffer, from.get())) > 0) {
    if (std::fwrite(buffer.get(), 1, read, to) != read) return false;
  }
  return std::ferror(from.get()) == 0;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}
