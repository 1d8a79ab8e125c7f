// The walk over a formula cell's precedents, down through every level, that input cells and
// error sources are found by.
#pragma once

#include <string>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"
#include "formula/cell_reference.h"

// What a walk collects. The walk asks it about every cell it reaches, each cell once.
class IArgumentListScaner {
 public:
  // A cell reached that has no formula (blank or not); `entry` is its single-cell entry, flagged
  // RefDynamic when it was reached through a dynamic reference.
  virtual bool OnValueCell(const CellReference& entry) = 0;
  // A formula cell whose precedents have all been walked; `anyTrue` when one of them answered
  // true.
  virtual bool OnFormulaCell(const CellPos& position, bool anyTrue) = 0;

 protected:
  ~IArgumentListScaner() = default;
};

// Walks the precedents of the cell under a progress window titled "Trelvane - " + `title`.
// A reference met again while it is still being walked (a circular reference) answers true. A
// Stop ends the walk where it is; what the scanner collected so far stays with it.
void WalkPrecedents(CDependencyContainer& container, const CellPos& position,
                    IArgumentListScaner& scanner, const std::wstring& title);
