// Trace filling's tree operations as messages to a tree control.
#include "views/win32/tree_view_structure.h"

#include <array>

#include "views/win32/column_tree_ctrl.h"

namespace {

// The longest item text read back (all columns together).
constexpr int kTextBuffer = 4096;

}  // namespace

CTreeViewStructure::CTreeViewStructure(CColumnTreeCtrl& columnTree)
    : tree_(columnTree.TreeHwnd()), columns_(&columnTree) {}

TreeItem CTreeViewStructure::Root() const {
  return ItemOf(TVI_ROOT);
}

HTREEITEM CTreeViewStructure::Next(TreeItem item, UINT relation) const {
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(Handle(item))));
}

TreeItem CTreeViewStructure::InsertChild(TreeItem parent, int32_t image,
                                         std::optional<std::wstring> text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = Handle(parent);
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.pszText = text ? text->data() : LPSTR_TEXTCALLBACKW;
  insert.item.lParam = text ? 0 : kDeferredTextMark;
  return ItemOf(reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert))));
}

void CTreeViewStructure::DeleteItem(TreeItem item) {
  ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Handle(item)));
}

TreeItem CTreeViewStructure::FirstChild(TreeItem item) const {
  if (item == Root()) return ItemOf(Next(kNoItem, TVGN_ROOT));
  return ItemOf(Next(item, TVGN_CHILD));
}

TreeItem CTreeViewStructure::NextSibling(TreeItem item) const {
  if (item == Root() || item == kNoItem) return kNoItem;
  return ItemOf(Next(item, TVGN_NEXT));
}

TreeItem CTreeViewStructure::Parent(TreeItem item) const {
  if (item == Root() || item == kNoItem) return kNoItem;
  const HTREEITEM parent = Next(item, TVGN_PARENT);
  return parent != nullptr ? ItemOf(parent) : Root();
}

void CTreeViewStructure::Expand(TreeItem item) {
  if (item == Root() || item == kNoItem) return;
  ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Handle(item)));
}

void CTreeViewStructure::Select(TreeItem item) {
  ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Handle(item)));
}

TreeItem CTreeViewStructure::Selected() const {
  return ItemOf(Next(kNoItem, TVGN_CARET));
}

std::optional<std::wstring> CTreeViewStructure::Text(TreeItem item) const {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = Handle(item);
  if (::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) == FALSE ||
      data.lParam == kDeferredTextMark) {
    return std::nullopt;
  }
  std::array<wchar_t, kTextBuffer> buffer{};
  data.mask = TVIF_TEXT;
  data.pszText = buffer.data();
  data.cchTextMax = kTextBuffer;
  ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return std::wstring(data.pszText != nullptr ? data.pszText : L"");
}

void CTreeViewStructure::SetText(TreeItem item, std::wstring text) {
  TVITEMW data{};
  data.mask = TVIF_TEXT | TVIF_PARAM;
  // Inside the owner's answer for this item the tree keeps the answer, which is this text.
  if (columns_ != nullptr && columns_->KeepTextBeingAnswered(Handle(item))) data.mask = TVIF_PARAM;
  data.hItem = Handle(item);
  data.pszText = text.data();
  data.lParam = 0;
  ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void CTreeViewStructure::SetRedraw(bool redraw) {
  ::SendMessageW(tree_, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  if (redraw) ::InvalidateRect(tree_, nullptr, FALSE);
}
