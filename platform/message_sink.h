// IMessageSink: where a message for the user goes. The add-in shows a message box with the
// product title and an OK button; the command line prints it.
#pragma once

#include <string>

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::wstring& text) = 0;
};
