// The trace as one JSON document: title, columns and the nested items.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/trace_view.h"

// Written to `to` item by item; false when a write fails.
bool PrintTraceJson(const TraceView& view, std::FILE* to);
// JSON Lines: a first line with title and columns, then one line per item in the same order,
// with "depth" (0 at the top) and "childrenLeftOut" in place of "children" ("children": null).
bool PrintTraceJsonLines(const TraceView& view, std::FILE* to);

// {"found": bool, "path": [REF, ...]}: the entries from the root down to a found cell.
std::string PrintPathJson(bool found, const std::vector<CellReference>& path);

// {"address": "'Sheet1'!$B$3"}: Copy Address's text, given as UTF-8.
std::string PrintAddressJson(const std::string& address);
