// Saving a branch or a path to the clipboard: the text is written as a file in the temporary
// folder, read back as bytes and handed over as ANSI text.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "export/branch_storage_file.h"
#include "formula/cell_reference.h"
#include "platform/clipboard.h"

inline constexpr wchar_t kBranchClipboardFile[] = L"tv_branch.txt";
inline constexpr wchar_t kPathClipboardFile[] = L"tv_path.txt";

// Runs `write` on a file storage for `fileName` in `folder`, then gives the file's bytes to the
// clipboard when there is at least one, and deletes the file. False when nothing reached the
// clipboard (no file, an empty one, or the clipboard refused).
bool CopyThroughFile(const std::filesystem::path& folder, const std::wstring& fileName,
                     CDependencyContainer& container, IClipboard& clipboard,
                     const std::function<void(CBranchStorageFile&)>& write);

// The branch under `root` as the manager writes it, through "tv_branch.txt" in the user's
// temporary folder.
bool SaveBranchInClipboard(CDependencyContainer& container, TraceKind kind,
                           const CellReference& root, bool skipRoot, IClipboard& clipboard);
// The path from the root, through "tv_path.txt".
bool SavePathInClipboard(CDependencyContainer& container, const std::vector<CellReference>& path,
                         IClipboard& clipboard);
