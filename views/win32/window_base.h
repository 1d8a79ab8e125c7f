// CWindowBase and CDialogBase: the one window procedure of the add-in's windows, binding each
// window to its C++ object and handing every message to virtual handlers.
#pragma once

#include <windows.h>

// Invariant: while the window exists, its GWLP_USERDATA holds the object and Hwnd() the handle;
// both are cleared at WM_NCDESTROY, before OnFinalMessage. A window is created, used and
// destroyed on one thread; the object outlives its window unless it deletes itself in
// OnFinalMessage.
class CWindowBase {
 public:
  // What a window class may carry besides its style; nothing unless given.
  struct ClassLook {
    UINT style = 0;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;  // a brush handle or COLOR_xxx + 1 (see SystemColorBrush)
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
  };

  CWindowBase() = default;
  virtual ~CWindowBase();  // destroys the window if it still exists; gives a subclassed one back
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  HWND Hwnd() const { return hwnd_; }

  // Registers the class once per process (CS_DBLCLKS | classStyle) and creates the window; binds
  // this object at WM_NCCREATE. An empty rect gives a top-level window the default position and
  // size. False on failure, or when this object already has a window.
  bool Create(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title,
              HWND parent, UINT_PTR idOrMenu = 0, const RECT& rect = {}, UINT classStyle = 0);
  bool Create(const wchar_t* className, const ClassLook& look, DWORD exStyle, DWORD style,
              const wchar_t* title, HWND parent, UINT_PTR idOrMenu = 0, const RECT& rect = {});
  void Destroy();  // DestroyWindow if it exists
  // Takes over a window made elsewhere (a dialog's control): its messages come to OnMessage and
  // those left unhandled go to its own procedure; given back at WM_NCDESTROY. False when this
  // object already has a window or the window is bound to another object.
  bool Subclass(HWND window);

  // The object bound to a window of this base, or null.
  static CWindowBase* FromHwnd(HWND window);
  // The class brush value that paints with a system colour (COLOR_WINDOW, COLOR_BTNFACE, ...).
  static HBRUSH SystemColorBrush(int colorIndex);

 protected:
  // Every message of the window; set *handled = false (the default) to get DefWindowProc
  // (FALSE for dialogs).
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // After WM_NCDESTROY: the handle is gone; an object that owns itself may delete itself here.
  virtual void OnFinalMessage() {}

 private:
  friend class CDialogBase;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Runs OnMessage without letting an exception out; unbinds at WM_NCDESTROY.
  static LRESULT Dispatch(CWindowBase* object, UINT message, WPARAM wParam, LPARAM lParam,
                          bool* handled);
  void Bind(HWND window);
  void Unbind();

  HWND hwnd_ = nullptr;
};

// A dialog from a template of the module's resources, modeless. Its thread's message loop should
// pass messages through IsDialogMessageW (CDialogBase::PreTranslate) for keyboard navigation.
class CDialogBase : public CWindowBase {
 public:
  bool CreateModeless(int templateId, HWND parent);  // CreateDialogParamW(ModuleInstance(), ...)

  // True when `message` was a dialog message of some modeless dialog of this base on the thread
  // and has been handled.
  static bool PreTranslate(MSG* message);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }  // from WM_INITDIALOG, after binding

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// MAKEINTRESOURCEW without the cast the macro hides.
inline const wchar_t* ResourceName(int id) {
  return reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}
