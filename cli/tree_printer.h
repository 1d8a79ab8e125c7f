// The trace as text: a title line, then an aligned table whose first column is indented by depth.
//
// With highlighting on, every line of the table starts with a two-character gutter: "! " for an
// item whose cells hold an error value, two spaces otherwise. An item left closed because its
// branch is shown earlier ends its first column with " (expanded above)". With `colour` (a
// terminal that takes it), highlighted lines are also bold red and dynamic references blue, as
// the window draws them.
#pragma once

#include <cstdio>
#include <string>

#include "cli/trace_view.h"
#include "export/branch_storage.h"  // kExpandedAboveMark, the saved branch's mark too

inline constexpr const wchar_t* kHighlightGutter = L"! ";
inline constexpr const wchar_t* kPlainGutter = L"  ";

// Written to `to` row by row, after a first pass over the tree for the columns' widths. False
// when a write fails.
bool PrintTraceTree(const TraceView& view, std::FILE* to, bool colour = false);

// Whether standard output is a terminal that takes colour: not redirected, and neither NO_COLOR
// set nor TERM=dumb.
bool StdoutTakesColour();
