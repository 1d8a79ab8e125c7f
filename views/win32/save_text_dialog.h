// The save dialog of the windows' "in a text file" commands.
#pragma once

#include <windows.h>

#include <string>

// The chosen path of a text file (filter "Text Documents (*.txt)", default extension "txt",
// asking before overwriting); empty when the user cancels.
std::wstring AskTextFileName(HWND owner);
