// Writing saved branches as Windows-1252 text through a temporary file.
#include "export/branch_storage_file.h"

#include <system_error>

#include "export/branch_address.h"
#include "platform/text_encoding.h"

namespace {

// A name beside the target that no file holds yet: the target's name, a marker and a number.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::error_code ignored;
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path candidate = target;
    candidate += L".tv-save";
    if (attempt > 0) candidate += std::to_wstring(attempt);
    candidate += L".tmp";
    if (!std::filesystem::exists(candidate, ignored)) return candidate;
  }
}

}  // namespace

CBranchStorageFile::~CBranchStorageFile() {
  Discard();
}

bool CBranchStorageFile::Open() {
  if (container_ == nullptr || path_.empty()) return false;
  Discard();
  temporary_ = TemporaryBeside(path_);
  file_.open(temporary_, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!file_.is_open()) {
    temporary_.clear();
    return false;
  }
  buffer_.clear();
  return true;
}

bool CBranchStorageFile::Finish() {
  if (!file_.is_open()) return false;
  Flush();
  file_.close();
  if (file_.fail()) {
    Discard();
    return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) {
    // Some runtimes refuse to rename onto an existing file; the new text is complete by now, so
    // the old file may go first.
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    error.clear();
    std::filesystem::rename(temporary_, path_, error);
  }
  if (error) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void CBranchStorageFile::Discard() {
  if (file_.is_open()) file_.close();
  file_.clear();
  buffer_.clear();
  if (temporary_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
  temporary_.clear();
}

void CBranchStorageFile::Flush() {
  if (buffer_.empty() || !file_.is_open()) return;
  const std::string bytes = WideToWindows1252(buffer_);
  file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  buffer_.clear();
}

std::wstring& CBranchStorageFile::BeginLine(std::uint32_t depth) {
  if (buffer_.size() > kFlushThreshold) Flush();
  buffer_.append(depth, L' ');
  return buffer_;
}

void CBranchStorageFile::WriteRange(const CellPos& first, const CellPos& last,
                                    const std::wstring& name, std::uint32_t depth,
                                    bool expandedAbove) {
  if (!file_.is_open()) return;
  std::wstring& line = BeginLine(depth);
  line += BranchLabel(container_->Structure().SheetsByIndex(), first, last, name);
  if (expandedAbove) line += kExpandedAboveMark;
  line += L"\r\n";
}

void CBranchStorageFile::WriteCell(const CellPos& position, const std::wstring& name,
                                   const std::wstring& formula, const std::wstring& value,
                                   std::uint32_t depth, bool expandedAbove) {
  if (!file_.is_open()) return;
  std::wstring label = BranchLabel(container_->Structure().SheetsByIndex(), position, position, name);
  if (expandedAbove) label += kExpandedAboveMark;
  WriteCellLine(label, formula, value, depth);
}

void CBranchStorageFile::WriteName(const std::wstring& name, const std::wstring& refersTo,
                                   std::uint32_t depth, bool expandedAbove) {
  WriteCellLine(expandedAbove ? name + kExpandedAboveMark : name, L"", refersTo, depth);
}

void CBranchStorageFile::WriteCellLine(const std::wstring& label, const std::wstring& formula,
                                       const std::wstring& value, std::uint32_t depth) {
  if (!file_.is_open()) return;
  std::wstring& line = BeginLine(depth);
  line += label;
  if (!formula.empty()) line += L' ' + formula;
  if (!value.empty()) line += L' ' + value;
  line += L"\r\n";
}

void CBranchStorageFile::WriteExpression(const std::wstring& text, const std::wstring& value,
                                         std::uint32_t depth) {
  if (!file_.is_open()) return;
  BeginLine(depth) += text + L" = " + value + L"\r\n";
}

void CBranchStorageFile::WriteText(const std::wstring& text, std::uint32_t depth) {
  if (!file_.is_open()) return;
  BeginLine(depth) += text + L"\r\n";
}
