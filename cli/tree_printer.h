// The trace as text: a title line, then an aligned table whose first column is indented by depth.
#pragma once

#include <string>

#include "cli/trace_view.h"

std::string PrintTraceTree(const TraceView& view);
