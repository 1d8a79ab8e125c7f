// What the command line makes of a window the command handlers open: the tree, its filler, the
// view the printers read, and the window's saving of its branch.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "addin/desktop.h"
#include "cli/trace_view.h"
#include "export/branch_storage_file.h"
#include "views/evaluate_filler.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/trace_window.h"

struct WindowSwitches {
  bool highlightErrors = false;
  bool filterErrors = false;
};

class IOpenedWindow {
 public:
  virtual ~IOpenedWindow() = default;
  // Opens every level or, with a depth, that many levels; each branch once (tree_expansion.h).
  virtual void Expand(std::optional<int> depth) = 0;
  virtual const TraceView& View() const = 0;
  // "Save branch in file" of the top item: the file's bytes, written to `output` (stdout when
  // empty) piece by piece. False, with the reason on stderr, when they cannot be written.
  virtual bool WriteBranch(const std::string& output) = 0;
  // "Save branch on separate worksheet" of the top item, into the open workbook.
  virtual void SaveBranchOnSheet() = 0;
};

// A trace window or the evaluate window, as the request asks, filled.
std::unique_ptr<IOpenedWindow> OpenWindowFor(const WindowRequest& request,
                                             const WindowSwitches& switches);

class CTraceWindowView final : public IOpenedWindow {
 public:
  // Fills the tree as the window does when it is created.
  CTraceWindowView(const WindowRequest& request, const WindowSwitches& switches);
  CTraceWindowView(const CTraceWindowView&) = delete;
  CTraceWindowView& operator=(const CTraceWindowView&) = delete;

  void Expand(std::optional<int> depth) override;
  const TraceView& View() const override { return view_; }
  bool WriteBranch(const std::string& output) override;
  void SaveBranchOnSheet() override;

  const WindowRequest& Request() const { return request_; }
  CTraceTree& Tree() { return tree_; }
  CTraceFiller& Filler() { return *filler_; }
  CTraceWindowLogic& Logic() { return *logic_; }
  TreeItem Top() const { return tree_.FirstChild(tree_.Root()); }

 private:
  // The entry "Save branch" starts from, and whether the entry itself is left out.
  CellReference BranchRoot(bool* skipRoot) const;

  WindowRequest request_;
  // Each item's columns are made from its reference when printed, not fixed on the item.
  CTraceTree tree_{CTraceTree::DeferredTexts::kDropped};
  std::unique_ptr<CTraceFiller> filler_;
  std::unique_ptr<CTraceWindowLogic> logic_;
  std::set<TreeItem> repeated_;
  TraceView view_;
};

class CEvaluateWindowView final : public IOpenedWindow {
 public:
  explicit CEvaluateWindowView(const WindowRequest& request);
  CEvaluateWindowView(const CEvaluateWindowView&) = delete;
  CEvaluateWindowView& operator=(const CEvaluateWindowView&) = delete;

  void Expand(std::optional<int> depth) override;
  const TraceView& View() const override { return view_; }
  bool WriteBranch(const std::string& output) override;
  void SaveBranchOnSheet() override;

 private:
  CellReference BranchRoot() const;

  WindowRequest request_;
  CTraceTree tree_;
  std::unique_ptr<CEvaluateFiller> filler_;
  std::set<TreeItem> repeated_;
  TraceView view_;
};

// What the route to the clipboard gets when `write` saves through a file storage named
// `fileName`: the text file's bytes.
std::string SavedText(CDependencyContainer& container, const std::wstring& fileName,
                      const std::function<void(CBranchStorageFile&)>& write);
// The same file, written as the route writes it, copied to `output` without being read whole.
bool WriteSavedText(CDependencyContainer& container, const std::wstring& fileName,
                    const std::function<void(CBranchStorageFile&)>& write,
                    const std::string& output);
// "Save path from root node" as the text file holds it.
std::string PathBytes(CDependencyContainer& container, const std::vector<CellReference>& path);
// The path as lines of addresses, for a terminal.
std::string PrintPathLines(const CDependencyContainer& container,
                           const std::vector<CellReference>& path);
