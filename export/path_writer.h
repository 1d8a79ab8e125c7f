// SavePath: the entries from a tree's root down to one item, one line each at depth 0.
#pragma once

#include <vector>

#include "container/dependency_container.h"
#include "export/branch_storage.h"
#include "formula/cell_reference.h"

// Root first. A rectangle is written as a range line, a cell as a cell line, a name that is no
// range as a name line; a cell whose range cannot be had is left out. Nothing is written when the
// storage cannot open; no progress is shown, as a path is never longer than the tree is deep.
void SavePath(CBranchStorage& storage, CDependencyContainer& container,
              const std::vector<CellReference>& path);
