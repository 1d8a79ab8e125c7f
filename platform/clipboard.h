// IClipboard: the system clipboard as the tools use it. On Windows the implementation opens the
// clipboard for the foreground window, empties it and sets the one format; the command line
// writes the text to a file or to standard output.
#pragma once

#include <string>

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // CF_TEXT: single-byte text; the terminating zero byte is added by the clipboard.
  virtual bool SetAnsiText(const std::string& bytes) = 0;
  // CF_UNICODETEXT.
  virtual bool SetUnicodeText(const std::wstring& text) = 0;
};
