// CWin32CommandBarButtons: the legacy command bar buttons' faces from the module's bitmaps and
// their click events advised to sinks that run the commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "addin/legacy_command_bars.h"

class CAddInManager;

class CWin32CommandBarButtons final : public ICommandBarButtons {
 public:
  // `clipboardOwner` opens the clipboard when a face has to be pasted from it.
  CWin32CommandBarButtons(CAddInManager& manager, HWND clipboardOwner)
      : manager_(manager), clipboardOwner_(clipboardOwner) {}

  void SetButtonFace(const ExcelObject& control, int32_t bitmapId) override;
  std::unique_ptr<IClickConnection> ConnectClicks(const ExcelObject& control,
                                                  int32_t command) override;

 private:
  CAddInManager& manager_;
  HWND clipboardOwner_;
};
