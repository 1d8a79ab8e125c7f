// The window manager's colours from the Office theme Excel's user has chosen.
#pragma once

#include <memory>

#include "wndmgr/window_manager_painters.h"

// The painter for Excel's major version: above 11 from the REG_DWORD "Theme" under
// HKEY_CURRENT_USER\Software\Microsoft\Office\<major>.0\Common; blue whenever that is absent,
// not a DWORD or an unknown number, and for every older version.
std::unique_ptr<CWndMgrPainter> ChoosePainterForExcel(int majorVersion);
