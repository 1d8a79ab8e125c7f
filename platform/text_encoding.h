// Conversions between the system's wide strings and the byte encodings it reads and writes:
// UTF-8 (files, terminals) and Windows-1252 (saved branch text and clipboard text).
#pragma once

#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD, one per bad sequence; never fails.
std::wstring Utf8ToWide(std::string_view text);

// Wide text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Windows-1252; characters it cannot hold become "?".
std::string WideToWindows1252(std::wstring_view text);
