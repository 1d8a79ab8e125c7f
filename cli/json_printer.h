// The trace as one JSON document: title, columns and the nested items.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/trace_view.h"

// Written to `to` item by item; false when a write fails.
bool PrintTraceJson(const TraceView& view, std::FILE* to);

// {"found": bool, "path": [REF, ...]}: the entries from the root down to a found cell.
std::string PrintPathJson(bool found, const std::vector<CellReference>& path);

// {"address": "'Sheet1'!$B$3"}: Copy Address's text, given as UTF-8.
std::string PrintAddressJson(const std::string& address);
