// The window base: binding at creation, the object's last message, destruction by the object,
// exceptions kept inside the window procedure, classes registered once.
#include "views/win32/window_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr UINT kThrowMessage = WM_APP + 7;
constexpr UINT kAnswerMessage = WM_APP + 8;

class CRecordingWindow : public CWindowBase {
 public:
  explicit CRecordingWindow(bool* finalSeen = nullptr) : finalSeen_(finalSeen) {}
  bool Create(HWND parent = nullptr) {
    return CWindowBase::Create(L"TrelvaneWindowBaseTest", 0, parent ? WS_CHILD : WS_POPUP,
                               L"recording", parent);
  }
  std::vector<UINT> messages;
  bool boundAtCreate = false;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override {
    messages.push_back(message);
    if (message == WM_CREATE) boundAtCreate = FromHwnd(Hwnd()) == this;
    if (message == kThrowMessage) {
      *handled = true;
      throw std::runtime_error("handler failed");
    }
    if (message == kAnswerMessage) {
      *handled = true;
      return 42;
    }
    return CWindowBase::OnMessage(message, wParam, lParam, handled);
  }
  void OnFinalMessage() override {
    if (finalSeen_ != nullptr) *finalSeen_ = Hwnd() == nullptr;
  }

 private:
  bool* finalSeen_;
};

// Deletes itself with its window.
class CSelfOwnedWindow final : public CRecordingWindow {
 public:
  explicit CSelfOwnedWindow(int* deleted) : deleted_(deleted) {}
  ~CSelfOwnedWindow() override { ++*deleted_; }

 protected:
  void OnFinalMessage() override { delete this; }

 private:
  int* deleted_;
};

TEST(Win32WindowBase, BindsAtCreationAndSeesEveryMessageToTheLast) {
  bool finalSeenWithoutHandle = false;
  CRecordingWindow window(&finalSeenWithoutHandle);
  ASSERT_TRUE(window.Create());
  HWND handle = window.Hwnd();
  EXPECT_TRUE(window.boundAtCreate);
  EXPECT_EQ(&window, CWindowBase::FromHwnd(handle));
  ASSERT_FALSE(window.messages.empty());
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.messages.front());
  EXPECT_FALSE(window.Create());  // one window per object

  EXPECT_EQ(42, ::SendMessageW(handle, kAnswerMessage, 0, 0));
  // A handler that throws gets the default answer; the exception stays inside.
  EXPECT_EQ(0, ::SendMessageW(handle, kThrowMessage, 0, 0));

  window.Destroy();
  EXPECT_EQ(nullptr, window.Hwnd());
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), window.messages.back());
  EXPECT_TRUE(finalSeenWithoutHandle);
  EXPECT_EQ(nullptr, CWindowBase::FromHwnd(handle));
}

TEST(Win32WindowBase, DestroyingTheObjectDestroysTheWindowAndASelfOwnedOneGoesWithIt) {
  HWND handle = nullptr;
  {
    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    handle = window.Hwnd();
  }
  EXPECT_FALSE(::IsWindow(handle));

  // A child goes with its parent; the object that owns itself is deleted once.
  int deleted = 0;
  CRecordingWindow parent;
  ASSERT_TRUE(parent.Create());
  auto* child = new CSelfOwnedWindow(&deleted);
  ASSERT_TRUE(child->Create(parent.Hwnd()));
  HWND childHandle = child->Hwnd();
  parent.Destroy();
  EXPECT_FALSE(::IsWindow(childHandle));
  EXPECT_EQ(1, deleted);
}

TEST(Win32WindowBase, AClassIsRegisteredOnceForAllItsWindows) {
  CRecordingWindow first;
  CRecordingWindow second;
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(second.Create());
  EXPECT_EQ(::GetClassLongPtrW(first.Hwnd(), GCW_ATOM),
            ::GetClassLongPtrW(second.Hwnd(), GCW_ATOM));
  EXPECT_NE(0u, static_cast<UINT>(::GetClassLongPtrW(first.Hwnd(), GCL_STYLE)) & CS_DBLCLKS);
}

}  // namespace

namespace {

// A static made elsewhere, as a dialog makes its controls.
HWND MakeStatic(HWND parent) {
  return ::CreateWindowExW(0, L"STATIC", L"before", WS_CHILD, 0, 0, 50, 20, parent, nullptr,
                           nullptr, nullptr);
}

TEST(Win32WindowBase, ASubclassedWindowKeepsItsOwnBehaviourAndGetsItsProcedureBack) {
  CRecordingWindow parent;
  ASSERT_TRUE(parent.Create());
  const HWND control = MakeStatic(parent.Hwnd());
  ASSERT_NE(nullptr, control);
  const auto ownProcedure = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
  {
    bool finalSeen = false;
    CRecordingWindow subclassed(&finalSeen);
    ASSERT_TRUE(subclassed.Subclass(control));
    EXPECT_FALSE(subclassed.Subclass(control));
    CRecordingWindow other;
    EXPECT_FALSE(other.Subclass(control));  // already bound
    EXPECT_EQ(&subclassed, CWindowBase::FromHwnd(control));
    EXPECT_EQ(42, ::SendMessageW(control, kAnswerMessage, 0, 0));
    EXPECT_EQ(0, ::SendMessageW(control, kThrowMessage, 0, 0));
    // Unhandled messages reach the static's own procedure.
    ::SetWindowTextW(control, L"after");
    wchar_t text[16] = {};
    ::GetWindowTextW(control, text, 16);
    EXPECT_STREQ(L"after", text);
    EXPECT_NE(std::find(subclassed.messages.begin(), subclassed.messages.end(),
                        static_cast<UINT>(WM_SETTEXT)),
              subclassed.messages.end());
  }
  // The object went first: the window lives on with its own procedure.
  EXPECT_NE(FALSE, ::IsWindow(control));
  EXPECT_EQ(ownProcedure, ::GetWindowLongPtrW(control, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, CWindowBase::FromHwnd(control));

  // The window goes first: the object hears its last message and is unbound.
  bool finalSeen = false;
  CRecordingWindow again(&finalSeen);
  ASSERT_TRUE(again.Subclass(control));
  ::DestroyWindow(control);
  EXPECT_TRUE(finalSeen);
  EXPECT_EQ(nullptr, again.Hwnd());
  EXPECT_EQ(WM_NCDESTROY, again.messages.back());
}

}  // namespace
