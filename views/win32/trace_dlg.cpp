// The trace window: filling its cell tree through the trace filler, the boxes, the find row,
// and the commands on paths and formats.
#include "views/win32/trace_dlg.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

#include "excel/cell_range.h"
#include "export/branch_storage_file.h"
#include "export/branch_storage_sheet.h"
#include "export/clipboard_route.h"
#include "export/format_branch.h"
#include "export/path_writer.h"
#include "export/style_list.h"
#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"
#include "views/win32/save_text_dialog.h"
#include "views/window_commands.h"

namespace {

constexpr int kFindToolbarBitmap = 3012;
constexpr int kBoxGap = 5;
constexpr int kFindRowPadding = 2;
constexpr LONG kSheetVisibleState = -1;  // xlSheetVisible
constexpr UINT_PTR kFindBoxSubclass = 1;

// The find box runs the search on Enter itself: the dialog's default button would belong to the
// frame around a child dialog.
LRESULT CALLBACK FindBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
  if (message == WM_GETDLGCODE && lParam != 0 &&
      reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN && wParam == VK_RETURN) {
    return DLGC_WANTALLKEYS;
  }
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    ::SendMessageW(::GetParent(box), WM_COMMAND, MAKEWPARAM(kCmdFind, BN_CLICKED), 0);
    return 0;
  }
  if (message == WM_CHAR && wParam == L'\r') return 0;  // no beep
  return ::DefSubclassProc(box, message, wParam, lParam);
}

int TextHeight(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return client.bottom - client.top;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Place(HWND child, int left, int top, int width, int height) {
  ::SetWindowPos(child, nullptr, left, top, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Edit controls want CR LF where the formula has a line feed.
std::wstring EditText(const std::wstring& text) {
  std::wstring result;
  for (const wchar_t ch : text) {
    if (ch == L'\n' && (result.empty() || result.back() != L'\r')) result += L'\r';
    result += ch;
  }
  return result;
}

}  // namespace

CTraceDlg::CTraceDlg(ITrelvaneController& controller,
                     std::shared_ptr<CDependencyContainer> container, TraceKind kind,
                     const CellReference& root, int32_t colorIndex)
    : CTrelvaneDlg(controller, std::move(container), root), kind_(kind), colorIndex_(colorIndex) {}

CTraceDlg::~CTraceDlg() {
  // The tree's notifications need the filler: the window goes before the members do.
  if (Hwnd() != nullptr) ::DestroyWindow(Hwnd());
}

int CTraceDlg::TemplateId() const {
  return kTraceDialogResource;
}

std::vector<int> CTraceDlg::ToolbarCommands() const {
  return {kTraceToolbarCommands.begin(), kTraceToolbarCommands.end()};
}

std::vector<int> CTraceDlg::ContextMenuCommands() const {
  return {kTraceMenuCommands.begin(), kTraceMenuCommands.end()};
}

bool CTraceDlg::IsCommandEnabled(int command) const {
  return TraceCommandEnabled(RuleCommandOf(command), SelectedReference());
}

int CTraceDlg::ArrowKind() const {
  if (kind_ == TraceKind::kDependents) return 2;
  if (kind_ == TraceKind::kPrecedents) return 4;
  return 0;
}

int CTraceDlg::HelpTopic() const {
  switch (kind_) {
    case TraceKind::kDependents:
      return 1;
    case TraceKind::kPrecedents:
      return 2;
    case TraceKind::kInputs:
      return 3;
    case TraceKind::kErrorCells:
      return 4;
    case TraceKind::kTraceError:
      return 5;
    case TraceKind::kFillColor:
    case TraceKind::kFontColor:
      return 7;
    default:
      return 0;
  }
}

int CTraceDlg::IconResourceId() const {
  switch (kind_) {
    case TraceKind::kDependents:
      return IDI_DEPENDENTS_WINDOW;
    case TraceKind::kPrecedents:
      return IDI_PRECEDENTS_WINDOW;
    case TraceKind::kInputs:
      return 1016;
    case TraceKind::kErrorCells:
      return 3010;
    case TraceKind::kTraceError:
      return IDI_TRACE_ERROR_WINDOW;
    case TraceKind::kFillColor:
      return 1021;
    case TraceKind::kFontColor:
      return 1026;
    case TraceKind::kCalculationChain:
      return 3011;
    default:
      return IDI_PRECEDENTS_WINDOW;
  }
}

const CellReference* CTraceDlg::SelectedReference() const {
  if (filler_ == nullptr || structure_ == nullptr) return nullptr;
  return filler_->ReferenceOf(structure_->Selected());
}

TreeItem CTraceDlg::SelectedItem() const {
  return structure_ != nullptr ? structure_->Selected() : kNoItem;
}

bool CTraceDlg::SwitchState(int command) const {
  if (filler_ != nullptr) {
    if (command == kCmdHighlightErrors) return filler_->Switches().highlightErrors;
    if (command == kCmdFilterHighlighted) return filler_->Switches().filterHighlighted;
  }
  if (command == kCmdShowFindToolbar) return FindToolbarShown();
  return CTrelvaneDlg::SwitchState(command);
}

HFONT CTraceDlg::ItemColor(HTREEITEM item, bool highlighted, HDC dc, HFONT font) {
  if (filler_ == nullptr) return font;
  const TraceItemStyle style = filler_->ItemStyle(CTreeViewStructure::ItemOf(item), highlighted);
  if (style.textColor) ::SetTextColor(dc, static_cast<COLORREF>(*style.textColor));
  return style.bold && BoldFont() != nullptr ? BoldFont() : font;
}

BOOL CTraceDlg::OnInitWindow() {
  valueBox_ = ::GetDlgItem(Hwnd(), kValueBoxId);
  formulaBox_ = ::GetDlgItem(Hwnd(), kFormulaBoxId);
  findLabel_ = ::GetDlgItem(Hwnd(), kFindLabelId);
  findBox_ = ::GetDlgItem(Hwnd(), kFindBoxId);
  HWND host = ::GetDlgItem(Hwnd(), kTreeHostId);
  ::SetWindowLongPtrW(host, GWL_STYLE, ::GetWindowLongPtrW(host, GWL_STYLE) | WS_TABSTOP);
  tree_.Attach(host);
  if (findBox_ != nullptr) ::SetWindowSubclass(findBox_, FindBoxProc, kFindBoxSubclass, 0);
  CreateFindToolbar();

  RestorePlacementFrom(kTracePlacementPrefix);

  structure_ = std::make_unique<CTreeViewStructure>(tree_);
  filler_ = std::make_unique<CTraceFiller>(Container(), *structure_);
  logic_ = std::make_unique<CTraceWindowLogic>(Container(), *structure_, *filler_);
  logic_->SetMessageSink(&Controller().Messages());
  logic_->SetRoot(Root(), kind_, colorIndex_);
  if (kind_ == TraceKind::kTraceError) {
    filler_->Switches().highlightErrors = true;
    filler_->Switches().filterHighlighted = true;
    SetToolbarCheck(kCmdHighlightErrors, true);
    SetToolbarCheck(kCmdFilterHighlighted, true);
  }

  ::SendMessageW(TreeHwnd(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(ImageStrip()));
  ::SendMessageW(TreeHwnd(), TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(ImageStrip()));
  tree_.SetUIManager(this);
  SetUpColumns();

  lineHeight_ = TextHeight(formulaBox_);
  RECT window{};
  ::GetWindowRect(formulaBox_, &window);
  boxBorder_ = (window.bottom - window.top) - lineHeight_;
  if (kind_ == TraceKind::kFillColor || kind_ == TraceKind::kFontColor) PickFilterColor();

  Cascade();
  logic_->Fill();
  ShowFilled();
  MoveAside();
  return TRUE;
}

void CTraceDlg::CreateFindToolbar() {
  findToolbar_ = ::CreateWindowExW(
      0, TOOLBARCLASSNAMEW, nullptr,
      WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
          CCS_NOPARENTALIGN | CCS_NORESIZE,
      0, 0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFindToolbarId)),
      ModuleInstance(), nullptr);
  if (findToolbar_ == nullptr) return;
  ::SendMessageW(findToolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  findImages_ = LoadMaskedStrip(kFindToolbarBitmap, ::GetSystemMetrics(SM_CXSMICON));
  ::SendMessageW(findToolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(findImages_.Get()));
  std::array<TBBUTTON, 2> buttons{};
  buttons[0].iBitmap = 0;
  buttons[0].idCommand = kCmdFind;
  buttons[1].iBitmap = 1;
  buttons[1].idCommand = kCmdImportSelection;
  for (TBBUTTON& button : buttons) {
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
  }
  ::SendMessageW(findToolbar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
}

void CTraceDlg::SetUpColumns() {
  HWND tree = TreeHwnd();
  ::SetWindowLongPtrW(tree, GWL_STYLE,
                      ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_HASBUTTONS | TVS_HASLINES |
                          TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT);
  HWND header = tree_.HeaderHwnd();
  ::SetWindowLongPtrW(header, GWL_STYLE,
                      (::GetWindowLongPtrW(header, GWL_STYLE) & ~LONG_PTR{HDS_BUTTONS}) | HDS_FLAT);
  RECT client{};
  ::GetClientRect(tree_.Hwnd(), &client);
  std::vector<int> widths = CCellTreeCtrl::DefaultWidths(client.right - client.left);
  // Without saved widths the columns share the width the window gets when it is placed.
  widthsFollowSize_ = CCellTreeCtrl::ReadSavedWidths(CCellTreeCtrl::WidthNames(), widths) == 0;
  const std::array<const wchar_t*, 4> titles{L"Cell", L"Sheet", L"Value", L"Formula"};
  for (size_t i = 0; i < titles.size() && i < widths.size(); ++i) {
    tree_.InsertColumn(static_cast<int>(i), titles[i], CColumnTreeCtrl::kFormatLeft, widths[i]);
  }
}

void CTraceDlg::PickFilterColor() {
  const bool fill = kind_ == TraceKind::kFillColor;
  filterColor_ = ::GetSysColor(fill ? COLOR_WINDOW : COLOR_WINDOWTEXT);
  if (colorIndex_ != -1) {
    const CColorTable& table =
        fill ? Container().Lists().FillColors() : Container().Lists().FontColors();
    if (table.HasColor(colorIndex_)) {
      // Excel's colours are 0x00BBGGRR already.
      filterColor_ = static_cast<COLORREF>(table.ColorOf(colorIndex_));
    }
  }
  filterBrush_.Reset(::CreateSolidBrush(filterColor_));
}

void CTraceDlg::ShowFilled() {
  ::SetWindowTextW(Hwnd(), logic_->Title().c_str());
  ShowBoxes();
  UpdateCommandStates();
}

void CTraceDlg::ShowBoxes() {
  if (logic_ == nullptr) return;
  const BoxTexts& boxes = logic_->Boxes();
  ::SetWindowTextW(valueBox_, EditText(boxes.value).c_str());
  ::SetWindowTextW(formulaBox_, EditText(boxes.formula).c_str());
  ::SendMessageW(valueBox_, EM_SETREADONLY, TRUE, 0);
  ::SendMessageW(formulaBox_, EM_SETREADONLY, TRUE, 0);
  Layout();
}

void CTraceDlg::Layout() {
  if (formulaBox_ == nullptr || logic_ == nullptr) return;
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const RECT formula = ChildRect(Hwnd(), formulaBox_);
  const int formulaHeight = FormulaBoxHeight(logic_->Boxes().formula, lineHeight_, boxBorder_);
  Place(formulaBox_, formula.left, formula.top, client.right - formula.left, formulaHeight);
  // The value box stays one line high beside the formula box; the tree starts below the taller.
  const RECT value = ChildRect(Hwnd(), valueBox_);
  const int treeTop = std::max<int>(formula.top + formulaHeight, value.bottom) + kBoxGap;

  int bottom = client.bottom;
  if (FindToolbarShown()) {
    const RECT label = ChildRect(Hwnd(), findLabel_);
    const RECT box = ChildRect(Hwnd(), findBox_);
    int rowHeight = label.bottom - label.top;
    if (::SendMessageW(findToolbar_, TB_BUTTONCOUNT, 0, 0) > 1) {
      RECT button{};
      ::SendMessageW(findToolbar_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
      rowHeight = std::max<int>(rowHeight, button.bottom - button.top + kFindRowPadding);
    }
    rowHeight += kFindRowPadding;
    const int rowTop = client.bottom - rowHeight;
    const int labelHeight = label.bottom - label.top;
    const int boxHeight = box.bottom - box.top;
    Place(findLabel_, label.left, rowTop + (rowHeight - labelHeight) / 2, label.right - label.left,
          labelHeight);
    Place(findBox_, box.left, rowTop + (rowHeight - boxHeight) / 2, box.right - box.left,
          boxHeight);
    Place(findToolbar_, box.right + kFindRowPadding, rowTop,
          client.right - box.right - kFindRowPadding, rowHeight);
    bottom = rowTop;
  }
  Place(tree_.Hwnd(), 0, treeTop, client.right, bottom - treeTop);
}

void CTraceDlg::ShowFindRow() {
  const int show = FindToolbarShown() ? SW_SHOW : SW_HIDE;
  ::ShowWindow(findLabel_, show);
  ::ShowWindow(findBox_, show);
  ::ShowWindow(findToolbar_, show);
  SetToolbarCheck(kCmdShowFindToolbar, FindToolbarShown());
  Layout();
}

void CTraceDlg::ToggleFindToolbar() {
  logic_->ToggleFindToolbar();
  ShowFindRow();
  if (FindToolbarShown()) ::SetFocus(findBox_);
}

void CTraceDlg::Find() {
  const std::wstring text = WindowText(findBox_);
  if (text.empty()) return;
  ::SetFocus(tree_.TreeHwnd());
  const FindResult result = logic_->FindText(text);
  if (result.outcome == FindOutcome::kReached || result.outcome == FindOutcome::kNotReached) {
    ShowFindRow();
  }
  UpdateCommandStates();
}

void CTraceDlg::ImportSelection() {
  std::wstring address;
  bool found = false;
  OnExcel([&] { found = SelectionAddressText(Container().Application(), &address); });
  if (found && !address.empty()) ::SetWindowTextW(findBox_, address.c_str());
}

void CTraceDlg::SavePath(int command) {
  const std::vector<CellReference> path = filler_->PathFromRoot(SelectedItem());
  if (path.empty()) return;
  if (command == kCmdSavePathInClipboard) {
    OnExcel([&] { SavePathInClipboard(Container(), path, Controller().Clipboard()); });
    return;
  }
  std::wstring file;
  if (command == kCmdSavePathInFile) {
    file = AskTextFileName(Hwnd());
    if (file.empty()) return;
  }
  OnExcel([&] {
    if (command == kCmdSavePathInFile) {
      CBranchStorageFile storage;
      storage.SetPath(std::filesystem::path(file));
      storage.SetContainer(&Container());
      ::SavePath(storage, Container(), path);
    } else {
      CBranchStorageSheet storage;
      storage.SetContainer(&Container());
      ::SavePath(storage, Container(), path);
    }
  });
}

void CTraceDlg::Format(int command) {
  const CellReference* selected = SelectedReference();
  if (selected == nullptr) return;
  const bool branch = command <= kCmdFormatBranchLast;
  const int32_t index = command - (branch ? kCmdFormatBranchFirst : kCmdFormatPathFirst) + 1;
  const CellReference reference = *selected;
  const std::vector<CellReference> path =
      branch ? std::vector<CellReference>() : filler_->PathFromRoot(SelectedItem());
  OnExcel([&] {
    const std::wstring style = StyleNameAt(Container().Workbook(), index);
    if (style.empty()) return;
    if (branch) {
      FormatBranch(Container(), reference, kind_, style);
    } else {
      FormatPath(Container(), path, style);
    }
  });
}

void CTraceDlg::ExpandAll() {
  if (filler_ == nullptr) return;
  filler_->ExpandAll();
  UpdateCommandStates();
}

void CTraceDlg::Refresh() {
  if (logic_ == nullptr) return;
  logic_->Refresh();
  ShowFilled();
}

void CTraceDlg::SavePlacement() {
  SavePlacementUnder(kTracePlacementPrefix);
}

void CTraceDlg::OnClosing() {
  if (kind_ != TraceKind::kDependents && kind_ != TraceKind::kPrecedents) return;
  const CellReference* selected = SelectedReference();
  if (selected == nullptr || selected->externalId != 0 ||
      (selected->flags & RefNameNotRange) != 0) {
    return;
  }
  const CellPos first = selected->first;
  OnExcel([&] {
    ExcelObject worksheet;
    LONG visible = 0;
    if (GetSheet(Container().Worksheets(), first.sheet, &worksheet) &&
        worksheet.GetLong(L"Visible", &visible) && visible == kSheetVisibleState) {
      worksheet.CallMethod(L"ClearArrows", nullptr);
    }
  });
}

bool CTraceDlg::OnWindowCommand(int command, int, HWND) {
  if (logic_ == nullptr) return false;
  switch (command) {
    case kCmdHighlightErrors:
      logic_->ToggleHighlightErrors();
      SetToolbarCheck(kCmdHighlightErrors, filler_->Switches().highlightErrors);
      ::InvalidateRect(Hwnd(), nullptr, TRUE);
      ::InvalidateRect(TreeHwnd(), nullptr, TRUE);
      return true;
    case kCmdFilterHighlighted:
      logic_->ToggleFilterHighlighted();
      SetToolbarCheck(kCmdFilterHighlighted, filler_->Switches().filterHighlighted);
      ShowFilled();
      return true;
    case kCmdShowFindToolbar:
      ToggleFindToolbar();
      return true;
    case kCmdImportSelection:
      ImportSelection();
      return true;
    case kCmdFind:
      Find();
      return true;
    case IDOK:
      if (::GetFocus() == findBox_) Find();
      return true;
    case kCmdSavePathOnSheet:
    case kCmdSavePathInFile:
    case kCmdSavePathInClipboard:
      SavePath(command);
      return true;
    default:
      if (command >= kCmdFormatBranchFirst && command <= kCmdFormatPathLast) {
        Format(command);
        return true;
      }
      return false;
  }
}

HTREEITEM CTraceDlg::ItemAtCursor(UINT* flags) const {
  TVHITTESTINFO hit{};
  ::GetCursorPos(&hit.pt);
  ::ScreenToClient(TreeHwnd(), &hit.pt);
  const auto item = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(TreeHwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (flags != nullptr) *flags = hit.flags;
  return item;
}

LRESULT CTraceDlg::OnTreeNotify(NMHDR* notice, bool* handled) {
  switch (notice->code) {
    case TVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(notice);
      if ((info->item.mask & TVIF_TEXT) != 0 && info->item.pszText != nullptr &&
          info->item.cchTextMax > 0 && filler_ != nullptr) {
        // The tree measures a visible item while it is being inserted, before the filler knows
        // it; its text is fixed only once the filler can give it.
        const TreeItem item = CTreeViewStructure::ItemOf(info->item.hItem);
        const std::wstring text =
            filler_->ReferenceOf(item) != nullptr
                ? filler_->ItemText(item, static_cast<size_t>(info->item.cchTextMax))
                : std::wstring();
        std::copy(text.begin(), text.end(), info->item.pszText);
        info->item.pszText[text.size()] = L'\0';
      }
      *handled = true;
      return 0;
    }
    case TVN_ITEMEXPANDINGW: {
      const auto* view = reinterpret_cast<const NMTREEVIEWW*>(notice);
      if ((view->action & TVE_EXPAND) != 0 && filler_ != nullptr) {
        filler_->ExpandOnDemand(CTreeViewStructure::ItemOf(view->itemNew.hItem));
      }
      *handled = true;
      return FALSE;
    }
    case TVN_SELCHANGEDW: {
      const auto* view = reinterpret_cast<const NMTREEVIEWW*>(notice);
      const TreeItem item = CTreeViewStructure::ItemOf(view->itemNew.hItem);
      if (logic_ != nullptr && item != kNoItem) {
        const CellReference* reference = filler_->ReferenceOf(item);
        if (AutoActivateOn() && reference != nullptr && logic_->SelectInExcelEnabled()) {
          SelectInExcel(*reference, false);
        }
        logic_->ShowItemInBoxes(item);
        ShowBoxes();
      }
      UpdateCommandStates();
      *handled = true;
      return 0;
    }
    case NM_DBLCLK: {
      UINT flags = 0;
      const HTREEITEM item = ItemAtCursor(&flags);
      if (item != nullptr && (flags & (TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT)) == 0 &&
          logic_ != nullptr) {
        const TreeItem at = CTreeViewStructure::ItemOf(item);
        if (const CellReference* reference = filler_->ReferenceOf(at)) {
          SelectInExcel(*reference, true);
        }
        logic_->ShowItemInBoxes(at);
        ShowBoxes();
      }
      *handled = true;
      return 0;
    }
    case TVN_KEYDOWN: {
      const auto* key = reinterpret_cast<const NMTVKEYDOWN*>(notice);
      *handled = true;
      if (key->wVKey == VK_RETURN) {
        SelectSelectedInExcel(true);
        return TRUE;
      }
      if (key->wVKey == VK_APPS) {
        RECT rect{};
        if (const TreeItem selected = SelectedItem(); selected != kNoItem) {
          // TVM_GETITEMRECT takes the item in the rectangle it fills.
          const HTREEITEM handle = CTreeViewStructure::Handle(selected);
          std::memcpy(&rect, &handle, sizeof(handle));
          ::SendMessageW(TreeHwnd(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        }
        POINT point{rect.left, rect.bottom};
        ::ClientToScreen(TreeHwnd(), &point);
        ShowContextMenu(point);
        return TRUE;
      }
      if (key->wVKey == 'F' && !FindToolbarShown()) {
        ToggleFindToolbar();
        return TRUE;
      }
      return FALSE;
    }
    case NM_RCLICK: {
      if (HTREEITEM item = ItemAtCursor(nullptr)) {
        ::SendMessageW(TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        POINT point{};
        ::GetCursorPos(&point);
        ShowContextMenu(point);
      }
      *handled = true;
      return TRUE;
    }
    case NM_SETFOCUS:
      SetHighlightEnabled(true);
      return 0;
    case NM_KILLFOCUS:
      SetHighlightEnabled(false);
      return 0;
    default:
      return 0;
  }
}

LRESULT CTraceDlg::OnValueBoxColor(HDC dc) {
  if (kind_ == TraceKind::kFillColor && filterBrush_) {
    ::SetBkColor(dc, filterColor_);
    return reinterpret_cast<LRESULT>(filterBrush_.Get());
  }
  ::SetTextColor(dc, filterColor_);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CTraceDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case WM_NOTIFY: {
      auto* notice = reinterpret_cast<NMHDR*>(lParam);
      if (notice->idFrom == static_cast<UINT_PTR>(kTreeHostId) &&
          notice->hwndFrom == tree_.Hwnd()) {
        return OnTreeNotify(notice, handled);
      }
      break;
    }
    case WM_SIZE:
      Layout();
      if (widthsFollowSize_ && ::IsWindowVisible(Hwnd()) == FALSE) {
        RECT client{};
        ::GetClientRect(tree_.Hwnd(), &client);
        tree_.SetColumnWidths(CCellTreeCtrl::DefaultWidths(client.right - client.left));
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == valueBox_ &&
          (kind_ == TraceKind::kFillColor || kind_ == TraceKind::kFontColor)) {
        *handled = true;
        return OnValueBoxColor(reinterpret_cast<HDC>(wParam));
      }
      break;
    case WM_DESTROY:
      if (findBox_ != nullptr) ::RemoveWindowSubclass(findBox_, FindBoxProc, kFindBoxSubclass);
      break;
    default:
      break;
  }
  return CTrelvaneDlg::OnMessage(message, wParam, lParam, handled);
}
