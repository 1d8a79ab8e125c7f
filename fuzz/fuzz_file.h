// A fuzzer's bytes as a file the reader can open by path: one memory-backed file per process,
// rewritten for every input, so that no run touches the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz_support {

class CMemoryFile {
 public:
  CMemoryFile() : fd_(memfd_create("input.xlsx", 0)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  CMemoryFile(const CMemoryFile&) = delete;
  CMemoryFile& operator=(const CMemoryFile&) = delete;

  const std::filesystem::path& Write(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) {
      std::perror("writing the input");
      std::abort();
    }
    return path_;
  }

 private:
  int fd_;
  std::filesystem::path path_;
};

}  // namespace fuzz_support
