// CZipReader: the entries of a zip archive, opened read-only and inflated in pieces under the
// bounds of XlsxReadLimits (total inflated bytes, bytes per entry, compression ratio), which are
// checked as the bytes come, so a zip bomb is refused long before it is inflated in full.
//
// Entry names written with "\" for "/" ("xl\worksheets\sheet1.xml", as some writers other than
// Excel save them) are found under their "/" names: zip names and part names both separate
// folders with "/" only and no part name holds a "\", so the backslash can only be a folder
// separator. An archive where two entries would then share a name is refused as ambiguous.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

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
  // The first entry name written with backslashes, or "" when there is none.
  const std::string& BackslashName() const { return backslashName_; }

  // Inflates entry `name` and hands it to `sink` piece by piece; a sink that returns false ends
  // the read early (its owner knows why). Empty text on success, else why the entry could not be
  // read: missing, damaged, encrypted or past a limit.
  using Sink = std::function<bool(std::string_view piece)>;
  std::string Read(std::string_view name, const Sink& sink);

 private:
  CZipReader(zip* archive, const XlsxReadLimits& limits) : archive_(archive), limits_(limits) {}
  std::int64_t Locate(std::string_view name) const;
  std::string IndexBackslashNames(std::uint64_t entries);

  zip* archive_;  // Owned; discarded (never written back) on destruction.
  XlsxReadLimits limits_;
  std::uint64_t inflatedTotal_ = 0;
  std::string backslashName_;
  // Only for archives with backslash names: every entry by its "/" name in lower case.
  std::unordered_map<std::string, std::uint64_t> slashNames_;
};

}  // namespace spreadsheet
