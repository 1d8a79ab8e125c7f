// The self-painting tree of the column tree: off-screen painting, lines, buttons, mouse rules.
#include "views/win32/custom_tree_child_ctrl.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/win32/module_instance.h"
#include "platform/win32/scoped_handles.h"

namespace {

constexpr COLORREF kLineColor = RGB(128, 128, 128);
// Room for an item's whole text (all its columns) when the tree is asked for it.
constexpr int kTextBuffer = 4096;
// How far right of the first field's text a click still counts as on the item.
constexpr int kLabelSlack = 6;

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::wstring FirstField(HWND tree, HTREEITEM item) {
  std::array<wchar_t, kTextBuffer> buffer{};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = buffer.data();
  query.cchTextMax = kTextBuffer;
  if (::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) == FALSE) return {};
  std::wstring text(query.pszText != nullptr ? query.pszText : L"");
  return text.substr(0, text.find(L'\t'));
}

HFONT TreeFont(HWND tree) {
  auto font = reinterpret_cast<HFONT>(::SendMessageW(tree, WM_GETFONT, 0, 0));
  return font != nullptr ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// One dotted pixel in two, on the same grid in every row so that the lines join up.
void DottedVertical(HDC dc, int x, int top, int bottom) {
  for (int y = top + ((x + top) & 1); y < bottom; y += 2) ::SetPixel(dc, x, y, kLineColor);
}
void DottedHorizontal(HDC dc, int left, int right, int y) {
  for (int x = left + ((left + y) & 1); x < right; x += 2) ::SetPixel(dc, x, y, kLineColor);
}

}  // namespace

bool CCustomTreeChildCtrl::CreateChild(HWND parent, int id, const RECT& rect, DWORD style) {
  HWND tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", style | WS_CHILD, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(),
                                nullptr);
  if (tree == nullptr) return false;
  if (!Subclass(tree)) {
    ::DestroyWindow(tree);
    return false;
  }
  buttons_ = LoadMaskedStrip(buttonsBitmap_, kButtonSize);
  return true;
}

bool CCustomTreeChildCtrl::HasVerticalBar() const {
  return Hwnd() != nullptr && (::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_VSCROLL) != 0;
}

HTREEITEM CCustomTreeChildCtrl::ItemAt(POINT point) const {
  TVHITTESTINFO hit{};
  hit.pt = point;
  ::SendMessageW(Hwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.hItem == nullptr) return nullptr;
  if ((hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMSTATEICON | TVHT_ONITEMBUTTON)) != 0) {
    return hit.hItem;
  }
  const auto style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE);
  if ((style & TVS_FULLROWSELECT) != 0) return hit.hItem;
  if ((hit.flags & TVHT_ONITEMLABEL) == 0) return nullptr;
  RECT label{};
  if (!TreeItemRect(Hwnd(), hit.hItem, true, &label)) return nullptr;
  const std::wstring field = FirstField(Hwnd(), hit.hItem);
  CWindowDc dc(Hwnd());
  CSelectedObject font(dc.Get(), TreeFont(Hwnd()));
  SIZE size{};
  ::GetTextExtentPoint32W(dc.Get(), field.c_str(), static_cast<int>(field.size()), &size);
  return point.x <= label.left + size.cx + kLabelSlack ? hit.hItem : nullptr;
}

bool CCustomTreeChildCtrl::IsPartlyVisible(HTREEITEM item) const {
  RECT client{};
  RECT row{};
  ::GetClientRect(Hwnd(), &client);
  return TreeItemRect(Hwnd(), item, false, &row) && row.bottom > client.bottom;
}

LRESULT CCustomTreeChildCtrl::SendCustomDraw(NMTVCUSTOMDRAW* draw) const {
  draw->nmcd.hdr.hwndFrom = Hwnd();
  draw->nmcd.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(Hwnd()));
  draw->nmcd.hdr.code = NM_CUSTOMDRAW;
  return ::SendMessageW(::GetParent(Hwnd()), WM_NOTIFY, draw->nmcd.hdr.idFrom,
                        reinterpret_cast<LPARAM>(draw));
}

void CCustomTreeChildCtrl::Paint(HDC target) {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  CScopedMemoryDc memory(::CreateCompatibleDC(target));
  CScopedBitmap bitmap(::CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!memory || !bitmap) return;
  CSelectedObject selectedBitmap(memory.Get(), bitmap.Get());
  CSelectedObject selectedFont(memory.Get(), TreeFont(Hwnd()));

  NMTVCUSTOMDRAW draw{};
  draw.nmcd.dwDrawStage = CDDS_PREPAINT;
  draw.nmcd.hdc = memory.Get();
  draw.nmcd.rc = client;
  const LRESULT answer = SendCustomDraw(&draw);

  COLORREF background = static_cast<COLORREF>(::SendMessageW(Hwnd(), TVM_GETBKCOLOR, 0, 0));
  if (background == CLR_NONE) background = ::GetSysColor(COLOR_WINDOW);
  if (::IsWindowEnabled(Hwnd()) == FALSE) background = ::GetSysColor(COLOR_BTNFACE);
  CScopedBrush brush(::CreateSolidBrush(background));
  ::FillRect(memory.Get(), &client, brush.Get());
  PaintItems(memory.Get(), client, answer);
  ::BitBlt(target, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

void CCustomTreeChildCtrl::PaintItems(HDC dc, const RECT& client, LRESULT prePaintAnswer) {
  HWND tree = Hwnd();
  const auto style = ::GetWindowLongPtrW(tree, GWL_STYLE);
  const bool enabled = ::IsWindowEnabled(tree) != FALSE;
  const bool focused = ::GetFocus() == tree;
  const int indent = static_cast<int>(::SendMessageW(tree, TVM_GETINDENT, 0, 0));
  // The owner tells selected items by a background other than this one.
  COLORREF window = static_cast<COLORREF>(::SendMessageW(tree, TVM_GETBKCOLOR, 0, 0));
  if (window == CLR_NONE) window = ::GetSysColor(COLOR_WINDOW);
  auto images =
      reinterpret_cast<HIMAGELIST>(::SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  auto stateImages =
      reinterpret_cast<HIMAGELIST>(::SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_STATE, 0));
  int imageWidth = 0;
  int imageHeight = 0;
  if (images != nullptr) ::ImageList_GetIconSize(images, &imageWidth, &imageHeight);
  int stateWidth = 0;
  int stateHeight = 0;
  const bool checkBoxes = (style & TVS_CHECKBOXES) != 0 && stateImages != nullptr;
  if (checkBoxes) ::ImageList_GetIconSize(stateImages, &stateWidth, &stateHeight);
  const bool linesAtRoot = (style & TVS_LINESATROOT) != 0;

  for (HTREEITEM item = NextItem(tree, nullptr, TVGN_FIRSTVISIBLE); item != nullptr;
       item = NextItem(tree, item, TVGN_NEXTVISIBLE)) {
    RECT row{};
    if (!TreeItemRect(tree, item, false, &row)) break;
    if (row.top >= client.bottom) break;
    TVITEMW data{};
    data.mask = TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    data.stateMask = TVIS_SELECTED | TVIS_EXPANDED | TVIS_STATEIMAGEMASK;
    data.hItem = item;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    const bool selected = (data.state & TVIS_SELECTED) != 0;

    NMTVCUSTOMDRAW draw{};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.hdc = dc;
    draw.nmcd.rc = row;
    draw.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item);
    draw.nmcd.lItemlParam = data.lParam;
    draw.clrTextBk = window;
    if (!enabled) {
      draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
      if (selected) draw.clrTextBk = ::GetSysColor(COLOR_BTNSHADOW);
    } else if (focused) {
      draw.clrText = ::GetSysColor(COLOR_MENUTEXT);
      if (selected) {
        draw.clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw.clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
        draw.nmcd.uItemState = CDIS_SELECTED | CDIS_FOCUS;
      }
    } else {
      draw.clrText = ::GetSysColor(COLOR_MENUTEXT);
      if (selected && (style & TVS_SHOWSELALWAYS) != 0) {
        draw.clrTextBk = ::GetSysColor(COLOR_INACTIVEBORDER);
        draw.nmcd.uItemState = CDIS_SELECTED;
      }
    }

    int depth = 0;
    for (HTREEITEM up = NextItem(tree, item, TVGN_PARENT); up != nullptr;
         up = NextItem(tree, up, TVGN_PARENT)) {
      ++depth;
    }
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, row.left, row.top, firstColumnWidth_, row.bottom);
    LRESULT itemAnswer = CDRF_DODEFAULT;
    if ((prePaintAnswer & CDRF_NOTIFYITEMDRAW) != 0) itemAnswer = SendCustomDraw(&draw);
    if ((itemAnswer & CDRF_SKIPDEFAULT) == 0) {
      const int levelLeft = indent * (linesAtRoot ? depth : depth - 1);
      int imageLeft = levelLeft + indent;
      const int middle = (row.top + row.bottom) / 2;
      const int state = static_cast<int>((data.state & TVIS_STATEIMAGEMASK) >> 12);
      if (checkBoxes && state > 0) {
        ::ImageList_Draw(stateImages, state, dc, imageLeft, middle - stateHeight / 2,
                         ILD_TRANSPARENT);
        imageLeft += stateWidth;
      }
      const int image = selected ? data.iSelectedImage : data.iImage;
      if (images != nullptr && image >= 0) {
        ::ImageList_Draw(images, image, dc, imageLeft, middle - imageHeight / 2, ILD_TRANSPARENT);
      }
      if (levelLeft >= 0 || depth > 0) {
        const int lineX = levelLeft + indent / 2;
        if ((style & TVS_HASLINES) != 0 && levelLeft >= 0) DrawLines(dc, item, row, depth, indent);
        const bool hasChildren = data.cChildren != 0 || NextItem(tree, item, TVGN_CHILD) != nullptr;
        if ((style & TVS_HASBUTTONS) != 0 && hasChildren && levelLeft >= 0) {
          DrawButton(dc, lineX - kButtonSize / 2, middle - kButtonSize / 2,
                     (data.state & TVIS_EXPANDED) != 0);
        }
      }
    }
    ::RestoreDC(dc, saved);
    if ((itemAnswer & CDRF_NOTIFYPOSTPAINT) != 0) {
      draw.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
      SendCustomDraw(&draw);
    }
  }
}

void CCustomTreeChildCtrl::DrawLines(HDC dc, HTREEITEM item, const RECT& row, int depth,
                                     int indent) {
  HWND tree = Hwnd();
  const bool linesAtRoot = (::GetWindowLongPtrW(tree, GWL_STYLE) & TVS_LINESATROOT) != 0;
  auto lineX = [&](int level) { return indent * (linesAtRoot ? level : level - 1) + indent / 2; };
  const int middle = (row.top + row.bottom) / 2;
  const int x = lineX(depth);
  DottedHorizontal(dc, x, x + indent / 2 + 1, middle);
  const HTREEITEM parent = NextItem(tree, item, TVGN_PARENT);
  if (parent != nullptr || NextItem(tree, item, TVGN_PREVIOUS) != nullptr) {
    DottedVertical(dc, x, row.top, middle);
  }
  if (NextItem(tree, item, TVGN_NEXT) != nullptr) DottedVertical(dc, x, middle, row.bottom);
  int level = depth - 1;
  for (HTREEITEM up = parent; up != nullptr; up = NextItem(tree, up, TVGN_PARENT), --level) {
    if (NextItem(tree, up, TVGN_NEXT) != nullptr && (linesAtRoot || level > 0)) {
      DottedVertical(dc, lineX(level), row.top, row.bottom);
    }
  }
}

void CCustomTreeChildCtrl::DrawButton(HDC dc, int x, int y, bool expanded) {
  if (buttons_) {
    ::ImageList_Draw(buttons_.Get(), expanded ? 1 : 0, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  // Without the module's bitmap: the same 9 x 9 box drawn here.
  RECT box{x, y, x + kButtonSize, y + kButtonSize};
  CScopedBrush border(::CreateSolidBrush(kLineColor));
  CScopedBrush face(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
  ::FillRect(dc, &box, face.Get());
  ::FrameRect(dc, &box, border.Get());
  CScopedBrush sign(::CreateSolidBrush(::GetSysColor(COLOR_WINDOWTEXT)));
  const int middle = kButtonSize / 2;
  RECT across{x + 2, y + middle, x + kButtonSize - 2, y + middle + 1};
  ::FillRect(dc, &across, sign.Get());
  if (!expanded) {
    RECT down{x + middle, y + 2, x + middle + 1, y + kButtonSize - 2};
    ::FillRect(dc, &down, sign.Get());
  }
}

LRESULT CCustomTreeChildCtrl::OnLeftButtonDown(WPARAM, LPARAM lParam, bool* handled) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const HTREEITEM item = ItemAt(point);
  if (item == nullptr) {
    ::SetFocus(Hwnd());
    *handled = true;
    return 0;
  }
  if (IsPartlyVisible(item)) {
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
    ::SendMessageW(Hwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    ::SendMessageW(Hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ::SetFocus(Hwnd());
    *handled = true;
    return 0;
  }
  ::SendMessageW(Hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  *handled = false;
  return 0;
}

LRESULT CCustomTreeChildCtrl::OnLeftDoubleClick(WPARAM, LPARAM lParam, bool* handled) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const HTREEITEM item = ItemAt(point);
  *handled = false;
  if (item == nullptr) {
    ::SetFocus(Hwnd());
    *handled = true;
    return 0;
  }
  if (IsPartlyVisible(item)) {
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
    return 0;
  }
  ::SendMessageW(Hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  if ((::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & TVS_FULLROWSELECT) != 0) {
    NMHDR notice{Hwnd(), static_cast<UINT_PTR>(::GetDlgCtrlID(Hwnd())), NM_DBLCLK};
    ::SendMessageW(::GetParent(Hwnd()), WM_NOTIFY, notice.idFrom,
                   reinterpret_cast<LPARAM>(&notice));
    *handled = true;
  }
  return 0;
}

LRESULT CCustomTreeChildCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = false;
  switch (message) {
    case WM_ERASEBKGND:
      *handled = true;
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      if (HasVerticalBar() != hadVerticalBar_) {
        hadVerticalBar_ = HasVerticalBar();
        ::PostMessageW(::GetParent(Hwnd()), kVerticalBarChanged, 0, 0);
      }
      *handled = true;
      if (wParam != 0) {
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(Hwnd(), &paint);
      if (dc != nullptr) Paint(dc);
      ::EndPaint(Hwnd(), &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      return OnLeftButtonDown(wParam, lParam, handled);
    case WM_LBUTTONDBLCLK:
      return OnLeftDoubleClick(wParam, lParam, handled);
    case WM_RBUTTONDOWN: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (const HTREEITEM item = ItemAt(point); item != nullptr) {
        ::SendMessageW(Hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      *handled = ItemAt(point) == nullptr;
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_TIMER:
      *handled = true;
      return 0;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
      ::InvalidateRect(Hwnd(), nullptr, FALSE);
      return 0;
    default:
      return 0;
  }
}
