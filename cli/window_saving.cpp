// Saving a trace window's branch, as its context menu's "Save branch in file" and "Save branch
// on separate worksheet" do for the top item.
#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "cli/cli_desktop.h"
#include "cli/window_view.h"
#include "export/clipboard_route.h"
#include "export/path_writer.h"
#include "formula/address_parser.h"
#include "platform/text_encoding.h"
#include "export/branch_saving_manager.h"
#include "export/branch_storage_file.h"
#include "export/branch_storage_sheet.h"

namespace {

namespace fs = std::filesystem;

void SaveBranch(CDependencyContainer& container, TraceKind kind, const CellReference& root,
                bool skipRoot, CBranchStorage& storage) {
  CBranchSavingManager saving;
  saving.SetKind(kind);
  saving.SetStorage(&storage);
  saving.SetContainer(&container);
  saving.SetRoot(root, skipRoot);
  saving.Save();
}

}  // namespace

std::string SavedText(CDependencyContainer& container, const std::wstring& fileName,
                      const std::function<void(CBranchStorageFile&)>& write) {
  // A folder of its own, so that runs side by side do not share the route's file.
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / "trelvane-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) return {};
  CCliClipboard clipboard;
  CopyThroughFile(pattern, fileName, container, clipboard, write);
  fs::remove_all(pattern, error);
  return clipboard.Bytes().value_or(std::string());
}

std::string PathBytes(CDependencyContainer& container, const std::vector<CellReference>& path) {
  return SavedText(container, kPathClipboardFile, [&](CBranchStorageFile& storage) {
    SavePath(storage, container, path);
  });
}

// The flat lists save their whole list from the window's query, whatever item is selected.
CellReference CTraceWindowView::BranchRoot(bool* skipRoot) const {
  *skipRoot = IsFlatListKind(request_.kind);
  if (*skipRoot) {
    CellReference query;
    const bool colour =
        request_.kind == TraceKind::kFillColor || request_.kind == TraceKind::kFontColor;
    query.first = CellPos{colour ? request_.colorIndex : 0, 0, 0};
    query.last = query.first;
    return query;
  }
  const CellReference* top = filler_->ReferenceOf(tree_.FirstChild(tree_.Root()));
  return top != nullptr ? *top : request_.root;
}

std::string CTraceWindowView::BranchBytes() {
  bool skipRoot = false;
  const CellReference root = BranchRoot(&skipRoot);
  return SavedText(*request_.container, kBranchClipboardFile, [&](CBranchStorageFile& storage) {
    SaveBranch(*request_.container, request_.kind, root, skipRoot, storage);
  });
}

void CTraceWindowView::SaveBranchOnSheet() {
  bool skipRoot = false;
  const CellReference root = BranchRoot(&skipRoot);
  CBranchStorageSheet storage;
  storage.SetContainer(request_.container.get());
  SaveBranch(*request_.container, request_.kind, root, skipRoot, storage);
}

CellReference CEvaluateWindowView::BranchRoot() const {
  const CellReference* top = filler_->ReferenceOf(tree_.FirstChild(tree_.Root()));
  return top != nullptr ? *top : request_.root;
}

std::string CEvaluateWindowView::BranchBytes() {
  const CellReference root = BranchRoot();
  return SavedText(*request_.container, kBranchClipboardFile, [&](CBranchStorageFile& storage) {
    SaveBranch(*request_.container, TraceKind::kEvaluateFormula, root, false, storage);
  });
}

void CEvaluateWindowView::SaveBranchOnSheet() {
  CBranchStorageSheet storage;
  storage.SetContainer(request_.container.get());
  SaveBranch(*request_.container, TraceKind::kEvaluateFormula, BranchRoot(), false, storage);
}

std::string PrintPathLines(const CDependencyContainer& container,
                           const std::vector<CellReference>& path) {
  std::string out;
  for (const CellReference& reference : path) {
    const std::wstring_view sheet = container.sheetNameByIndex_.Find(reference.first.sheet);
    std::wstring line = CAddressParser::FormatAddress(reference.first, reference.last, sheet);
    if (!reference.text.empty()) line = reference.text + L" (" + line + L")";
    out += WideToUtf8(line) + "\n";
  }
  return out;
}
