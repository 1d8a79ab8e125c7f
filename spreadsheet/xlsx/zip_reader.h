// CZipReader: the entries of a zip archive, opened read-only and inflated in pieces under the
// bounds of XlsxReadLimits (total inflated bytes, bytes per entry, compression ratio), which are
// checked as the bytes come, so a zip bomb is refused long before it is inflated in full.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "spreadsheet/xlsx/xlsx_reader_limits.h"

struct zip;

namespace spreadsheet {

class CZipReader {
 public:
  // Opens the archive at `path` for reading only; nothing on failure, and `error` says why.
  static std::unique_ptr<CZipReader> Open(const std::filesystem::path& path,
                                          const XlsxReadLimits& limits, std::string& error);
  ~CZipReader();
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;

  // Entry names compare without regard to case, as the parts of a package do.
  bool Has(std::string_view name) const;

  // Inflates entry `name` and hands it to `sink` piece by piece; a sink that returns false ends
  // the read early (its owner knows why). Empty text on success, else why the entry could not be
  // read: missing, damaged, encrypted or past a limit.
  using Sink = std::function<bool(std::string_view piece)>;
  std::string Read(std::string_view name, const Sink& sink);

 private:
  CZipReader(zip* archive, const XlsxReadLimits& limits) : archive_(archive), limits_(limits) {}
  std::int64_t Locate(std::string_view name) const;

  zip* archive_;  // Owned; discarded (never written back) on destruction.
  XlsxReadLimits limits_;
  std::uint64_t inflatedTotal_ = 0;
};

}  // namespace spreadsheet
