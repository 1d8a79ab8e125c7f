// CTraceDlg: the trace window: one trace in the four-column cell tree, the value and formula
// boxes of the selected item, and the find toolbar that locates a cell in its branch.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "platform/win32/scoped_handles.h"
#include "views/trace_filler.h"
#include "views/trace_window.h"
#include "views/win32/cell_tree_ctrl.h"
#include "views/win32/image_lists.h"
#include "views/win32/tree_ui_manager.h"
#include "views/win32/tree_view_structure.h"
#include "views/win32/trelvane_dlg.h"

// The prefix of the trace window's saved placement.
inline constexpr wchar_t kTracePlacementPrefix[] = L"UI";

class CTraceDlg final : public CTrelvaneDlg, public ITreeUIManager {
 public:
  CTraceDlg(ITrelvaneController& controller, std::shared_ptr<CDependencyContainer> container,
            TraceKind kind, const CellReference& root, int32_t colorIndex);
  ~CTraceDlg() override;

  // ITreeUIManager: the filler's colour and weight of the item.
  HFONT ItemColor(HTREEITEM item, bool highlighted, HDC dc, HFONT font) override;

  // What the window shows, for its owner and tests.
  const CCellTreeCtrl& Tree() const { return tree_; }
  HWND TreeHwnd() const { return tree_.TreeHwnd(); }
  CTraceFiller* Filler() const { return filler_.get(); }
  const CTraceWindowLogic* Logic() const { return logic_.get(); }
  bool FindToolbarShown() const { return logic_ != nullptr && logic_->FindToolbarVisible(); }
  HWND FindToolbarHwnd() const { return findToolbar_; }
  TraceKind Kind() const { return kind_; }

 protected:
  int TemplateId() const override;
  std::vector<int> ToolbarCommands() const override;
  std::vector<int> ContextMenuCommands() const override;
  bool IsCommandEnabled(int command) const override;
  int ArrowKind() const override;
  int HelpTopic() const override;
  int IconResourceId() const override;
  TraceKind WindowKind() const override { return kind_; }
  const CellReference* SelectedReference() const override;
  TreeItem SelectedItem() const override;
  void ExpandAll() override;
  void Refresh() override;
  void SavePlacement() override;
  BOOL OnInitWindow() override;
  void OnClosing() override;
  bool OnWindowCommand(int command, int code, HWND control) override;
  bool SavesWholeList() const override { return IsFlatListKind(kind_); }
  bool SwitchState(int command) const override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  void CreateFindToolbar();
  void SetUpColumns();
  void PickFilterColor();
  // The texts, title and command states after the tree was (re)filled.
  void ShowFilled();
  void ShowBoxes();
  void Layout();
  void ToggleFindToolbar();
  void ShowFindRow();
  void Find();
  void ImportSelection();
  void SavePath(int command);
  void Format(int command);
  LRESULT OnTreeNotify(NMHDR* notice, bool* handled);
  // The item under the mouse, or null.
  HTREEITEM ItemAtCursor(UINT* flags) const;
  LRESULT OnValueBoxColor(HDC dc);

  TraceKind kind_;
  int32_t colorIndex_;
  CCellTreeCtrl tree_;
  std::unique_ptr<CTreeViewStructure> structure_;
  std::unique_ptr<CTraceFiller> filler_;
  std::unique_ptr<CTraceWindowLogic> logic_;
  HWND valueBox_ = nullptr;
  HWND formulaBox_ = nullptr;
  HWND findLabel_ = nullptr;
  HWND findBox_ = nullptr;
  HWND findToolbar_ = nullptr;
  CScopedImageList findImages_;
  COLORREF filterColor_ = 0;
  CScopedBrush filterBrush_;
  int lineHeight_ = 0;
  int boxBorder_ = 0;
  bool widthsFollowSize_ = false;  // no saved widths: refit until first shown
};
