// Sorting result lists into the order of reference entries.
#pragma once

#include <vector>

#include "formula/cell_reference.h"

// Sorts by the order of CellReference and drops every entry equal in that order to an earlier
// one, keeping the first (so flags and text of later duplicates are lost).
void SortUnique(std::vector<CellReference>& list);
