// The single window and dialog procedure of the add-in's windows.
#include "views/win32/window_base.h"

#include "platform/win32/module_instance.h"

namespace {

CWindowBase* BoundObject(HWND window) {
  return reinterpret_cast<CWindowBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool EnsureClass(const wchar_t* className, const CWindowBase::ClassLook& look, WNDPROC proc) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(ModuleInstance(), className, &existing) != FALSE) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS | look.style;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = look.cursor;
  windowClass.hbrBackground = look.background;
  windowClass.hIcon = look.icon;
  windowClass.hIconSm = look.smallIcon;
  windowClass.lpszClassName = className;
  // Another thread may have registered it between the two calls; that is as good.
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Dialog messages whose answer is the dialog procedure's return value rather than DWLP_MSGRESULT.
// Where a subclassed window keeps its own procedure, so that it survives its object.
constexpr wchar_t kOwnProcedureProperty[] = L"Trelvane.OwnProcedure";

WNDPROC OwnProcedure(HWND window) {
  return reinterpret_cast<WNDPROC>(::GetPropW(window, kOwnProcedureProperty));
}

bool AnswersDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

CWindowBase::~CWindowBase() {
  if (hwnd_ == nullptr) return;
  // The derived part is gone: its handlers must not see the last messages.
  HWND window = hwnd_;
  Unbind();
  if (const WNDPROC own = OwnProcedure(window); own != nullptr) {
    // A window made elsewhere outlives this object: it gets its own procedure back.
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    ::RemovePropW(window, kOwnProcedureProperty);
    return;
  }
  ::DestroyWindow(window);
}

bool CWindowBase::Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title,
                         HWND parent, UINT_PTR idOrMenu, const RECT& rect, UINT classStyle) {
  ClassLook look;
  look.style = classStyle;
  return Create(className, look, exStyle, style, title, parent, idOrMenu, rect);
}

bool CWindowBase::Create(const wchar_t* className, const ClassLook& look, DWORD exStyle,
                         DWORD style, const wchar_t* title, HWND parent, UINT_PTR idOrMenu,
                         const RECT& rect) {
  if (hwnd_ != nullptr || !EnsureClass(className, look, &CWindowBase::WindowProc)) return false;
  int x = rect.left;
  int y = rect.top;
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (::IsRectEmpty(&rect) != FALSE && (style & WS_CHILD) == 0) {
    x = y = width = height = CW_USEDEFAULT;
  }
  HWND created = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(idOrMenu), ModuleInstance(), this);
  // WM_NCCREATE bound it; a window that failed later in creation has been destroyed already.
  return created != nullptr && created == hwnd_;
}

bool CWindowBase::Subclass(HWND window) {
  if (hwnd_ != nullptr || window == nullptr || BoundObject(window) != nullptr) return false;
  const auto own = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
  if (own == 0 ||
      ::SetPropW(window, kOwnProcedureProperty, reinterpret_cast<HANDLE>(own)) == FALSE) {
    return false;
  }
  Bind(window);
  ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowBase::SubclassProc));
  return true;
}

void CWindowBase::Destroy() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

CWindowBase* CWindowBase::FromHwnd(HWND window) {
  if (window == nullptr) return nullptr;
  CWindowBase* object = BoundObject(window);
  return object != nullptr && object->hwnd_ == window ? object : nullptr;
}

HBRUSH CWindowBase::SystemColorBrush(int colorIndex) {
  return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colorIndex + 1));
}

LRESULT CWindowBase::OnMessage(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

void CWindowBase::Bind(HWND window) {
  hwnd_ = window;
  ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWindowBase::Unbind() {
  if (hwnd_ != nullptr) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

LRESULT CWindowBase::Dispatch(CWindowBase* object, UINT message, WPARAM wParam, LPARAM lParam,
                              bool* handled) {
  LRESULT result = 0;
  *handled = false;
  try {
    result = object->OnMessage(message, wParam, lParam, handled);
  } catch (...) {
    // No exception may unwind through the system's frames; the default answer stands in.
    *handled = false;
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    object->Unbind();
    try {
      object->OnFinalMessage();  // may delete the object
    } catch (...) {
    }
  }
  return result;
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* object = static_cast<CWindowBase*>(create->lpCreateParams);
    if (object != nullptr) object->Bind(window);
  }
  CWindowBase* object = FromHwnd(window);
  if (object == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  bool handled = false;
  LRESULT result = Dispatch(object, message, wParam, lParam, &handled);
  // After WM_NCDESTROY the object may be gone; only `window` and the locals are used.
  return handled ? result : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowBase::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  const WNDPROC own = OwnProcedure(window);
  if (own == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window's own procedure comes back before its last message.
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    ::RemovePropW(window, kOwnProcedureProperty);
  }
  CWindowBase* object = FromHwnd(window);
  bool handled = false;
  LRESULT result = 0;
  if (object != nullptr) result = Dispatch(object, message, wParam, lParam, &handled);
  return handled ? result : ::CallWindowProcW(own, window, message, wParam, lParam);
}

bool CDialogBase::CreateModeless(int templateId, HWND parent) {
  if (Hwnd() != nullptr) return false;
  HWND created = ::CreateDialogParamW(ModuleInstance(), ResourceName(templateId), parent,
                                      &CDialogBase::DialogProc, reinterpret_cast<LPARAM>(this));
  return created != nullptr && created == Hwnd();
}

bool CDialogBase::PreTranslate(MSG* message) {
  if (message->hwnd == nullptr) return false;
  HWND root = ::GetAncestor(message->hwnd, GA_ROOT);
  if (dynamic_cast<CDialogBase*>(FromHwnd(root)) == nullptr) return false;
  return ::IsDialogMessageW(root, message) != FALSE;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* object = reinterpret_cast<CDialogBase*>(lParam);
    if (object == nullptr) return TRUE;
    object->Bind(window);
    try {
      return object->OnInitDialog();
    } catch (...) {
      return TRUE;
    }
  }
  CWindowBase* object = FromHwnd(window);
  if (object == nullptr) return FALSE;
  bool handled = false;
  LRESULT result = Dispatch(object, message, wParam, lParam, &handled);
  if (!handled) return FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}
