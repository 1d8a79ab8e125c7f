// IProgressDisplay: what shows a progress window's title, message and Stop button. The Windows
// add-in shows a window on a thread of its own; tests record what they were shown.
#pragma once

#include <functional>
#include <memory>
#include <string>

class IProgressDisplay {
 public:
  virtual ~IProgressDisplay() = default;
  // Returns when the display is on the screen; false when it cannot be shown.
  virtual bool Show(const std::wstring& title, const std::wstring& message, bool showStop) = 0;
  // May be called from the operation's thread at any rate; the display shows the latest text.
  virtual void SetMessage(const std::wstring& message) = 0;
  // Returns when the display is gone.
  virtual void Close() = 0;
};

// Makes the display for each window a progress controller shows; without one, operations run
// without showing progress (but still see the Stop request).
using ProgressDisplayFactory = std::function<std::unique_ptr<IProgressDisplay>()>;
