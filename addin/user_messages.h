// The user messages of the string table, by id.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kMessageOpenWorkbook = 1400;
inline constexpr int32_t kMessageTraceErrorNeedsError = 1401;
inline constexpr int32_t kMessageOpenWorkbookToEvaluate = 1402;

// The text of a string-table message; empty for an id that has none.
std::wstring MessageText(int32_t id);
