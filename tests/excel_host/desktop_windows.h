// The add-in's windows found from the outside, as a user sees them: by process, title, class
// and the controls they hold, and read back through their controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The class of dialogs, message boxes and the add-in's windows.
inline constexpr wchar_t kDialogClassName[] = L"#32770";

std::wstring WindowText(HWND window);
std::wstring WindowClassName(HWND window);

// The top-level windows of this process, shown or not.
std::vector<HWND> ProcessTopLevelWindows();
// The first child (at any depth) of a class, or null.
HWND FindChildOfClass(HWND parent, const wchar_t* className);

// A visible top-level dialog of this process holding a control of that id (the progress window
// by its Stop button), or null.
HWND FindDialogWithControl(int controlId);
// A visible popup menu of this process, or null.
HWND FindPopupMenu();
