// CWin32Clipboard: the system clipboard for the tools (Copy Address, saved branches).
#pragma once

#include <windows.h>

#include <string>

#include "platform/clipboard.h"

// Each put opens the clipboard for the foreground window (or, with none, the fallback owner),
// empties it and sets the one format, with its terminating zero.
class CWin32Clipboard final : public IClipboard {
 public:
  // `fallbackOwner`: the window that owns the clipboard when no window is in the foreground,
  // since a clipboard emptied without an owner takes no data.
  void SetFallbackOwner(HWND fallbackOwner) { fallbackOwner_ = fallbackOwner; }
  bool SetAnsiText(const std::string& bytes) override;
  bool SetUnicodeText(const std::wstring& text) override;

 private:
  bool Put(UINT format, const void* data, size_t size) const;

  HWND fallbackOwner_ = nullptr;
};
