// The answers found by walking a formula's precedents to the bottom: its input cells and the
// sources of its error value. Both are cached in the container until it is refreshed, also when
// a walk was cut short by Stop.
#pragma once

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// The cells without a formula that feed the cell's formula (the array's formula for a cell of an
// array), sorted; the empty list for a cell without a formula.
SharedReferenceList InputsOf(CDependencyContainer& container, const CellPos& position);

// The formula cells where the error value the cell shows first arises, sorted; never the cell
// itself nor a cell without a formula.
SharedReferenceList ErrorSourcesOf(CDependencyContainer& container, const CellPos& position);
