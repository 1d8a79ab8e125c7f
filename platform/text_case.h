// Upper and lower case of wide text beyond ASCII, the same on every platform: Windows' own
// case mapping there, a UTF-8 locale's elsewhere (the C locale cases ASCII only).
#pragma once

#include <string>
#include <string_view>

std::wstring UpperCase(std::wstring_view text);
std::wstring LowerCase(std::wstring_view text);
wchar_t LowerCaseOf(wchar_t c);
