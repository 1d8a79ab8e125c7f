// The trace as one JSON document: title, columns and the nested items.
#pragma once

#include <string>

#include "cli/trace_view.h"

std::string PrintTraceJson(const TraceView& view);
