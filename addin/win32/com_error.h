// ShowComError: the message a COM error in an event reaction or an advise gets, in the
// platform's own words for the error.
#pragma once

#include <windows.h>

#include <string>

// The system's description of `error` without its line break; for codes it has no text for,
// "IDispatch error #N" (N the code less 0x200, for the interface codes from 0x80040200 but not
// at it) or "Unknown error 0xHHHHHHHH".
std::wstring ComErrorText(HRESULT error);

// The text, then `context` on a line of its own when given, in an error box owned by the
// foreground window.
void ShowComError(HRESULT error, const wchar_t* context = nullptr);
