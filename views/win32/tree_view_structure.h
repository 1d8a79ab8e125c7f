// CTreeViewStructure: the tree operations of trace filling carried out on a column tree's inner
// tree control, so that the filling the command line runs also fills the window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "views/tree_structure.h"

class CColumnTreeCtrl;

// Items inserted without a text ask the tree's owner for it (TVN_GETDISPINFOW) until SetText
// fixes it; such an item carries kDeferredTextMark as its item data meanwhile. Built on a column
// tree, SetText from inside the owner's answer keeps that answer instead of setting the text.
class CTreeViewStructure final : public ITreeStructure {
 public:
  static constexpr LPARAM kDeferredTextMark = 1;

  explicit CTreeViewStructure(HWND tree) : tree_(tree) {}
  explicit CTreeViewStructure(CColumnTreeCtrl& columnTree);

  TreeItem Root() const override;
  TreeItem InsertChild(TreeItem parent, int32_t image, std::optional<std::wstring> text) override;
  void DeleteItem(TreeItem item) override;
  TreeItem FirstChild(TreeItem item) const override;
  TreeItem NextSibling(TreeItem item) const override;
  TreeItem Parent(TreeItem item) const override;
  // The tree tells its owner (TVN_ITEMEXPANDINGW) the first time an item opens.
  void Expand(TreeItem item) override;
  void Select(TreeItem item) override;
  TreeItem Selected() const override;
  std::optional<std::wstring> Text(TreeItem item) const override;
  void SetText(TreeItem item, std::wstring text) override;
  void SetRedraw(bool redraw) override;

  static HTREEITEM Handle(TreeItem item) { return reinterpret_cast<HTREEITEM>(item); }
  static TreeItem ItemOf(HTREEITEM handle) { return reinterpret_cast<TreeItem>(handle); }

 private:
  HTREEITEM Next(TreeItem item, UINT relation) const;

  HWND tree_;
  CColumnTreeCtrl* columns_ = nullptr;
};
