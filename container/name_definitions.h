// Defined names whose definition is a formula (Rate = Inputs!$B$2*12, i = SUM(CORE!$M$4:$N$5,h),
// OFFSET names): the cells and names their definition refers to, so that precedents, dependents,
// inputs, error traces, paths and the calculation order see through them as Excel does.
#pragma once

#include <cstdint>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"
#include "formula/cell_reference.h"

// The references written in the name's definition, in the parser's order, read with the
// workbook's formula parser on the name's own sheet on first demand and kept until the container
// is refreshed. Empty for a name that refers to a range (its rectangle stands for it), for a
// constant such as =0.2, and for an unknown id.
SharedReferenceList NameReferencesOf(CDependencyContainer& container, int32_t nameId);

// Whether the reference is a name that is not a range but whose definition refers to something.
bool IsFormulaName(CDependencyContainer& container, const CellReference& reference);

// What the name leads to: the references of its definition, with every formula name among them
// replaced by what that name leads to, to any depth. Each name is followed once, so names that
// refer to each other end. Everything reached through a dynamic reference is marked RefDynamic.
SharedReferenceList NameTargetsOf(CDependencyContainer& container, int32_t nameId);

// A formula's references with each formula name replaced by its targets (the name's own
// RefDynamic mark carried to them); the list itself when it holds no formula name.
SharedReferenceList WithNamesFollowed(CDependencyContainer& container,
                                      const SharedReferenceList& references);

// Whether one of the name's targets holds the cell.
bool NameLeadsTo(CDependencyContainer& container, const CellReference& name, const CellPos& cell);
