// Putting text on the system clipboard.
#include "addin/win32/win32_clipboard.h"

#include <cstring>

#include "addin/win32/clipboard_access.h"

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
  return memory.PutOnClipboard(format);
}
