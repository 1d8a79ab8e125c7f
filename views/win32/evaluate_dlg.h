// CEvaluateDlg: the evaluate window: one cell's formula as a tree of its sub-expressions with
// the value of each, in a two-column tree whose references open into their own formulas.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "views/evaluate_filler.h"
#include "views/win32/evaluation_tree_ctrl.h"
#include "views/win32/tree_view_structure.h"
#include "views/win32/trelvane_dlg.h"

// The prefix of the evaluate window's saved placement.
inline constexpr wchar_t kEvaluatePlacementPrefix[] = L"ED";
// Sent to a window: give the keyboard focus to its tree.
inline constexpr UINT kFocusWindowMessage = WM_APP + 27;

// The filler works on the window's thread and hands each of its workbook reads to Excel's thread
// itself, so the tree is only ever touched by its own thread. While the filler runs, the tree's
// expanding and selection notifications are its doing and are not acted on again.
class CEvaluateDlg final : public CTrelvaneDlg {
 public:
  CEvaluateDlg(ITrelvaneController& controller, std::shared_ptr<CDependencyContainer> container,
               const CellReference& root);
  ~CEvaluateDlg() override;

  // What the window shows, for its owner and tests.
  const CEvaluationTreeCtrl& Tree() const { return tree_; }
  HWND TreeHwnd() const { return tree_.TreeHwnd(); }
  const CEvaluateFiller* Filler() const { return filler_.get(); }

 protected:
  int TemplateId() const override;
  std::vector<int> ToolbarCommands() const override;
  std::vector<int> ContextMenuCommands() const override;
  bool IsCommandEnabled(int command) const override;
  int ArrowKind() const override;
  int HelpTopic() const override;
  int IconResourceId() const override;
  TraceKind WindowKind() const override { return TraceKind::kEvaluateFormula; }
  const CellReference* SelectedReference() const override;
  TreeItem SelectedItem() const override;
  void ExpandAll() override;
  void Refresh() override;
  void SavePlacement() override;
  BOOL OnInitWindow() override;
  bool OnWindowCommand(int command, int code, HWND control) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  // False when the template's tree host is missing: the window then stays empty.
  bool SetUpTree();
  // A step of the filler, with the program's own selections kept from Excel.
  void RunFiller(const std::function<void(CEvaluateFiller&)>& step);
  void Layout();
  LRESULT OnTreeNotify(NMHDR* notice, bool* handled);
  // The item under the mouse when `flags` (TVHT_*) holds where on it; null elsewhere.
  HTREEITEM ItemAtCursor(UINT flags) const;
  void ShowContextMenuAtItem(HTREEITEM item);

  CEvaluationTreeCtrl tree_;
  std::unique_ptr<CTreeViewStructure> structure_;
  std::unique_ptr<CEvaluateFiller> filler_;
  bool filling_ = false;
  bool widthsFollowSize_ = false;  // no saved widths: refit until first shown
};
