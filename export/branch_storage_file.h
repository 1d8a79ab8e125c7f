// CBranchStorageFile: a saved branch as a text file in Windows-1252, one line per entry, CRLF line
// ends, no byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "container/dependency_container.h"
#include "export/branch_storage.h"

// The text goes to a temporary file beside the target, which Close renames onto the target: a
// save that fails or is never closed leaves an older file of that name as it was. The container
// is borrowed for its sheet names and must outlive the storage.
class CBranchStorageFile final : public CBranchStorage {
 public:
  // Text is held in memory until the buffer passes this many characters, so a long branch never
  // sits in memory whole.
  static constexpr std::size_t kFlushThreshold = 10000;

  CBranchStorageFile() = default;
  // Without Close the temporary file is removed and the target left alone.
  ~CBranchStorageFile() override;
  CBranchStorageFile(const CBranchStorageFile&) = delete;
  CBranchStorageFile& operator=(const CBranchStorageFile&) = delete;

  void SetPath(std::filesystem::path path) { path_ = std::move(path); }
  void SetContainer(CDependencyContainer* container) { container_ = container; }
  const std::filesystem::path& Path() const { return path_; }

  // Fails without a container or a path, or when the temporary file cannot be made.
  bool Open() override;
  // Flushes, closes and puts the file in place; false when any of it failed (the target is then
  // left as it was). Write errors are not reported otherwise.
  void Close() override { Finish(); }
  bool Finish();

  void WriteRange(const CellPos& first, const CellPos& last, const std::wstring& name,
                  std::uint32_t depth, bool expandedAbove) override;
  void WriteCell(const CellPos& position, const std::wstring& name, const std::wstring& formula,
                 const std::wstring& value, std::uint32_t depth, bool expandedAbove) override;
  void WriteExpression(const std::wstring& text, const std::wstring& value,
                       std::uint32_t depth) override;
  void WriteText(const std::wstring& text, std::uint32_t depth) override;
  void WriteName(const std::wstring& name, const std::wstring& refersTo, std::uint32_t depth,
                 bool expandedAbove) override;

 private:
  // The label, then the formula and the value each after a space when not empty.
  void WriteCellLine(const std::wstring& label, const std::wstring& formula,
                     const std::wstring& value, std::uint32_t depth);
  // The buffer for the next line: flushed first once it holds more than the threshold, then
  // given the line's indent.
  std::wstring& BeginLine(std::uint32_t depth);
  void Flush();
  void Discard();

  std::filesystem::path path_;
  std::filesystem::path temporary_;
  CDependencyContainer* container_ = nullptr;  // Borrowed.
  std::ofstream file_;
  std::wstring buffer_;
};
