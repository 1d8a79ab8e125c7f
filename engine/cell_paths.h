// How one cell reaches another: a chain of related cells between a tree's root and a target.
#pragma once

#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"

// Searches, under a progress window with Stop, for a chain of cells from a cell of `from` to a
// cell of `to` along the kind's relation, and fills `path` with single-cell references from the
// first to the last (empty when none is found). Dependents are searched from `to` along
// precedents and the path turned round, which costs no dependents list. The first branch in list
// order wins, with a one-step look-ahead at each cell, so the path need not be the shortest; each
// cell is expanded once, so circles end the search. A stopped search answers false.
// `cellsProcessed`, when given, receives the number of cells expanded.
bool FindPath(CDependencyContainer& container, const CellReference& from, const CellReference& to,
              TraceKind kind, std::vector<CellReference>* path, long* cellsProcessed = nullptr);
