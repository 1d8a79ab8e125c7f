// The request list frame: its window, its list box, and how a request becomes a line.
#include "addin/win32/request_list_frame.h"

#include <memory>

#include "addin/win32/message_boxes.h"
#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"
#include "views/evaluate_filler.h"
#include "views/trace_window.h"

std::wstring DescribeWindowRequest(const WindowRequest& request) {
  if (!request.container) return L"(no container)";
  const CDependencyContainer& container = *request.container;
  std::wstring line = request.kind == TraceKind::kEvaluateFormula
                          ? EvaluateWindowTitle(container, request.root)
                          : TraceWindowTitle(container, request.root, request.kind);
  if (request.kind == TraceKind::kFillColor || request.kind == TraceKind::kFontColor) {
    line += L"  colour " + std::to_wstring(request.colorIndex);
  }
  return line + L"  (container " + container.WorkbookName() + L")";
}

HWND CRequestListFrame::CreateOnThisThread() {
  auto* frame = new CRequestListFrame();
  std::wstring title = LoadModuleString(IDS_PRODUCT_TITLE);
  if (title.empty()) title = L"Trelvane";
  ClassLook look;
  look.cursor = ::LoadCursorW(nullptr, ResourceName(32512));  // IDC_ARROW
  look.background = SystemColorBrush(COLOR_BTNFACE);
  // The product icon at both sizes; shared icons, which the system keeps for the module.
  look.icon = static_cast<HICON>(::LoadImageW(
      ModuleInstance(), ResourceName(IDI_WINDOW_MANAGER), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
      ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  look.smallIcon = static_cast<HICON>(::LoadImageW(
      ModuleInstance(), ResourceName(IDI_WINDOW_MANAGER), IMAGE_ICON,
      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  const RECT placement = {80, 80, 680, 480};
  if (!frame->Create(L"TrelvaneRequestListFrame", look, 0, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                     title.c_str(), nullptr, 0, placement)) {
    delete frame;  // not yet its own owner, even if a window was made and destroyed meanwhile
    return nullptr;
  }
  frame->ownsItself_ = true;
  return frame->Hwnd();
}

bool CRequestListFrame::PostRequest(HWND frame, const WindowRequest& request, bool activate) {
  auto copy = std::make_unique<WindowRequest>(request);
  if (::PostMessageW(frame, kAddWindowMessage, activate ? 1 : 0,
                     reinterpret_cast<LPARAM>(copy.get())) == FALSE) {
    return false;
  }
  (void)copy.release();  // the frame deletes it
  return true;
}

LRESULT CRequestListFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case WM_CREATE: {
      list_ = ::CreateWindowExW(
          WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
          WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, 0, 0, 0, 0,
          Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRequestListId)), ModuleInstance(),
          nullptr);
      *handled = true;
      return list_ != nullptr ? 0 : -1;
    }
    case WM_SIZE:
      ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      *handled = true;
      return 0;
    case kAddWindowMessage:
      *handled = true;
      AddRequest(reinterpret_cast<WindowRequest*>(lParam), true);
      return 0;
    case WM_DESTROY: {
      // Requests still queued would be dropped with the window, and their containers with them
      // never released; a close sent at shutdown overtakes posted requests.
      MSG queued;
      while (::PeekMessageW(&queued, Hwnd(), kAddWindowMessage, kAddWindowMessage, PM_REMOVE) !=
             FALSE) {
        AddRequest(reinterpret_cast<WindowRequest*>(queued.lParam), false);
      }
      return CWindowBase::OnMessage(message, wParam, lParam, handled);
    }
    default:
      return CWindowBase::OnMessage(message, wParam, lParam, handled);
  }
}

void CRequestListFrame::AddRequest(WindowRequest* posted, bool list) {
  std::unique_ptr<WindowRequest> request(posted);
  if (!request) return;
  std::wstring line;
  if (request->container) {
    // The container is Excel's thread's: it is read there, and this copy's reference is given
    // up there too, since it may be the last one.
    std::shared_ptr<CDependencyContainer> container = request->container;
    container->ExcelThread().Run([&] {
      line = DescribeWindowRequest(*request);
      request->container.reset();
      container.reset();
    });
  } else {
    line = DescribeWindowRequest(*request);
  }
  if (!list || line.empty()) return;  // closing, or the host call could not be made
  ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}
