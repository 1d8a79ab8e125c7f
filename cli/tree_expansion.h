// The command line's whole expansion of a window's tree: every level (or --depth levels), with
// each cell's branch opened once. The windows open items on demand, so they never meet this;
// printing every path in full would grow with the number of paths, which a lattice of formulas
// makes exponential.
#pragma once

#include <optional>
#include <set>

#include "cli/trace_view.h"

// Opens the items of the tree depth first, in print order (pre-order). An item whose branch was
// already opened earlier in that order, with at least as many levels left to show, is left
// closed and returned: it keeps its "not ready" placeholder, or its children when the filler
// made them already, and is printed as expanded above. With `depth`, items `depth` levels below
// the top stay closed. Stop (Ctrl-C) ends the walk with what was opened so far.
std::set<TreeItem> ExpandEachBranchOnce(CTraceTree& tree, const TraceView& view,
                                        std::optional<int> depth);
