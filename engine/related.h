// The question every tree asks of a workbook's container: which references are related to a cell
// in a given way.
#pragma once

#include <cstdint>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// A relation or list; the values are also command numbers and travel through automation, so
// any 32-bit value may arrive (an unknown one is answered as kPrecedents).
enum class TraceKind : int32_t {
  kDependents = 0,
  kPrecedents = 1,
  kInputs = 2,
  kErrorCells = 3,
  kTraceError = 4,
  kEvaluateFormula = 5,
  kFillColor = 7,
  kFontColor = 8,
  kCalculationChain = 9,
};

// The answer for every kind. Lists are shared and stay valid while held.
SharedReferenceList ListRelated(CDependencyContainer& container, const CellPos& cell,
                                TraceKind kind);

// The references written in the cell's formula (the array's formula for a cell of an array),
// collected on first demand, in the parser's order.
SharedReferenceList PrecedentsOf(CDependencyContainer& container, const CellPos& cell);

// The formula cells whose references contain the cell, in the order of the formula index. The
// first call after a refresh collects the whole workbook; every answer, also one cut short by
// Stop, is cached until the next refresh.
SharedReferenceList DependentsOf(CDependencyContainer& container, const CellPos& cell);

// Whether a tree node for the cell should offer children before they are listed.
bool HasRelated(CDependencyContainer& container, const CellPos& cell, TraceKind kind);
