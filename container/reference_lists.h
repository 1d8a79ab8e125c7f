// The reference lists a container hands out, and the order its tables keep positions in.
#pragma once

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "formula/cell_pos.h"
#include "formula/cell_reference.h"

// A reference list handed out by the container. Holders keep it alive after the container has
// dropped or replaced its entry, so the lists are never changed once published.
using SharedReferenceList = std::shared_ptr<const std::vector<CellReference>>;

// Orders positions by sheet, then column, then row: the order in which dependents are listed.
struct CellPosOrder {
  bool operator()(const CellPos& a, const CellPos& b) const {
    return std::tie(a.sheet, a.column, a.row) < std::tie(b.sheet, b.column, b.row);
  }
};

using CellListMap = std::map<CellPos, SharedReferenceList, CellPosOrder>;

// The one shared empty list of every answer without references.
const SharedReferenceList& EmptyReferenceList();
