// Putting text on the system clipboard.
#include "addin/win32/win32_clipboard.h"

#include <cstring>

namespace {

// Global memory handed to SetClipboardData belongs to the system once taken; until then it is
// freed here.
class CScopedGlobalMemory {
 public:
  explicit CScopedGlobalMemory(size_t size) : memory_(::GlobalAlloc(GMEM_MOVEABLE, size)) {}
  ~CScopedGlobalMemory() {
    if (memory_ != nullptr) ::GlobalFree(memory_);
  }
  CScopedGlobalMemory(const CScopedGlobalMemory&) = delete;
  CScopedGlobalMemory& operator=(const CScopedGlobalMemory&) = delete;
  HGLOBAL Get() const { return memory_; }
  void GiveUp() { memory_ = nullptr; }

 private:
  HGLOBAL memory_;
};

class COpenClipboard {
 public:
  explicit COpenClipboard(HWND owner) {
    for (int attempt = 0; attempt < kClipboardOpenTries && !open_; ++attempt) {
      if (attempt > 0) ::Sleep(kClipboardRetryPauseMs);
      open_ = ::OpenClipboard(owner) != FALSE;
    }
  }
  ~COpenClipboard() {
    if (open_) ::CloseClipboard();
  }
  COpenClipboard(const COpenClipboard&) = delete;
  COpenClipboard& operator=(const COpenClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

bool CWin32Clipboard::SetAnsiText(const std::string& bytes) {
  return Put(CF_TEXT, bytes.c_str(), bytes.size() + 1);
}

bool CWin32Clipboard::SetUnicodeText(const std::wstring& text) {
  return Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool CWin32Clipboard::Put(UINT format, const void* data, size_t size) const {
  CScopedGlobalMemory memory(size);
  if (memory.Get() == nullptr) return false;
  void* target = ::GlobalLock(memory.Get());
  if (target == nullptr) return false;
  std::memcpy(target, data, size);
  ::GlobalUnlock(memory.Get());

  HWND owner = ::GetForegroundWindow();
  if (owner == nullptr) owner = fallbackOwner_;
  COpenClipboard clipboard(owner);
  if (!clipboard.IsOpen() || ::EmptyClipboard() == FALSE) return false;
  if (::SetClipboardData(format, memory.Get()) == nullptr) return false;
  memory.GiveUp();
  return true;
}
