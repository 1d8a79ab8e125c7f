// CZipWriter: writes a zip package (a .xlsx file) to a temporary file beside its target and
// renames it over the target only when every part has been written.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct zip;

namespace spreadsheet {

struct ZipPartSource;

// Renders one part's bytes into an empty buffer.
using PartRenderer = std::function<void(std::string& out)>;

// Parts are rendered in the order they were added, one at a time, while Commit compresses them:
// each part's text lives only while it is being compressed, so memory stays near the size of
// the largest part. Sizes are known before compression, so no ZIP64 headers are written.
//
// Invariant: until Commit succeeds the target is untouched; a writer destroyed without a
// successful Commit removes its temporary file.
class CZipWriter {
 public:
  explicit CZipWriter(std::filesystem::path target);
  ~CZipWriter();
  CZipWriter(const CZipWriter&) = delete;
  CZipWriter& operator=(const CZipWriter&) = delete;

  // Creates the temporary file. An error text (naming the file) on failure, else empty.
  std::wstring Open();
  // `name` is the part's path inside the package, without a leading "/".
  std::wstring AddPart(const std::string& name, PartRenderer render);
  // Renders and compresses every part, then replaces the target. An error text on failure.
  std::wstring Commit();

 private:
  std::wstring Failure(const std::wstring& what) const;
  void Discard();

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  zip* archive_ = nullptr;                             // Owned; closed by Commit or discarded.
  std::vector<std::unique_ptr<ZipPartSource>> parts_;  // Referred to by libzip until the close.
  std::time_t modified_ = 0;
  unsigned createdMode_ = 0;  // Permission bits the temporary file got from the umask.
  bool committed_ = false;
};

}  // namespace spreadsheet
