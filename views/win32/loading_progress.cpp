// The progress window's thread, its painting, and the hand-over of messages between the
// operation's thread and the window's.
#include "views/win32/loading_progress.h"

#include <vsstyle.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>

#include "resources/resource_ids.h"
#include "views/progress_window.h"
#include "views/stop_request.h"

namespace {

// The window theme's colour the gradient starts from.
constexpr int kGradientBaseThemeColor = COLOR_MENUHILIGHT;
static_assert(kGradientBaseThemeColor == 29);

// Characters of the hand-over buffer, the terminator included.
constexpr std::size_t kProgressHandOverCapacity = ProgressWindow::kMaxMessageLength + 1;

constexpr DWORD kProgressTextFormatTitle =
    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
constexpr DWORD kProgressTextFormatMessage =
    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;

// The window on the screen, for the operation's thread to learn whether start succeeded, and
// for tests.
std::atomic<HWND> shownProgressWindow{nullptr};

// A fixed name, made unique to the process: another Excel running the add-in must not release
// this one's waits.
CScopedKernelHandle OpenProgressReadyEvent() {
  const std::wstring name =
      L"Local\\Trelvane.ProgressReady.{f1231d2a-49cf-421f-930b-c28ed1ac7ee4}." +
      std::to_wstring(::GetCurrentProcessId());
  return CScopedKernelHandle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
}

// The one buffer through which messages reach the window's thread. At most one notification is
// outstanding: while a message waits, a newer one replaces it without another post, so a busy
// operation never fills the thread's queue, and the thread always shows the latest text.
class CProgressHandOver {
 public:
  // True when the window's thread must be told.
  bool Put(const std::wstring& message) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::size_t length = std::min(message.size(), kProgressHandOverCapacity - 1);
    std::copy_n(message.data(), length, buffer_);
    buffer_[length] = L'\0';
    return !std::exchange(waiting_, true);
  }
  // After a post that failed: the next Put posts again.
  void Withdraw() {
    std::lock_guard<std::mutex> hold(lock_);
    waiting_ = false;
  }
  // The waiting message, if any; the buffer is cleared. A second notification finds nothing,
  // rather than an empty text.
  std::optional<std::wstring> Take() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!std::exchange(waiting_, false)) return std::nullopt;
    std::wstring message(buffer_);
    buffer_[0] = L'\0';
    return message;
  }
  // A new window starts with nothing waiting, whatever the last one left.
  void Reset() {
    std::lock_guard<std::mutex> hold(lock_);
    buffer_[0] = L'\0';
    waiting_ = false;
  }

 private:
  std::mutex lock_;
  wchar_t buffer_[kProgressHandOverCapacity] = {};
  bool waiting_ = false;
};

CProgressHandOver& ProgressHandOver() {
  static CProgressHandOver handOver;
  return handOver;
}

std::mutex& GradientColorsLock() {
  static std::mutex lock;
  return lock;
}
std::optional<ProgressGradientColors>& StoredGradientColors() {
  static std::optional<ProgressGradientColors> colors;
  return colors;
}

ProgressGradientColors GradientColorsForWindow() {
  {
    std::lock_guard<std::mutex> hold(GradientColorsLock());
    if (StoredGradientColors()) return *StoredGradientColors();
  }
  return ComputeProgressGradientColors();
}

RgbColor SystemRgb(int index) {
  return RgbColor::FromColorRef(static_cast<std::uint32_t>(::GetSysColor(index)));
}

WORD CommandIdOf(WPARAM value) {
  return static_cast<WORD>(value & 0xFFFF);
}
WORD NotificationOf(WPARAM value) {
  return static_cast<WORD>((value >> 16) & 0xFFFF);
}

// BeginPaint and EndPaint around one WM_PAINT.
class CProgressPaintScope {
 public:
  explicit CProgressPaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~CProgressPaintScope() { ::EndPaint(window_, &paint_); }
  CProgressPaintScope(const CProgressPaintScope&) = delete;
  CProgressPaintScope& operator=(const CProgressPaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

void DrawProgressText(HDC dc, const std::wstring& text, RECT rect, UINT format) {
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

// The display the progress controller shows a window through.
class CLoadingProgressDisplay final : public IProgressDisplay {
 public:
  explicit CLoadingProgressDisplay(DWORD waitLimitMs) : waitLimitMs_(waitLimitMs) {}
  ~CLoadingProgressDisplay() override { Close(); }
  CLoadingProgressDisplay(const CLoadingProgressDisplay&) = delete;
  CLoadingProgressDisplay& operator=(const CLoadingProgressDisplay&) = delete;

  bool Show(const std::wstring& title, const std::wstring& message, bool showStop) override {
    Close();
    ready_ = OpenProgressReadyEvent();
    if (!ready_) return false;
    ::ResetEvent(ready_.Get());
    auto thread = std::make_unique<CLoadingProgressThread>();
    // The window does not exist yet: its texts are simply stored.
    thread->Dialog().SetTitle(title);
    thread->Dialog().SetMessage(message);
    thread->Dialog().SetShowStop(showStop);
    ProgressHandOver().Reset();
    DWORD threadId = 0;
    CScopedKernelHandle handle = CLoadingProgressThread::Launch(std::move(thread), &threadId);
    if (!handle) return false;
    // The thread sets the ready event once its window is on the screen, or when it ends
    // without one.
    const HANDLE waits[] = {ready_.Get(), handle.Get()};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, waitLimitMs_);
    if (woke != WAIT_OBJECT_0 && woke != WAIT_OBJECT_0 + 1) return false;
    if (ShownLoadingProgressWindow() == nullptr) {
      ::WaitForSingleObject(handle.Get(), waitLimitMs_);
      return false;
    }
    thread_ = std::move(handle);
    threadId_ = threadId;
    return true;
  }

  void SetMessage(const std::wstring& message) override {
    if (!thread_) return;  // Not shown: the controller hands its message over at Show.
    if (ProgressHandOver().Put(message) &&
        ::PostThreadMessageW(threadId_, kProgressThreadShowMessage, 0, 0) == FALSE) {
      ProgressHandOver().Withdraw();
    }
  }

  void Close() override {
    if (!thread_) return;
    const CScopedKernelHandle thread = std::move(thread_);
    const DWORD threadId = std::exchange(threadId_, 0);
    ::ResetEvent(ready_.Get());
    // A full queue refuses the post for a moment; the thread's end ends the retries.
    while (::PostThreadMessageW(threadId, kProgressThreadClose, 0, 0) == FALSE &&
           ::WaitForSingleObject(thread.Get(), 10) == WAIT_TIMEOUT) {
    }
    const HANDLE waits[] = {ready_.Get(), thread.Get()};
    ::WaitForMultipleObjects(2, waits, FALSE, waitLimitMs_);
    // The ready event is set just before the thread returns; its code must be done before the
    // module that holds it can be unloaded.
    ::WaitForSingleObject(thread.Get(), waitLimitMs_);
  }

 private:
  DWORD waitLimitMs_;
  CScopedKernelHandle ready_;
  CScopedKernelHandle thread_;  // Set while this display's window is shown.
  DWORD threadId_ = 0;
};

}  // namespace

ProgressGradientColors ComputeProgressGradientColors() {
  const CVisualStyles& styles = CVisualStyles::Get();
  const CScopedTheme windowTheme = styles.OpenTheme(::GetDesktopWindow(), L"WINDOW");
  const COLORREF base =
      styles.SystemColor(windowTheme.Get(), kGradientBaseThemeColor, ::GetSysColor(COLOR_BTNFACE));
  const ProgressGradientColors colors =
      GradientColorsFrom(RgbColor::FromColorRef(static_cast<std::uint32_t>(base)),
                         SystemRgb(COLOR_3DLIGHT), SystemRgb(COLOR_WINDOW));
  std::lock_guard<std::mutex> hold(GradientColorsLock());
  StoredGradientColors() = colors;
  return colors;
}

void CLoadingProgressDlg::SetMessage(std::wstring message) {
  if (message.size() > ProgressWindow::kMaxMessageLength) {
    message.resize(ProgressWindow::kMaxMessageLength);
  }
  message_ = std::move(message);
  if (Hwnd() != nullptr) ::InvalidateRect(Hwnd(), &messageRect_, TRUE);
}

bool CLoadingProgressDlg::Create() {
  return CreateModeless(IDD_LOADING_PROGRESS, nullptr);
}

BOOL CLoadingProgressDlg::OnInitDialog() {
  colors_ = GradientColorsForWindow();
  normalFont_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW font{};
  if (::GetObjectW(normalFont_, static_cast<int>(sizeof font), &font) ==
      static_cast<int>(sizeof font)) {
    font.lfWeight = FW_BOLD;
    boldFont_.Reset(::CreateFontIndirectW(&font));
  }
  // Measured in the bold font, the taller of the two, so that neither line is clipped.
  SIZE letter{};
  {
    const CWindowDc dc(Hwnd());
    const CSelectedObject selected(dc.Get(), boldFont_ ? boldFont_.Get() : normalFont_);
    ::GetTextExtentPoint32W(dc.Get(), L"A", 1, &letter);
  }
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  titleRect_ = {2, 2, client.right - 4, letter.cy + 2};
  messageRect_ = {2, titleRect_.bottom + 3, client.right - 4, titleRect_.bottom + 3 + letter.cy};

  HWND stop = ::GetDlgItem(Hwnd(), IDC_PROGRESS_STOP);
  ::ShowWindow(stop, showStop_ ? SW_SHOW : SW_HIDE);
  buttonTheme_ = CVisualStyles::Get().OpenTheme(stop, L"BUTTON");
  // Not drawn (no caption), but names the window on the taskbar and to tools.
  ::SetWindowTextW(Hwnd(), title_.c_str());
  CStopRequest::Clear();
  return FALSE;  // No focus: the window is never activated.
}

LRESULT CLoadingProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  switch (message) {
    case WM_ERASEBKGND:
      PaintGradient(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT: {
      const CProgressPaintScope paint(Hwnd());
      if (paint.Dc() != nullptr) Paint(paint.Dc());
      return 0;
    }
    case WM_PRINTCLIENT:  // Also how the Stop button's themed background is drawn.
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_DRAWITEM:
      if (wParam != IDC_PROGRESS_STOP) break;
      DrawStopButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (CommandIdOf(wParam) == IDC_PROGRESS_STOP && NotificationOf(wParam) == BN_CLICKED) {
        ProgressWindow::PressStop();
        return 0;
      }
      if (CommandIdOf(wParam) == IDCANCEL) return 0;  // Only the operation closes the window.
      break;
    case WM_CLOSE:
      return 0;
    case WM_THEMECHANGED:
      buttonTheme_ =
          CVisualStyles::Get().OpenTheme(::GetDlgItem(Hwnd(), IDC_PROGRESS_STOP), L"BUTTON");
      ::InvalidateRect(Hwnd(), nullptr, TRUE);
      return 0;
    case kProgressWindowReadMessage: {
      if (wParam == 0 || lParam == 0) return 0;
      const std::size_t length = std::min<std::size_t>(message_.size(), wParam - 1);
      auto* text = reinterpret_cast<wchar_t*>(lParam);
      std::copy_n(message_.data(), length, text);
      text[length] = L'\0';
      return static_cast<LRESULT>(length);
    }
    default:
      break;
  }
  *handled = false;
  return 0;
}

void CLoadingProgressDlg::PaintGradient(HDC dc) const {
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  const auto brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
  const COLORREF previous = ::GetDCBrushColor(dc);
  for (int band = 0; band < kProgressGradientBands; ++band) {
    const BandRows rows = GradientBandRows(client.top, client.bottom, band);
    if (rows.top == rows.bottom) continue;
    const RECT bandRect{client.left, rows.top, client.right, rows.bottom};
    ::SetDCBrushColor(dc, GradientBandColor(colors_, band).ToColorRef());
    ::FillRect(dc, &bandRect, brush);
  }
  ::SetDCBrushColor(dc, previous);
}

void CLoadingProgressDlg::Paint(HDC dc) const {
  PaintGradient(dc);
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_HIGHLIGHT));
  const int previousMode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF previousColor = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  {
    const CSelectedObject bold(dc, boldFont_ ? boldFont_.Get() : normalFont_);
    DrawProgressText(dc, title_, titleRect_, kProgressTextFormatTitle);
  }
  {
    const CSelectedObject normal(dc, normalFont_);
    DrawProgressText(dc, message_, messageRect_, kProgressTextFormatMessage);
  }
  ::SetTextColor(dc, previousColor);
  ::SetBkMode(dc, previousMode);
}

void CLoadingProgressDlg::DrawStopButton(const DRAWITEMSTRUCT& item) const {
  const CVisualStyles& styles = CVisualStyles::Get();
  const bool disabled = ::IsWindowEnabled(Hwnd()) == FALSE || (item.itemState & ODS_DISABLED) != 0;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  bool themed = false;
  if (buttonTheme_) {
    styles.DrawParentBackground(item.hwndItem, item.hDC, item.rcItem);
    const int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : PBS_NORMAL;
    themed = styles.DrawBackground(buttonTheme_.Get(), item.hDC, BP_PUSHBUTTON, state, item.rcItem);
  }
  if (!themed) {
    RECT frame = item.rcItem;
    const UINT state =
        DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (disabled ? DFCS_INACTIVE : 0u);
    ::DrawFrameControl(item.hDC, &frame, DFC_BUTTON, state);
  }
  wchar_t text[64] = {};
  const int length = ::GetWindowTextW(item.hwndItem, text, 64);
  const int previousMode = ::SetBkMode(item.hDC, TRANSPARENT);
  const COLORREF previousColor =
      ::SetTextColor(item.hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  {
    const CSelectedObject font(item.hDC, normalFont_);
    DrawProgressText(item.hDC, std::wstring(text, static_cast<std::size_t>(std::max(length, 0))),
                     item.rcItem, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  ::SetTextColor(item.hDC, previousColor);
  ::SetBkMode(item.hDC, previousMode);
}

CLoadingProgressThread::CLoadingProgressThread() : ready_(OpenProgressReadyEvent()) {}

CLoadingProgressThread::~CLoadingProgressThread() {
  shownProgressWindow.store(nullptr);
  dialog_.Destroy();
  // Releases the operation waiting in close.
  if (ready_) ::SetEvent(ready_.Get());
}

CScopedKernelHandle CLoadingProgressThread::Launch(std::unique_ptr<CLoadingProgressThread> thread,
                                                   DWORD* threadId) {
  CScopedKernelHandle handle(::CreateThread(nullptr, 0, &CLoadingProgressThread::Main, thread.get(),
                                            CREATE_SUSPENDED, threadId));
  if (!handle) return handle;
  static_cast<void>(thread.release());  // The thread deletes it when it ends.
  ::ResumeThread(handle.Get());
  return handle;
}

DWORD WINAPI CLoadingProgressThread::Main(void* parameter) {
  const std::unique_ptr<CLoadingProgressThread> self(
      static_cast<CLoadingProgressThread*>(parameter));
  try {
    self->Run();
  } catch (...) {
    // Nothing leaves the thread; the destructor still releases the waiting operation.
  }
  return 0;
}

void CLoadingProgressThread::Run() {
  const bool created = dialog_.Create();
  if (created) {
    // Not activated: Excel keeps the keyboard focus and redraws nothing on its account.
    ::ShowWindow(dialog_.Hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(dialog_.Hwnd());
    shownProgressWindow.store(dialog_.Hwnd());
  }
  if (ready_) ::SetEvent(ready_.Get());
  if (!created) return;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr) {
      if (message.message == kProgressThreadClose) return;  // The destructor ends the window.
      if (message.message == kProgressThreadShowMessage) ShowHandedOverMessage();
      continue;
    }
    if (CDialogBase::PreTranslate(&message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void CLoadingProgressThread::ShowHandedOverMessage() {
  if (std::optional<std::wstring> message = ProgressHandOver().Take()) {
    dialog_.SetMessage(std::move(*message));
  }
}

std::unique_ptr<IProgressDisplay> MakeLoadingProgressDisplay() {
  return std::make_unique<CLoadingProgressDisplay>(INFINITE);
}

std::unique_ptr<IProgressDisplay> MakeLoadingProgressDisplayWithin(DWORD waitLimitMs) {
  return std::make_unique<CLoadingProgressDisplay>(waitLimitMs);
}

HWND ShownLoadingProgressWindow() {
  return shownProgressWindow.load();
}

std::wstring ReadLoadingProgressMessage(HWND window) {
  wchar_t text[kProgressHandOverCapacity] = {};
  DWORD_PTR length = 0;
  if (::SendMessageTimeoutW(window, kProgressWindowReadMessage, kProgressHandOverCapacity,
                            reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length) == 0) {
    return {};
  }
  return std::wstring(text, std::min<std::size_t>(length, kProgressHandOverCapacity - 1));
}
