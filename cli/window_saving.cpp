// Saving a trace window's branch, as its context menu's "Save branch in file" and "Save branch
// on separate worksheet" do for the top item.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/cli_desktop.h"
#include "cli/output_file.h"
#include "cli/window_view.h"
#include "export/branch_saving_manager.h"
#include "export/branch_storage_file.h"
#include "export/branch_storage_sheet.h"
#include "export/clipboard_route.h"
#include "export/path_writer.h"
#include "formula/address_parser.h"
#include "platform/text_encoding.h"

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

// A folder of its own, so that runs side by side do not share the route's file; empty when
// none can be made.
std::string PrivateFolder() {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / "trelvane-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// The address with its sheet, or its span of sheets for a 3-D reference ("Sheet1:Sheet3!A1").
// Whole columns and rows go without a sheet, as FormatAddress writes them.
std::wstring PathAddress(const CDependencyContainer& container, const CellReference& reference) {
  const std::wstring_view first = container.Structure().SheetNameOf(reference.first.sheet);
  const std::wstring address =
      CAddressParser::FormatAddress(reference.first, reference.last, first);
  if (reference.first.sheet == reference.last.sheet ||
      address == CAddressParser::FormatAddress(reference.first, reference.last, L"")) {
    return address;
  }
  return CAddressParser::FormatRangeAddress(
      first, container.Structure().SheetNameOf(reference.last.sheet), reference.first.column,
      reference.last.column, reference.first.row, reference.last.row);
}

}  // namespace

std::string SavedText(CDependencyContainer& container, const std::wstring& fileName,
                      const std::function<void(CBranchStorageFile&)>& write) {
  const std::string folder = PrivateFolder();
  if (folder.empty()) return {};
  CCliClipboard clipboard;
  CopyThroughFile(folder, fileName, container, clipboard, write);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return clipboard.Bytes().value_or(std::string());
}

bool WriteSavedText(CDependencyContainer& container, const std::wstring& fileName,
                    const std::function<void(CBranchStorageFile&)>& write,
                    const std::string& output) {
  const std::string folder = PrivateFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "trelvane: cannot make a temporary folder for the saved text\n");
    return false;
  }
  const fs::path file = fs::path(folder) / fileName;
  {
    CBranchStorageFile storage;
    storage.SetPath(file);
    storage.SetContainer(&container);
    write(storage);
  }
  const bool written =
      WriteOutputStream([&file](std::FILE* to) { return CopyFileBytes(file, to); }, output);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return written;
}

std::string PathBytes(CDependencyContainer& container, const std::vector<CellReference>& path) {
  return SavedText(container, kPathClipboardFile,
                   [&](CBranchStorageFile& storage) { SavePath(storage, container, path); });
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

bool CTraceWindowView::WriteBranch(const std::string& output) {
  bool skipRoot = false;
  const CellReference root = BranchRoot(&skipRoot);
  return WriteSavedText(
      *request_.container, kBranchClipboardFile,
      [&](CBranchStorageFile& storage) {
        SaveBranch(*request_.container, request_.kind, root, skipRoot, storage);
      },
      output);
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

bool CEvaluateWindowView::WriteBranch(const std::string& output) {
  const CellReference root = BranchRoot();
  return WriteSavedText(
      *request_.container, kBranchClipboardFile,
      [&](CBranchStorageFile& storage) {
        SaveBranch(*request_.container, TraceKind::kEvaluateFormula, root, false, storage);
      },
      output);
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
    std::wstring line;
    if (reference.externalId != 0) {
      line = container.ExternalText(reference.externalId);
    } else if ((reference.flags & RefNameNotRange) != 0) {
      // A name that is no range has no cells to name: the tree shows it by its name alone.
      const NameRecord* record = container.Structure().FindName(reference.nameId);
      line = record != nullptr ? record->name : reference.text;
    } else {
      line = PathAddress(container, reference);
      if (!reference.text.empty()) line = reference.text + L" (" + line + L")";
    }
    out += WideToUtf8(line) + "\n";
  }
  return out;
}
