// The clipboard held open for a while, and global memory that is freed unless the clipboard
// took it.
#pragma once

#include <windows.h>

#include <cstddef>

// How long another program holding the clipboard is waited for, in tries and pause between.
inline constexpr int kClipboardOpenTries = 20;
inline constexpr DWORD kClipboardRetryPauseMs = 25;

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

// Global memory handed to SetClipboardData belongs to the system once taken; until then it is
// freed here.
class CScopedGlobalMemory {
 public:
  explicit CScopedGlobalMemory(std::size_t size) : memory_(::GlobalAlloc(GMEM_MOVEABLE, size)) {}
  ~CScopedGlobalMemory() {
    if (memory_ != nullptr) ::GlobalFree(memory_);
  }
  CScopedGlobalMemory(const CScopedGlobalMemory&) = delete;
  CScopedGlobalMemory& operator=(const CScopedGlobalMemory&) = delete;
  HGLOBAL Get() const { return memory_; }
  // Hands the memory to SetClipboardData: freed here only when it was refused.
  bool PutOnClipboard(UINT format) {
    if (memory_ == nullptr || ::SetClipboardData(format, memory_) == nullptr) return false;
    memory_ = nullptr;
    return true;
  }

 private:
  HGLOBAL memory_;
};
