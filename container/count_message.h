// Progress messages that carry a count ("Cells processed: %ld").
#pragma once

#include <string>

// `format` with its first %ld replaced by `count`; the rest is kept as it is.
std::wstring FormatCount(const std::wstring& format, long count);
