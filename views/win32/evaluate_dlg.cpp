// The evaluate window: its two-column tree filled by the evaluate filler, opened on demand, and
// the tree's mouse and keyboard.
#include "views/win32/evaluate_dlg.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "resources/resource_ids.h"
#include "views/win32/column_width_settings.h"
#include "views/window_commands.h"

namespace {

constexpr int kEvaluateHelpTopic = 6;
constexpr int kEvaluateIcon = IDI_EVALUATE_WINDOW;
constexpr int kEvaluateArrows = 4;
constexpr int kEvaluateNoImage = -1;
constexpr DWORD kEvaluateTreeStyles =
    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT;

template <std::size_t N>
std::vector<int> EvaluateCommandList(const std::array<int32_t, N>& commands) {
  return std::vector<int>(commands.begin(), commands.end());
}

}  // namespace

CEvaluateDlg::CEvaluateDlg(ITrelvaneController& controller,
                           std::shared_ptr<CDependencyContainer> container,
                           const CellReference& root)
    : CTrelvaneDlg(controller, std::move(container), root) {}

CEvaluateDlg::~CEvaluateDlg() {
  // The tree saves its widths when destroyed with the window, which must happen while this
  // part of the object still exists.
  if (Hwnd() != nullptr) ::DestroyWindow(Hwnd());
}

int CEvaluateDlg::TemplateId() const {
  return kEvaluateDialogResource;
}

std::vector<int> CEvaluateDlg::ToolbarCommands() const {
  return EvaluateCommandList(kEvaluateToolbarCommands);
}

std::vector<int> CEvaluateDlg::ContextMenuCommands() const {
  return EvaluateCommandList(kEvaluateMenuCommands);
}

bool CEvaluateDlg::IsCommandEnabled(int command) const {
  return EvaluateCommandEnabled(command, SelectedReference());
}

int CEvaluateDlg::ArrowKind() const {
  return kEvaluateArrows;
}

int CEvaluateDlg::HelpTopic() const {
  return kEvaluateHelpTopic;
}

int CEvaluateDlg::IconResourceId() const {
  return kEvaluateIcon;
}

const CellReference* CEvaluateDlg::SelectedReference() const {
  if (filler_ == nullptr) return nullptr;
  const TreeItem item = SelectedItem();
  return item == kNoItem ? nullptr : filler_->ReferenceOf(item);
}

TreeItem CEvaluateDlg::SelectedItem() const {
  return structure_ != nullptr ? structure_->Selected() : kNoItem;
}

void CEvaluateDlg::SavePlacement() {
  SavePlacementUnder(kEvaluatePlacementPrefix);
}

BOOL CEvaluateDlg::OnInitWindow() {
  RestorePlacementFrom(kEvaluatePlacementPrefix);
  const bool tree = SetUpTree();
  Cascade();
  std::wstring title;
  OnExcel([&] {
    title = EvaluateWindowTitle(Container(), Root());
    if (!tree) return;
    filler_ = std::make_unique<CEvaluateFiller>(Container(), *structure_);
    filler_->SetRoot(Root());
  });
  ::SetWindowTextW(Hwnd(), title.c_str());
  Layout();
  RunFiller([](CEvaluateFiller& filler) { filler.Fill(); });
  UpdateCommandStates();
  MoveAside();
  return TRUE;
}

bool CEvaluateDlg::SetUpTree() {
  if (!tree_.Attach(::GetDlgItem(Hwnd(), kTreeHostId))) return false;
  const HWND tree = tree_.TreeHwnd();
  ::SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(ImageStrip()));
  ::SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(ImageStrip()));
  const LONG_PTR style = ::GetWindowLongPtrW(tree, GWL_STYLE);
  ::SetWindowLongPtrW(tree, GWL_STYLE, style | static_cast<LONG_PTR>(kEvaluateTreeStyles));
  const HWND header = tree_.HeaderHwnd();
  const LONG_PTR headerStyle = ::GetWindowLongPtrW(header, GWL_STYLE);
  ::SetWindowLongPtrW(header, GWL_STYLE, headerStyle & ~static_cast<LONG_PTR>(HDS_BUTTONS));
  structure_ = std::make_unique<CTreeViewStructure>(tree_);

  RECT client{};
  ::GetClientRect(tree_.Hwnd(), &client);
  std::vector<int> widths = CEvaluationTreeCtrl::DefaultWidths(client.right - client.left);
  // Without saved widths the columns share the width the window gets when it is placed.
  widthsFollowSize_ = ReadSavedWidths(CEvaluationTreeCtrl::WidthNames(), widths) == 0;
  for (size_t column = 0; column < widths.size(); ++column) {
    tree_.InsertColumn(static_cast<int>(column), kEvaluateColumnNames[column],
                       CColumnTreeCtrl::kFormatLeft, widths[column]);
  }
  return true;
}

void CEvaluateDlg::RunFiller(const std::function<void(CEvaluateFiller&)>& step) {
  if (filler_ == nullptr || filling_) return;
  filling_ = true;
  const bool wasEnabled = SelectInExcelEnabled();
  SetSelectInExcelEnabled(false);
  try {
    step(*filler_);
  } catch (...) {
    // A read that failed on Excel's thread leaves the tree as far as it got.
  }
  SetSelectInExcelEnabled(wasEnabled);
  filling_ = false;
}

void CEvaluateDlg::ExpandAll() {
  RunFiller([](CEvaluateFiller& filler) { filler.ExpandAll(); });
  // Opening scrolls the tree down to the last branch; the selected item is where the user was.
  ::SendMessageW(tree_.TreeHwnd(), TVM_ENSUREVISIBLE, 0,
                 reinterpret_cast<LPARAM>(CTreeViewStructure::Handle(SelectedItem())));
  UpdateCommandStates();
  ::SetForegroundWindow(::GetAncestor(Hwnd(), GA_ROOT));
}

void CEvaluateDlg::Refresh() {
  RunFiller([](CEvaluateFiller& filler) { filler.Refresh(); });
  SetSelectInExcelEnabled(true);
  UpdateCommandStates();
}

void CEvaluateDlg::Layout() {
  if (tree_.Hwnd() == nullptr) return;
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  LONG top = 0;
  if (Toolbar() != nullptr) {
    RECT bar{};
    ::GetWindowRect(Toolbar(), &bar);
    ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&bar), 2);
    top = std::max(LONG{0}, bar.bottom);
  }
  ::MoveWindow(tree_.Hwnd(), 0, top, client.right, std::max(LONG{0}, client.bottom - top), TRUE);
}

HTREEITEM CEvaluateDlg::ItemAtCursor(UINT flags) const {
  TVHITTESTINFO hit{};
  ::GetCursorPos(&hit.pt);
  ::ScreenToClient(tree_.TreeHwnd(), &hit.pt);
  const auto item = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_.TreeHwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & flags) != 0 ? item : nullptr;
}

void CEvaluateDlg::ShowContextMenuAtItem(HTREEITEM item) {
  // The tree reads the item from the rectangle it fills.
  RECT rect{};
  static_assert(sizeof(rect) >= sizeof(item));
  std::memcpy(&rect, &item, sizeof(item));
  POINT at{};
  if (::SendMessageW(tree_.TreeHwnd(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) !=
      FALSE) {
    at = {rect.left, rect.bottom};
    ::ClientToScreen(tree_.TreeHwnd(), &at);
  }
  ShowContextMenu(at);
}

bool CEvaluateDlg::OnWindowCommand(int command, int, HWND) {
  // Enter in the tree reaches the dialog as its default command.
  if (command != IDOK) return false;
  if (::GetFocus() == tree_.TreeHwnd()) SelectSelectedInExcel(true);
  return true;
}

LRESULT CEvaluateDlg::OnTreeNotify(NMHDR* notice, bool* handled) {
  switch (notice->code) {
    case TVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(notice);
      // The placeholder's image of -1 is the tree's "ask the owner"; it has none.
      if ((info->item.mask & TVIF_IMAGE) != 0) info->item.iImage = kEvaluateNoImage;
      if ((info->item.mask & TVIF_SELECTEDIMAGE) != 0) info->item.iSelectedImage = kEvaluateNoImage;
      if (filler_ != nullptr && (info->item.mask & TVIF_TEXT) != 0 &&
          info->item.pszText != nullptr && info->item.cchTextMax > 0) {
        const TreeItem item = CTreeViewStructure::ItemOf(info->item.hItem);
        const std::wstring text =
            filler_->ItemText(item, static_cast<size_t>(info->item.cchTextMax));
        std::copy(text.begin(), text.end(), info->item.pszText);
        info->item.pszText[text.size()] = L'\0';
      }
      *handled = true;
      return 0;
    }
    case TVN_ITEMEXPANDINGW: {
      const auto* view = reinterpret_cast<NMTREEVIEWW*>(notice);
      if (view->action == TVE_EXPAND) {
        const TreeItem item = CTreeViewStructure::ItemOf(view->itemNew.hItem);
        RunFiller([item](CEvaluateFiller& filler) { filler.ExpandOnDemand(item); });
      }
      *handled = true;
      return FALSE;
    }
    case TVN_SELCHANGEDW:
      if (!filling_ && AutoActivateOn()) SelectSelectedInExcel(false);
      UpdateCommandStates();
      *handled = true;
      return 0;
    case NM_DBLCLK: {
      const HTREEITEM item =
          ItemAtCursor(TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON);
      if (item != nullptr && filler_ != nullptr) {
        if (const CellReference* reference =
                filler_->ReferenceOf(CTreeViewStructure::ItemOf(item))) {
          SelectInExcel(*reference, true);
        }
      }
      *handled = true;
      return 0;
    }
    case NM_RCLICK: {
      const HTREEITEM item = ItemAtCursor(TVHT_ONITEM | TVHT_ONITEMRIGHT);
      if (item != nullptr) {
        ::SendMessageW(tree_.TreeHwnd(), TVM_SELECTITEM, TVGN_CARET,
                       reinterpret_cast<LPARAM>(item));
        POINT at{};
        ::GetCursorPos(&at);
        ShowContextMenu(at);
      }
      *handled = true;
      return TRUE;  // no WM_CONTEXTMENU after it
    }
    case TVN_KEYDOWN: {
      const auto* key = reinterpret_cast<NMTVKEYDOWN*>(notice);
      const HTREEITEM selected = CTreeViewStructure::Handle(SelectedItem());
      if (key->wVKey == VK_APPS && selected != nullptr) ShowContextMenuAtItem(selected);
      if (key->wVKey == VK_RETURN) SelectSelectedInExcel(true);
      *handled = true;
      return 0;
    }
    case NM_SETFOCUS:
      SetHighlightEnabled(true);
      *handled = true;
      return 0;
    case NM_KILLFOCUS:
      SetHighlightEnabled(false);
      *handled = true;
      return 0;
    default:
      return 0;
  }
}

LRESULT CEvaluateDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case WM_NOTIFY: {
      auto* notice = reinterpret_cast<NMHDR*>(lParam);
      if (notice->idFrom == static_cast<UINT_PTR>(kTreeHostId)) {
        return OnTreeNotify(notice, handled);
      }
      break;
    }
    case WM_SIZE: {
      const LRESULT answer = CTrelvaneDlg::OnMessage(message, wParam, lParam, handled);
      Layout();
      if (widthsFollowSize_ && ::IsWindowVisible(Hwnd()) == FALSE) {
        RECT client{};
        ::GetClientRect(tree_.Hwnd(), &client);
        tree_.SetColumnWidths(CEvaluationTreeCtrl::DefaultWidths(client.right - client.left));
      }
      *handled = true;
      return answer;
    }
    case kFocusWindowMessage:
      ::SetFocus(tree_.TreeHwnd() != nullptr ? tree_.TreeHwnd() : Hwnd());
      *handled = true;
      return 0;
    default:
      break;
  }
  return CTrelvaneDlg::OnMessage(message, wParam, lParam, handled);
}
