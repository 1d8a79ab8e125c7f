// CHostWnd, the window on Excel's thread through which the UI thread calls into Excel, the
// callbacks sent to it, and CWin32ExcelThread, the views' way to Excel's thread built on it.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>

#include "excel/excel_thread.h"
#include "views/win32/window_base.h"

inline constexpr UINT kHostCallMessage = WM_APP;  // wParam 0, lParam the CHostWndCallback
inline constexpr UINT_PTR kHostWindowId = 1246;

// What a host call runs on Excel's thread. The sender builds it on its own stack: the send is
// synchronous, and the host window never keeps it beyond the call.
class CHostWndCallback {
 public:
  virtual void Invoke() = 0;

 protected:
  ~CHostWndCallback() = default;
};

template <class Target>
class CHostWndCallback_Params0 final : public CHostWndCallback {
 public:
  using Member = void (Target::*)();
  CHostWndCallback_Params0(Target* target, Member member) : target_(target), member_(member) {}
  void Invoke() override { (target_->*member_)(); }

 private:
  Target* target_;
  Member member_;
};

template <class Target>
class CHostWndCallback_Params1_Int final : public CHostWndCallback {
 public:
  using Member = void (Target::*)(int);
  CHostWndCallback_Params1_Int(Target* target, Member member, int value)
      : target_(target), member_(member), value_(value) {}
  void Invoke() override { (target_->*member_)(value_); }

 private:
  Target* target_;
  Member member_;
  int value_;
};

template <class Target>
class CHostWndCallback_Params1_VoidPtr final : public CHostWndCallback {
 public:
  using Member = void (Target::*)(void*);
  CHostWndCallback_Params1_VoidPtr(Target* target, Member member, void* pointer)
      : target_(target), member_(member), pointer_(pointer) {}
  void Invoke() override { (target_->*member_)(pointer_); }

 private:
  Target* target_;
  Member member_;
  void* pointer_;
};

template <class Target>
class CHostWndCallback_Params2_Int_VoidPtr final : public CHostWndCallback {
 public:
  using Member = void (Target::*)(int, void*);
  CHostWndCallback_Params2_Int_VoidPtr(Target* target, Member member, int value, void* pointer)
      : target_(target), member_(member), value_(value), pointer_(pointer) {}
  void Invoke() override { (target_->*member_)(value_, pointer_); }

 private:
  Target* target_;
  Member member_;
  int value_;
  void* pointer_;
};

// One per process: a child of Excel's main window (WS_CHILD, empty rectangle, id 1246) on
// Excel's thread. A callback that throws has its exception kept for the sender (see SendCall).
class CHostWnd final : public CWindowBase {
 public:
  // Makes the process's host window under `excelWindow` on the calling thread; null when one
  // exists already or it cannot be made. The caller owns it; destroying it frees the slot.
  static std::unique_ptr<CHostWnd> Create(HWND excelWindow);
  ~CHostWnd() override;
  // The process's host window, or null.
  static HWND Current();
  // Runs `callback` on the host window's thread and returns when it has run. Without a host
  // window nothing runs and false is answered. The caller holds a CDeferredMessageScope.
  static bool SendCall(CHostWndCallback& callback);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  CHostWnd() = default;
};

// The views' reads of a workbook, on Excel's thread: a call from another thread is a host call
// under a CDeferredMessageScope; a call on Excel's thread, nested ones included, runs at once.
// Excel's thread is the host window's, or before there is one the thread that made this object.
// An exception of the call is thrown again to the caller.
class CWin32ExcelThread final : public IExcelThread {
 public:
  CWin32ExcelThread() : ownerThread_(::GetCurrentThreadId()) {}
  void Run(const std::function<void()>& call) override;
  // Whether the calling thread is Excel's.
  bool OnExcelThread() const;

 private:
  DWORD ownerThread_;
};
