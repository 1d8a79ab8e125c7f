// The clipboard route through a temporary file.
#include "export/clipboard_route.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "export/branch_saving_manager.h"
#include "export/path_writer.h"

namespace {

std::filesystem::path TemporaryFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  // Without one the current folder serves.
  return error ? std::filesystem::path() : folder;
}

bool ReadBytes(const std::filesystem::path& file, std::string* bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

bool CopyThroughFile(const std::filesystem::path& folder, const std::wstring& fileName,
                     CDependencyContainer& container, IClipboard& clipboard,
                     const std::function<void(CBranchStorageFile&)>& write) {
  const std::filesystem::path file = folder / fileName;
  std::error_code ignored;
  // A file left by an earlier run must not reach the clipboard when this save fails.
  std::filesystem::remove(file, ignored);
  {
    CBranchStorageFile storage;
    storage.SetPath(file);
    storage.SetContainer(&container);
    write(storage);
  }
  std::string bytes;
  const bool read = ReadBytes(file, &bytes);
  std::filesystem::remove(file, ignored);
  if (!read || bytes.empty()) return false;
  return clipboard.SetAnsiText(bytes);
}

bool SaveBranchInClipboard(CDependencyContainer& container, TraceKind kind,
                           const CellReference& root, bool skipRoot, IClipboard& clipboard) {
  return CopyThroughFile(TemporaryFolder(), kBranchClipboardFile, container, clipboard,
                         [&](CBranchStorageFile& storage) {
                           CBranchSavingManager manager;
                           manager.SetKind(kind);
                           manager.SetStorage(&storage);
                           manager.SetContainer(&container);
                           manager.SetRoot(root, skipRoot);
                           manager.Save();
                         });
}

bool SavePathInClipboard(CDependencyContainer& container, const std::vector<CellReference>& path,
                         IClipboard& clipboard) {
  return CopyThroughFile(TemporaryFolder(), kPathClipboardFile, container, clipboard,
                         [&](CBranchStorageFile& storage) { SavePath(storage, container, path); });
}
