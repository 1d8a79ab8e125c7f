// The Windows desktop: hidden window, host window, UI thread, frame, menus and shell.
#include "addin/win32/win32_desktop.h"

#include <shellapi.h>

#include <utility>

#include "addin/win32/about_dialog.h"
#include "addin/win32/color_menu.h"
#include "addin/win32/message_boxes.h"
#include "addin/win32/office_interfaces.h"
#include "platform/win32/scoped_handles.h"
#include "resources/resource_ids.h"
#include "addin/addin_manager.h"
#include "views/win32/loading_progress.h"
#include "views/win32/trelvane_windows.h"
#include "wndmgr/win32/window_manager_theme.h"
#include "wndmgr/win32/wnd_manager_ui_wnd.h"

namespace {

// How long the frame is given to close when the desktop goes.
constexpr UINT kFrameCloseWaitMs = 5000;
constexpr LPARAM kEscapeKeyData = 0x00010001;  // repeat count 1, scan code 1

// A menu item text shows "&" as itself only when doubled.
std::wstring MenuItemText(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t character : text) {
    if (character == L'&') escaped += L'&';
    escaped += character;
  }
  return escaped;
}

}  // namespace

CWin32Desktop::CWin32Desktop()
    : excelThreadId_(::GetCurrentThreadId()), progress_(&MakeLoadingProgressDisplay) {
  hidden_.Create();
  clipboard_.SetFallbackOwner(hidden_.Hwnd());
}

CWin32Desktop::~CWin32Desktop() {
  // The frame first, while the host window can still serve its windows' last calls: closing it
  // destroys what it hosts, then it goes itself, on its own thread.
  if (HWND frame = frame_.exchange(nullptr); frame != nullptr) {
    ::SendMessageTimeoutW(frame, WM_CLOSE, 0, 0, SMTO_NORMAL, kFrameCloseWaitMs, nullptr);
    if (uiThread_) uiThread_->RunOnUiThread([frame] { ::DestroyWindow(frame); }, true);
  }
  // The UI thread runs this module's code: it must not outlive the add-in, whose DLL Excel may
  // free once the add-in object is gone.
  uiThread_.reset();
  host_.reset();
  if (excelWindow_ != nullptr) SetMessageOwnerWindow(nullptr);
  hidden_.Destroy();
}

void CWin32Desktop::SetManager(CAddInManager* manager) {
  hidden_.SetManager(manager);
}

void CWin32Desktop::AttachToExcel(HWND excelWindow) {
  excelWindow_ = excelWindow;
  SetMessageOwnerWindow(excelWindow);
  if (!host_) host_ = CHostWnd::Create(excelWindow);
}

void CWin32Desktop::SetRibbon(IDispatch* ribbonUi) {
  ribbon_.Reset(ribbonUi);
}

HWND CWin32Desktop::WindowManagerWindow() const {
  HWND frame = frame_.load();
  return frame != nullptr && ::IsWindow(frame) != FALSE ? frame : nullptr;
}

void CWin32Desktop::ShowMessage(const std::wstring& text) {
  ::ShowMessage(text, MB_OK);
}

void CWin32Desktop::PressEscape() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (::GetGUIThreadInfo(excelThreadId_, &info) == FALSE || info.hwndFocus == nullptr) return;
  ::PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, kEscapeKeyData);
  ::PostMessageW(info.hwndFocus, WM_KEYUP, VK_ESCAPE, kEscapeKeyData);
}

void CWin32Desktop::PostToHiddenWindow(uint32_t message, uintptr_t wParam) {
  ::PostMessageW(hidden_.Hwnd(), message, wParam, 0);
}

bool CWin32Desktop::EnsureUiThread() {
  if (!uiThread_) uiThread_ = CNuvUIThread::Start();
  return uiThread_ != nullptr;
}

HWND CWin32Desktop::GetWindowManager() {
  if (HWND frame = WindowManagerWindow()) return frame;
  frame_ = nullptr;
  if (!EnsureUiThread()) return nullptr;
  HWND made = nullptr;
  const int32_t version = excelMajorVersion_;
  uiThread_->RunOnUiThread(
      [&made, version] {
        CWndManagerUIWnd* manager = CWndManagerUIWnd::CreateOnThisThread(
            ChoosePainterForExcel(version), LoadModuleString(IDS_PRODUCT_TITLE));
        made = manager != nullptr ? manager->Hwnd() : nullptr;
      },
      true);
  frame_ = made;
  return made;
}

bool CWin32Desktop::PostWindow(HWND frame, const WindowRequest& request) {
  std::shared_ptr<IWndMgrItem> window = MakeTrelvaneWindow(
      *this, request.container, request.kind, request.root, request.colorIndex);
  return window != nullptr && CWndManagerUIWnd::PostAddWindow(frame, std::move(window), true);
}

void CWin32Desktop::OpenWindow(const WindowRequest& request) {
  HWND frame = GetWindowManager();
  if (frame == nullptr) return;
  if (PostWindow(frame, request)) uiThread_->ActivateWindow(frame);
}

void CWin32Desktop::OpenWindow(std::shared_ptr<CDependencyContainer> container, TraceKind kind,
                               const CellReference& root, int32_t colorIndex) {
  // A window opening another: the frame that hosts it is there already.
  HWND frame = WindowManagerWindow();
  if (frame == nullptr) return;
  WindowRequest request;
  request.container = std::move(container);
  request.kind = kind;
  request.root = root;
  request.colorIndex = colorIndex;
  if (PostWindow(frame, request) && uiThread_) uiThread_->ActivateWindow(frame);
}

void CWin32Desktop::OpenHelp(int32_t topic) {
  OpenAddress(std::wstring(kHelpSiteAddress) + HelpPage(topic));
}

void CWin32Desktop::CloseWindowManager() {
  // The frame hides and destroys what it hosts; the next window shows it again.
  if (HWND frame = WindowManagerWindow(); frame != nullptr) {
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
  }
}

int32_t CWin32Desktop::TrackTextMenu(const std::vector<std::wstring>& texts,
                                     const std::vector<int32_t>& ids, HWND owner) {
  CScopedMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  for (size_t index = 0; index < texts.size() && index < ids.size(); ++index) {
    ::AppendMenuW(menu.Get(), MF_STRING, static_cast<UINT_PTR>(ids[index]),
                  MenuItemText(texts[index]).c_str());
  }
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const BOOL chosen =
      ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                       cursor.x, cursor.y, 0, owner, nullptr);
  return static_cast<int32_t>(chosen);
}

int32_t CWin32Desktop::ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                                          const std::optional<ToolbarButtonPlace>& button) {
  return ::ChooseFromColorMenu(hidden_, items, button);
}

void CWin32Desktop::InvalidateRecentItems() {
  if (!ribbon_) return;
  CComPtr<IRibbonUI> ribbon;
  if (SUCCEEDED(ribbon_.QueryInterface(IID_IRibbonUI, &ribbon)) && ribbon) {
    ribbon->Invalidate();
    return;
  }
  // A ribbon answering only late-bound calls.
  DISPPARAMS none{};
  ribbon_->Invoke(kRibbonInvalidateId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                  nullptr, nullptr, nullptr);
}

int32_t CWin32Desktop::ChooseFromRecentItemsMenu(const std::vector<std::wstring>& captions) {
  if (captions.empty()) return 0;
  std::vector<int32_t> ids;
  for (size_t index = 0; index < captions.size(); ++index) {
    ids.push_back(static_cast<int32_t>(index + 1));
  }
  HWND owner = ::IsWindow(excelWindow_) != FALSE ? excelWindow_ : hidden_.Hwnd();
  return TrackTextMenu(captions, ids, owner);
}

void CWin32Desktop::OpenAddress(const std::wstring& address) {
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWin32Desktop::ShowAbout() {
  ShowAboutDialog(excelWindow_);
}
