// The common part of the trace and evaluate windows: toolbar, context menu, the commands on the
// selected item, selecting in Excel, placement and closing.
#include "views/win32/trelvane_dlg.h"

#include <array>
#include <exception>
#include <filesystem>
#include <utility>

#include "excel/cell_range.h"
#include "export/branch_saving_manager.h"
#include "export/branch_storage_file.h"
#include "export/branch_storage_sheet.h"
#include "export/clipboard_route.h"
#include "export/style_list.h"
#include "platform/win32/module_instance.h"
#include "views/trace_filler.h"
#include "views/win32/move_aside_window.h"
#include "views/win32/save_text_dialog.h"
#include "views/win32/settings_registry.h"
#include "views/window_commands.h"

namespace {

// The drawn bitmaps of the toolbars and the trace image strip.
constexpr int kToolbarBitmap = 1029;
constexpr int kToolbarDisabledBitmap = 3011;
constexpr int kTraceImageStripBitmap = 3000;
constexpr int kImageSize = 16;

constexpr LONG kSheetVisible = -1;  // xlSheetVisible
constexpr int kArrowDependents = 2;
constexpr int kArrowPrecedents = 4;

class CPrimaryScreen final : public IScreenMetrics {
 public:
  int32_t ScreenWidth() const override { return ::GetSystemMetrics(SM_CXSCREEN); }
  int32_t ScreenHeight() const override { return ::GetSystemMetrics(SM_CYSCREEN); }
};

struct ToolbarImage {
  int command;
  int image;
  bool check;
};
constexpr std::array kToolbarImages{
    ToolbarImage{kCmdShowPrecedents, 0, false},     ToolbarImage{kCmdShowDependents, 1, false},
    ToolbarImage{kCmdShowInputs, 2, false},         ToolbarImage{kCmdTraceError, 3, false},
    ToolbarImage{kCmdHighlightErrors, 4, true},     ToolbarImage{kCmdFilterHighlighted, 5, true},
    ToolbarImage{kCmdEvaluateFormula, 6, false},    ToolbarImage{kCmdSelectInExcel, 7, false},
    ToolbarImage{kCmdShowTracingArrows, 8, true},   ToolbarImage{kCmdHelp, 9, false},
    ToolbarImage{kCmdSaveBranchOnSheet, 10, false}, ToolbarImage{kCmdSaveBranchInFile, 11, false},
    ToolbarImage{kCmdAutoActivate, 12, true},       ToolbarImage{kCmdExpandAll, 13, false},
    ToolbarImage{kCmdShowFindToolbar, 14, true},
};

const wchar_t* kNotOpenedFormat =
    L"Workbook '%s' is not opened.\nPlease, open this workbook using File | Open or Edit | "
    L"Links menu\nand run this command again.";

std::wstring MenuText(int command) {
  const wchar_t* text = CommandTooltip(command);
  return text != nullptr ? text : std::wstring();
}

UINT MenuFlags(bool enabled) {
  return static_cast<UINT>(MF_STRING) | static_cast<UINT>(enabled ? MF_ENABLED : MF_GRAYED);
}

UINT_PTR MenuId(int command) {
  return static_cast<UINT_PTR>(command);
}

UINT_PTR SubmenuId(HMENU menu) {
  return reinterpret_cast<UINT_PTR>(menu);
}

// "[Book2.xlsx]Sheet1!A1" or "'C:\dir\[Book2.xlsx]Sheet1'!A1": the workbook's name.
std::wstring ExternalWorkbookName(std::wstring_view text) {
  const size_t open = text.find(L'[');
  const size_t close = text.find(L']', open == std::wstring_view::npos ? 0 : open);
  if (open == std::wstring_view::npos || close == std::wstring_view::npos) return {};
  return std::wstring(text.substr(open + 1, close - open - 1));
}

// A plain reference to the corners the parser read.
CellReference PlainReference(const CellPos& first, const CellPos& last) {
  CellReference reference;
  reference.first = first;
  reference.last = last;
  return reference;
}

}  // namespace

int ToolbarImageOf(int command) {
  for (const ToolbarImage& entry : kToolbarImages) {
    if (entry.command == command) return entry.image;
  }
  return -1;
}

bool IsToolbarCheckCommand(int command) {
  for (const ToolbarImage& entry : kToolbarImages) {
    if (entry.command == command) return entry.check;
  }
  return false;
}

bool PlacementSound(const RECT& rect, int screenWidth, int screenHeight) {
  return rect.left > 0 && rect.top > 0 && rect.left < rect.right && rect.top < rect.bottom &&
         rect.left < screenWidth && rect.top < screenHeight;
}

CTrelvaneDlg::CTrelvaneDlg(ITrelvaneController& controller,
                           std::shared_ptr<CDependencyContainer> container,
                           const CellReference& pendingRoot)
    : controller_(controller), container_(std::move(container)), pendingRoot_(pendingRoot) {
  SetTitle(L"Trelvane - expanding tree");
}

CTrelvaneDlg::~CTrelvaneDlg() {
  // A window still open goes now, while the derived parts are gone already: only the common
  // steps can run.
  if (Hwnd() != nullptr) ::DestroyWindow(Hwnd());
  // The container holds Excel's objects: when this window is its last holder, it goes on
  // Excel's thread, or here when that thread can no longer be reached.
  if (container_ != nullptr) {
    std::shared_ptr<CDependencyContainer> last = std::move(container_);
    try {
      controller_.ExcelThread().Run([&last] { last.reset(); });
    } catch (...) {
      last.reset();
    }
  }
}

HWND CTrelvaneDlg::CreateInManager(HWND parent) {
  if (container_ == nullptr) return nullptr;
  return CreateModeless(TemplateId(), parent) ? Hwnd() : nullptr;
}

void CTrelvaneDlg::PostRefresh() {
  if (Hwnd() != nullptr) ::PostMessageW(Hwnd(), kRefreshWindowMessage, 0, 0);
}

void CTrelvaneDlg::SendClose() {
  if (Hwnd() != nullptr) ::SendMessageW(Hwnd(), kCloseWindowMessage, 0, 0);
}

bool CTrelvaneDlg::WindowRect(ScreenRect* rect) const {
  RECT window{};
  if (Hwnd() == nullptr || ::IsIconic(Hwnd()) != FALSE ||
      ::GetWindowRect(Hwnd(), &window) == FALSE) {
    return false;
  }
  *rect = ScreenRect{window.left, window.top, window.right, window.bottom};
  return true;
}

bool CTrelvaneDlg::ToolbarButtonEnabled(int command) const {
  return toolbar_ != nullptr &&
         ::SendMessageW(toolbar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
}

bool CTrelvaneDlg::ToolbarButtonChecked(int command) const {
  return toolbar_ != nullptr &&
         ::SendMessageW(toolbar_, TB_ISBUTTONCHECKED, static_cast<WPARAM>(command), 0) != 0;
}

bool CTrelvaneDlg::OnWindowCommand(int, int, HWND) {
  return false;
}

bool CTrelvaneDlg::SwitchState(int command) const {
  if (command == kCmdShowTracingArrows) return showArrows_;
  if (command == kCmdAutoActivate) return autoActivate_;
  return false;
}

void CTrelvaneDlg::OnExcel(const std::function<void()>& call) {
  controller_.ExcelThread().Run([&call] {
    try {
      call();
    } catch (const std::exception&) {
      // A failed workbook access leaves the window as it was.
    }
  });
}

BOOL CTrelvaneDlg::OnInitDialog() {
  LOGFONTW font{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfWeight = FW_BOLD;
  boldFont_.Reset(::CreateFontIndirectW(&font));
  root_ = pendingRoot_;
  showArrows_ = ReadWindowSwitch(kShowArrowsValue, false);
  autoActivate_ = ReadWindowSwitch(kAutoActivateValue, true);

  imageStrip_ = LoadMaskedStrip(kTraceImageStripBitmap, kImageSize);

  const int icon = IconResourceId();
  smallIcon_.Reset(static_cast<HICON>(::LoadImageW(
      ModuleInstance(), ResourceName(icon), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  bigIcon_.Reset(static_cast<HICON>(::LoadImageW(ModuleInstance(), ResourceName(icon), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXICON),
                                                 ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR)));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
  ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));

  CreateToolbar();

  OnExcel([this] {
    highlighter_ = std::make_unique<CCellHighlighter>(container_->Application());
    container_->RegisterView(this);
    registered_ = true;
  });
  const BOOL focus = OnInitWindow();
  initialised_ = true;
  return focus;
}

void CTrelvaneDlg::CreateToolbar() {
  toolbar_ = ::CreateWindowExW(
      0, TOOLBARCLASSNAMEW, nullptr,
      WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0,
      0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)), ModuleInstance(),
      nullptr);
  if (toolbar_ == nullptr) return;
  ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  toolbarImages_ = LoadMaskedStrip(kToolbarBitmap, kImageSize);
  toolbarHotImages_ = LoadMaskedStrip(kToolbarBitmap, kImageSize);
  toolbarDisabledImages_ = LoadMaskedStrip(kToolbarDisabledBitmap, kImageSize);
  ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_.Get()));
  ::SendMessageW(toolbar_, TB_SETHOTIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(toolbarHotImages_.Get()));
  ::SendMessageW(toolbar_, TB_SETDISABLEDIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(toolbarDisabledImages_.Get()));

  std::vector<TBBUTTON> buttons;
  for (const int command : ToolbarCommands()) {
    TBBUTTON button{};
    if (command == kCmdSeparator) {
      button.fsStyle = BTNS_SEP;
    } else {
      button.iBitmap = ToolbarImageOf(command) >= 0 ? ToolbarImageOf(command) : I_IMAGENONE;
      button.idCommand = command;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
      if (IsToolbarCheckCommand(command)) {
        button.fsStyle = BTNS_CHECK;
        if (SwitchState(command)) button.fsState |= TBSTATE_CHECKED;
      }
    }
    buttons.push_back(button);
  }
  ::SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
  ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void CTrelvaneDlg::UpdateCommandStates() {
  if (toolbar_ == nullptr) return;
  for (const int command : ToolbarCommands()) {
    if (command == kCmdSeparator) continue;
    ::SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(command),
                   MAKELPARAM(IsCommandEnabled(command) ? TRUE : FALSE, 0));
  }
}

void CTrelvaneDlg::SetToolbarCheck(int command, bool checked) {
  if (toolbar_ == nullptr) return;
  ::SendMessageW(toolbar_, TB_CHECKBUTTON, static_cast<WPARAM>(command),
                 MAKELPARAM(checked ? TRUE : FALSE, 0));
}

CScopedMenu CTrelvaneDlg::BuildContextMenu() {
  CScopedMenu menu(::CreatePopupMenu());
  for (const int command : ContextMenuCommands()) {
    if (command == kCmdSeparator) {
      ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    } else if (command == kCmdSaveBranchMenu || command == kCmdSavePathMenu) {
      const bool branch = command == kCmdSaveBranchMenu;
      const bool enabled = IsCommandEnabled(branch ? kCmdSaveBranchOnSheet : kCmdSavePathOnSheet);
      HMENU submenu = ::CreatePopupMenu();
      ::AppendMenuW(submenu, MenuFlags(enabled),
                    MenuId(branch ? kCmdSaveBranchOnSheet : kCmdSavePathOnSheet),
                    L"On separate worksheet");
      ::AppendMenuW(submenu, MenuFlags(enabled),
                    MenuId(branch ? kCmdSaveBranchInFile : kCmdSavePathInFile),
                    L"In external file");
      ::AppendMenuW(submenu, MenuFlags(enabled),
                    MenuId(branch ? kCmdSaveBranchInClipboard : kCmdSavePathInClipboard),
                    L"In clipboard");
      ::AppendMenuW(menu.Get(), MF_POPUP, SubmenuId(submenu),
                    branch ? L"Save branch ..." : L"Save path from root node ...");
    } else if (command == kCmdFormatMenu) {
      std::vector<std::wstring> styles;
      OnExcel([&] { styles = ReadStyleNames(container_->Workbook()); });
      if (styles.empty()) continue;
      const bool enabled = IsCommandEnabled(kCmdFormatBranchFirst);
      HMENU format = ::CreatePopupMenu();
      const std::array<std::pair<int, const wchar_t*>, 2> parts{
          std::pair{kCmdFormatBranchFirst, L"branch ..."},
          std::pair{kCmdFormatPathFirst, L"path from root node ..."}};
      for (const auto& [first, title] : parts) {
        HMENU submenu = ::CreatePopupMenu();
        const int last = first + (kCmdFormatBranchLast - kCmdFormatBranchFirst);
        for (size_t i = 0; i < styles.size() && first + static_cast<int>(i) <= last; ++i) {
          ::AppendMenuW(submenu, MenuFlags(enabled), MenuId(first + static_cast<int>(i)),
                        styles[i].c_str());
        }
        ::AppendMenuW(format, MF_POPUP, SubmenuId(submenu), title);
      }
      ::AppendMenuW(menu.Get(), MF_POPUP, SubmenuId(format), L"Format");
    } else {
      ::AppendMenuW(menu.Get(), MenuFlags(IsCommandEnabled(command)), MenuId(command),
                    MenuText(command).c_str());
    }
  }
  return menu;
}

void CTrelvaneDlg::ShowContextMenu(POINT screen) {
  CScopedMenu menu = BuildContextMenu();
  ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Hwnd(),
                   nullptr);
}

void CTrelvaneDlg::OpenWindowOnSelected(TraceKind kind) {
  const CellReference* selected = SelectedReference();
  if (selected == nullptr) return;
  const CellReference reference = *selected;
  if (reference.externalId == 0) {
    controller_.OpenWindow(container_, kind, reference, 0);
    return;
  }
  // Another workbook's cells open in a window on that workbook.
  std::wstring text;
  OnExcel([&] { text = std::wstring(container_->ExternalText(reference.externalId)); });
  const std::wstring name = ExternalWorkbookName(text);
  std::shared_ptr<CDependencyContainer> other =
      name.empty() ? nullptr : controller_.FindContainerByWorkbookName(name);
  if (other == nullptr) {
    std::wstring message(kNotOpenedFormat);
    message.replace(message.find(L"%s"), 2, name);
    controller_.Messages().ShowMessage(message);
    return;
  }
  bool parsed = false;
  CellReference target;
  OnExcel([&] {
    CAddressParser& parser = other->AddressParser();
    const size_t close = text.find(L']');
    std::wstring local = text.substr(close + 1);
    if (!local.empty() && local.front() != L'\'' && text.front() == L'\'') local.insert(0, L"'");
    parsed = parser.Parse(local) && !parser.IsExternal();
    if (parsed) target = PlainReference(parser.First(), parser.Last());
  });
  if (parsed) controller_.OpenWindow(other, kind, target, 0);
}

void CTrelvaneDlg::SelectInExcel(const CellReference& reference, bool bringToFront) {
  if (!selectInExcelEnabled_) return;
  if (reference.nameId != 0 && (reference.flags & RefNameNotRange) != 0) return;
  const int arrows = showArrows_ ? ArrowKind() : 0;
  OnExcel([&] {
    ExcelObject range;
    if (reference.externalId != 0) {
      const std::wstring text(container_->ExternalText(reference.externalId));
      const std::wstring name = ExternalWorkbookName(text);
      std::shared_ptr<CDependencyContainer> other =
          name.empty() ? nullptr : controller_.FindContainerByWorkbookName(name);
      if (other == nullptr) return;
      CAddressParser& parser = other->AddressParser();
      if (!parser.Parse(text.substr(text.find(L']') + 1)) || parser.IsExternal()) return;
      if (!GetRectangleRange(other->Worksheets(), parser.First(), parser.Last(), &range)) return;
    } else if (!GetRectangleRange(container_->Worksheets(), reference.first, reference.last,
                                  &range)) {
      return;
    }
    ExcelObject worksheet;
    ExcelObject workbook;
    if (!range.GetObject(L"Worksheet", &worksheet) || !worksheet.GetObject(L"Parent", &workbook)) {
      return;
    }
    workbook.CallMethod(L"Activate", nullptr);
    LONG visible = 0;
    if (!worksheet.GetLong(L"Visible", &visible) || visible != kSheetVisible) return;
    worksheet.CallMethod(L"Activate", nullptr);
    range.CallMethod(L"Select", nullptr);
    if (highlighter_ != nullptr) highlighter_->HighlightRange(range);
    worksheet.CallMethod(L"ClearArrows", nullptr);
    bool hasFormula = false;
    if ((arrows & kArrowDependents) != 0) {
      range.CallMethod(L"ShowDependents", nullptr);
    } else if ((arrows & kArrowPrecedents) != 0 && range.GetBool(L"HasFormula", &hasFormula) &&
               hasFormula) {
      range.CallMethod(L"ShowPrecedents", nullptr);
    }
  });
  if (bringToFront && controller_.ExcelWindow() != nullptr) {
    ::SetForegroundWindow(controller_.ExcelWindow());
  }
  MoveAside();
}

void CTrelvaneDlg::MoveAside() {
  if (Hwnd() == nullptr) return;
  HWND topLevel = ::GetAncestor(Hwnd(), GA_ROOT);
  OnExcel([&] { MoveAsideFrom(topLevel, container_->Application()); });
}

void CTrelvaneDlg::SelectSelectedInExcel(bool bringToFront) {
  if (const CellReference* selected = SelectedReference()) SelectInExcel(*selected, bringToFront);
}

void CTrelvaneDlg::SetHighlightEnabled(bool enabled) {
  if (highlighter_ == nullptr) return;
  OnExcel([&] { highlighter_->SetHighlightEnabled(enabled); });
}

void CTrelvaneDlg::SaveBranch(int command) {
  const CellReference* selected = SelectedReference();
  if (selected == nullptr) return;
  const bool wholeList = SavesWholeList();
  const CellReference root = wholeList ? root_ : *selected;
  const TraceKind kind = WindowKind();
  if (command == kCmdSaveBranchInClipboard) {
    OnExcel([&] {
      SaveBranchInClipboard(*container_, kind, root, wholeList, controller_.Clipboard());
    });
    return;
  }
  std::wstring file;
  if (command == kCmdSaveBranchInFile) {
    file = AskTextFileName(Hwnd());
    if (file.empty()) return;
  }
  OnExcel([&] {
    CBranchStorageSheet sheet;
    CBranchStorageFile text;
    CBranchStorage* storage = &sheet;
    if (command == kCmdSaveBranchInFile) {
      text.SetPath(std::filesystem::path(file));
      text.SetContainer(container_.get());
      storage = &text;
    } else {
      sheet.SetContainer(container_.get());
    }
    CBranchSavingManager manager;
    manager.SetKind(kind);
    manager.SetStorage(storage);
    manager.SetContainer(container_.get());
    manager.SetRoot(root, wholeList);
    manager.Save();
  });
}

void CTrelvaneDlg::SavePlacementUnder(const std::wstring& prefix) const {
  if (Hwnd() == nullptr || ::IsZoomed(Hwnd()) != FALSE || ::IsIconic(Hwnd()) != FALSE) return;
  RECT rect{};
  if (::GetWindowRect(Hwnd(), &rect) == FALSE) return;
  WriteWindowSetting(prefix + L"_left", rect.left);
  WriteWindowSetting(prefix + L"_top", rect.top);
  WriteWindowSetting(prefix + L"_right", rect.right);
  WriteWindowSetting(prefix + L"_bottom", rect.bottom);
}

bool CTrelvaneDlg::WindowRectSound(const RECT& rect) const {
  return PlacementSound(rect, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

void CTrelvaneDlg::MoveToScreenRect(RECT rect) {
  HWND parent = ::GetParent(Hwnd());
  if (parent != nullptr && (::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_CHILD) != 0) {
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  ::SetWindowPos(Hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CTrelvaneDlg::RestorePlacementFrom(const std::wstring& prefix) {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  if (!ReadWindowSetting(prefix + L"_left", &left) || !ReadWindowSetting(prefix + L"_top", &top) ||
      !ReadWindowSetting(prefix + L"_right", &right) ||
      !ReadWindowSetting(prefix + L"_bottom", &bottom)) {
    return false;
  }
  const RECT rect{left, top, right, bottom};
  if (!WindowRectSound(rect)) return false;
  MoveToScreenRect(rect);
  return true;
}

void CTrelvaneDlg::Cascade() {
  std::optional<ScreenPoint> position;
  OnExcel([&] { position = NewViewPosition(*container_, CPrimaryScreen()); });
  RECT rect{};
  if (!position || ::GetWindowRect(Hwnd(), &rect) == FALSE) return;
  ::OffsetRect(&rect, position->x - rect.left, position->y - rect.top);
  MoveToScreenRect(rect);
}

void CTrelvaneDlg::CloseWindow() {
  if (closing_ || Hwnd() == nullptr) return;
  closing_ = true;
  OnClosing();
  SavePlacement();
  LeaveContainer();
  ::DestroyWindow(Hwnd());
}

void CTrelvaneDlg::LeaveContainer() {
  if (highlighter_ == nullptr && !registered_) return;
  const bool unregister = std::exchange(registered_, false);
  OnExcel([this, unregister] {
    if (unregister) container_->UnregisterView(this);
    // The frame's borders go back before the window lets go of Excel's objects.
    if (highlighter_ != nullptr) highlighter_->SetHighlightEnabled(false);
    highlighter_.reset();
  });
}

void CTrelvaneDlg::HandleCommand(int command) {
  switch (command) {
    case kCmdShowPrecedents:
      OpenWindowOnSelected(TraceKind::kPrecedents);
      break;
    case kCmdShowDependents:
      OpenWindowOnSelected(TraceKind::kDependents);
      break;
    case kCmdShowInputs:
      OpenWindowOnSelected(TraceKind::kInputs);
      break;
    case kCmdTraceError:
      OpenWindowOnSelected(TraceKind::kTraceError);
      break;
    case kCmdEvaluateFormula:
      OpenWindowOnSelected(TraceKind::kEvaluateFormula);
      break;
    case kCmdSelectInExcel:
      SelectSelectedInExcel(true);
      break;
    case kCmdShowTracingArrows:
      showArrows_ = !showArrows_;
      WriteWindowSetting(kShowArrowsValue, showArrows_ ? 1 : 0);
      SetToolbarCheck(kCmdShowTracingArrows, showArrows_);
      SelectSelectedInExcel(true);
      break;
    case kCmdAutoActivate:
      autoActivate_ = !autoActivate_;
      WriteWindowSetting(kAutoActivateValue, autoActivate_ ? 1 : 0);
      SetToolbarCheck(kCmdAutoActivate, autoActivate_);
      if (autoActivate_) SelectSelectedInExcel(true);
      break;
    case kCmdSaveBranchOnSheet:
    case kCmdSaveBranchInFile:
    case kCmdSaveBranchInClipboard:
      SaveBranch(command);
      break;
    case kCmdExpandAll:
      ExpandAll();
      break;
    case kCmdHelp:
      controller_.OpenHelp(HelpTopic());
      break;
    case IDCANCEL:
      CloseWindow();
      break;
    default:
      break;
  }
}

LRESULT CTrelvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case WM_COMMAND: {
      // Menus, accelerators and buttons (toolbars among them) give codes 0 and 1; the edit
      // boxes' notifications carry their control ids, one of which is also a command's.
      const int code = HIWORD(wParam);
      if (code > 1) return 0;
      const int command = LOWORD(wParam);
      if (!OnWindowCommand(command, code, reinterpret_cast<HWND>(lParam))) {
        HandleCommand(command);
      }
      *handled = true;
      return 0;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        const wchar_t* text = CommandTooltip(static_cast<int32_t>(header->idFrom));
        info->lpszText = const_cast<wchar_t*>(text != nullptr ? text : L"");
        *handled = true;
      }
      return 0;
    }
    case WM_SIZE:
      if (toolbar_ != nullptr) ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
      if (wParam == SIZE_RESTORED && initialised_) SavePlacement();
      return 0;
    case WM_CLOSE:
      CloseWindow();
      *handled = true;
      return 0;
    case kRefreshWindowMessage:
      Refresh();
      *handled = true;
      return 0;
    case kCloseWindowMessage:
      // Sent from the container's destruction on Excel's thread: forget it without calling it,
      // and close once this message has returned.
      registered_ = false;
      SavePlacement();
      ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
      *handled = true;
      return 0;
    case WM_DESTROY:
      // Destroyed with its frame, without a close: the container must still forget it.
      LeaveContainer();
      return 0;
    default:
      return 0;
  }
}
